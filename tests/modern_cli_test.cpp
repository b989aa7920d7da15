// Runs the modern command line end to end: each case a command line, its files, its exit status, files and console.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "run_tool.h"
#include "stl_files.h"

namespace trimora::testing {
namespace {

namespace fs = std::filesystem;

const std::string kBadWord = "solid bad\nfrobnicate 1 2 3\nendsolid bad\n";
const std::string kBinaryTriangle =
    binary_stl("solid tri", {{{0, 0, -2}, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}}});

// The text with every CR LF written as LF: an output file as console text.
std::string without_cr(const std::string& bytes) {
    return std::regex_replace(bytes, std::regex("\r\n"), "\n");
}

// The output file of the triangle read from input_path, date masked.
std::string triangle_file(const std::string& input_path, const std::string& facet = kTextFacet) {
    return crlf(header(input_path) + facet + trailer(1));
}

// A file's report as a legacy run prints it after its banner, LF line ends.
std::string report(const std::string& form_line, const std::string& in, const std::string& out,
                   int nfacet, const std::string& messages = "", bool error = false) {
    return form_line + "File open: [" + in + "]\nFile open: [" + out + "]\n" + messages +
           "File closed: [" + in + "]\nFile closed: [" + out + "]\nnfacet = " +
           std::to_string(nfacet) + "\n" + (error ? kErrorBanner : "");
}

std::string missing(const std::string& name) {
    return kTextLine + "Cannot open file: [" + name + "]\n" + kErrorBanner;
}

// A file's console lines with --info, before its mesh report.
std::string info_lines(const std::string& in, int nfacet, const std::string& messages = "") {
    return "File open: [" + in + "]\n" + messages + "File closed: [" + in + "]\nnfacet = " +
           std::to_string(nfacet) + "\n";
}

// The mesh report of kTriangle: one open facet of area 1/2 at z = 0.
std::string triangle_block(const std::string& file) {
    return "file               " + file +
           "\n"
           "facets             1\n"
           "vertices           3\n"
           "edges              3\n"
           "boundary_edges     3\n"
           "nonmanifold_edges  0\n"
           "degenerate_facets  0\n"
           "min                0 0 0\n"
           "max                1 1 0\n"
           "area               0.5\n"
           "volume             0\n"
           "closed             no\n";
}

std::string triangle_json(const std::string& file) {
    return "{\"file\":\"" + file +
           "\",\"facets\":1,\"vertices\":3,\"edges\":3,\"boundary_edges\":3,"
           "\"nonmanifold_edges\":0,\"degenerate_facets\":0,\"min\":[0,0,0],\"max\":[1,1,0],"
           "\"area\":0.5,\"volume\":0,\"closed\":false}\n";
}

// The report of a file without facets: no bounds to give.
const std::string kEmptyJson =
    "{\"file\":\"bad.stl\",\"facets\":0,\"vertices\":0,\"edges\":0,\"boundary_edges\":0,"
    "\"nonmanifold_edges\":0,\"degenerate_facets\":0,\"min\":[null,null,null],"
    "\"max\":[null,null,null],\"area\":0,\"volume\":0,\"closed\":false}\n";

std::string usage(const std::string& problem) {
    return "trimora: " + problem + "; trimora --help -q shows the options\n";
}

struct CliCase {
    const char* name;
    std::vector<std::string> args;
    std::map<std::string, std::string> files;  // the files around the run, by path
    int exit_code;
    std::string console;                        // standard output, LF line ends
    std::string errors;                         // standard error, LF line ends
    std::map<std::string, std::string> outputs = {};  // files written, date masked
    std::vector<std::string> absent = {};       // files the run must not write
    std::string standard_input = "";            // the bytes on standard input
    // Standard input from this file of the folder instead, the bytes above unused.
    std::string standard_input_file = "";
    // Links made after the files: each a link path and the file it leads to (as the link reads).
    std::vector<std::pair<std::string, std::string>> hard_links = {};
    std::vector<std::pair<std::string, std::string>> symbolic_links = {};
    // Standard streams closed, full or with their reader gone, instead of files.
    StreamEnds ends = {};
};

class ModernCommandLine : public ::testing::TestWithParam<CliCase> {};

TEST_P(ModernCommandLine, GivesTheExitStatusFilesAndConsole) {
    const CliCase& c = GetParam();
    TempDir dir;
    for (const auto& [path, bytes] : c.files) {
        fs::create_directories((dir / path).parent_path());
        write_file(dir / path, bytes);
    }
    // What each file holds before the run, its links included.
    std::map<std::string, std::string> before(c.files);
    for (const auto& [link, target] : c.hard_links) {
        fs::create_hard_link(dir / target, dir / link);
        before[link] = c.files.at(target);
    }
    for (const auto& [link, target] : c.symbolic_links) {
        if (!make_symlink(target, dir / link)) GTEST_SKIP() << "no symbolic links here";
    }
    const TempDir input_dir;
    write_file(input_dir / "input", c.standard_input);
    const fs::path input = c.standard_input_file.empty() ? input_dir / "input" : dir / c.standard_input_file;
    const std::optional<ToolRun> connected = run_tool_connected(dir.path(), c.args, c.ends, input);
    if (!connected) GTEST_SKIP() << "no such stream end here (a full device)";
    const ToolRun& run = *connected;
    EXPECT_EQ(run.exit_code, c.exit_code);
    EXPECT_EQ(mask_date(run.console), c.console.empty() ? "" : crlf(c.console));
    EXPECT_EQ(run.errors, c.errors.empty() ? "" : crlf(c.errors));
    for (const auto& [path, bytes] : c.outputs) {
        EXPECT_EQ(mask_date(read_file(dir / path)), bytes) << path;
    }
    for (const std::string& path : c.absent) EXPECT_FALSE(fs::exists(dir / path)) << path;
    // Nothing else is written: the inputs and the outputs named are all there is, and every file
    // not named as an output holds what it held.
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
        if (!entry.is_regular_file() || fs::is_symlink(entry.symlink_status())) continue;
        const std::string path = fs::relative(entry.path(), dir.path()).generic_string();
        if (c.outputs.count(path) != 0) continue;
        const auto was = before.find(path);
        if (was == before.end()) {
            ADD_FAILURE() << "unexpected " << path;
        } else {
            EXPECT_EQ(read_file(entry.path()), was->second) << path;
        }
    }
}

