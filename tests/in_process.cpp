// Running convert_stl_file in the test process with its console in a temporary file.
#include "in_process.h"

#include <cstdio>

#include "platform/text_output.h"
#include "run_tool.h"
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
    run.console = stream_text(stream);
    std::fclose(stream);
    return run;
}

FacetForm wire_form(FacetConsumer consumer, MeshReport* report) {
    return FacetForm{kWireForm, "nrml", "trng", consumer, report};
}

}  // namespace trimora::testing
