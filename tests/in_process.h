// Conversions run inside the test process, for consumers the command line does not offer yet.
#pragma once

#include <filesystem>
#include <string>

#include "convert/converter.h"
#include "report/mesh_report.h"

namespace trimora::testing {

struct InProcessRun {
    std::string console;  // everything the conversion printed
    int result;           // what convert_stl_file returned
};

// Converts stem.stl (a path without the extension) into stem.kpf with the
// form, or into the report when there is one, the console going to a
// temporary file. The report gets the facet count of a whole reading.
InProcessRun convert_in_process(const std::filesystem::path& stem, const FacetForm& form,
                                MeshReport* report = nullptr);

// The form of the legacy WIRE run, and of the same run with another consumer.
FacetForm wire_form(FacetConsumer consumer = FacetConsumer::kOutputCodeWriter);

}  // namespace trimora::testing
