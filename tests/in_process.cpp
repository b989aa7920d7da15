// Running a conversion in the test process with its console in a temporary file.
#include "in_process.h"

#include <cstdio>

#include "mesh/run_console.h"
#include "platform/text_output.h"
#include "run_tool.h"
#include "writers/facet_output.h"

namespace trimora::testing {

InProcessRun convert_in_process(const std::filesystem::path& stem, const FacetForm& form,
                                MeshReport* report) {
    std::FILE* stream = std::tmpfile();
    InProcessRun run{"", 0};
    const std::string input = stem.string() + ".stl";
    const std::string output = stem.string() + ".kpf";
    MeshConversion ends{input.c_str(), output.c_str()};
    ends.report = report;
    {
        TextOutput console(stream);
        RunConsole run_console(console);
        const ConversionResult result = convert_mesh(ends, form, run_console);
        if (report != nullptr && result.read_whole) report->set_facet_count(result.nfacet);
        run.result = result.status;
        console.flush();
    }
    run.console = stream_text(stream);
    std::fclose(stream);
    return run;
}

FacetForm wire_form(FacetConsumer consumer) { return FacetForm{kWireForm, "nrml", "trng", consumer}; }

}  // namespace trimora::testing
