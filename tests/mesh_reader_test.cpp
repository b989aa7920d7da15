// Every format written from STL meshes and read back facet for facet.
#include "readers/mesh_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "mesh_files.h"
#include "platform/byte_source.h"
#include "run_tool.h"

namespace trimora::testing {
namespace {

namespace fs = std::filesystem;

// A test mesh: its name and facets.
struct SourceMesh {
    std::string name;
    std::vector<FloatFacet> facets;
};

// The torus made here, and every binary STL file of the shared corpus when it is there.
std::vector<SourceMesh> source_meshes() {
    std::vector<SourceMesh> meshes = {{"torus", float_torus(9, 7)}};
    const fs::path corpus = corpus_dir();
    if (corpus.empty()) return meshes;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus / "binary")) {
        meshes.push_back({entry.path().filename().string(), load_binary_stl(entry.path())});
    }
    return meshes;
}

// One way of writing a mesh, and whether it keeps polygons.
struct Writing {
    const char* what;
    MeshFormat format;
    bool polygons;
    std::string (*write)(const IndexedMesh&);
    const char* format_name;
    bool normals = false;  // the format gives each facet's normal
};

std::string plain_obj(const IndexedMesh& mesh) { return obj_text(mesh, {}); }
std::string relative_obj(const IndexedMesh& mesh) { return obj_text(mesh, {true, true}); }
std::string decorated_obj(const IndexedMesh& mesh) { return obj_text(mesh, {false, true}); }
std::string off(const IndexedMesh& mesh) { return off_text(mesh, "OFF"); }
std::string coff(const IndexedMesh& mesh) { return off_text(mesh, "COFF"); }
std::string noff(const IndexedMesh& mesh) { return off_text(mesh, "NOFF"); }
std::string cnoff(const IndexedMesh& mesh) { return off_text(mesh, "CNOFF"); }
std::string ply_ascii(const IndexedMesh& mesh) { return ply_file(mesh, {PlyEncoding::kAscii, true}); }
std::string ply_ascii_extras(const IndexedMesh& mesh) {
    return ply_file(mesh, {PlyEncoding::kAscii, true, "int", "uint", true, true, "vertex_index"});
}
std::string ply_little(const IndexedMesh& mesh) { return ply_file(mesh, {PlyEncoding::kLittleEndian}); }
std::string ply_big(const IndexedMesh& mesh) { return ply_file(mesh, {PlyEncoding::kBigEndian}); }
std::string ply_little_extras(const IndexedMesh& mesh) {
    return ply_file(mesh, {PlyEncoding::kLittleEndian, true, "ushort", "int", true, false});
}
std::string ply_big_faces_first(const IndexedMesh& mesh) {
    return ply_file(mesh, {PlyEncoding::kBigEndian, false, "char", "uint", true, true, "vertex_index"});
}
// STL of the fanned facets, with zero normals as many exporters write them.
std::vector<FloatFacet> float_facets(const IndexedMesh& mesh) {
    std::vector<FloatFacet> facets;
    for (const Triangle& triangle : fan(mesh)) {
        FloatFacet facet{{0, 0, 0}, {}};
        for (int v = 0; v < 3; ++v) {
            for (int axis = 0; axis < 3; ++axis) facet.vertices[v][axis] = static_cast<float>(triangle[v][axis]);
        }
        facets.push_back(facet);
    }
    return facets;
}
std::string stl_ascii(const IndexedMesh& mesh) { return ascii_twin(float_facets(mesh)); }
std::string stl_binary(const IndexedMesh& mesh) { return binary_stl("solid part", float_facets(mesh)); }
std::string three_mf_deflated(const IndexedMesh& mesh) { return zip_file(package_parts(model_xml(mesh))); }
std::string three_mf_stored(const IndexedMesh& mesh) { return zip_file(package_parts(model_xml(mesh), false)); }

// The text with every LF a lone CR, as older files end their lines.
std::string lone_cr(std::string text) {
    for (char& c : text) {
        if (c == '\n') c = '\r';
    }
    return text;
}
std::string lone_cr_obj(const IndexedMesh& mesh) { return lone_cr(plain_obj(mesh)); }
std::string lone_cr_off(const IndexedMesh& mesh) { return lone_cr(off(mesh)); }
std::string lone_cr_ply(const IndexedMesh& mesh) { return lone_cr(ply_ascii(mesh)); }

