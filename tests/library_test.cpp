// The public interface (include/trimora/trimora.h) against the built tool's own bytes.
#include <trimora/trimora.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "mesh_files.h"
#include "run_tool.h"
#include "stl_files.h"

namespace trimora::testing {
namespace {

namespace fs = std::filesystem;

struct FormCase {
    const char* word;  // the tool's -f word
    Form form;
    bool all_edges;
};
const FormCase kForms[] = {
    {"text", Form::text, false}, {"numb", Form::numb, false}, {"wire", Form::wire, false},
    {"stl", Form::stl, false},   {"wire", Form::wire, true},
};

std::vector<std::string> tool_args(const FormCase& form, const std::string& output, const std::string& input) {
    std::vector<std::string> args{"-q", "-f", form.word, "-o", output, input};
    if (form.all_edges) args.insert(args.begin(), "--all-edges");
    return args;
}

// Bytes that start as gzip does and go on as nothing that decompresses.
const std::string kCorruptGzip = "\x1f\x8b\x08\x00garbagegarbage";

// A torus with some facets given a zero normal and some a normal of their own.
std::vector<FloatFacet> made_facets() {
    std::vector<FloatFacet> facets = float_torus(6, 5);
    for (std::size_t i = 0; i < facets.size(); ++i) {
        const float n = static_cast<float>(i % 3);
        facets[i].normal[0] = 0.0f;
        facets[i].normal[1] = n;
        facets[i].normal[2] = -n;
    }
    return facets;
}

// Converts the file both ways in every form and compares the outputs, the date masked.
void expect_same_conversion(const fs::path& source, const std::string& name) {
    for (const FormCase& form : kForms) {
        TempDir dir;
        fs::copy_file(source, dir / name);
        SCOPED_TRACE(name + " " + form.word + (form.all_edges ? " all edges" : ""));
        const ToolRun run = run_tool(dir.path(), tool_args(form, "tool.out", name));
        ConvertOptions options;
        options.form = form.form;
        options.all_edges = form.all_edges;
        const fs::path old = fs::current_path();
        fs::current_path(dir.path());
        const ConvertResult result = convert_file(name, "library.out", options);
        fs::current_path(old);
        EXPECT_EQ(result.ok(), run.exit_code == 0);
        EXPECT_EQ(mask_date(read_file(dir / "library.out")), mask_date(read_file(dir / "tool.out")));
        // Every problem line of the library is a line of the tool's report.
        for (const std::string& problem : result.problems) {
            EXPECT_NE(run.console.find(console_lines(problem + "\n")), std::string::npos) << problem;
        }
    }
}

TEST(Library, ConvertFileWritesTheToolsBytesInEveryForm) {
    TempDir dir;
    write_file(dir / "part.stl", binary_stl("made", made_facets()));
    const IndexedMesh mesh = index_facets(triangles_of(made_facets()), true);
    write_file(dir / "part.obj", obj_text(mesh, ObjStyle{}));
    write_file(dir / "part.off", off_text(mesh, "OFF"));
    for (const char* name : {"part.stl", "part.obj", "part.off"}) expect_same_conversion(dir / name, name);
    expect_same_conversion(fs::path(TRIMORA_EXAMPLES_DIR) / "tri.stl", "tri.stl");
}

TEST(Library, ConvertFileWritesTheToolsBytesForTheCorpus_NeedsCorpus) {
    const fs::path corpus = corpus_dir();
    if (corpus.empty()) GTEST_SKIP() << "the shared STL corpus is not here";
    int files = 0;
    for (const char* folder : {"ascii", "binary"}) {
        for (const fs::directory_entry& entry : fs::directory_iterator(corpus / folder)) {
            if (files % 4 == 0) expect_same_conversion(entry.path(), "model.stl");
            ++files;
        }
    }
    EXPECT_GT(files, 0);
}

TEST(Library, ConvertFileSaysWhyAsValues) {
    TempDir dir;
    write_file(dir / "old.kpf", "old");
    ConvertResult missing = convert_file(dir / "none.stl", dir / "old.kpf");
    EXPECT_EQ(missing.failure, Failure::input_not_opened);
    ASSERT_EQ(missing.problems.size(), 1u);
    // The modern form's line, with the system's reason.
    EXPECT_EQ(missing.problems[0], "Cannot open file: [" + utf8(dir / "none.stl") +
                                       "]: " + std::generic_category().message(ENOENT));
    EXPECT_FALSE(missing.ok());

    // Corrupt: the old output stays as it was.
    write_file(dir / "cut.stl", kCorruptGzip);
    const ConvertResult short_input = convert_file(dir / "cut.stl", dir / "old.kpf");
    EXPECT_EQ(short_input.failure, Failure::input_not_read);
    EXPECT_EQ(short_input.problems, std::vector<std::string>{"Cannot read file: [" + utf8(dir / "cut.stl") + "]"});
    EXPECT_EQ(read_file(dir / "old.kpf"), "old");

    write_file(dir / "in.stl", binary_stl("in", made_facets()));
    const ConvertResult own = convert_file(dir / "in.stl", dir / "in.stl", {Form::stl});
    EXPECT_EQ(own.failure, Failure::output_not_opened);
    ASSERT_EQ(own.problems.size(), 1u);
    EXPECT_TRUE(own.problems[0].starts_with("Output is an input of this run: [")) << own.problems[0];

    EXPECT_EQ(convert_file(dir / "in.stl", dir / "x.kpf", {Form::text, true}).failure, Failure::bad_option);
    ConvertOptions word;
    word.from_format = "dwg";
    EXPECT_EQ(convert_file(dir / "in.stl", dir / "x.kpf", word).failure, Failure::bad_option);
    EXPECT_FALSE(fs::exists(dir / "x.kpf"));

    const ConvertResult good = convert_file(dir / "in.stl", dir / "in.kpf");
    EXPECT_TRUE(good.ok());
    EXPECT_EQ(good.facets, made_facets().size());
    EXPECT_EQ(good.format, "stl-binary");
}

TEST(Library, FacetWriterWritesWhatTheToolWritesForTheSameFacets) {
    const std::vector<FloatFacet> facets = made_facets();
    std::vector<double> vertices;
    std::vector<double> normals;
    for (const FloatFacet& facet : facets) {
        for (const auto& vertex : facet.vertices) vertices.insert(vertices.end(), vertex, vertex + 3);
        normals.insert(normals.end(), facet.normal, facet.normal + 3);
    }
    for (const FormCase& form : kForms) {
        SCOPED_TRACE(std::string(form.word) + (form.all_edges ? " all edges" : ""));
        TempDir dir;
        // With no normals: every record's normal zero.
        std::vector<FloatFacet> unnormed = facets;
        for (FloatFacet& facet : unnormed) facet.normal[0] = facet.normal[1] = facet.normal[2] = 0.0f;
        write_file(dir / "bare.stl", binary_stl("bare", unnormed));
        write_file(dir / "given.stl", binary_stl("given", facets));
        run_tool(dir.path(), tool_args(form, "bare.out", "bare.stl"));
        run_tool(dir.path(), tool_args(form, "given.out", "given.stl"));
        WriteOptions options;
        options.form = form.form;
        options.all_edges = form.all_edges;
        options.name = "bare.stl";
        const ConvertResult bare = write_facets(dir / "bare.lib", vertices.data(), facets.size(), nullptr, options);
        EXPECT_TRUE(bare.ok());
        EXPECT_EQ(bare.facets, facets.size());
        EXPECT_EQ(mask_date(read_file(dir / "bare.lib")), mask_date(read_file(dir / "bare.out")));

        // One by one, with the normals.
        options.name = "given.stl";
        FacetWriter writer;
        ASSERT_TRUE(writer.open(dir / "given.lib", options));
        for (std::size_t i = 0; i < facets.size(); ++i) {
            trimora::Triangle triangle;
            for (int v = 0; v < 3; ++v) {
                for (int axis = 0; axis < 3; ++axis) triangle.vertices[v][axis] = vertices[9 * i + 3 * v + axis];
            }
            for (int axis = 0; axis < 3; ++axis) triangle.normal[axis] = normals[3 * i + axis];
            triangle.has_normal = true;
            writer.write(triangle);
        }
        EXPECT_TRUE(writer.finish().ok());
        EXPECT_EQ(mask_date(read_file(dir / "given.lib")), mask_date(read_file(dir / "given.out")));
    }
}

TEST(Library, FacetWriterWithoutFacetsOrFileSaysSo) {
    TempDir dir;
    write_file(dir / "empty.stl", binary_stl("empty", std::vector<FloatFacet>{}));
    run_tool(dir.path(), {"-q", "-o", "empty.out", "empty.stl"});
    WriteOptions options;
    options.name = "empty.stl";
    const ConvertResult empty = write_facets(dir / "empty.lib", nullptr, 0, nullptr, options);
    ASSERT_EQ(empty.problems.size(), 1u);
    EXPECT_EQ(empty.problems[0], "No facet to convert in [empty.stl]");
    EXPECT_EQ(mask_date(read_file(dir / "empty.lib")), mask_date(read_file(dir / "empty.out")));

    FacetWriter writer;
    EXPECT_FALSE(writer.open(dir / "no" / "such" / "folder.kpf"));
    EXPECT_EQ(writer.finish().failure, Failure::output_not_opened);
    EXPECT_EQ(FacetWriter().finish().failure, Failure::output_not_opened);
}

TEST(Library, FacetReaderGivesTheFannedTrianglesInFileOrder) {
    TempDir dir;
    const std::vector<Triangle> expected = triangles_of(made_facets());
    const IndexedMesh mesh = index_facets(expected, true);
    write_file(dir / "part.obj", obj_text(mesh, ObjStyle{}));
    write_file(dir / "part.mesh", ply_file(mesh, PlyStyle{}));
    for (const auto& [name, from] : {std::pair<const char*, const char*>{"part.obj", nullptr}, {"part.mesh", "ply"}}) {
        SCOPED_TRACE(name);
        FacetReader reader;
        ASSERT_TRUE(reader.open(dir / name, from ? std::optional<std::string>(from) : std::nullopt));
        std::size_t count = 0;
        trimora::Triangle triangle;
        bool same = true;
        while (reader.next(triangle)) {
            for (int v = 0; v < 3; ++v) {
                for (int axis = 0; axis < 3; ++axis) {
                    same = same && count < expected.size() && triangle.vertices[v][axis] == expected[count][v][axis];
                }
            }
            ++count;
        }
        EXPECT_TRUE(same);
        EXPECT_EQ(count, expected.size());
        const ConvertResult result = reader.finish();
        EXPECT_TRUE(result.ok());
        EXPECT_EQ(result.facets, expected.size());
    }
    const ReadResult read = read_facets(dir / "part.obj");
    ASSERT_EQ(read.vertices.size(), 9 * expected.size());
    ASSERT_EQ(read.normals.size(), 3 * expected.size());
    EXPECT_EQ(read.vertices[9], expected[1][0][0]);
    EXPECT_EQ(read.result.format, "obj");

    write_file(dir / "bad.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\nf 1 2 3\n");
    const ReadResult bad = read_facets(dir / "bad.obj");
    EXPECT_EQ(bad.vertices.size(), 9u);
    ASSERT_EQ(bad.result.problems.size(), 1u);
    EXPECT_FALSE(bad.result.ok());
    EXPECT_EQ(bad.result.failure, Failure::none);
    EXPECT_EQ(read_facets(dir / "none.obj").result.failure, Failure::input_not_opened);
    EXPECT_EQ(read_facets(dir / "part.obj", "nope").result.failure, Failure::bad_option);
    write_file(dir / "cut.stl", kCorruptGzip);
    EXPECT_EQ(read_facets(dir / "cut.stl").result.failure, Failure::input_not_read);
}

TEST(Library, MeshReportIsTheToolsJsonLine) {
    TempDir dir;
    write_file(dir / "part.stl", binary_stl("made", made_facets()));
    write_file(dir / "cut.stl", "solid x\n  facet normal 0 0 1\n    outer loop\n      vertex 0 0 0\n");
    const ToolRun run = run_tool_streams(dir.path(), {"--info", "--json", "part.stl"});
    const fs::path old = fs::current_path();
    fs::current_path(dir.path());
    const MeshInfo info = mesh_report("part.stl");
    fs::current_path(old);
    EXPECT_EQ(console_lines(info.json), run.console);
    EXPECT_TRUE(info.result.ok());
    EXPECT_EQ(info.facets, made_facets().size());
    EXPECT_TRUE(info.closed);
    EXPECT_EQ(info.boundary_edges, 0u);
    EXPECT_EQ(info.format, "stl-binary");
    EXPECT_EQ(mesh_report(dir / "none.stl").result.failure, Failure::input_not_opened);
    EXPECT_TRUE(mesh_report(dir / "none.stl").json.empty());
}

TEST(Library, SeparateConversionsRunOnSeparateThreads) {
    TempDir dir;
    write_file(dir / "in.stl", binary_stl("in", float_torus(40, 30)));
    const ConvertResult alone = convert_file(dir / "in.stl", dir / "alone.kpf");
    ASSERT_TRUE(alone.ok());
    const std::string expected = mask_date(read_file(dir / "alone.kpf"));
    std::vector<std::thread> threads;
    std::vector<int> same(6, 0);
    for (int i = 0; i < 6; ++i) {
        threads.emplace_back([&, i] {
            const std::string name = "out" + std::to_string(i) + ".kpf";
            if (i % 2 == 0) {
                const ConvertResult result = convert_file(dir / "in.stl", dir / name);
                same[i] = result.ok() && mask_date(read_file(dir / name)) == expected;
            } else {
                const ReadResult read = read_facets(dir / "in.stl");
                WriteOptions options;
                options.name = utf8(dir / "in.stl");
                const ConvertResult result =
                    write_facets(dir / name, read.vertices.data(), read.vertices.size() / 9, nullptr, options);
                same[i] = result.ok() && mask_date(read_file(dir / name)) == expected;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int i = 0; i < 6; ++i) EXPECT_EQ(same[i], 1) << "thread " << i;
    EXPECT_STREQ(version(), "1.3");
}

}  // namespace
}  // namespace trimora::testing
