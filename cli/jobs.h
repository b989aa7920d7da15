// Running the conversions of a modern run side by side, with their reports in input order.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "convert/converter.h"
#include "writers/facet_output.h"

namespace trimora {

class TextOutput;

// One conversion: its ends, or the reason it is refused before it starts.
struct Job {
    std::string input;
    std::string output;
    bool input_is_standard = false;
    bool output_is_standard = false;
    std::string refusal;  // a console line (LF-ended); empty for a job that runs
};

// What every conversion of one run does with its facets, and how the run
// shows itself. A setting for the facets (say, a report instead of an output
// file) belongs here, next to the form, and reaches every job unchanged.
struct RunSettings {
    FacetForm form{kTextForm, "nrml", "trng"};
    int jobs = 1;
    bool quiet = false;          // print only the reports of failed files
    std::FILE* progress = nullptr;  // the terminal of the progress line; null for none
    // With the mesh report as the form's consumer: the report in each
    // file's report, or with json as one JSON line to the data stream.
    bool json = false;
    std::FILE* data = stdout;
};

// The report of one conversion as a legacy run prints it after its banner:
// the output-code line, what the conversion prints, the error banner when it
// failed. For the mesh report there is no output-code line, and the report follows
// the facet count, or goes to json_line (LF-ended) as JSON. Returns 1 for a
// success, as convert_stl does.
int convert_job(const Job& job, const RunSettings& settings, TextOutput& console,
                std::atomic<std::uint64_t>* bytes_read, std::string* json_line = nullptr);

// Runs the jobs on up to settings.jobs threads, each with its own state, and
// writes each report whole, in the order of the jobs, to the stream. Returns
// the number of jobs that failed.
int run_jobs(const std::vector<Job>& jobs, const RunSettings& settings, std::FILE* reports);

}  // namespace trimora
