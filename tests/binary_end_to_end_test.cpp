// Runs the built tool on binary STL files made here and compares them with their ASCII twins,
// and on the same facets in every other mesh format, and round trips through KPF and STL.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "case_names.h"
#include "compressed_files.h"
#include "mesh_files.h"
#include "run_tool.h"
#include "stl_files.h"

namespace trimora::testing {
namespace {

namespace fs = std::filesystem;

const std::string kOpened =
    "TRIMORA - Version 1.3 - August 2014\noutput_code = TEXT [2]\n"
    "File open: [in.stl]\nFile open: [in.kpf]\n";

std::string closed(int nfacet) {
    return "File closed: [in.stl]\nFile closed: [in.kpf]\nnfacet = " + std::to_string(nfacet) +
           "\n";
}

struct Converted {
    std::string console;
    std::string file;  // date masked
};

Converted convert(const std::string& stl, const std::vector<std::string>& extra_args = {},
                  bool full_disk = false) {
    TempDir dir;
    write_file(dir / "in.stl", stl);
    if (full_disk) fs::create_symlink("/dev/full", dir / "in.kpf");
    std::vector<std::string> args{"in"};
    args.insert(args.end(), extra_args.begin(), extra_args.end());
    const ToolRun run = run_tool(dir.path(), args);
    EXPECT_EQ(run.exit_code, 0);
    return {run.console, full_disk ? "" : mask_date(read_file(dir / "in.kpf"))};
}

// A strip of facets over shared random points, so that the wire form finds
// shared edges (and, past 2500 facets, a full line list), with a few extreme
// values among them. 5300 facets cross a block of the binary reader.
std::vector<FloatFacet> twin_facets(int count) {
    std::mt19937 random(20260305);
    std::uniform_real_distribution<float> coordinate(-1000.0f, 1000.0f);
    std::uniform_real_distribution<float> direction(-1.0f, 1.0f);
    std::vector<std::array<float, 3>> points;
    for (int i = 0; i < count + 2; ++i) {
        points.push_back({coordinate(random), coordinate(random), coordinate(random)});
    }
    points[0] = {-0.0f, 1e-45f, 3.4028235e38f};
    points[1] = {0.1f, -1.17549435e-38f, 123456.789f};
    std::vector<FloatFacet> facets;
    for (int i = 0; i < count; ++i) {
        FloatFacet facet{{direction(random), direction(random), direction(random)}, {}};
        if (facet.normal[0] == 0.0f && facet.normal[1] == 0.0f) facet.normal[2] = 1.0f;
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) facet.vertices[j][k] = points[i + j][k];
        }
        facets.push_back(facet);
    }
    facets[1].normal[0] = 1e-45f;  // a normal whose length squared is still no zero in double
    facets[2].normal[2] = -3e38f;
    return facets;
}

class BinaryTwin : public ::testing::TestWithParam<const char*> {};

TEST_P(BinaryTwin, GivesTheSameConsoleAndFileAsItsAsciiTwin) {
    const std::vector<FloatFacet> facets = twin_facets(5300);
    const Converted binary = convert(binary_stl("solid twin", facets), {GetParam()});
    const Converted ascii = convert(ascii_twin(facets), {GetParam()});
    EXPECT_EQ(binary.console, ascii.console);
    EXPECT_TRUE(binary.file == ascii.file) << "the output files differ";
    EXPECT_NE(binary.console.find("nfacet = 5300\r\n"), std::string::npos);
    EXPECT_EQ(binary.console.find(" on line "), std::string::npos);
    EXPECT_EQ(binary.console.find(" at line "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Forms, BinaryTwin, ::testing::Values("text", "numb", "wire", "xyz"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return case_name(info.param);
                         });

TEST(BinaryInput, FailedWriteIsReportedAsForTheAsciiTwin_NeedsDevFull) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const std::vector<FloatFacet> facets = twin_facets(3000);
    const Converted binary = convert(binary_stl("", facets), {}, true);
    const Converted ascii = convert(ascii_twin(facets), {}, true);
    EXPECT_EQ(binary.console, ascii.console);
    EXPECT_NE(binary.console.find("Cannot write file: [in.kpf]\r\n"), std::string::npos);
    EXPECT_TRUE(binary.console.ends_with(crlf("nfacet = 3000\n" + kErrorBanner)));
}

TEST(BinaryInput, ZeroNormalsGiveTheSameFileAsTheCrossProductWrittenOut) {
    std::vector<FloatFacet> facets = twin_facets(40);
    std::string ascii = "solid twin\n";
    for (FloatFacet& facet : facets) {
        facet.normal[0] = facet.normal[1] = facet.normal[2] = 0.0f;
        double v[3][3];
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) v[j][k] = static_cast<double>(facet.vertices[j][k]);
        }
        const double a[3] = {v[1][0] - v[0][0], v[1][1] - v[0][1], v[1][2] - v[0][2]};
        const double b[3] = {v[2][0] - v[0][0], v[2][1] - v[0][1], v[2][2] - v[0][2]};
        const double normal[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                                  a[0] * b[1] - a[1] * b[0]};
        ascii += ascii_facet(normal, v);
    }
    const Converted from_binary = convert(binary_stl("", facets));
    const Converted from_ascii = convert(ascii + "endsolid twin\n");
    EXPECT_EQ(from_binary.console, from_ascii.console);
    EXPECT_TRUE(from_binary.file == from_ascii.file) << "the output files differ";
    EXPECT_EQ(from_binary.file.find("#IND"), std::string::npos);
}