const std::map<std::string, std::string> kOneTriangle = {{"tri.stl", kTriangle}};

INSTANTIATE_TEST_SUITE_P(
    Cases, ModernCommandLine,
    ::testing::Values(
        CliCase{"form_text", {"-f", "text", "tri.stl"}, kOneTriangle, 0,
                kBanner + report(kTextLine, "tri.stl", "tri.kpf", 1), "",
                {{"tri.kpf", triangle_file("tri.stl")}}},
        CliCase{"long_form_with_equals_and_no_extension", {"--form=numb", "tri"}, kOneTriangle, 0,
                kBanner + report(kNumberLine, "tri.stl", "tri.kpf", 1), "",
                {{"tri.kpf", triangle_file("tri.stl", kNumberFacet)}}},
        CliCase{"form_number_after_the_name", {"tri.stl", "--form", "number"}, kOneTriangle, 0,
                kBanner + report(kNumberLine, "tri.stl", "tri.kpf", 1), "",
                {{"tri.kpf", triangle_file("tri.stl", kNumberFacet)}}},
        CliCase{"form_wire_to_a_named_file", {"-f", "wire", "tri.stl", "-o", "edges.vq"},
                kOneTriangle, 0, kBanner + report(kWireLine, "tri.stl", "edges.vq", 1), "",
                {{"edges.vq", triangle_file("tri.stl", kWireFacet)}}, {"tri.kpf"}},
        CliCase{"form_null_writes_no_facet_and_fails", {"--form", "null", "tri.stl"},
                kOneTriangle, 1, kBanner + report(kNullLine, "tri.stl", "tri.kpf", 1, "", true), "",
                {{"tri.kpf", crlf(header("tri.stl") + trailer(1))}}},
        CliCase{"dotted_names_lose_only_their_last_extension",
                {"-q", "my.part.v2.stl", "my.part.v3.stl"},
                {{"my.part.v2.stl", kTriangle}, {"my.part.v3.stl", kTriangle}}, 0, "", "",
                {{"my.part.v2.kpf", triangle_file("my.part.v2.stl")},
                 {"my.part.v3.kpf", triangle_file("my.part.v3.stl")}}},
        CliCase{"dotted_folder_and_a_name_without_extension", {"-q", "v1.2/part"},
                {{"v1.2/part", kTriangle}}, 0, "", "",
                {{"v1.2/part.kpf", triangle_file("v1.2/part")}}},
        CliCase{"folder_takes_any_case_of_stl_sorted_by_name", {"--jobs", "2", "parts"},
                {{"parts/b.stl", kTriangle}, {"parts/A.STL", kTriangle},
                 {"parts/notes.txt", "not a mesh"}, {"parts/sub/c.stl", kTriangle}},
                0,
                kBanner + report(kTextLine, "parts/A.STL", "parts/A.kpf", 1) +
                    report(kTextLine, "parts/b.stl", "parts/b.kpf", 1),
                "",
                {{"parts/A.kpf", triangle_file("parts/A.STL")},
                 {"parts/b.kpf", triangle_file("parts/b.stl")}},
                {"parts/sub/c.kpf", "parts/notes.kpf"}},
        CliCase{"recursive_folder_takes_subfolders_in_name_order", {"-r", "-j", "1", "parts/"},
                {{"parts/b.stl", kTriangle}, {"parts/a/c.stl", kTriangle},
                 {"parts/z.stl", kTriangle}},
                0,
                kBanner + report(kTextLine, "parts/a/c.stl", "parts/a/c.kpf", 1) +
                    report(kTextLine, "parts/b.stl", "parts/b.kpf", 1) +
                    report(kTextLine, "parts/z.stl", "parts/z.kpf", 1),
                "",
                {{"parts/a/c.kpf", triangle_file("parts/a/c.stl")},
                 {"parts/b.kpf", triangle_file("parts/b.stl")},
                 {"parts/z.kpf", triangle_file("parts/z.stl")}}},
        CliCase{"output_folder_for_several_inputs", {"-q", "-o", "out", "a.stl", "b.stl"},
                {{"a.stl", kTriangle}, {"b.stl", kTriangle}, {"out/.keep", ""}}, 0, "", "",
                {{"out/a.kpf", triangle_file("a.stl")}, {"out/b.kpf", triangle_file("b.stl")}}},
        CliCase{"two_inputs_to_one_output_refuses_the_second", {"-j", "2", "-o", "out", "one/a.stl", "two/a.stl"},
                {{"one/a.stl", kTriangle}, {"two/a.stl", kBadWord}, {"out/.keep", ""}}, 1,
                kBanner + report(kTextLine, "one/a.stl", "out/a.kpf", 1) + kTextLine +
                    "Output already written in this run: [out/a.kpf] (from [two/a.stl])\n" + kErrorBanner,
                "", {{"out/a.kpf", triangle_file("one/a.stl")}}},
        CliCase{"an_output_that_is_another_input_is_refused", {"-q", "x.stl", "x.kpf"},
                {{"x.stl", kTriangle}, {"x.kpf", kTriangle}}, 1,
                kTextLine + "Output is an input of this run: [x.kpf] (from [x.stl])\n" + kErrorBanner +
                    kTextLine + "Output already written in this run: [x.kpf] (from [x.kpf])\n" +
                    kErrorBanner,
                "", {{"x.kpf", kTriangle}}},
        // Files are told apart by the files themselves, never by their names.
        CliCase{"an_output_that_is_a_hard_link_of_another_input_is_refused", {"-q", "-j", "1", "a.stl", "b.stl"},
                {{"a.stl", kBadWord}, {"b.stl", kTriangle}}, 1,
                report(kTextLine, "a.stl", "a.kpf", 0, "Unknown code word [frobnicate] on line 2\n", true) +
                    kTextLine + "Output is an input of this run: [b.kpf] (from [b.stl])\n" + kErrorBanner,
                "", {{"a.kpf", crlf(header("a.stl") + trailer(0))}}, {}, "", "", {{"b.kpf", "a.stl"}}},
        // A replaced output is a new file: the other name of the old one keeps the old bytes.
        CliCase{"two_outputs_that_are_hard_links_of_one_file", {"-q", "a.stl", "b.stl"},
                {{"a.stl", kTriangle}, {"b.stl", kTriangle}, {"a.kpf", "earlier output"}}, 1,
                kTextLine + "Output already written in this run: [b.kpf] (from [b.stl])\n" + kErrorBanner, "",
                {{"a.kpf", triangle_file("a.stl")}}, {}, "", "", {{"b.kpf", "a.kpf"}}},
        CliCase{"an_output_through_a_symbolic_link_to_another_input_is_refused", {"-q", "a.stl", "b.stl"},
                {{"a.stl", kTriangle}, {"b.stl", kTriangle}}, 1,
                kTextLine + "Output is an input of this run: [b.kpf] (from [b.stl])\n" + kErrorBanner,
                "", {{"a.kpf", triangle_file("a.stl")}}, {}, "", "", {}, {{"b.kpf", "a.stl"}}},
        CliCase{"an_output_that_is_standard_input_is_refused", {"-q", "b.stl", "-"},
                {{"b.stl", kTriangle}, {"b.kpf", kTriangle}}, 1,
                without_cr(triangle_file("-")),
                kTextLine + "Output is an input of this run: [b.kpf] (from [b.stl])\n" + kErrorBanner,
                {}, {}, "", "b.kpf"},
        CliCase{"standard_input_redirected_from_its_output_is_never_written", {"-o", "p.stl", "-"},
                {{"p.stl", kTriangle}}, 1,
                kBanner + kTextLine + "File open: [-]\nCannot open file: [p.stl]\n" + kErrorBanner, "",
                {}, {}, "", "p.stl"},
        CliCase{"missing_file_among_many_is_reported_and_the_rest_converted",
                {"-q", "a.stl", "absent.stl", "b"}, {{"a.stl", kTriangle}, {"b.stl", kTriangle}},
                1, missing("absent.stl"), "",
                {{"a.kpf", triangle_file("a.stl")}, {"b.kpf", triangle_file("b.stl")}}},
        CliCase{"a_problem_fails_the_run_and_quiet_still_shows_it", {"-q", "bad.stl", "a.stl"},
                {{"bad.stl", kBadWord}, {"a.stl", kTriangle}}, 1,
                report(kTextLine, "bad.stl", "bad.kpf", 0, "Unknown code word [frobnicate] on line 2\n",
                       true),
                "",
                {{"bad.kpf", crlf(header("bad.stl") + trailer(0))},
                 {"a.kpf", triangle_file("a.stl")}}},
        CliCase{"standard_input_ascii_to_standard_output", {"--quiet", "-"}, {}, 0,
                without_cr(triangle_file("-")), "", {}, {}, kTriangle},
        CliCase{"standard_input_binary_with_a_solid_header", {"-f", "numb", "-"}, {}, 0,
                without_cr(triangle_file("-", kNumberFacet)), kBanner + report(kNumberLine, "-", "-", 1), {}, {},
                kBinaryTriangle},
        // An input not read to its end keeps the old output.
        CliCase{"standard_input_binary_ending_before_its_count_fails", {"-", "-o", "cut.kpf"},
                {{"cut.kpf", "earlier output"}}, 1,
                kBanner + report(kTextLine, "-", "cut.kpf", 1, "Cannot read file: [-]\n", true), "",
                {}, {}, binary_stl("solid cut", 2, {{{0, 0, -2}, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}}})},
        CliCase{"standard_input_binary_ending_before_its_count_writes_no_new_file", {"-", "-o", "cut.kpf"},
                {}, 1, kBanner + report(kTextLine, "-", "cut.kpf", 1, "Cannot read file: [-]\n", true), "",
                {}, {"cut.kpf"}, binary_stl("solid cut", 2, {{{0, 0, -2}, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}}})},
        // A pipe has no size: a record's worth of data after the counted records is a
        // problem of the file; less is left over, as in a file.
        CliCase{"standard_input_binary_with_a_record_after_its_count", {"-", "-o", "more.kpf"}, {}, 1,
                kBanner + report(kTextLine, "-", "more.kpf", 1, "Data after the last record: [-]\n", true), "",
                {{"more.kpf", triangle_file("-")}}, {}, kBinaryTriangle + std::string(50, '\n')},
        CliCase{"standard_input_binary_with_less_than_a_record_after_its_count", {"-", "-o", "more.kpf"}, {}, 0,
                kBanner + report(kTextLine, "-", "more.kpf", 1), "", {{"more.kpf", triangle_file("-")}}, {},
                kBinaryTriangle + std::string(49, '\n')},
        CliCase{"info_of_binary_standard_input_with_data_after_its_records", {"-q", "--info", "--json", "-"}, {}, 1,
                triangle_json("-"), info_lines("-", 1, "Data after the last record: [-]\n") + kErrorBanner, {}, {},
                kBinaryTriangle + std::string(5000, 'x')},
        CliCase{"standard_input_too_short_for_binary_is_text", {"-q", "-"}, {}, 0,
                without_cr(crlf(header("-") + trailer(0))), "", {}, {}, "solid x\nendsolid x\n"},
        CliCase{"standard_input_to_a_named_file", {"-", "-o", "piped.kpf"}, {}, 0,
                kBanner + report(kTextLine, "-", "piped.kpf", 1), "",
                {{"piped.kpf", triangle_file("-")}}, {}, kTriangle},
        CliCase{"file_to_standard_output_reports_on_standard_error", {"tri.stl", "-o", "-"},
                kOneTriangle, 0, without_cr(triangle_file("tri.stl")),
                kBanner + report(kTextLine, "tri.stl", "-", 1)},
        CliCase{"long_names_are_not_cut", {"-q", std::string(200, 'n') + ".v1.stl"},
                {{std::string(200, 'n') + ".v1.stl", kTriangle}}, 0, "", "",
                {{std::string(200, 'n') + ".v1.kpf",
                  triangle_file(std::string(200, 'n') + ".v1.stl")}}},
        CliCase{"double_dash_ends_the_options", {"-q", "--", "-f.stl"}, {{"-f.stl", kTriangle}},
                0, "", "", {{"-f.kpf", triangle_file("-f.stl")}}},
        CliCase{"no_progress_changes_nothing_off_a_terminal", {"--no-progress", "tri.stl"},
                kOneTriangle, 0, kBanner + report(kTextLine, "tri.stl", "tri.kpf", 1), "",
                {{"tri.kpf", triangle_file("tri.stl")}}},
        CliCase{"folder_with_nothing_to_convert", {"-q", "empty"}, {{"empty/x.txt", ""}}, 0, "",
                ""},
        // Closed standard streams are the null device: no file takes their numbers.
        CliCase{"closed_standard_input_cannot_be_read", {"-q", "-j", "2", "-o", "out", "a.stl", "-"},
                {{"a.stl", kTriangle}, {"out/.keep", ""}}, 1, "",
                kTextLine + "Cannot open file: [-]\n" + kErrorBanner,
                {{"out/a.kpf", triangle_file("a.stl")}}, {"out/-.kpf"}, "", "", {}, {},
                {StreamEnd::kClosed, StreamEnd::kFile, StreamEnd::kFile}},
        // A console that cannot be written fails the run, and standard error says why.
        CliCase{"closed_standard_output_fails_the_run", {"-j", "1", "tri.stl", "a.stl"},
                {{"tri.stl", kTriangle}, {"a.stl", kTriangle}}, 1, "",
                "trimora: cannot write the console: Bad file descriptor\n",
                {{"tri.kpf", triangle_file("tri.stl")}, {"a.kpf", triangle_file("a.stl")}}, {}, "", "", {}, {},
                {StreamEnd::kFile, StreamEnd::kClosed, StreamEnd::kFile}},
        CliCase{"full_standard_output_fails_the_run", {"-f", "text", "tri.stl"}, kOneTriangle, 1, "",
                "trimora: cannot write the console: No space left on device\n",
                {{"tri.kpf", triangle_file("tri.stl")}}, {}, "", "", {}, {},
                {StreamEnd::kFile, StreamEnd::kFull, StreamEnd::kFile}},
        CliCase{"standard_output_without_a_reader_fails_the_run", {"-f", "text", "tri.stl"}, kOneTriangle, 1, "",
                "trimora: cannot write the console: Broken pipe\n",
                {{"tri.kpf", triangle_file("tri.stl")}}, {}, "", "", {}, {},
                {StreamEnd::kFile, StreamEnd::kGoneReader, StreamEnd::kFile}},
        CliCase{"json_lines_to_a_full_standard_output_fail_the_run", {"-q", "--info", "--json", "tri.stl"},
                kOneTriangle, 1, "", "trimora: cannot write the console: No space left on device\n", {}, {},
                "", "", {}, {}, {StreamEnd::kFile, StreamEnd::kFull, StreamEnd::kFile}},
        CliCase{"closed_standard_error_fails_a_run_that_reports_there", {"tri.stl", "-o", "-"},
                kOneTriangle, 1, without_cr(triangle_file("tri.stl")), "", {}, {}, "", "", {}, {},
                {StreamEnd::kFile, StreamEnd::kFile, StreamEnd::kClosed}},
        // Nothing to say is no failure to say it.
        CliCase{"quiet_success_on_a_full_standard_output", {"-q", "tri.stl"}, kOneTriangle, 0, "", "",
                {{"tri.kpf", triangle_file("tri.stl")}}, {}, "", "", {}, {},
                {StreamEnd::kFile, StreamEnd::kFull, StreamEnd::kFile}},
        // The mesh report: no output file, the report after each file's lines.
        CliCase{"info_block_after_the_file_lines", {"--info", "tri.stl"}, kOneTriangle, 0,
                kBanner + info_lines("tri.stl", 1) + triangle_block("tri.stl"), "", {},
                {"tri.kpf"}},
        CliCase{"info_json_lines_in_order_reports_on_standard_error",
                {"--info", "--json", "-j", "2", "tri.stl", "bad.stl", "absent.stl"},
                {{"tri.stl", kTriangle}, {"bad.stl", kBadWord}}, 1,
                triangle_json("tri.stl") + kEmptyJson,
                kBanner + info_lines("tri.stl", 1) +
                    info_lines("bad.stl", 0, "Unknown code word [frobnicate] on line 2\n") +
                    kErrorBanner + "Cannot open file: [absent.stl]\n" + kErrorBanner,
                {}, {"tri.kpf", "bad.kpf", "absent.kpf"}},
        CliCase{"info_of_binary_standard_input", {"-q", "--info", "--json", "-"}, {}, 0,
                triangle_json("-"), "", {}, {}, kBinaryTriangle},
        // The complete wire frame is the wire file wherever the line list holds every edge.
        CliCase{"all_edges_below_the_line_list_capacity", {"-f", "wire", "--all-edges", "tri"},
                kOneTriangle, 0, kBanner + report(kWireLine, "tri.stl", "tri.kpf", 1), "",
                {{"tri.kpf", triangle_file("tri.stl", kWireFacet)}}},
        CliCase{"json_needs_info", {"--json", "tri.stl"}, kOneTriangle, 2, "",
                usage("--json needs --info")},
        CliCase{"all_edges_needs_the_wire_form", {"--all-edges", "tri.stl"}, kOneTriangle, 2, "",
                usage("--all-edges needs -f wire")},
        CliCase{"info_takes_no_output", {"--info", "-o", "x.kpf", "tri.stl"}, kOneTriangle, 2, "",
                usage("--info writes no file, so no -o")},
        CliCase{"info_takes_no_all_edges", {"--info", "-f", "wire", "--all-edges", "tri.stl"},
                kOneTriangle, 2, "", usage("--info writes no file, so no --all-edges")},
        CliCase{"version_in_the_modern_form", {"-q", "--version"}, {}, 0, kBanner, ""},
        // Usage errors: one line on standard error, nothing converted.
        CliCase{"unknown_option", {"-q", "-x", "tri.stl"}, kOneTriangle, 2, "",
                usage("unknown option [-x]")},
        CliCase{"unknown_form_word", {"-f", "text2", "tri.stl"}, kOneTriangle, 2, "",
                usage("unknown form [text2]: use text, numb, number, wire or null")},
        CliCase{"missing_option_value", {"tri.stl", "-o"}, kOneTriangle, 2, "",
                usage("option [-o] needs a PATH")},
        CliCase{"bad_job_count", {"-j", "0", "tri.stl"}, kOneTriangle, 2, "",
                usage("bad number of jobs [0]: use 1 to 256")},
        CliCase{"job_count_with_junk", {"--jobs=2x", "tri.stl"}, kOneTriangle, 2, "",
                usage("bad number of jobs [2x]: use 1 to 256")},
        CliCase{"flag_with_a_value", {"--recursive=yes", "-q", "tri.stl"}, kOneTriangle, 2, "",
                usage("option [--recursive] takes no value")},
        CliCase{"no_input_named", {"-q"}, {}, 2, "", usage("no input named")},
        CliCase{"output_file_with_several_inputs", {"-o", "one.kpf", "a.stl", "b.stl"},
                {{"a.stl", kTriangle}, {"b.stl", kTriangle}}, 2, "",
                usage("-o [one.kpf] is no folder, but there are 2 inputs")},
        CliCase{"output_file_with_a_folder_of_two", {"-o", "one.kpf", "parts"},
                {{"parts/a.stl", kTriangle}, {"parts/b.stl", kTriangle}}, 2, "",
                usage("-o [one.kpf] is no folder, but there are 2 inputs")}),
    [](const ::testing::TestParamInfo<CliCase>& info) { return std::string(info.param.name); });

