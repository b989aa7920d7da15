// Running the conversions of a modern run side by side, with their reports in input order.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "convert/converter.h"
#include "writers/facet_output.h"

namespace trimora {

class TextOutput;

// One conversion: its ends, or the reason it cannot run.
struct Job {
    std::string input;
    std::string output;
    bool input_is_standard = false;
    bool output_is_standard = false;
    // The kind --from names, for standard input and names that tell none.
    std::optional<InputKind> from;
    // A console line (LF-ended) after the output-code line, for an output
    // refused before the conversion starts; empty for a job that runs.
    std::string refusal;
    // A console line (LF-ended) alone, for an input that is no file to
    // convert (a folder that cannot be read, a FIFO, no mesh file).
    std::string notice;
};

// What every conversion of one run does with its facets, and how the run
// shows itself. A setting for the facets (say, a report instead of an output
// file) belongs here, next to the form, and reaches every job unchanged.
struct RunSettings {
    FacetForm form{kTextForm, "nrml", "trng"};
    int jobs = 1;
    // Print only the reports of files with a problem; the mesh report's
    // blocks and lines are printed all the same.
    bool quiet = false;
    std::FILE* progress = nullptr;  // the terminal of the progress line; null for none
    // With the mesh report as the form's consumer: each file's report as an
    // aligned block, or with json as one JSON line, to the data stream.
    bool json = false;
    std::FILE* data = stdout;
};

// How a run of jobs ended.
struct JobsOutcome {
    int problems = 0;             // jobs whose file had a problem
    bool console_failed = false;  // the reports or the data could not all be written
};

// Converts one job, printing its report as a legacy run prints it after its
// banner: the output-code line, what the conversion prints, the error banner
// when it failed; for the mesh report no output-code line. The mesh report's
// block or JSON line (LF-ended) goes to data. Returns true when the file had
// a problem: any line besides the output-code line, the open and close
// lines and the facet count (a line problem, the line list's overflow, a
// failure to open, read or write), a refusal, or no memory for the job.
bool convert_job(const Job& job, const RunSettings& settings, TextOutput& console,
                 std::atomic<std::uint64_t>* bytes_read, std::string& data);

// Runs the jobs on up to settings.jobs worker threads, each with its own
// state, and writes each report whole and in the order of the jobs to the
// stream: the oldest job's report as it is made, the others held with flat
// memory until their turn.
JobsOutcome run_jobs(const std::vector<Job>& jobs, const RunSettings& settings, std::FILE* reports);

}  // namespace trimora