TEST(BinaryInput, SolidHeaderIsStillBinary) {
    const Converted run = convert(binary_stl("solid tri exported by a CAD system",
                                             {{{0, 0, -2}, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}},
                                              {{0, 0, 0}, {{0, 0, 0}, {0, 0, 5}, {0, 0, 10}}}},
                                             "\n"));
    EXPECT_EQ(run.console, crlf(kOpened + closed(2)));
    EXPECT_EQ(run.file, crlf(header("in.stl") + kTextFacet +
                             "\n"
                             "nrml -1.#IND00 -1.#IND00 -1.#IND00\n"
                             "trng 0.000000 0.000000 0.000000\n"
                             "nrml -1.#IND00 -1.#IND00 -1.#IND00\n"
                             "trng 0.000000 0.000000 5.000000\n"
                             "nrml -1.#IND00 -1.#IND00 -1.#IND00\n"
                             "trng 0.000000 0.000000 10.000000\n" +
                             trailer(2)));
}

// Files that are binary by their size: no line messages, every record a facet.
struct BinaryCase {
    const char* name;
    std::string bytes;
    int nfacet;
    friend void PrintTo(const BinaryCase& c, std::ostream* os) { *os << c.name; }
};

class BinaryBySize : public ::testing::TestWithParam<BinaryCase> {};

TEST_P(BinaryBySize, ConvertsEveryRecordSilently) {
    const Converted run = convert(GetParam().bytes);
    EXPECT_EQ(run.console, crlf(kOpened + closed(GetParam().nfacet)));
    EXPECT_TRUE(run.file.starts_with(crlf(header("in.stl"))));
    EXPECT_TRUE(run.file.ends_with(crlf(trailer(GetParam().nfacet))));
    std::size_t blocks = 0;
    for (std::size_t at = run.file.find("\r\n\r\nnrml"); at != std::string::npos;
         at = run.file.find("\r\n\r\nnrml", at + 1)) {
        ++blocks;
    }
    EXPECT_EQ(blocks, static_cast<std::size_t>(GetParam().nfacet));
}

const FloatFacet kFacet{{0, 0, 1}, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}};

INSTANTIATE_TEST_SUITE_P(
    Sizes, BinaryBySize,
    ::testing::Values(BinaryCase{"zero_count", binary_stl("solid empty", {}), 0},
                      BinaryCase{"zero_count_and_49_stray_bytes",
                                 binary_stl("solid empty", {}, std::string(49, '\n')), 0},
                      BinaryCase{"zero_header", binary_stl(std::string(80, '\0'), {kFacet}), 1},
                      BinaryCase{"stray_newline", binary_stl("solid x", {kFacet, kFacet}, "\n"), 2},
                      BinaryCase{"49_stray_bytes",
                                 binary_stl("solid x", {kFacet}, std::string(49, 'z')), 1}),
    CaseName());

// Files that look binary but do not hold exactly the counted records: read as
// text, they give line messages or none, never a facet, and never a crash.
struct TextCase {
    const char* name;
    std::string bytes;
    const char* first_message;  // empty when the text may be silent
    friend void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }
};