// An output name at the file systems' limit of 255 bytes still gets a temporary name of its own.
TEST(ModernCommandLine, OutputNamesOfTheLongestLength) {
    if (device_names_reserved()) GTEST_SKIP() << "Windows paths stop at 260 characters";
    TempDir dir;
    const std::string stem(251, 'n');
    write_file(dir / (stem + ".stl"), kTriangle);
    write_file(dir / (stem + ".kpf"), "earlier output");
    const ToolRun run = run_tool(dir.path(), {"-q", stem + ".stl"});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.console, "");
    EXPECT_EQ(mask_date(read_file(dir / (stem + ".kpf"))), triangle_file(stem + ".stl"));
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(dir.path())) files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 2u);
}

// Two spellings of one output name are one file where the file system ignores case, even
// before the file exists: the second is refused there, and both are written elsewhere.
TEST(ModernCommandLine, OutputNamesThatDifferInCaseOnly) {
    TempDir dir;
    for (const char* path : {"one/Part.stl", "two/part.stl"}) {
        fs::create_directories((dir / path).parent_path());
        write_file(dir / path, kTriangle);
    }
    fs::create_directory(dir / "out");
    write_file(dir / "probe", "");
    const bool folds_case = fs::exists(dir / "PROBE");
    const ToolRun run = run_tool(dir.path(), {"-q", "-o", "out", "one/Part.stl", "two/part.stl"});
    std::vector<std::string> written;
    for (const auto& entry : fs::directory_iterator(dir / "out")) written.push_back(utf8(entry.path().filename()));
    if (folds_case) {
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.console, crlf(kTextLine + "Output already written in this run: [out/part.kpf] (from [two/part.stl])\n" +
                                    kErrorBanner));
        EXPECT_EQ(written, std::vector<std::string>{"Part.kpf"});
    } else {
        EXPECT_EQ(run.exit_code, 0);
        EXPECT_EQ(run.console, "");
        EXPECT_EQ(written.size(), 2u);
    }
    EXPECT_EQ(mask_date(read_file(dir / "out" / "Part.kpf")), triangle_file("one/Part.stl"));
}

