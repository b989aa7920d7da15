// The whole conversion of arbitrary bytes in every output form: console, output file, input untouched.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "convert/converter.h"
#include "fuzz/checks.h"
#include "fuzz/scratch_dir.h"
#include "fuzz/text_shapes.h"
#include "mesh/run_console.h"
#include "platform/text_output.h"
#include "report/mesh_report.h"
#include "writers/facet_output.h"

namespace trimora::fuzz {

namespace {

// The longest console line: a quoted 127-character token in the longest
// message, "Unexpected default case [%s] on line %d", with a 10-digit number.
constexpr std::size_t kLongestMessage = 35 + 127 + 10;

struct Run {
    int status = 0;
    std::string console;
    std::string file;
};

// A console that is a temporary file, rewritten from its start by every run.
std::FILE* console_file() {
    static std::FILE* const file = std::tmpfile();
    return file;
}

// The block size of the ASCII line reading, small enough that short inputs
// span several blocks; chosen anew for every input.
int block_size = 0;

Run convert(const std::string& stem, int output_code,
            FacetConsumer consumer = FacetConsumer::kOutputCodeWriter, MeshReport* report = nullptr) {
    std::FILE* stream = console_file();
    std::rewind(stream);
    Run run;
    // Replacing the output of the last run by truncation may make the file
    // system write it out at once; a new file is much faster.
    std::error_code error;
    // The report writes no file: the last one stays, to show it untouched.
    if (consumer != FacetConsumer::kMeshReport) std::filesystem::remove(stem + ".kpf", error);
    {
        TextOutput console(stream);
        RunConsole run_console(console);
        const bool numbers = output_code == kNumberForm;
        const FacetForm form{output_code, numbers ? "5" : "nrml", numbers ? "4" : "trng", consumer};
        const std::string input = stem + ".stl";
        const std::string output = stem + ".kpf";
        MeshConversion ends{input.c_str(), output.c_str()};
        ends.report = report;
        ends.line_block_size = block_size;
        // The conversion of the two-word command line, whose rules the checks hold it to.
        ends.legacy = true;
        const ConversionResult result = convert_mesh(ends, form, run_console);
        if (report != nullptr && result.read_whole) report->set_facet_count(result.nfacet);
        run.status = result.status;
        console.flush();
    }
    if (std::fflush(stream) != 0) return {};
    // Bytes past this run's end are an earlier, longer run's.
    const long end = std::ftell(stream);
    if (end < 0) return {};
    std::rewind(stream);
    char block[65536];
    auto unread = static_cast<std::size_t>(end);
    for (std::size_t got; unread > 0 && (got = std::fread(block, 1, std::min(unread, sizeof block), stream)) > 0;) {
        run.console.append(block, got);
        unread -= got;
    }
    run.file = read_bytes(stem + ".kpf");
    return run;
}

std::string_view without_prefix(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix ? text.substr(prefix.size()) : std::string_view();
}

// The console of one run: the two open lines, problem messages in the order
// of their lines, the two close lines and the facet count. Sets nfacet.
std::string check_console(const Run& run, const std::string& stem, std::string& nfacet) {
    std::vector<std::string_view> lines;
    if (!split_crlf_lines(run.console, lines)) return "console has a line not ended by CR LF";
    if (lines.size() < 5) return "console has fewer than five lines";
    for (std::string_view line : lines) {
        if (line.size() > kLongestMessage) return "console line longer than any message";
        for (char c : line) {
            if (c < ' ' || c > '~') return "console line with an unprintable byte";
        }
    }
    const std::size_t n = lines.size();
    if (lines[0] != "File open: [" + stem + ".stl]" || lines[1] != "File open: [" + stem + ".kpf]") {
        return "console does not begin with the two open lines";
    }
    if (lines[n - 3] != "File closed: [" + stem + ".stl]" ||
        lines[n - 2] != "File closed: [" + stem + ".kpf]") {
        return "console does not end with the two close lines";
    }
    nfacet = std::string(without_prefix(lines[n - 1], "nfacet = "));
    if (!is_count(nfacet)) return "console does not end with the facet count";
    long last = 0;
    for (std::size_t i = 2; i + 3 < n; ++i) {
        const long number = problem_line_number(lines[i]);
        if (number < 0) return "console line that is no problem message: " + std::string(lines[i]);
        if (number > 0 && number < last) return "problem messages out of line order";
        if (number > 0) last = number;
    }
    if (run.status != 0 && run.status != 1) return "status other than 0 and 1";
    return "";
}

// The output file of one run: header, a body in the shape of the output code,
// trailer. Sets body to the lines between header and trailer.
std::string check_file(const Run& run, const std::string& stem, int output_code, const std::string& nfacet,
                       std::vector<std::string_view>& body, bool all_edges = false) {
    std::vector<std::string_view> lines;
    if (!split_crlf_lines(run.file, lines)) return "output has a line not ended by CR LF";
    if (lines.size() < 9) return "output is shorter than header and trailer";
    const std::string_view date = without_prefix(lines[1], "$ Date: ");
    if (lines[0] != "$ File: " + stem + ".stl" || (date.size() != 24 && !date.empty()) ||
        lines[2] != "$ Created by: TRIMORA - Version 1.3 - August 2014" || !lines[3].empty()) {
        return "output does not begin with the header";
    }
    const std::size_t n = lines.size();
    if (!lines[n - 5].empty() || lines[n - 4] != "$ nfacet = " + nfacet || !lines[n - 3].empty() ||
        lines[n - 2] != "$ End of file" || !lines[n - 1].empty()) {
        return "output does not end with the trailer";
    }
    body.assign(lines.begin() + 4, lines.end() - 5);

    const char* first_word = output_code == kNumberForm ? "5" : output_code == kWireForm ? "move" : "nrml";
    const char* second_word = output_code == kNumberForm ? "4" : output_code == kWireForm ? "plot" : "trng";
    int plots = 0;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const std::string_view line = body[i];
        if (line.empty()) continue;
        const std::size_t space = line.find(' ');
        const std::string_view word = line.substr(0, space);
        if (word != first_word && word != second_word) return "output line with a foreign word";
        std::string_view numbers = space == std::string_view::npos ? "" : line.substr(space + 1);
        for (int k = 0; k < 3; ++k) {
            const std::size_t end = numbers.find(' ');
            if ((k < 2) == (end == std::string_view::npos)) return "output line without three numbers";
            if (!is_lf_text(numbers.substr(0, end))) return "output number not in the %lf form";
            numbers = k < 2 ? numbers.substr(end + 1) : "";
        }
        if (output_code == kWireForm) {
            if (word == "plot") ++plots;
            if (word == "move" && (i + 1 == body.size() || body[i + 1].substr(0, 5) != "plot ")) {
                return "move not followed by a plot";
            }
        }
    }
    if (output_code == kNullForm && !body.empty()) return "NULL form wrote facet lines";
    if (output_code == kWireForm && !all_edges && plots > 5000) return "more edges written than the line list holds";
    if (output_code == kTextForm || output_code == kNumberForm) {
        // Blocks of seven lines: an empty line, then a normal line before
        // each vertex line, the same normal three times.
        if (body.size() % 7 != 0) return "facet block of other than seven lines";
        for (std::size_t i = 0; i < body.size(); i += 7) {
            if (!body[i].empty() || body[i + 1] != body[i + 3] || body[i + 1] != body[i + 5]) {
                return "facet block out of shape";
            }
            for (std::size_t k = 1; k < 7; ++k) {
                if (body[i + k].substr(0, body[i + k].find(' ')) != (k % 2 == 1 ? first_word : second_word)) {
                    return "facet block lines in the wrong order";
                }
            }
        }
    }
    return "";
}

// The lines of a WIRE console without its overflow messages.
std::string without_overflow(const std::string& console) {
    const std::string overflow = "Line list overflow: [5000]\r\n";
    std::string result;
    for (std::size_t start = 0; start < console.size();) {
        const std::size_t end = console.find("\r\n", start) + 2;
        if (console.compare(start, end - start, overflow) != 0) result.append(console, start, end - start);
        start = end;
    }
    return result;
}

// The complete wire frame is the WIRE file wherever the line list did not
// overflow, and has one plot line per edge of the mesh report, which reports
// as the conversion does and writes no file.
std::string check_all_edges_and_report(const std::string& stem, const Run& wire, const Run& text,
                                       const std::vector<std::string_view>& wire_body) {
    const Run all = convert(stem, kWireForm, FacetConsumer::kAllEdges);
    if (all.console != without_overflow(wire.console) || all.status != wire.status) {
        return "the complete wire frame reports differently";
    }
    std::string nfacet;
    std::vector<std::string_view> body;
    std::string failure = check_console(all, stem, nfacet);
    if (failure.empty()) failure = check_file(all, stem, kWireForm, nfacet, body, true);
    if (!failure.empty()) return failure + " in the complete wire frame";
    const bool overflowed = wire.console.find("Line list overflow") != std::string::npos;
    if (!overflowed && body != wire_body) return "the complete wire frame differs from the WIRE file";
    std::uint64_t plots = 0;
    for (std::string_view line : body) plots += line.starts_with("plot ") ? 1 : 0;

    MeshReport report;
    const Run info = convert(stem, kWireForm, FacetConsumer::kMeshReport, &report);
    if (info.file != all.file) return "the mesh report touched the output file";
    const std::string output_open = "File open: [" + stem + ".kpf]\r\n";
    const std::string output_closed = "File closed: [" + stem + ".kpf]\r\n";
    std::string expected = text.console;
    for (const std::string& line : {output_open, output_closed}) {
        const std::size_t at = expected.find(line);
        if (at != std::string::npos) expected.erase(at, line.size());
    }
    if (info.console != expected || info.status != text.status) {
        return "the mesh report reports differently";
    }
    const MeshFigures figures = report.figures();
    if (figures.edges != plots) return "the mesh report counts other edges than the complete wire frame";
    if (std::to_string(figures.facets) != nfacet) return "the mesh report counts other facets";
    if (figures.boundary_edges + figures.nonmanifold_edges > figures.edges) {
        return "the mesh report counts more special edges than edges";
    }
    return "";
}

}  // namespace