class NotBinaryBySize : public ::testing::TestWithParam<TextCase> {};

TEST_P(NotBinaryBySize, IsReadAsText) {
    const Converted run = convert(GetParam().bytes);
    const std::string console = run.console;
    ASSERT_TRUE(console.starts_with(crlf(kOpened))) << console;
    const std::size_t start = crlf(kOpened).size();
    const std::size_t end = console.find(crlf(closed(0)));
    ASSERT_NE(end, std::string::npos) << console;
    std::istringstream messages(console.substr(start, end - start));
    int count = 0;
    for (std::string line; std::getline(messages, line); ++count) {
        EXPECT_TRUE(line.find(" on line ") != std::string::npos ||
                    line.find(" at line ") != std::string::npos)
            << line;
        if (count == 0 && GetParam().first_message[0] != '\0') {
            EXPECT_EQ(line, std::string(GetParam().first_message) + "\r");
        }
    }
    if (GetParam().first_message[0] != '\0') {
        EXPECT_GT(count, 0);
    }
    EXPECT_EQ(run.file, crlf(header("in.stl") + trailer(0)));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, NotBinaryBySize,
    ::testing::Values(
        TextCase{"one_byte_short", binary_stl("solid x", {kFacet, kFacet}).substr(0, 183), ""},
        TextCase{"one_record_missing", binary_stl("solid x", 3, {kFacet, kFacet}), ""},
        TextCase{"record_missing_after_another_header",
                 binary_stl("exported by a CAD system", 3, {kFacet, kFacet}),
                 "Unknown code word [exported] on line 1"},
        TextCase{"a_whole_record_too_many",
                 binary_stl("made by hand", 1, {kFacet}, std::string(50, '\n')),
                 "Unknown code word [made] on line 1"},
        TextCase{"83_bytes", binary_stl("short", {}).substr(0, 83),
                 "Unknown code word [short] on line 1"}),
    CaseName());

// The output with each name of the input (path, file name, stem) as NAME and the date masked:
// what is left is the same for the same facets, whatever file they came from.
std::string anonymous(const std::string& output, const std::string& stem) {
    std::string text = mask_date(output);
    std::size_t at;
    while ((at = text.find(stem)) != std::string::npos) {
        std::size_t start = at;
        while (start > 0 && text[start - 1] != ' ' && text[start - 1] != '\n') --start;
        std::size_t end = at + stem.size();
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        text.replace(start, end - start, "NAME");
    }
    return text;
}