// The legacy help, then the options of the modern form.
TEST(ModernCommandLine, HelpWithAModernOptionAddsTheModernOptions) {
    TempDir dir;
    const ToolRun legacy = run_tool(dir.path(), {"--help"});
    const ToolRun run = run_tool_streams(dir.path(), {"--help", "-q"});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.errors, "");
    ASSERT_TRUE(run.console.starts_with(legacy.console));
    const std::string rest = run.console.substr(legacy.console.size());
    for (const char* option : {"-f, --form WORD", "-o, --output PATH", "-j, --jobs N",
                               "-r, --recursive", "-q, --quiet", "--no-progress", "-h, --help"}) {
        EXPECT_NE(rest.find(option), std::string::npos) << option;
    }
    EXPECT_NE(rest.find("Exit status: 0"), std::string::npos);
    EXPECT_EQ(run_tool(dir.path(), {"-q", "-h"}).console, run.console);
}

// Output files and console are the same for every number of jobs.
TEST(ModernCommandLine, OneJobAndTwoJobsGiveTheSameFilesAndConsole) {
    std::map<std::string, std::string> results[2];
    std::string consoles[2];
    for (int jobs = 1; jobs <= 2; ++jobs) {
        TempDir dir;
        fs::create_directory(dir / "parts");
        for (int i = 0; i < 12; ++i) {
            // Files of different lengths, so that they finish out of order.
            std::string stl = i % 3 == 1 ? kBadWord : kTriangle;
            for (int k = 0; k < (i % 4) * 300; ++k) stl += kTriangle;
            fs::path file = dir / "parts" / std::to_string(10 + i);
            file += ".stl";
            write_file(file, stl);
        }
        const ToolRun run = run_tool(dir.path(), {"-j", std::to_string(jobs), "parts"});
        EXPECT_EQ(run.exit_code, 1);
        consoles[jobs - 1] = run.console;
        for (const auto& entry : fs::directory_iterator(dir / "parts")) {
            if (entry.path().extension() == ".kpf") {
                results[jobs - 1][entry.path().filename().string()] =
                    mask_date(read_file(entry.path()));
            }
        }
    }
    EXPECT_EQ(results[0].size(), 12u);
    EXPECT_TRUE(results[0] == results[1]);
    EXPECT_EQ(consoles[0], consoles[1]);
    EXPECT_NE(consoles[0].find("Unknown code word [frobnicate] on line 2"), std::string::npos);
}