std::string check_conversion(const std::uint8_t* data, std::size_t size) {
    const std::string folder = scratch_folder("conversion");
    const std::string stem = folder + "/in";
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (!write_bytes(stem + ".stl", input)) return "cannot write the input file";
    // Blocks of 1 to 512 bytes, at most a few hundred of them; the usual size
    // for one input in eight.
    block_size = size > 0 && data[size - 1] % 8 == 0 ? 0 : 1 + (size > 0 ? data[size / 2] : 0) * 2;
    if (block_size > 0 && size / static_cast<std::size_t>(block_size) > 256) {
        block_size = static_cast<int>(size / 256) + 1;
    }

    static constexpr int kCodes[] = {kNullForm, kNumberForm, kTextForm, kWireForm};
    Run runs[4];
    std::vector<std::string_view> bodies[4];
    for (int code : kCodes) {
        const std::string form = " in form " + std::to_string(code);
        runs[code] = convert(stem, code);
        std::string nfacet;
        std::string failure = check_console(runs[code], stem, nfacet);
        if (failure.empty()) failure = check_file(runs[code], stem, code, nfacet, bodies[code]);
        if (!failure.empty()) return failure + form;
        if (read_bytes(stem + ".stl") != input) return "the input file changed" + form;
    }

    // Every form reads the same lines: the same messages, and the same status
    // except where NULL writes nothing.
    if (runs[kNumberForm].console != runs[kTextForm].console || runs[kNullForm].console != runs[kTextForm].console) {
        return "the facet forms report differently";
    }
    if (without_overflow(runs[kWireForm].console) != runs[kTextForm].console) {
        return "the WIRE form reports differently";
    }
    if (runs[kNumberForm].status != runs[kTextForm].status || runs[kWireForm].status != runs[kTextForm].status) {
        return "the forms end with different status";
    }
    // The NUMBER body is the TEXT body with the keywords as numbers, and WIRE
    // opens every written facet with an empty line.
    const auto& text = bodies[kTextForm];
    const auto& number = bodies[kNumberForm];
    if (number.size() != text.size()) return "the NUMBER form wrote a different number of lines";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t space = text[i].find(' ');
        const std::size_t number_space = number[i].find(' ');
        if ((space == std::string_view::npos) != (number_space == std::string_view::npos) ||
            (space != std::string_view::npos && number[i].substr(number_space) != text[i].substr(space))) {
            return "the NUMBER numbers differ from the TEXT numbers";
        }
    }
    std::size_t wire_facets = 0;
    for (std::string_view line : bodies[kWireForm]) wire_facets += line.empty() ? 1 : 0;
    if (wire_facets * 7 != text.size()) return "the WIRE form wrote a different number of facets";
    const std::string failure =
        check_all_edges_and_report(stem, runs[kWireForm], runs[kTextForm], bodies[kWireForm]);
    if (!failure.empty()) return failure;

    std::error_code error;
    std::size_t files = 0;
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        ++files;
    }
    if (files != 2) return "the conversion left files other than its input and output";
    return "";
}

}  // namespace trimora::fuzz