// Small files of the shared corpus, or none when it is absent.
std::vector<fs::path> small_corpus_files(const char* folder) {
    std::vector<fs::path> files;
    const fs::path corpus = corpus_dir();
    if (corpus.empty()) return files;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus / folder)) {
        if (entry.is_regular_file() && entry.file_size() <= 600000) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

struct MeshWriting {
    const char* stem;  // file name before the extension
    const char* extension;
    bool polygons;
    std::string (*write)(const IndexedMesh&);
};

const MeshWriting kMeshWritings[] = {
    {"mesh_obj", ".obj", true, [](const IndexedMesh& m) { return obj_text(m, {}); }},
    {"mesh_relative", ".OBJ", true, [](const IndexedMesh& m) { return obj_text(m, {true, true}); }},
    {"mesh_off", ".off", true, [](const IndexedMesh& m) { return off_text(m, "OFF"); }},
    {"mesh_coff", ".off", true, [](const IndexedMesh& m) { return off_text(m, "COFF"); }},
    {"mesh_ascii", ".ply", true, [](const IndexedMesh& m) { return ply_file(m, {PlyEncoding::kAscii, true}); }},
    {"mesh_little", ".ply", true, [](const IndexedMesh& m) { return ply_file(m, {PlyEncoding::kLittleEndian}); }},
    {"mesh_big", ".ply", true,
     [](const IndexedMesh& m) { return ply_file(m, {PlyEncoding::kBigEndian, true, "ushort", "uint", true, true}); }},
    {"mesh_3mf", ".3mf", false, [](const IndexedMesh& m) { return zip_file(package_parts(model_xml(m))); }},
};

// A torus of quads (polygons for the formats that keep them) and a strip
// with extreme values: zero of both signs, the smallest and largest floats.
std::vector<FloatFacet> format_facets() {
    std::vector<FloatFacet> facets = float_torus(9, 7);
    const std::vector<FloatFacet> strip = twin_facets(300);
    facets.insert(facets.end(), strip.begin(), strip.end());
    return facets;
}

// Every format, plain and gzipped, converts in every form to the bytes of
// the binary STL twin whose normals are zero: no format's facet carries a
// normal, so each gets the one its vertices give, as a zero record does.
class MeshFormatTwin : public ::testing::TestWithParam<const char*> {};

TEST_P(MeshFormatTwin, GivesTheBytesOfTheZeroNormalBinaryTwin) {
    std::vector<std::pair<std::string, std::vector<FloatFacet>>> meshes = {{"facets made here", format_facets()}};
    for (const fs::path& path : small_corpus_files("binary")) {
        meshes.push_back({path.filename().string(), load_binary_stl(path)});
    }
    for (auto& [mesh_name, facets] : meshes) {
        TempDir dir;
        fs::create_directory(dir / "parts");
        for (FloatFacet& facet : facets) facet.normal[0] = facet.normal[1] = facet.normal[2] = 0.0f;
        write_file(dir / "parts/mesh_twin.stl", binary_stl("", facets));
        const std::vector<Triangle> triangles = triangles_of(facets);
        std::vector<std::string> stems;
        for (const MeshWriting& writing : kMeshWritings) {
            const std::string bytes = writing.write(index_facets(triangles, writing.polygons));
            write_file(dir / ("parts/" + std::string(writing.stem) + writing.extension), bytes);
            write_file(dir / ("parts/" + std::string(writing.stem) + "_gz" + writing.extension + ".gz"),
                       gzip_bytes(bytes, 2));
            stems.push_back(writing.stem);
            stems.push_back(std::string(writing.stem) + "_gz");
        }
        const ToolRun run = run_tool(dir.path(), {"-q", "-j", "2", "-f", GetParam(), "--ext", "out", "parts"});
        // No file has a problem; the wire form's line list may overflow, as for the twin.
        EXPECT_EQ(run.console.find(" in [parts"), std::string::npos) << mesh_name << ": " << run.console;
        EXPECT_EQ(run.console.find("Cannot"), std::string::npos) << mesh_name << ": " << run.console;
        const std::string extension = ".out";
        const std::string twin = anonymous(read_file(dir / ("parts/mesh_twin" + extension)), "mesh_twin");
        ASSERT_NE(twin, "") << mesh_name;
        for (const std::string& stem : stems) {
            const std::string output = anonymous(read_file(dir / ("parts/" + stem + extension)), stem);
            EXPECT_TRUE(output == twin) << mesh_name << ": " << stem << extension << " differs from its twin";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, MeshFormatTwin, ::testing::Values("text", "numb", "wire", "stl"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return case_name(info.param);
                         });

// KPF read back gives in the other keyword set the bytes the STL gives, and
// STL -> KPF -> STL -> KPF gives the first KPF again: normals rounded to six
// decimals in KPF come back with the same decimals.
TEST(RoundTrip, KpfToKpfAndStlToKpfToStlToKpf) {
    std::vector<std::pair<std::string, std::string>> inputs = {{"facets made here", ascii_twin(twin_facets(3000))}};
    for (const fs::path& path : small_corpus_files("ascii")) inputs.push_back({path.filename().string(), read_file(path)});
    for (const auto& [name, stl] : inputs) {
        TempDir dir;
        write_file(dir / "in.stl", stl);
        const auto convert_to = [&](const char* form, const char* output, const char* input) {
            run_tool(dir.path(), {"-q", "-f", form, "-o", output, input});
            return anonymous(read_file(dir / output), "in");
        };
        const std::string text = convert_to("text", "in.kpf", "in.stl");
        const std::string numbers = convert_to("numb", "in_numb.kpf", "in.stl");
        ASSERT_NE(text.find("\r\n"), std::string::npos) << name;
        EXPECT_TRUE(convert_to("numb", "in_numb2.kpf", "in.kpf") == numbers) << name << ": text to numbers";
        EXPECT_TRUE(convert_to("text", "in_text2.kpf", "in_numb.kpf") == text) << name << ": numbers to text";
        convert_to("stl", "in_back.stl", "in.kpf");
        EXPECT_TRUE(convert_to("text", "in_again.kpf", "in_back.stl") == text) << name << ": through STL";
    }
}

}  // namespace
}  // namespace trimora::testing