// Every corpus file gives the same output through a pipe as by its name.
TEST(ModernCommandLine, CorpusFilesThroughAPipeAsByName) {
    const fs::path corpus = corpus_dir();
    if (corpus.empty()) GTEST_SKIP() << "no corpus folder";
    if (tool_shell_command().empty()) GTEST_SKIP() << "no POSIX shell to make a pipe";
    TempDir dir;
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        ++files;
        const std::string command = "cat '" + entry.path().string() + "' | " +
                                    tool_shell_command() + " -q - -o '" +
                                    (dir / "piped.kpf").string() + "'";
        const int piped_status = std::system(command.c_str());
        const ToolRun named =
            run_tool(dir.path(), {"-q", entry.path().string(), "-o", "named.kpf"});
        EXPECT_EQ(piped_status == 0, named.exit_code == 0) << entry.path();
        std::string piped = mask_date(read_file(dir / "piped.kpf"));
        std::string by_name = mask_date(read_file(dir / "named.kpf"));
        // Only the input name of the first line differs.
        piped = piped.substr(piped.find('\n'));
        by_name = by_name.substr(by_name.find('\n'));
        EXPECT_TRUE(piped == by_name) << entry.path();
        EXPECT_NE(piped.find("nfacet = "), std::string::npos) << entry.path();
    }
    EXPECT_GT(files, 40);
}