const Writing kWritings[] = {
    {"ascii stl", MeshFormat::kStl, false, stl_ascii, "stl-ascii", true},
    {"binary stl", MeshFormat::kStl, false, stl_binary, "stl-binary"},
    {"obj", MeshFormat::kObj, true, plain_obj, "obj"},
    {"obj with relative indices", MeshFormat::kObj, true, relative_obj, "obj"},
    {"obj with every face form", MeshFormat::kObj, true, decorated_obj, "obj"},
    {"OFF", MeshFormat::kOff, true, off, "off"},
    {"COFF", MeshFormat::kOff, true, coff, "off"},
    {"NOFF", MeshFormat::kOff, true, noff, "off"},
    {"CNOFF", MeshFormat::kOff, true, cnoff, "off"},
    {"ascii ply", MeshFormat::kPly, true, ply_ascii, "ply-ascii"},
    {"ascii ply, faces first, more to skip", MeshFormat::kPly, true, ply_ascii_extras, "ply-ascii"},
    {"little-endian ply", MeshFormat::kPly, true, ply_little, "ply-binary"},
    {"big-endian ply", MeshFormat::kPly, true, ply_big, "ply-binary"},
    {"little-endian ply of doubles, more to skip", MeshFormat::kPly, true, ply_little_extras, "ply-binary"},
    {"big-endian ply, faces first", MeshFormat::kPly, true, ply_big_faces_first, "ply-binary"},
    {"obj with lone CR line ends", MeshFormat::kObj, true, lone_cr_obj, "obj"},
    {"OFF with lone CR line ends", MeshFormat::kOff, true, lone_cr_off, "off"},
    {"ascii ply with lone CR line ends", MeshFormat::kPly, true, lone_cr_ply, "ply-ascii"},
    {"3mf deflated", MeshFormat::k3mf, false, three_mf_deflated, "3mf"},
    {"3mf stored", MeshFormat::k3mf, false, three_mf_stored, "3mf"},
};

TEST(MeshReader, EveryFormatGivesTheFacetsOfItsStlTwin) {
    int polygons = 0;
    for (const SourceMesh& source : source_meshes()) {
        const std::vector<Triangle> expected = triangles_of(source.facets);
        for (const Writing& writing : kWritings) {
            const IndexedMesh mesh = index_facets(expected, writing.polygons);
            // The writing itself keeps the facets: fanning its polygons gives them back.
            ASSERT_TRUE(fan(mesh) == expected) << source.name;
            if (writing.polygons) polygons += static_cast<int>(expected.size() - mesh.faces.size());
            // char counts hold polygons of at most 127 vertices.
            const std::string bytes = writing.write(mesh);
            for (const bool gzip : {false, true}) {
                const ReadBack read = read_back(writing.format, gzip ? gzip_bytes(bytes, 3) : bytes, "part", gzip);
                const std::string what = source.name + " as " + writing.what + (gzip ? " in gzip" : "");
                EXPECT_EQ(first_difference(read.facets, expected), "") << what;
                EXPECT_EQ(read.problems, std::vector<std::string>()) << what;
                EXPECT_TRUE(read.read_to_end) << what;
                EXPECT_EQ(read.format_name, writing.format_name) << what;
                EXPECT_EQ(read.unit, writing.format == MeshFormat::k3mf ? "millimeter" : "") << what;
                for (const Facet& facet : read.facets) ASSERT_EQ(facet.has_normal, writing.normals) << what;
            }
        }
    }
    // The torus alone is all quads: polygons were written and fanned.
    EXPECT_GT(polygons, 0);
}

// The facets moved by a 3MF transform, m00 m01 m02 m10 ... m32: each point
// the row vector [x y z 1] times the matrix.
std::vector<Triangle> transformed(const std::vector<Triangle>& facets, const double (&m)[12]) {
    std::vector<Triangle> moved;
    for (const Triangle& facet : facets) {
        Triangle out;
        for (int v = 0; v < 3; ++v) {
            const Point& p = facet[v];
            for (int j = 0; j < 3; ++j) out[v][j] = p[0] * m[j] + p[1] * m[3 + j] + p[2] * m[6 + j] + m[9 + j];
        }
        moved.push_back(out);
    }
    return moved;
}

