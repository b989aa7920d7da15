// The modern form's run: from the parsed options to the jobs, their reports and the exit status.
#include "cli/modern_run.h"

#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>
#include <thread>

#include "cli/inputs.h"
#include "cli/jobs.h"
#include "cli/options.h"
#include "cli/output_names.h"
#include "convert/input_files.h"
#include "platform/byte_sink.h"
#include "platform/system.h"
#include "platform/text_output.h"
#include "usage/tool_texts.h"
#include "writers/facet_output.h"

namespace trimora {

namespace {

// Files a run keeps open besides its jobs' (the standard streams and a few
// more), and the most a job may have open at once: input, output, and its
// share of spilled reports.
constexpr int kFilesKeptOpen = 16;
constexpr int kFilesPerJob = 6;

int usage_error(const std::string& problem) {
    TextOutput errors(stderr, LineEnds::kConsole);
    errors.print("trimora: %s; %s shows the options\n", problem.c_str(), kModernHelpCommand);
    errors.flush();
    return kExitUsage;
}

// The exit status of a run, or a failure when its console could not be
// written: the stream of its reports, and standard output when that carries
// the mesh reports; write_failed says a write failed where no reason was
// kept. Says so in one line on standard error, if that still works.
int console_checked(int status, std::FILE* reports, bool data, bool write_failed = false) {
    std::string problem = write_problem(reports);
    if (problem.empty() && data && reports != stdout) problem = write_problem(stdout);
    if (problem.empty() && write_failed) problem = "a write failed";
    if (problem.empty()) return status;
    TextOutput errors(stderr, LineEnds::kConsole);
    errors.print("trimora: cannot write the console: %s\n", problem.c_str());
    errors.flush();
    return kExitFailure;
}

// The refusal of a job's output, naming the input it was to be made from.
std::string refusal(const char* reason, const Job& job) {
    return std::string(reason) + ": [" + job.output + "] (from [" + job.input + "])\n";
}

// True when something, even a dangling link, has the name.
bool exists(const std::string& name) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path_from_utf8(name.c_str()), error));
}

// Makes the folder a file is to be written in, with its parents; false when it cannot be made.
bool make_parent_folder(const std::string& name) {
    const std::filesystem::path parent = path_from_utf8(name.c_str()).parent_path();
    std::error_code error;
    if (parent.empty() || std::filesystem::is_directory(parent, error)) return true;
    std::filesystem::create_directories(parent, error);
    return !error;
}

// The jobs of the inputs, each with its output. Files are told apart by the
// files themselves (FileId): an output that is the same file as an earlier
// job's output, or as any input of the run, its own included (hard links and
// symbolic links too), is refused; names of outputs that do not exist yet are
// compared resolved, and without case where the system ignores it.
std::vector<Job> plan_jobs(const std::vector<InputFile>& inputs, const ModernOptions& options,
                           const FacetForm& form, bool into_folder) {
    const bool writes_files = form.writes_file();
    // The files of the inputs there are; a report writes no file, so nothing can clash.
    InputFiles input_files;
    for (std::size_t i = 0; i < inputs.size() && writes_files; ++i) {
        if (!inputs[i].notice.empty()) continue;
        const FileId id = inputs[i].standard ? file_id_of_stream(stdin) : file_id_of(inputs[i].path.c_str());
        if (id.known) input_files.add(inputs[i].path.c_str(), inputs[i].standard);
    }
    // The form's own extension unless --ext gives another.
    const std::string extension =
        !options.extension.empty() ? options.extension : options.output_code == kStlForm ? "stl" : "kpf";
    std::set<FileId> output_files;
    std::set<std::string> output_names;
    std::vector<Job> jobs;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const InputFile& input = inputs[i];
        Job job;
        job.input = input.path;
        job.input_is_standard = input.standard;
        job.notice = input.notice;
        job.from = options.from;
        if (!writes_files || !job.notice.empty()) {
            // A report, or a notice, writes no file, so no output can clash.
            jobs.push_back(std::move(job));
            continue;
        }
        if (input.standard && !(options.has_output && !into_folder)) {
            job.output.assign(1, '-');
        } else if (into_folder) {
            job.output = output_in_folder(options.output, input.path, input.below, extension);
        } else if (options.has_output) {
            job.output = options.output;
        } else {
            job.output = replace_last_extension(input.path, extension);
        }
        job.output_is_standard = job.output == "-";
        const FileId file = job.output_is_standard ? FileId{} : file_id_of(job.output.c_str());
        // A file that exists is told by itself; only a name yet to be made needs its key.
        const bool file_written = file.known && !output_files.insert(file).second;
        const bool name_written =
            !file.known &&
            !output_names.insert(job.output_is_standard ? "-" : file_name_key(job.output.c_str())).second;
        // Its own input too (-f stl beside an STL file): the refusal says why, where the
        // conversion's own guard would only say that the output cannot be opened.
        const bool read_by_an_input = file.known && input_files.holds(job.output.c_str());
        // A mesh file is the user's own work: only -o naming it, or --force, replaces it.
        const bool named_by_o = options.has_output && !into_folder;
        const bool replaces_a_mesh = !job.output_is_standard && !named_by_o && !options.force &&
                                     is_folder_mesh_name(job.output) && exists(job.output);
        if (file_written || name_written) {
            job.refusal = refusal("Output already written in this run", job);
        } else if (read_by_an_input) {
            job.refusal = refusal("Output is an input of this run", job);
        } else if (replaces_a_mesh) {
            job.refusal = refusal("Existing mesh file kept (--force replaces it)", job);
        }
        // A tree kept below the output folder gets its subfolders as they are needed.
        if (job.refusal.empty() && into_folder && !input.below.empty() && !make_parent_folder(job.output)) {
            job.refusal = refusal("Cannot make the folder of the output", job);
        }
        jobs.push_back(std::move(job));
    }
    return jobs;
}

}  // namespace

