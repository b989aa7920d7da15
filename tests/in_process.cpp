// Running convert_stl_file in the test process with its console in a temporary file.
#include "in_process.h"

#include <cstdio>

#include "platform/text_output.h"
#include "writers/facet_output.h"

namespace trimora::testing {

InProcessRun convert_in_process(const std::filesystem::path& stem, const FacetForm& form) {
    std::FILE* stream = std::tmpfile();
    InProcessRun run{"", 0};
    {
        TextOutput console(stream);
        run.result = convert_stl_file(stem.string().c_str(), form, console);
        console.flush();
    }
    std::rewind(stream);
    for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream)) {
        run.console += static_cast<char>(c);
    }
    std::fclose(stream);
    return run;
}

FacetForm wire_form(FacetConsumer consumer, MeshReport* report) {
    return FacetForm{kWireForm, "nrml", "trng", consumer, report};
}

}  // namespace trimora::testing