// The progress line appears on a real terminal, for a large file only, and is erased.
TEST(ModernCommandLine, ProgressLineOnATerminalOnly) {
    if (tool_shell_command().empty() || std::system("command -v script >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "no POSIX shell with script";
    }
    TempDir dir;
    std::string big;
    while (big.size() < (17u << 20)) big += kTriangle;
    write_file(dir / "big.stl", big);
    write_file(dir / "small.stl", kTriangle);
    auto in_terminal = [&](const std::string& args) {
        const std::string command = "cd '" + dir.path().string() + "' && script -qec \"" +
                                    tool_shell_command() + " " + args + "\" /dev/null > '" +
                                    (dir / "typescript").string() + "' 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << args;
        const std::string text = read_file(dir / "typescript");
        fs::remove(dir / "typescript");
        return text;
    };
    const std::string shown = in_terminal("-j 1 big.stl small.stl");
    EXPECT_NE(shown.find("\rbig.stl    0%  -- MB/s  --:-- left"), std::string::npos);
    // Erased with spaces before the report is printed (the terminal adds a CR to each LF).
    std::smatch erased;
    ASSERT_TRUE(std::regex_search(shown, erased, std::regex("left\r {30,}\r")));
    EXPECT_LT(static_cast<std::size_t>(erased.position(0)), shown.find("File open: [big.stl]"));
    EXPECT_EQ(shown.find("small.stl  "), std::string::npos);
    EXPECT_NE(shown.find("nfacet = 1\r"), std::string::npos);
    for (const char* quiet : {"--no-progress big.stl", "-q big.stl"}) {
        EXPECT_EQ(in_terminal(quiet).find(" left"), std::string::npos) << quiet;
    }
    // Off a terminal, standard error holds nothing.
    const ToolRun piped = run_tool_streams(dir.path(), {"big.stl"});
    EXPECT_EQ(piped.errors, "");
    EXPECT_EQ(piped.exit_code, 0);
}

}  // namespace
}  // namespace trimora::testing
