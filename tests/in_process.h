// Conversions run inside the test process, for consumers the command line does not offer yet.
#pragma once

#include <filesystem>
#include <string>

#include "convert/converter.h"

namespace trimora::testing {

struct InProcessRun {
    std::string console;  // everything the conversion printed
    int result;           // what convert_stl_file returned
};

// Converts stem.stl (a path without the extension) with the form, the
// console going to a temporary file.
InProcessRun convert_in_process(const std::filesystem::path& stem, const FacetForm& form);

// The form of the legacy WIRE run, and of the same run with another consumer.
FacetForm wire_form(FacetConsumer consumer = FacetConsumer::kOutputCodeWriter,
                    MeshReport* report = nullptr);

}  // namespace trimora::testing
