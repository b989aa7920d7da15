// Test mesh files of every format the readers take, written from facets, and reading them back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "compressed_files.h"
#include "readers/mesh_reader.h"
#include "stl_files.h"

namespace trimora::testing {

using Point = std::array<double, 3>;
using Triangle = std::array<Point, 3>;

// Facets as the readers give them: three vertices, in order.
std::vector<Triangle> triangles_of(const std::vector<FloatFacet>& facets);

// The facets of a binary STL file (its records, with the count the file holds).
std::vector<FloatFacet> load_binary_stl(const std::filesystem::path& path);

// A closed torus of rings x sides quads, each split into two facets; every
// coordinate is a float, so that binary STL and the text formats hold it exactly.
std::vector<FloatFacet> float_torus(int rings, int sides);

// A mesh by vertex table and polygons.
struct IndexedMesh {
    std::vector<Point> vertices;
    std::vector<std::vector<std::size_t>> faces;
};

// The facets as a vertex table (points equal in every bit share one entry)
// and faces. With polygons, runs of facets that fan from one vertex,
// (a b c) (a c d) ..., become one polygon (a b c d ...), which gives the
// same facets back; a polygon stops growing at max_polygon vertices.
IndexedMesh index_facets(const std::vector<Triangle>& facets, bool polygons, std::size_t max_polygon = 100);

// The facets a reader gives for the mesh: each polygon fanned from its first vertex.
std::vector<Triangle> fan(const IndexedMesh& mesh);

// The shortest decimal text that reads back as the same double.
std::string exact_text(double value);

struct ObjStyle {
    bool relative = false;   // negative indices, each vertex written just before its first face
    bool decorated = false;  // w values, texture and normal indices, other statements, comments, '\' lines
};
std::string obj_text(const IndexedMesh& mesh, ObjStyle style);

// The header word: OFF, COFF, NOFF, CNOFF; COFF and CNOFF faces and vertices get colour columns.
std::string off_text(const IndexedMesh& mesh, const std::string& word);

enum class PlyEncoding { kAscii, kLittleEndian, kBigEndian };
struct PlyStyle {
    PlyEncoding encoding = PlyEncoding::kAscii;
    bool doubles = false;       // coordinates as double (else float: the mesh must hold floats)
    std::string count_type = "uchar";
    std::string index_type = "int";
    bool extras = false;        // more elements and properties the reader must skip
    bool faces_first = false;   // the face element before the vertex element
    std::string index_name = "vertex_indices";
};
std::string ply_file(const IndexedMesh& mesh, const PlyStyle& style);

// The package parts around a model: content types and the relationship to 3D/3dmodel.model.
std::vector<ZipFile> package_parts(const std::string& model, bool deflate = true);
// A 3MF model with the mesh as object 1, then the more objects, and the
// build items (by default one for object 1).
std::string model_xml(const IndexedMesh& mesh, const std::string& more_objects = "",
                      const std::string& items = "  <item objectid=\"1\"/>\n");

// The facets in trimora's KPF form, each line ending in CR LF: header, then
// per facet an empty line and normal and vertex line pairs, then the trailer.
std::string kpf_file(const std::vector<Triangle>& facets, const std::vector<Point>& normals, bool numbers);

// Everything a reader gives for bytes of a format.
struct ReadBack {
    std::vector<Facet> facets;
    std::vector<std::string> problems;
    std::string order;  // one letter per step: F facet, P problem
    bool read_to_end = false;
    std::string format_name;
    std::string unit;
    int facet_count = 0;  // the count a run reports
};
ReadBack read_back(MeshFormat format, const std::string& bytes, const std::string& name = "part",
                   bool gzip = false, const ReaderOptions& options = {});
// The same for the bytes of a source.
ReadBack read_back(MeshFormat format, ByteSource& source, const std::string& name,
                   const ReaderOptions& options = {});

// The steps in order, one line each: a facet as "x y z | x y z | x y z" in
// shortest decimals (with " n x y z" after it when it has a normal), a
// problem as its message.
std::string steps_text(const ReadBack& read);

// True when every coordinate of the facets has the bits of the expected one.
bool same_bits(const std::vector<Facet>& facets, const std::vector<Triangle>& expected);

// The text of the first facet that differs, or empty.
std::string first_difference(const std::vector<Facet>& facets, const std::vector<Triangle>& expected);

}  // namespace trimora::testing
