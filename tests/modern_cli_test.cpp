// Runs the modern command line end to end: each case a command line, its files, its exit status, files and console.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "case_names.h"
#include "compressed_files.h"
#include "mesh_files.h"
#include "readers/inflation_limit.h"
#include "run_tool.h"
#include "stl_files.h"

namespace trimora::testing {
namespace {

namespace fs = std::filesystem;

const std::string kBadWord = "solid bad\nfrobnicate 1 2 3\nendsolid bad\n";
const std::string kBinaryTriangle =
    binary_stl("solid tri", {{{0, 0, -2}, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}}});

// The output file of the triangle read from input_path, date masked.
std::string triangle_file(const std::string& input_path, const std::string& facet = kTextFacet) {
    return crlf(header(input_path) + facet + trailer(1));
}

// A file's report as a legacy run prints it after its banner, LF line ends; kept is the line
// after the output's close when the output is not put in place.
std::string report(const std::string& form_line, const std::string& in, const std::string& out,
                   int nfacet, const std::string& messages = "", bool error = false, const std::string& kept = "") {
    return form_line + "File open: [" + in + "]\nFile open: [" + out + "]\n" + messages +
           "File closed: [" + in + "]\nFile closed: [" + out + "]\n" + kept + "nfacet = " +
           std::to_string(nfacet) + "\n" + (error ? kErrorBanner : "");
}

// The problems of kBadWord: its one bad line, and no facet to convert.
std::string bad_word_problems(const std::string& name) {
    return "Unknown code word [frobnicate] on line 2\nNo facet to convert in [" + name + "]\n";
}

// The refusal of an output that would replace an existing mesh file.
std::string kept_mesh(const std::string& output, const std::string& input) {
    return "Existing mesh file kept (--force replaces it): [" + output + "] (from [" + input +
           "])\n";
}

// kTriangle written back as ASCII STL, its normal made a unit vector.
std::string triangle_stl(const std::string& solid) {
    return crlf("solid " + solid + "\n  facet normal 0 0 -1\n    outer loop\n      vertex 0 0 0\n      vertex 1 0 0\n"
                "      vertex 1 1 0\n    endloop\n  endfacet\nendsolid " + solid + "\n");
}

std::string missing(const std::string& name) {
    return kTextLine + "Cannot open file: [" + name + "]: No such file or directory\n" + kErrorBanner;
}

// A file's console lines with --info, before its mesh report.
std::string info_lines(const std::string& in, int nfacet, const std::string& messages = "") {
    return "File open: [" + in + "]\n" + messages + "File closed: [" + in + "]\nnfacet = " +
           std::to_string(nfacet) + "\n";
}

// The mesh report of kTriangle: one open facet of area 1/2 at z = 0.
std::string triangle_block(const std::string& file, const std::string& format = "stl-ascii") {
    return "file               " + file + "\nformat             " + format +
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

std::string triangle_json(const std::string& file, const std::string& format = "stl-ascii") {
    return "{\"file\":\"" + file + "\",\"format\":\"" + format +
           "\",\"facets\":1,\"vertices\":3,\"edges\":3,\"boundary_edges\":3,"
           "\"nonmanifold_edges\":0,\"degenerate_facets\":0,\"min\":[0,0,0],\"max\":[1,1,0],"
           "\"area\":0.5,\"volume\":0,\"closed\":false}\n";
}

// The mesh report of a file that gives no figures: its name and why.
std::string failure_json(const std::string& file, const std::string& message) {
    return "{\"file\":\"" + file + "\",\"error\":\"" + message + "\"}\n";
}

std::string failure_block(const std::string& file, const std::string& message) {
    return "file               " + file + "\nerror              " + message + "\n";
}

// The report of a file without facets: no bounds to give.
const std::string kEmptyJson =
    "{\"file\":\"bad.stl\",\"format\":\"stl-ascii\",\"facets\":0,\"vertices\":0,\"edges\":0,\"boundary_edges\":0,"
    "\"nonmanifold_edges\":0,\"degenerate_facets\":0,\"min\":[null,null,null],"
    "\"max\":[null,null,null],\"area\":0,\"volume\":0,\"closed\":false}\n";

// The mesh report of a file without facets.
std::string empty_block(const std::string& file) {
    return "file               " + file + "\nformat             stl-ascii" +
           "\n"
           "facets             0\n"
           "vertices           0\n"
           "edges              0\n"
           "boundary_edges     0\n"
           "nonmanifold_edges  0\n"
           "degenerate_facets  0\n"
           "min                nan nan nan\n"
           "max                nan nan nan\n"
           "area               0\n"
           "volume             0\n"
           "closed             no\n";
}

// A facet with two vertices, then the worked triangle: the last facet is
// written, so a legacy run ends without the error banner.
const std::string kDroppedFacet =
    "solid m\nfacet normal 0 0 -2\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nendloop\nendfacet\n" +
    kTriangle;

// n facets whose 3n vertices are all distinct points.
std::string distinct_facets(int n) {
    std::string text = "solid d\n";
    for (int i = 0; i < n; ++i) {
        const std::string x = std::to_string(i);
        text += "facet normal 0 0 1\nouter loop\nvertex " + x + " 0 0\nvertex " + x + " 1 0\nvertex " +
                x + " 0 1\nendloop\nendfacet\n";
    }
    return text + "endsolid d\n";
}

// The worked triangle in the other formats. Their facets have no normal of
// their own: it is the vertices', (0, 0, 1).
const std::string kTriangleObj = "# tri\nv 0 0 0\nv 1 0 0\nv 1 1 0 1.0\nvn 0 0 1\nf 1//1 2//1 3//1\n";
const std::string kTriangleOff = "OFF\n# tri\n3 1 0\n0 0 0\n1 0 0\n1 1 0\n3 0 1 2\n";
const std::string kTrianglePly =
    "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
    "property float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n"
    "0 0 0\n1 0 0\n1 1 0\n3 0 1 2\n";
const std::string kVertexNormalFacet =
    "\n"
    "nrml 0.000000 0.000000 1.000000\n"
    "trng 0.000000 0.000000 0.000000\n"
    "nrml 0.000000 0.000000 1.000000\n"
    "trng 1.000000 0.000000 0.000000\n"
    "nrml 0.000000 0.000000 1.000000\n"
    "trng 1.000000 1.000000 0.000000\n";
const std::string kVertexNormalNumberFacet =
    "\n"
    "5 0.000000 0.000000 1.000000\n"
    "4 0.000000 0.000000 0.000000\n"
    "5 0.000000 0.000000 1.000000\n"
    "4 1.000000 0.000000 0.000000\n"
    "5 0.000000 0.000000 1.000000\n"
    "4 1.000000 1.000000 0.000000\n";
// A 3MF package of the triangle, placed by its build item 10 up in z.
std::string triangle_3mf() {
    const std::string model =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<model unit=\"inch\" xmlns=\"http://schemas.microsoft.com/3dmanufacturing/core/2015/02\">\n"
        " <resources><object id=\"1\" type=\"model\"><mesh>\n"
        "  <vertices><vertex x=\"0\" y=\"0\" z=\"0\"/><vertex x=\"1\" y=\"0\" z=\"0\"/>"
        "<vertex x=\"1\" y=\"1\" z=\"0\"/></vertices>\n"
        "  <triangles><triangle v1=\"0\" v2=\"1\" v3=\"2\"/></triangles>\n"
        " </mesh></object></resources>\n"
        " <build><item objectid=\"1\" transform=\"1 0 0 0 1 0 0 0 1 0 0 10\"/></build>\n"
        "</model>\n";
    return zip_file(package_parts(model));
}

// A 3MF package whose object takes the triangle from each of that many
// other model parts, lifted by the part's number.
std::string parts_3mf(int parts) {
    const std::string head =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<model xmlns=\"http://schemas.microsoft.com/3dmanufacturing/core/2015/02\" "
        "xmlns:p=\"http://schemas.microsoft.com/3dmanufacturing/production/2015/06\">\n";
    const std::string triangle =
        "<resources><object id=\"1\"><mesh><vertices><vertex x=\"0\" y=\"0\" z=\"0\"/>"
        "<vertex x=\"1\" y=\"0\" z=\"0\"/><vertex x=\"1\" y=\"1\" z=\"0\"/></vertices>"
        "<triangles><triangle v1=\"0\" v2=\"1\" v3=\"2\"/></triangles></mesh></object></resources>\n";
    std::string components;
    std::vector<ZipFile> files;
    for (int i = 1; i <= parts; ++i) {
        const std::string n = std::to_string(i);
        components += "<component p:path=\"/3D/p" + n + ".model\" objectid=\"1\" transform=\"1 0 0 0 1 0 0 0 1 0 0 " +
                      n + "\"/>\n";
        files.push_back({"3D/p" + n + ".model", head + triangle + "</model>\n"});
    }
    std::vector<ZipFile> package = package_parts(head + "<resources><object id=\"2\"><components>\n" + components +
                                                 "</components></object></resources>\n"
                                                 "<build><item objectid=\"2\"/></build>\n</model>\n");
    package.insert(package.end(), files.begin(), files.end());
    return zip_file(package);
}

// A 3MF package of one triangle reused: each of levels objects takes the
// one before it ten times, so that its build gives 10^levels facets.
std::string instancing_3mf(int levels) {
    std::string objects =
        "<object id=\"0\"><mesh><vertices><vertex x=\"0\" y=\"0\" z=\"0\"/><vertex x=\"1\" y=\"0\" z=\"0\"/>"
        "<vertex x=\"1\" y=\"1\" z=\"0\"/></vertices><triangles><triangle v1=\"0\" v2=\"1\" v3=\"2\"/>"
        "</triangles></mesh></object>\n";
    for (int level = 1; level <= levels; ++level) {
        objects += "<object id=\"" + std::to_string(level) + "\"><components>";
        for (int i = 0; i < 10; ++i) objects += "<component objectid=\"" + std::to_string(level - 1) + "\"/>";
        objects += "</components></object>\n";
    }
    return zip_file(package_parts(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<model xmlns=\"http://schemas.microsoft.com/3dmanufacturing/core/2015/02\">\n<resources>\n" +
        objects + "</resources>\n<build><item objectid=\"" + std::to_string(levels) + "\"/></build>\n</model>\n"));
}

// A 3MF package of a closed tetrahedron, its faces outward, placed by its
// build item with the transform.
std::string tetrahedron_3mf(const std::string& transform) {
    return zip_file(package_parts(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<model xmlns=\"http://schemas.microsoft.com/3dmanufacturing/core/2015/02\">\n<resources>"
        "<object id=\"1\"><mesh><vertices><vertex x=\"0\" y=\"0\" z=\"0\"/><vertex x=\"1\" y=\"0\" z=\"0\"/>"
        "<vertex x=\"0\" y=\"1\" z=\"0\"/><vertex x=\"0\" y=\"0\" z=\"1\"/></vertices><triangles>"
        "<triangle v1=\"0\" v2=\"2\" v3=\"1\"/><triangle v1=\"0\" v2=\"1\" v3=\"3\"/>"
        "<triangle v1=\"0\" v2=\"3\" v3=\"2\"/><triangle v1=\"1\" v2=\"2\" v3=\"3\"/></triangles></mesh></object>"
        "</resources>\n<build><item objectid=\"1\" transform=\"" + transform + "\"/></build>\n</model>\n"));
}

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
    // Variables of the environment set for the run.
    std::map<std::string, std::string> environment = {};
    // A run of the two-word command line, whose console lines end in CR LF on every system.
    bool legacy = false;
    friend void PrintTo(const CliCase& c, std::ostream* os) { *os << c.name; }
};

class ModernCommandLine : public ::testing::TestWithParam<CliCase> {};

// Runs the case and checks its exit status, console and every file of its folder.
void check_run(const CliCase& c) {
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
    for (const auto& [name, value] : c.environment) set_environment_variable(name.c_str(), value.c_str());
    const fs::path input = c.standard_input_file.empty() ? input_dir / "input" : dir / c.standard_input_file;
    const std::optional<ToolRun> connected = run_tool_connected(dir.path(), c.args, c.ends, input);
    if (!connected) GTEST_SKIP() << "no such stream end here (a full device)";
    const ToolRun& run = *connected;
    for (const auto& [name, value] : c.environment) set_environment_variable(name.c_str(), nullptr);
    EXPECT_EQ(run.exit_code, c.exit_code);
    const auto lines = [&c](const std::string& text) {
        return c.legacy ? (text.empty() ? "" : crlf(text)) : console_lines(text);
    };
    EXPECT_EQ(mask_date(run.console), lines(c.console));
    EXPECT_EQ(run.errors, lines(c.errors));
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

TEST_P(ModernCommandLine, GivesTheExitStatusFilesAndConsole) { check_run(GetParam()); }

// Bombs, made here and never stored: each is refused within seconds in
// bounded memory, with one line, and nothing is written.
TEST(ModernCommandLine, BombsAreRefusedWithOneLine) {
    // Lines that deflate a thousand times, a little beyond the free bytes.
    const auto lines = [](const std::string& line) {
        std::string text;
        text.reserve(static_cast<std::size_t>(kInflationFreeBytes) + (1 << 20));
        while (text.size() < kInflationFreeBytes + (1 << 20)) text += line;
        return text;
    };
    const std::string ply_header =
        "ply\nformat ascii 1.0\nelement vertex 100000000\nproperty float x\nproperty float y\n"
        "property float z\nend_header\n";
    const std::string model_start =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<model xmlns=\"http://schemas.microsoft.com/3dmanufacturing/core/2015/02\"><resources>";
    std::string nested = model_start;
    for (int i = 0; i < 100000; ++i) nested += "<e>";
    const std::string huge_tag = model_start + "<object id=\"1\" name=\"" + std::string(2 << 20, 'a') + "\"/>";
    const std::string long_comment = model_start + "<!--" + lines(" ") + "-->" + "</resources><build/></model>\n";
    const struct {
        const char* name;
        std::string bytes;
        const char* message;
    } bombs[] = {
        {"v.obj.gz", gzip_bytes(lines("v 0 0 0\n")), "Compressed data grows beyond [100] times its size in [v.obj.gz]"},
        {"p.ply.gz", gzip_bytes(ply_header + lines("0 0 0\n")),
         "Compressed data grows beyond [100] times its size in [p.ply.gz]"},
        {"nested.3mf", zip_file(package_parts(nested)),
         "XML error [elements nested deeper than 256] in [nested.3mf] on line 2"},
        {"tag.3mf", zip_file(package_parts(huge_tag)),
         "XML error [tag longer than 1048576 bytes] in [tag.3mf] on line 2"},
        {"part.3mf", zip_file(package_parts(long_comment)),
         "Compressed data grows beyond [100] times its size in [part.3mf]"},
        {"many.3mf", instancing_3mf(9), "Build gives more than [10000000] facets in [many.3mf]"},
    };
    for (const auto& bomb : bombs) {
        const std::string name = bomb.name;
        const std::string output = name.substr(0, name.find('.')) + ".kpf";
        CliCase c{bomb.name, {"-q", bomb.name}, {{bomb.name, bomb.bytes}}, 1,
                  report(kTextLine, bomb.name, output, 0, std::string(bomb.message) + "\n", true,
                         "No output written: [" + output + "]\n"),
                  "", {}, {output}};
        check_run(c);
    }
}

const std::map<std::string, std::string> kOneTriangle = {{"tri.stl", kTriangle}};

// Files for the faults of the test hook: a file large enough for every worker (line blocks,
// the record writer, the report tally), an old output of it, and the triangle.
const std::map<std::string, std::string> kFaultFiles = {
    {"big.stl", distinct_facets(5000)}, {"big.kpf", "old output\n"}, {"tri.stl", kTriangle}};

// The report of big.stl ended by the fault at place; its output was open unless the fault came
// before the conversion.
std::string fault_report(const std::string& place, bool opened = true) {
    return kTextLine + (opened ? "File open: [big.stl]\nFile open: [big.kpf]\n" : "") +
           "Internal error: [big.stl] (test fault: " + place + ")\n" + kErrorBanner;
}

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
        // A fault in the code, made by the test hook, ends its job alone with one line; the old
        // output stays, and the next job goes on. The big file takes the threaded paths.
        CliCase{"fault_in_every_job_ends_each_alone", {"-q", "big.stl", "tri.stl"}, kFaultFiles, 1,
                fault_report("job", false) + kTextLine + "Internal error: [tri.stl] (test fault: job)\n" +
                    kErrorBanner,
                "", {}, {"tri.kpf"}, "", "", {}, {}, {}, {{"TRIMORA_TEST_FAULT", "job"}}},
        CliCase{"fault_in_a_line_block", {"-q", "big.stl", "tri.stl"}, kFaultFiles, 1,
                fault_report("line_block"), "", {{"tri.kpf", triangle_file("tri.stl")}}, {}, "", "", {}, {},
                {}, {{"TRIMORA_TEST_FAULT", "line_block"}}},
        CliCase{"fault_in_the_record_writer", {"-q", "big.stl", "tri.stl"}, kFaultFiles, 1,
                fault_report("record_writer"), "", {{"tri.kpf", triangle_file("tri.stl")}}, {}, "", "", {},
                {}, {}, {{"TRIMORA_TEST_FAULT", "record_writer"}}},
        CliCase{"fault_in_the_report_tally", {"-q", "--info", "--json", "big.stl", "tri.stl"}, kFaultFiles, 1,
                failure_json("big.stl", "Internal error: [big.stl] (test fault: report_tally)") +
                    triangle_json("tri.stl"),
                // Its facets are read; the fault reaches the figures, which wait for the tally.
                info_lines("big.stl", 5000, "") + "Internal error: [big.stl] (test fault: report_tally)\n" +
                    kErrorBanner,
                {}, {}, "", "", {}, {}, {}, {{"TRIMORA_TEST_FAULT", "report_tally"}}},
        CliCase{"fault_that_escapes_the_run", {"-q", "big.stl", "tri.stl"}, kFaultFiles, 1, "",
                "trimora: internal error: test fault: run\n", {}, {"tri.kpf"}, "", "", {}, {}, {},
                {{"TRIMORA_TEST_FAULT", "run"}}},
        // The two-word command line ends as when memory runs out: the line, the banner, exit 0.
        CliCase{"legacy_form_fault_in_a_line_block", {"big.stl", "text"}, kFaultFiles, 0,
                kBanner + fault_report("line_block"), "", {}, {}, "", "", {}, {}, {},
                {{"TRIMORA_TEST_FAULT", "line_block"}}, true},
        CliCase{"legacy_form_fault_that_escapes_the_run", {"big.stl", "text"}, kFaultFiles, 0,
                "trimora: internal error: test fault: run\n" + kErrorBanner, "", {}, {}, "", "", {}, {},
                {}, {{"TRIMORA_TEST_FAULT", "run"}}, true},
        // -f null is a check run: each file read and reported, no file written or replaced.
        CliCase{"form_null_checks_and_writes_no_file", {"--form", "null", "tri.stl", "bad.stl"},
                {{"tri.stl", kTriangle}, {"tri.kpf", "earlier output"}, {"bad.stl", kBadWord}}, 1,
                kBanner + kNullLine + info_lines("tri.stl", 1) + kNullLine +
                    info_lines("bad.stl", 0, bad_word_problems("bad.stl")) + kErrorBanner,
                "", {}, {"bad.kpf"}},
        CliCase{"form_null_of_a_good_file_succeeds", {"-q", "-f", "null", "tri.stl"}, kOneTriangle, 0, "", "",
                {}, {"tri.kpf"}},
        CliCase{"form_null_takes_no_output", {"-f", "null", "-o", "x.kpf", "tri.stl"}, kOneTriangle, 2, "",
                usage("-f null writes no file, so no -o")},
        CliCase{"form_null_takes_no_ext", {"-f", "null", "--ext", "shp", "tri.stl"}, kOneTriangle, 2, "",
                usage("-f null writes no file, so no --ext")},
        // An output named like a mesh file never replaces one the user did not name.
        CliCase{"stl_form_keeps_an_existing_stl_file", {"-f", "stl", "part.kpf"},
                {{"part.kpf", triangle_file("part.stl")}, {"part.stl", "the user's own part\n"}}, 1,
                kBanner + "output_code = STL [4]\n" + kept_mesh("part.stl", "part.kpf") + kErrorBanner, ""},
        CliCase{"force_replaces_an_existing_stl_file", {"-q", "--force", "-f", "stl", "part.kpf"},
                {{"part.kpf", triangle_file("part.stl")}, {"part.stl", "the user's own part\n"}}, 0, "", "",
                {{"part.stl", triangle_stl("part")}}},
        CliCase{"output_named_by_o_replaces_an_existing_stl_file", {"-q", "-f", "stl", "part.kpf", "-o", "part.stl"},
                {{"part.kpf", triangle_file("part.stl")}, {"part.stl", "the user's own part\n"}}, 0, "", "",
                {{"part.stl", triangle_stl("part")}}},
        CliCase{"ext_of_a_mesh_format_keeps_existing_files_and_writes_new_ones",
                {"-q", "--ext", "obj", "a.stl", "b.stl"},
                {{"a.stl", kTriangle}, {"b.stl", kTriangle}, {"a.obj", "old"}}, 1,
                kTextLine + kept_mesh("a.obj", "a.stl") + kErrorBanner, "",
                {{"b.obj", triangle_file("b.stl")}}},
        CliCase{"mesh_file_in_an_output_folder_is_kept", {"-q", "-f", "stl", "-o", "out", "a.kpf", "b.kpf"},
                {{"a.kpf", triangle_file("a.stl")}, {"b.kpf", triangle_file("b.stl")}, {"out/a.stl", "old"}}, 1,
                "output_code = STL [4]\n" + kept_mesh("out/a.stl", "a.kpf") + kErrorBanner, "",
                {{"out/b.stl", triangle_stl("b")}}},
        // KPF outputs replace older ones, as they always have.
        CliCase{"kpf_output_replaces_an_older_one", {"-q", "tri.stl"}, {{"tri.stl", kTriangle}, {"tri.kpf", "old"}},
                0, "", "", {{"tri.kpf", triangle_file("tri.stl")}}},
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
                report(kTextLine, "a.stl", "a.kpf", 0, bad_word_problems("a.stl"), true) +
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
                triangle_file("-"),
                kTextLine + "Output is an input of this run: [b.kpf] (from [b.stl])\n" + kErrorBanner,
                {}, {}, "", "b.kpf"},
        // Binary STL to ASCII beside itself would write over its own input.
        CliCase{"stl_form_beside_its_own_input_is_refused", {"-q", "-f", "stl", "tri.stl"}, kOneTriangle, 1,
                "output_code = STL [4]\nOutput is an input of this run: [tri.stl] (from [tri.stl])\n" +
                    kErrorBanner,
                "", {{"tri.stl", kTriangle}}},
        CliCase{"standard_input_redirected_from_its_output_is_never_written", {"-o", "p.stl", "-"},
                {{"p.stl", kTriangle}}, 1,
                kBanner + kTextLine + "Output is an input of this run: [p.stl] (from [-])\n" + kErrorBanner, "",
                {}, {}, "", "p.stl"},
        CliCase{"missing_file_among_many_is_reported_and_the_rest_converted",
                {"-q", "a.stl", "absent.stl", "b"}, {{"a.stl", kTriangle}, {"b.stl", kTriangle}},
                1, missing("absent.stl"), "",
                {{"a.kpf", triangle_file("a.stl")}, {"b.kpf", triangle_file("b.stl")}}},
        // The modern form says why a file cannot be opened; nothing is made for it.
        CliCase{"output_in_a_folder_that_does_not_exist_says_why", {"-q", "tri.stl", "-o", "nowhere/tri.kpf"},
                kOneTriangle, 1,
                kTextLine + "File open: [tri.stl]\nCannot open file: [nowhere/tri.kpf]: No such file or directory\n" +
                    kErrorBanner,
                "", {}, {"nowhere"}},
        CliCase{"a_problem_fails_the_run_and_quiet_still_shows_it", {"-q", "bad.stl", "a.stl"},
                {{"bad.stl", kBadWord}, {"a.stl", kTriangle}}, 1,
                report(kTextLine, "bad.stl", "bad.kpf", 0, bad_word_problems("bad.stl"), true),
                "",
                {{"bad.kpf", crlf(header("bad.stl") + trailer(0))},
                 {"a.kpf", triangle_file("a.stl")}}},
        CliCase{"standard_input_ascii_to_standard_output", {"--quiet", "-"}, {}, 0,
                triangle_file("-"), "", {}, {}, kTriangle},
        CliCase{"standard_input_binary_with_a_solid_header", {"-f", "numb", "-"}, {}, 0,
                triangle_file("-", kNumberFacet), kBanner + report(kNumberLine, "-", "-", 1), {}, {},
                kBinaryTriangle},
        // Binary data shorter than its count: its whole records are converted, and the
        // problem says how many of the counted ones there were.
        CliCase{"standard_input_binary_ending_before_its_count_converts_its_whole_records", {"-", "-o", "cut.kpf"},
                {{"cut.kpf", "earlier output"}}, 1,
                kBanner + report(kTextLine, "-", "cut.kpf", 1,
                                 "Binary STL cut short after [1] of [2] facets in [-]\n", true),
                "", {{"cut.kpf", triangle_file("-")}}, {},
                binary_stl("solid cut", 2, {{{0, 0, -2}, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}}})},
        // A pipe has no size: a record's worth of data after the counted records is a
        // problem of the file; less is left over, as in a file.
        CliCase{"standard_input_binary_with_a_record_after_its_count", {"-", "-o", "more.kpf"}, {}, 1,
                kBanner + report(kTextLine, "-", "more.kpf", 1, "Data after the last record: [-]\n", true), "",
                {{"more.kpf", triangle_file("-")}}, {}, kBinaryTriangle + std::string(50, '\n')},
        CliCase{"standard_input_binary_with_less_than_a_record_after_its_count", {"-", "-o", "more.kpf"}, {}, 0,
                kBanner + report(kTextLine, "-", "more.kpf", 1), "", {{"more.kpf", triangle_file("-")}}, {},
                kBinaryTriangle + std::string(49, '\n')},
        CliCase{"info_of_binary_standard_input_with_data_after_its_records", {"-q", "--info", "--json", "-"}, {}, 1,
                triangle_json("-", "stl-binary"), info_lines("-", 1, "Data after the last record: [-]\n") + kErrorBanner, {}, {},
                kBinaryTriangle + std::string(5000, 'x')},
        CliCase{"standard_input_too_short_for_binary_is_text", {"-q", "-"}, {}, 1,
                crlf(header("-") + trailer(0)),
                report(kTextLine, "-", "-", 0, "No facet to convert in [-]\n", true), {}, {},
                "solid x\nendsolid x\n"},
        CliCase{"standard_input_to_a_named_file", {"-", "-o", "piped.kpf"}, {}, 0,
                kBanner + report(kTextLine, "-", "piped.kpf", 1), "",
                {{"piped.kpf", triangle_file("-")}}, {}, kTriangle},
        CliCase{"file_to_standard_output_reports_on_standard_error", {"tri.stl", "-o", "-"},
                kOneTriangle, 0, triangle_file("tri.stl"),
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
        // A wrong folder is no silent success.
        CliCase{"folder_without_a_mesh_file_fails", {"-q", "empty", "tri.stl"},
                {{"empty/x.txt", ""}, {"tri.stl", kTriangle}}, 1,
                "No mesh file in folder: [empty]\n" + kErrorBanner, "",
                {{"tri.kpf", triangle_file("tri.stl")}}},
        // Any line besides the usual ones is a problem of the file, even where
        // the last facet's result leaves a legacy run without the error banner.
        CliCase{"a_facet_dropped_midway_fails_the_run_and_quiet_shows_it", {"-q", "mid.stl"},
                {{"mid.stl", kDroppedFacet}}, 1,
                report(kTextLine, "mid.stl", "mid.kpf", 2, "Wrong number of vertices [2] at line 6\n"),
                "", {{"mid.kpf", triangle_file("mid.stl").replace(
                                     triangle_file("mid.stl").find("nfacet = 1"), 10, "nfacet = 2")}}},
        // Without a thread to be had, the workers run on the printing thread.
        CliCase{"no_threads_give_the_same_files_and_console", {"-j", "2", "parts"},
                {{"parts/a.stl", kTriangle}, {"parts/b.stl", kBadWord}, {"parts/c.stl", kTriangle}},
                1,
                kBanner + report(kTextLine, "parts/a.stl", "parts/a.kpf", 1) +
                    report(kTextLine, "parts/b.stl", "parts/b.kpf", 0, bad_word_problems("parts/b.stl"), true) +
                    report(kTextLine, "parts/c.stl", "parts/c.kpf", 1),
                "",
                {{"parts/a.kpf", triangle_file("parts/a.stl")},
                 {"parts/b.kpf", crlf(header("parts/b.stl") + trailer(0))},
                 {"parts/c.kpf", triangle_file("parts/c.stl")}},
                {}, "", "", {}, {}, {}, {{"TRIMORA_TEST_NO_THREADS", "1"}}},
        // Closed standard streams are the null device: no file takes their numbers.
        CliCase{"closed_standard_input_cannot_be_read", {"-q", "-j", "2", "-o", "out", "a.stl", "-"},
                {{"a.stl", kTriangle}, {"out/.keep", ""}}, 1, "",
                kTextLine + "Cannot open file: [-]: Bad file descriptor\n" + kErrorBanner,
                {{"out/a.kpf", triangle_file("a.stl")}}, {"out/-.kpf"}, "", "", {}, {},
                {StreamEnd::kClosed, StreamEnd::kFile, StreamEnd::kFile}},
        CliCase{"closed_standard_input_of_another_format_cannot_be_read", {"-q", "--from", "obj", "-o", "o.kpf", "-"},
                {}, 1, kTextLine + "Cannot open file: [-]: Bad file descriptor\n" + kErrorBanner, "", {}, {"o.kpf"}, "", "", {}, {},
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
                kOneTriangle, 1, triangle_file("tri.stl"), "", {}, {}, "", "", {}, {},
                {StreamEnd::kFile, StreamEnd::kFile, StreamEnd::kClosed}},
        // Nothing to say is no failure to say it.
        CliCase{"quiet_success_on_a_full_standard_output", {"-q", "tri.stl"}, kOneTriangle, 0, "", "",
                {{"tri.kpf", triangle_file("tri.stl")}}, {}, "", "", {}, {},
                {StreamEnd::kFile, StreamEnd::kFull, StreamEnd::kFile}},
        // The mesh report: no output file; the blocks on standard output and
        // the conversion reports on standard error.
        CliCase{"info_blocks_on_standard_output_reports_on_standard_error", {"--info", "tri.stl"},
                kOneTriangle, 0, triangle_block("tri.stl"), kBanner + info_lines("tri.stl", 1), {},
                {"tri.kpf"}},
        CliCase{"quiet_info_prints_every_block_and_the_reports_of_problems",
                {"-q", "--info", "tri.stl", "bad.stl"}, {{"tri.stl", kTriangle}, {"bad.stl", kBadWord}},
                1, triangle_block("tri.stl") + empty_block("bad.stl"),
                info_lines("bad.stl", 0, bad_word_problems("bad.stl")) + kErrorBanner},
        // No memory for one file's edge set ends that job alone.
        CliCase{"out_of_memory_ends_one_job_and_the_others_go_on",
                {"-q", "--info", "-j", "2", "big.stl", "tri.stl"},
                {{"big.stl", distinct_facets(300)}, {"tri.stl", kTriangle}}, 1,
                failure_block("big.stl", "Out of memory: [big.stl]") + triangle_block("tri.stl"),
                info_lines("big.stl", 300) + "Out of memory: [big.stl]\n" + kErrorBanner, {}, {}, "", "",
                {}, {}, {}, {{"TRIMORA_TEST_EDGE_SET_LIMIT", "1024"}}},
        CliCase{"info_json_lines_in_order_reports_on_standard_error",
                {"--info", "--json", "-j", "2", "tri.stl", "bad.stl", "absent.stl"},
                {{"tri.stl", kTriangle}, {"bad.stl", kBadWord}}, 1,
                triangle_json("tri.stl") + kEmptyJson + failure_json("absent.stl", "Cannot open file: [absent.stl]: No such file or directory"),
                kBanner + info_lines("tri.stl", 1) +
                    info_lines("bad.stl", 0, bad_word_problems("bad.stl")) +
                    kErrorBanner + "Cannot open file: [absent.stl]: No such file or directory\n" + kErrorBanner,
                {}, {"tri.kpf", "bad.kpf", "absent.kpf"}},
        // Every input gets its line, a folder that gives no file too, so a check of the lines
        // misses none.
        CliCase{"info_json_names_every_input_that_failed", {"-q", "--info", "--json", "empty", "tri.stl", "cut.stl.gz"},
                {{"empty/x.txt", ""}, {"tri.stl", kTriangle},
                 {"cut.stl.gz", gzip_bytes(kTriangle).substr(0, gzip_bytes(kTriangle).size() - 8)}},
                1,
                failure_json("empty", "No mesh file in folder: [empty]") + triangle_json("tri.stl") +
                    failure_json("cut.stl.gz", "Cannot read file: [cut.stl.gz]"),
                "No mesh file in folder: [empty]\n" + kErrorBanner +
                    info_lines("cut.stl.gz", 1, "Cannot read file: [cut.stl.gz]\n") + kErrorBanner},
        CliCase{"info_of_binary_standard_input", {"-q", "--info", "--json", "-"}, {}, 0,
                triangle_json("-", "stl-binary"), "", {}, {}, kBinaryTriangle},
        // Every mesh format in, each facet written as a binary record with a
        // zero normal would be.
        CliCase{"obj_to_kpf", {"-f", "text", "tri.obj"}, {{"tri.obj", kTriangleObj}}, 0,
                kBanner + report(kTextLine, "tri.obj", "tri.kpf", 1), "",
                {{"tri.kpf", triangle_file("tri.obj", kVertexNormalFacet)}}},
        CliCase{"off_and_ply_in_a_folder_keep_its_kpf_files_out", {"-q", "-f", "numb", "parts"},
                {{"parts/a.off", kTriangleOff}, {"parts/b.PLY", kTrianglePly},
                 {"parts/old.kpf", "$ not read\n"}},
                0, "", "",
                {{"parts/a.kpf", triangle_file("parts/a.off", kVertexNormalNumberFacet)},
                 {"parts/b.kpf", triangle_file("parts/b.PLY", kVertexNormalNumberFacet)}}},
        CliCase{"gzip_obj_drops_both_extensions", {"-q", "tri.obj.gz"},
                {{"tri.obj.gz", gzip_bytes(kTriangleObj)}}, 0, "", "",
                {{"tri.kpf", triangle_file("tri.obj.gz", kVertexNormalFacet)}}},
        CliCase{"gzip_stl_ascii_and_binary", {"-q", "a.stl.gz", "b.STL.GZ"},
                {{"a.stl.gz", gzip_bytes(kTriangle)}, {"b.STL.GZ", gzip_bytes(kBinaryTriangle, 2)}}, 0,
                "", "",
                {{"a.kpf", triangle_file("a.stl.gz")}, {"b.kpf", triangle_file("b.STL.GZ")}}},
        // Without its check bytes, the stream ends after the last facet: it is
        // read, but not whole, so there are no figures.
        CliCase{"gzip_cut_short_is_a_read_failure", {"-q", "--info", "cut.stl.gz"},
                {{"cut.stl.gz", gzip_bytes(kTriangle).substr(0, gzip_bytes(kTriangle).size() - 8)}},
                1, failure_block("cut.stl.gz", "Cannot read file: [cut.stl.gz]"),
                info_lines("cut.stl.gz", 1, "Cannot read file: [cut.stl.gz]\n") + kErrorBanner},
        CliCase{"kpf_read_back_in_the_other_keywords", {"-q", "-f", "numb", "-o", "n.kpf", "tri.kpf"},
                {{"tri.kpf", triangle_file("tri.stl")}}, 0, "", "",
                {{"n.kpf", triangle_file("tri.kpf", kNumberFacet)}}},
        CliCase{"three_mf_item_transform_and_unit", {"--info", "-q", "tri.3mf"},
                {{"tri.3mf", triangle_3mf()}}, 0,
                "file               tri.3mf\nformat             3mf\nunit               inch\n"
                "facets             1\nvertices           3\nedges              3\n"
                "boundary_edges     3\nnonmanifold_edges  0\ndegenerate_facets  0\n"
                "min                0 0 10\nmax                1 1 10\narea               0.5\n"
                "volume             1.6666666666666667\nclosed             no\n",
                ""},
        CliCase{"standard_input_named_by_from", {"--from", "off", "-"}, {}, 0,
                triangle_file("-", kVertexNormalFacet),
                kBanner + report(kTextLine, "-", "-", 1), {}, {}, kTriangleOff},
        // Older files end their lines in a lone CR: each is a line.
        CliCase{"obj_with_lone_cr_line_ends", {"-q", "cr.obj"},
                {{"cr.obj", "# tri\rv 0 0 0\rv 1 0 0\rv 1 1 0 1.0\rvn 0 0 1\rf 1//1 2//1 3//1\r"}}, 0, "", "",
                {{"cr.kpf", triangle_file("cr.obj", kVertexNormalFacet)}}},
        CliCase{"off_with_lone_cr_line_ends_and_a_problem", {"-q", "cr.off"},
                {{"cr.off", "OFF\r3 2 0\r0 0 0\r1 0 0\r1 1 0\r3 0 1 2\r3 0 1 5\r"}}, 1,
                report(kTextLine, "cr.off", "cr.kpf", 1,
                       "Vertex index out of range [5] in [cr.off] on line 7\n", true),
                "", {{"cr.kpf", triangle_file("cr.off", kVertexNormalFacet)}}},
        CliCase{"obj_with_an_index_out_of_range", {"-q", "bad.obj"},
                {{"bad.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 4\nf 1 2 3\n"}}, 1,
                report(kTextLine, "bad.obj", "bad.kpf", 1,
                       "Vertex index out of range [4] in [bad.obj] on line 4\n"),
                "", {{"bad.kpf", triangle_file("bad.obj", kVertexNormalFacet)}}},
        // A count larger than the data: what is there is converted.
        CliCase{"off_counting_more_faces_than_it_holds", {"-q", "few.off"},
                {{"few.off", "OFF\n3 2 0\n0 0 0\n1 0 0\n1 1 0\n3 0 1 2\n"}}, 1,
                report(kTextLine, "few.off", "few.kpf", 1,
                       "Data ends after [1] of [2] [face] elements in [few.off] on line 6\n", true),
                "", {{"few.kpf", triangle_file("few.off", kVertexNormalFacet)}}},
        // A file that cannot be read to its end keeps the old output.
        CliCase{"a_broken_3mf_keeps_the_old_output", {"-q", "broken.3mf"},
                {{"broken.3mf", "PK\x03\x04 cut"}, {"broken.kpf", "old"}}, 1,
                report(kTextLine, "broken.3mf", "broken.kpf", 0,
                       "Broken zip archive [no end of central directory] in [broken.3mf]\n", true,
                       "Old output kept: [broken.kpf]\n"),
                "", {{"broken.kpf", "old"}}},
        CliCase{"a_3mf_without_a_model", {"-q", "empty.3mf"},
                {{"empty.3mf", zip_file({{"[Content_Types].xml", "<Types/>"}})}}, 1,
                report(kTextLine, "empty.3mf", "empty.kpf", 0, "No 3D model in [empty.3mf]\n", true,
                       "No output written: [empty.kpf]\n"),
                "", {}, {"empty.kpf"}},
        CliCase{"three_mf_components_from_many_parts", {"--info", "-q", "parts.3mf"},
                {{"parts.3mf", parts_3mf(6)}}, 0,
                "file               parts.3mf\nformat             3mf\nunit               millimeter\n"
                "facets             6\nvertices           18\nedges              18\n"
                "boundary_edges     18\nnonmanifold_edges  0\ndegenerate_facets  0\n"
                "min                0 0 1\nmax                1 1 6\narea               3\n"
                "volume             3.5\nclosed             no\n",
                ""},
        // A component whose part is not in the package cannot be given: a problem, exit 1; the others are written.
        CliCase{"three_mf_component_of_a_missing_part", {"--info", "-q", "gap.3mf"},
                {{"gap.3mf", [] {
                      std::string bytes = parts_3mf(2);
                      bytes.replace(bytes.rfind("3D/p2.model"), 11, "3D/q2.model");
                      return bytes;
                  }()}},
                1,
                "file               gap.3mf\nformat             3mf\nunit               millimeter\n"
                "facets             1\nvertices           3\nedges              3\n"
                "boundary_edges     3\nnonmanifold_edges  0\ndegenerate_facets  0\n"
                "min                0 0 1\nmax                1 1 1\narea               0.5\n"
                "volume             0.16666666666666666\nclosed             no\n",
                info_lines("gap.3mf", 1, "Model part not found [3d/p2.model] in [gap.3mf]\n") + kErrorBanner},
        // Reused components are instancing, up to a limit counted before anything is written.
        CliCase{"three_mf_instancing_within_the_limit", {"--info", "-q", "many.3mf"},
                {{"many.3mf", instancing_3mf(3)}}, 0,
                "file               many.3mf\nformat             3mf\nunit               millimeter\n"
                "facets             1000\nvertices           3\nedges              3\n"
                "boundary_edges     0\nnonmanifold_edges  3\ndegenerate_facets  0\n"
                "min                0 0 0\nmax                1 1 0\narea               500\n"
                "volume             0\nclosed             no\n",
                ""},
        CliCase{"three_mf_expanding_beyond_the_limit", {"-q", "bomb.3mf"},
                {{"bomb.3mf", instancing_3mf(8)}}, 1,
                report(kTextLine, "bomb.3mf", "bomb.kpf", 0,
                       "Build gives more than [10000000] facets in [bomb.3mf]\n", true,
                       "No output written: [bomb.kpf]\n"),
                "", {}, {"bomb.kpf"}},
        // A mirror reverses each triangle: the tetrahedron still faces outward, its volume positive.
        CliCase{"three_mf_mirrored_item_keeps_its_volume", {"--info", "-q", "mirror.3mf"},
                {{"mirror.3mf", tetrahedron_3mf("-1 0 0 0 1 0 0 0 1 0 0 0")}}, 0,
                "file               mirror.3mf\nformat             3mf\nunit               millimeter\n"
                "facets             4\nvertices           4\nedges              6\n"
                "boundary_edges     0\nnonmanifold_edges  0\ndegenerate_facets  0\n"
                "min                -1 0 0\nmax                0 1 1\narea               2.3660254037844384\n"
                "volume             0.16666666666666666\nclosed             yes\n",
                ""},
        // Zero bytes after the last member are padding, as gzip -d takes them.
        CliCase{"gzip_with_zero_padding", {"-q", "pad.stl.gz"},
                {{"pad.stl.gz", gzip_bytes(kTriangle) + std::string(512, '\0')}}, 0, "", "",
                {{"pad.kpf", triangle_file("pad.stl.gz")}}},
        // A header line of an unknown word is told, and the rest is read.
        CliCase{"ply_with_an_unknown_header_line", {"-q", "odd.ply"},
                {{"odd.ply", std::regex_replace(kTrianglePly, std::regex("end_header"), "made_by me\nend_header")}}, 1,
                report(kTextLine, "odd.ply", "odd.kpf", 1,
                       "Unknown PLY header line [made_by me] in [odd.ply] on line 9\n"),
                "", {{"odd.kpf", triangle_file("odd.ply", kVertexNormalFacet)}}},
        CliCase{"a_cut_binary_ply", {"-q", "cut.ply"},
                {{"cut.ply", "ply\nformat binary_little_endian 1.0\nelement vertex 3\nproperty float x\n"
                             "property float y\nproperty float z\nend_header\n" + std::string(20, '\0')}},
                1, report(kTextLine, "cut.ply", "cut.kpf", 0, "Binary PLY data cut short in [cut.ply]\n", true,
                          "No output written: [cut.kpf]\n"),
                "", {}, {"cut.kpf"}},
        CliCase{"a_wire_frame_is_no_facet_file", {"-q", "--info", "edges.kpf"},
                {{"edges.kpf", triangle_file("tri.stl", kWireFacet)}}, 1,
                failure_block("edges.kpf", "Wire frame holds edges, not facets in [edges.kpf] on line 6"),
                info_lines("edges.kpf", 0,
                           "Wire frame holds edges, not facets in [edges.kpf] on line 6\n") +
                    kErrorBanner},
        CliCase{"unknown_from_word", {"--from", "dxf", "-"}, {}, 2, "",
                usage("unknown format [dxf]: use stl, obj, ply, off, 3mf, kpf, each also with .gz")},
        // ASCII STL out, with numbers that read back as the same doubles.
        CliCase{"stl_form_from_obj", {"-q", "-f", "stl", "tri.obj"}, {{"tri.obj", kTriangleObj}}, 0,
                "", "",
                {{"tri.stl", crlf("solid tri\n  facet normal 0 0 1\n    outer loop\n"
                                  "      vertex 0 0 0\n      vertex 1 0 0\n      vertex 1 1 0\n"
                                  "    endloop\n  endfacet\nendsolid tri\n")}}},
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
                usage("unknown form [text2]: use text, numb, number, wire, stl or null")},
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
                {{"a.stl", kTriangle}, {"b.stl", kTriangle}, {"one.kpf", "kept"}}, 2, "",
                usage("-o [one.kpf] is no folder, but there are 2 inputs: end it in / to make one")},
        CliCase{"output_file_with_a_folder_of_two", {"-o", "one.kpf", "parts"},
                {{"parts/a.stl", kTriangle}, {"parts/b.stl", kTriangle}, {"one.kpf", "kept"}}, 2, "",
                usage("-o [one.kpf] is no folder, but there are 2 inputs: end it in / to make one")},
        // The option habits of getopt: bundles, attached values; typos caught.
        CliCase{"short_options_bundle_and_take_attached_values", {"-qj2", "-fwire", "tri.stl"},
                kOneTriangle, 0, "", "", {{"tri.kpf", triangle_file("tri.stl", kWireFacet)}}},
        CliCase{"short_option_with_its_value_attached_last_in_a_bundle", {"-qfnumb", "-oout.kpf", "tri"},
                kOneTriangle, 0, "", "", {{"out.kpf", triangle_file("tri.stl", kNumberFacet)}},
                {"tri.kpf"}},
        CliCase{"unknown_long_option_is_a_typo", {"--quite", "tri.stl"}, kOneTriangle, 2, "",
                usage("unknown option [--quite]")},
        CliCase{"unknown_letter_in_a_bundle", {"-qz", "tri.stl"}, kOneTriangle, 2, "",
                usage("unknown option [-z]")},
        CliCase{"value_missing_at_the_end_of_a_bundle", {"tri.stl", "-qj"}, kOneTriangle, 2, "",
                usage("option [-j] needs a N")},
        // Another extension for the outputs, beside the inputs or in a folder.
        CliCase{"ext_beside_the_inputs", {"-q", "--ext", "shp", "a.stl", "b.stl"},
                {{"a.stl", kTriangle}, {"b.stl", kTriangle}}, 0, "", "",
                {{"a.shp", triangle_file("a.stl")}, {"b.shp", triangle_file("b.stl")}}},
        CliCase{"ext_with_a_dot_into_a_folder", {"-q", "--ext=.shp", "-o", "out", "a.stl", "b.stl"},
                {{"a.stl", kTriangle}, {"b.stl", kTriangle}, {"out/.keep", ""}}, 0, "", "",
                {{"out/a.shp", triangle_file("a.stl")}, {"out/b.shp", triangle_file("b.stl")}}},
        CliCase{"ext_that_names_a_folder", {"--ext", "x/y", "tri.stl"}, kOneTriangle, 2, "",
                usage("bad extension [x/y]: use letters such as shp")},
        CliCase{"ext_with_info", {"--info", "--ext", "shp", "tri.stl"}, kOneTriangle, 2, "",
                usage("--info writes no file, so no --ext")},
        // -o with several inputs is a folder that exists or ends in a separator, made with its
        // parents; any other name is a usage error that makes nothing, as with cp.
        CliCase{"new_output_name_with_several_inputs_makes_nothing", {"-o", "result.kpf", "a.stl", "b.stl"},
                {{"a.stl", kTriangle}, {"b.stl", kTriangle}}, 2, "",
                usage("-o [result.kpf] is no folder, but there are 2 inputs: end it in / to make one"), {},
                {"result.kpf", "a.kpf", "b.kpf"}},
        CliCase{"output_folder_is_made_for_several_inputs", {"-q", "-o", "new/deeper/", "a.stl", "b.stl"},
                {{"a.stl", kTriangle}, {"b.stl", kTriangle}}, 0, "", "",
                {{"new/deeper/a.kpf", triangle_file("a.stl")},
                 {"new/deeper/b.kpf", triangle_file("b.stl")}}},
        // An output folder keeps the tree below each folder argument, as cp -r does.
        CliCase{"recursive_output_folder_keeps_the_tree", {"-q", "-r", "-o", "out/", "parts", "z.stl"},
                {{"parts/a/x.stl", kTriangle}, {"parts/b/deep/x.stl", kTriangle}, {"parts/x.stl", kTriangle},
                 {"z.stl", kTriangle}},
                0, "", "",
                {{"out/a/x.kpf", triangle_file("parts/a/x.stl")},
                 {"out/b/deep/x.kpf", triangle_file("parts/b/deep/x.stl")},
                 {"out/x.kpf", triangle_file("parts/x.stl")}, {"out/z.kpf", triangle_file("z.stl")}}},
        CliCase{"two_folder_arguments_with_one_tree_below_them", {"-q", "-r", "-o", "out/", "one", "two"},
                {{"one/a/x.stl", kTriangle}, {"two/a/x.stl", kTriangle}, {"two/b/y.stl", kTriangle}}, 1,
                kTextLine + "Output already written in this run: [out/a/x.kpf] (from [two/a/x.stl])\n" +
                    kErrorBanner,
                "", {{"out/a/x.kpf", triangle_file("one/a/x.stl")}, {"out/b/y.kpf", triangle_file("two/b/y.stl")}}},
        CliCase{"a_subfolder_that_cannot_be_made_refuses_its_outputs", {"-q", "-r", "-o", "out", "parts"},
                {{"parts/a/x.stl", kTriangle}, {"parts/y.stl", kTriangle}, {"out/a", "a file, no folder"}}, 1,
                kTextLine + "Cannot make the folder of the output: [out/a/x.kpf] (from [parts/a/x.stl])\n" +
                    kErrorBanner,
                "", {{"out/y.kpf", triangle_file("parts/y.stl")}}},
        CliCase{"output_ending_in_a_slash_is_a_folder_for_one_input", {"-q", "-o", "out/", "tri.stl"},
                kOneTriangle, 0, "", "", {{"out/tri.kpf", triangle_file("tri.stl")}}}),
    CaseName());

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
        EXPECT_EQ(run.console, console_lines(kTextLine + "Output already written in this run: [out/part.kpf] (from [two/part.stl])\n" +
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
    const ToolRun legacy = run_tool(dir.path(), {"-h"});
    const ToolRun run = run_tool_streams(dir.path(), {"--help", "-q"});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.errors, "");
    // The legacy form ends its lines in CR LF; the modern one as the console does.
    const std::string legacy_lines = console_lines(without_cr(legacy.console));
    ASSERT_TRUE(run.console.starts_with(legacy_lines));
    const std::string rest = run.console.substr(legacy_lines.size());
    for (const char* option : {"-f, --form WORD", "-o, --output PATH", "-j, --jobs N",
                               "-r, --recursive", "-q, --quiet", "--no-progress", "-h, --help"}) {
        EXPECT_NE(rest.find(option), std::string::npos) << option;
    }
    EXPECT_NE(rest.find("Exit status: 0"), std::string::npos);
    EXPECT_EQ(run_tool(dir.path(), {"-q", "-h"}).console, run.console);
    EXPECT_EQ(console_lines(without_cr(run_tool(dir.path(), {"--help"}).console)),
              run.console);
    EXPECT_NE(run_tool(dir.path(), {"--help"}).console.find("\r\n"), std::string::npos);
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
TEST(ModernCommandLine, CorpusFilesThroughAPipeAsByName_NeedsCorpusAndPosixShell) {
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

// A folder gives only its regular files: a FIFO or a link to a device is
// skipped with a line, which counts as a problem; named, a file is opened as
// it is.
TEST(ModernCommandLine, FolderSkipsWhatIsNoRegularFile_NeedsFifosAndSymlinks) {
    TempDir dir;
    fs::create_directories(dir / "parts");
    write_file(dir / "parts" / "a.stl", kTriangle);
    if (run_shell(dir.path(), "mkfifo parts/f.stl") != 0 ||
        !make_symlink("/dev/zero", dir / "parts" / "z.stl")) {
        GTEST_SKIP() << "no FIFOs or links to devices here";
    }
    const ToolRun run = run_tool_streams(dir.path(), {"-q", "parts"});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.console, console_lines("Not a regular file, skipped: [parts/f.stl]\n" + kErrorBanner +
                                "Not a regular file, skipped: [parts/z.stl]\n" + kErrorBanner));
    EXPECT_EQ(mask_date(read_file(dir / "parts" / "a.kpf")), triangle_file("parts/a.stl"));
}

// A tree deeper than the system's path limit is reported where it cannot be
// examined, and what lies above that is converted.
TEST(ModernCommandLine, FolderDeeperThanThePathLimitIsReported_NeedsPosixShell) {
    TempDir dir;
    fs::create_directories(dir / "top");
    write_file(dir / "top" / "a.stl", kTriangle);
    const std::string part(200, 'd');
    // Made a step at a time, as no single path may name the bottom.
    const std::string make = "cd top && for i in $(seq 25); do mkdir " + part + " && cd -P " + part +
                             " || exit 1; done && echo 'solid b' > b.stl";
    if (run_shell(dir.path(), make) != 0) GTEST_SKIP() << "no POSIX shell to make a deep tree";
    const ToolRun run = run_tool_streams(dir.path(), {"-q", "-r", "top"});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.console.find("Cannot examine file: [top/" + part + "/"), std::string::npos);
    EXPECT_TRUE(run.console.ends_with(console_lines("]\n" + kErrorBanner))) << run.console;
    EXPECT_EQ(mask_date(read_file(dir / "top" / "a.kpf")), triangle_file("top/a.stl"));
    // The test folder goes with a tool that can reach the bottom.
    run_shell(dir.path(), "rm -rf top");
}

// More jobs than the descriptor limit allows run fewer at a time; no file fails for it.
TEST(ModernCommandLine, JobsFitTheDescriptorLimit_NeedsPosixShell) {
    TempDir dir;
    fs::create_directories(dir / "many");
    for (int i = 0; i < 300; ++i) write_file(dir / "many" / (std::to_string(i) + ".stl"), kTriangle);
    const int status = run_shell(dir.path(), "ulimit -n 64 && TOOL -q -j 256 many > out.txt 2>&1");
    if (status == -1) GTEST_SKIP() << "no POSIX shell";
    EXPECT_EQ(status, 0) << read_file(dir / "out.txt");
    EXPECT_EQ(read_file(dir / "out.txt"), "");
    for (int i = 0; i < 300; ++i) {
        EXPECT_TRUE(fs::exists(dir / "many" / (std::to_string(i) + ".kpf"))) << i;
    }
}

// The progress line appears on a real terminal, for a large file only, and is erased.
TEST(ModernCommandLine, ProgressLineOnATerminalOnly_NeedsPosixShellAndScript) {
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