int run_modern_command_line(const std::vector<std::string>& args, TextOutput& console) {
    // Every line of the modern form ends as the system's text lines do.
    console.set_line_ends(LineEnds::kConsole);
    const ParsedOptions parsed = parse_modern_options(args);
    if (!parsed.error.empty()) return usage_error(parsed.error);
    const ModernOptions& options = parsed.options;
    if (options.help || options.version) {
        print_banner(console);
        if (options.help) {
            print_help(console);
            console.write(modern_options_help());
        }
        console.flush();
        return console_checked(kExitSuccess, stdout, false);
    }
    if (options.names.empty()) return usage_error("no input named");

    const std::vector<InputFile> inputs =
        expand_inputs(options.names, options.recursive, !shell_expands_wildcards());
    // -o names a folder when it is one or ends with a separator; one that
    // is new is made, with its parents. Several inputs need a folder, as cp
    // says "target is not a directory": then nothing is made.
    const std::string& output = options.output;
    const bool names_folder = options.has_output && output != "-" &&
                              (is_folder(output) || output.ends_with('/') || output.ends_with('\\'));
    if (options.has_output && !names_folder && inputs.size() > 1) {
        std::string problem = "-o [";
        problem += options.output;
        problem += "] is no folder, but there are ";
        problem += std::to_string(inputs.size());
        problem += " inputs: end it in / to make one";
        return usage_error(problem);
    }
    if (names_folder && !is_folder(output)) {
        std::error_code error;
        std::filesystem::create_directories(path_from_utf8(output.c_str()), error);
        if (error) {
            TextOutput errors(stderr, LineEnds::kConsole);
            errors.print("trimora: cannot make the folder [%s]\n", output.c_str());
            errors.flush();
            return kExitFailure;
        }
    }
    const bool into_folder = names_folder;
    // What every job does with its facets: an output form's file, or the mesh report.
    RunSettings settings;
    settings.form = facet_form_of(options.output_code);
    if (options.all_edges) settings.form.consumer = FacetConsumer::kAllEdges;
    if (options.info) settings.form.consumer = FacetConsumer::kMeshReport;
    if (options.output_code == kNullForm && !options.info) settings.form.consumer = FacetConsumer::kCheck;
    const bool report = settings.form.consumer == FacetConsumer::kMeshReport;
    const std::vector<Job> jobs = plan_jobs(inputs, options, settings.form, into_folder);

    bool to_standard_output = false;
    for (const Job& job : jobs) to_standard_output = to_standard_output || job.output_is_standard;
    // Standard output carries a converted file or the mesh reports: the
    // conversion reports go to standard error.
    std::FILE* reports = to_standard_output || report ? stderr : stdout;
    if (!options.quiet) {
        TextOutput banner(reports, LineEnds::kConsole);
        print_banner(banner);
        banner.flush();
    }

    settings.json = options.json;
    const unsigned cores = std::thread::hardware_concurrency();
    settings.jobs = options.jobs > 0 ? options.jobs : cores > 0 ? static_cast<int>(cores) : 1;
    // Each job holds its input and output open, and its share of the held
    // reports may spill to temporary files: as many jobs as fit the limit.
    const int fitting = (open_file_limit() - kFilesKeptOpen) / kFilesPerJob;
    if (settings.jobs > fitting) settings.jobs = fitting > 1 ? fitting : 1;
    settings.quiet = options.quiet;
    if (!options.quiet && !options.no_progress && is_terminal(stderr)) settings.progress = stderr;
    console.flush();
    const JobsOutcome outcome = run_jobs(jobs, settings, reports);
    return console_checked(outcome.problems > 0 ? kExitFailure : kExitSuccess, reports, report,
                           outcome.console_failed);
}

}  // namespace trimora