// The meshes as objects placed by components and items: the components'
// transforms apply first, the items' last. The components scale by powers of
// two and turn by quarter turns, which is exact; only the item moves, so each
// coordinate is rounded once, by one addition, however the matrices are
// combined. Values are compared as numbers: a zero may come out -0 by one
// order of the sums and 0 by another.
TEST(MeshReader, ThreeMfComponentsPlaceTheObjectsOfTheCorpus) {
    const double scale[12] = {2, 0, 0, 0, 2, 0, 0, 0, 0.5, 0, 0, 0};
    // (x, y, z) -> (x, -z, y), then (x, y, z) -> (3 - y, x, z + 4).
    const double tilt[12] = {1, 0, 0, 0, 0, 1, 0, -1, 0, 0, 0, 0};
    const double turn[12] = {0, 1, 0, -1, 0, 0, 0, 0, 1, 3, 0, 4};
    const auto text = [](const double (&m)[12]) {
        std::string words;
        for (const double value : m) words += exact_text(value) + " ";
        return words;
    };
    for (const SourceMesh& source : source_meshes()) {
        const std::vector<Triangle> facets = triangles_of(source.facets);
        const IndexedMesh mesh = index_facets(facets, false);
        const std::string model = model_xml(
            mesh,
            "  <object id=\"2\"><components>\n"
            "   <component objectid=\"1\" transform=\"" + text(scale) + "\"/>\n"
            "   <component objectid=\"1\"/>\n  </components></object>\n"
            "  <object id=\"3\"><components><component objectid=\"2\" transform=\"" + text(tilt) +
                "\"/></components></object>\n",
            "  <item objectid=\"3\" transform=\"" + text(turn) + "\"/>\n  <item objectid=\"1\"/>\n");
        std::vector<Triangle> expected = transformed(transformed(transformed(facets, scale), tilt), turn);
        const std::vector<Triangle> plain_placed = transformed(transformed(facets, tilt), turn);
        expected.insert(expected.end(), plain_placed.begin(), plain_placed.end());
        expected.insert(expected.end(), facets.begin(), facets.end());
        const ReadBack read = read_back(MeshFormat::k3mf, gzip_bytes(zip_file(package_parts(model))), "p.3mf", true);
        EXPECT_EQ(read.problems, std::vector<std::string>()) << source.name;
        ASSERT_EQ(read.facets.size(), expected.size()) << source.name;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            for (int v = 0; v < 3; ++v) {
                for (int j = 0; j < 3; ++j) {
                    ASSERT_EQ(read.facets[i].vertices[v][j], expected[i][v][j]) << source.name << " facet " << i;
                }
            }
        }
    }
}

// KPF from facets read back and written again in either keyword set gives
// the bytes those facets give in that set: every number comes back.
TEST(MeshReader, KpfReadBackWritesTheSameKpfInEitherKeywordSet) {
    for (const SourceMesh& source : source_meshes()) {
        const std::vector<Triangle> facets = triangles_of(source.facets);
        std::vector<Point> normals;
        for (const FloatFacet& facet : source.facets) normals.push_back({facet.normal[0], facet.normal[1], facet.normal[2]});
        for (const bool numbers : {false, true}) {
            const ReadBack read = read_back(MeshFormat::kKpf, kpf_file(facets, normals, numbers), "part.kpf");
            ASSERT_EQ(read.problems, std::vector<std::string>()) << source.name;
            ASSERT_TRUE(read.read_to_end);
            EXPECT_EQ(read.format_name, "kpf");
            std::vector<Triangle> again;
            std::vector<Point> again_normals;
            for (const Facet& facet : read.facets) {
                ASSERT_TRUE(facet.has_normal);
                again.push_back({Point{facet.vertices[0][0], facet.vertices[0][1], facet.vertices[0][2]},
                                 Point{facet.vertices[1][0], facet.vertices[1][1], facet.vertices[1][2]},
                                 Point{facet.vertices[2][0], facet.vertices[2][1], facet.vertices[2][2]}});
                again_normals.push_back({facet.normal[0], facet.normal[1], facet.normal[2]});
            }
            EXPECT_EQ(kpf_file(again, again_normals, !numbers), kpf_file(facets, normals, !numbers)) << source.name;
        }
    }
}

}  // namespace
}  // namespace trimora::testing
