// trimora as a library: mesh files and meshes in memory converted into KPF, VQ or STL, byte for
// byte as the trimora tool writes them, and mesh files read or reported on.
//
// Errors are values: no function here throws for a file that cannot be opened, read or written.
// Each says what went wrong in what it returns (ConvertResult::failure and ::problems); only
// std::bad_alloc may escape, when memory runs out outside a conversion.
//
// Threads: every object here is its own; separate conversions, readers, writers and reports may
// run on separate threads at once. One object is not to be used by two threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace trimora {

// The output forms: KPF facets with TEXT ("nrml", "trng") or NUMBER ("5", "4") keywords, the VQ
// wire frame, or ASCII STL.
enum class Form { text, numb, wire, stl };

struct ConvertOptions {
    Form form = Form::text;
    // With Form::wire: every distinct edge, with no line list capacity.
    bool all_edges = false;
    // The input's format (stl, obj, ply, off, 3mf, kpf, optionally ".gz" after it) where its
    // name's extension tells none, as the tool's --from.
    std::optional<std::string> from_format{};
};

// What stopped a run, if anything did. Problem lines on their own stop nothing.
enum class Failure {
    none,
    bad_option,           // an option the run cannot take (an unknown format word, all_edges without wire)
    input_not_opened,     // the input does not exist, is a folder, or cannot be opened
    output_not_opened,    // the output cannot be made, or is the input itself
    input_not_read,       // the input could not be read as its format to its end; no output is left
    output_not_written,   // a write failed; the old output, if any, stays as it was
    out_of_memory,
};

struct ConvertResult {
    // The facet count the tool reports (ASCII STL counts its facet lines).
    std::uint64_t facets = 0;
    // The problem lines the tool prints for this file, each without its line end.
    std::vector<std::string> problems{};
    Failure failure = Failure::none;
    // What was read: stl-ascii, stl-binary, obj, ply-ascii, ply-binary, off, 3mf or kpf, with
    // ".gz" after it for a compressed input; empty when nothing was read.
    std::string format{};
    // The unit of a 3MF model; empty for the other formats.
    std::string unit{};

    // True when the file had no problem, as the tool's modern form judges it (exit status 0).
    bool ok() const { return failure == Failure::none && problems.empty(); }
};

// Converts the input file into the output file as `trimora -f FORM -o OUTPUT INPUT` does, with
// the same bytes, and prints nothing. The output replaces an old file whole, and only when the
// input was read to its end and every write succeeded; otherwise the old file stays as it was.
ConvertResult convert_file(const std::filesystem::path& input, const std::filesystem::path& output,
                           const ConvertOptions& options = {});

// A triangle: three vertices, x, y, z each, and a normal where one is known.
struct Triangle {
    double vertices[3][3] = {};
    double normal[3] = {0.0, 0.0, 0.0};
    bool has_normal = false;
};

struct WriteOptions {
    Form form = Form::text;
    bool all_edges = false;  // with Form::wire, as in ConvertOptions
    // The name written in the "$ File:" line, and after solid and endsolid (its last part without
    // extensions), as the tool writes the name of its input.
    std::string name = "mesh";
};

// Writes triangles made in memory as the tool writes the same facets read from a binary STL file
// named options.name: a facet with no normal, or a zero one, gets its vertices' normal
// ((v1 - v0) x (v2 - v0) made unit); any other normal is made a unit normal.
class FacetWriter {
public:
    FacetWriter();
    ~FacetWriter();
    FacetWriter(FacetWriter&&) noexcept;
    FacetWriter& operator=(FacetWriter&&) noexcept;

    // Starts the file that will replace output; false when it cannot (then finish() says why).
    bool open(const std::filesystem::path& output, const WriteOptions& options = {});
    // One triangle: vertices[i] is vertex i.
    void write(const double vertices[3][3]);
    void write(const double vertices[3][3], const double normal[3]);
    void write(const Triangle& triangle);
    // count triangles of nine doubles each, vertex by vertex; normals, when not null, three
    // doubles per triangle.
    void write_many(const double* vertices, std::size_t count, const double* normals = nullptr);
    // Writes the trailer and puts the file in place of the old one, unless a write failed.
    // No triangle at all is a problem, as the tool says of an input with none.
    ConvertResult finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Writes the triangles into output in one call: FacetWriter's open, write_many and finish.
ConvertResult write_facets(const std::filesystem::path& output, const double* vertices, std::size_t count,
                           const double* normals = nullptr, const WriteOptions& options = {});

// Reads the triangles of a mesh file of any format the tool reads, in file order, polygons
// fanned from their first vertex.
class FacetReader {
public:
    FacetReader();
    ~FacetReader();
    FacetReader(FacetReader&&) noexcept;
    FacetReader& operator=(FacetReader&&) noexcept;

    // Opens the input; false when it cannot be opened or from_format names no format (then
    // finish() says why).
    bool open(const std::filesystem::path& input, const std::optional<std::string>& from_format = {});
    // The next triangle; false at the end. Problems of the input are kept for finish().
    bool next(Triangle& triangle);
    // Reads on to the end and says how the reading went: the facet count, the problem lines,
    // input_not_read when the input could not be read to its end.
    ConvertResult finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Every triangle of a file, nine doubles each (vertex by vertex), with how the reading went.
struct ReadResult {
    std::vector<double> vertices{};
    std::vector<double> normals{};  // three per triangle: the given normal, or the vertices'
    ConvertResult result{};
};
ReadResult read_facets(const std::filesystem::path& input, const std::optional<std::string>& from_format = {});

// The mesh report of `trimora --info --json`: the same figures under the same names.
struct MeshInfo {
    std::string file{};    // the input's name, as given
    std::string format{};  // what was read, as ConvertResult::format
    std::string unit{};    // a 3MF model's unit; empty for other formats
    std::uint64_t facets = 0;
    std::uint64_t vertices = 0;
    std::uint64_t edges = 0;
    std::uint64_t boundary_edges = 0;
    std::uint64_t nonmanifold_edges = 0;
    std::uint64_t degenerate_facets = 0;
    double min[3] = {};  // NaN on an axis with no coordinate that is not NaN
    double max[3] = {};
    double area = 0.0;
    double volume = 0.0;
    bool closed = false;
    // The tool's JSON line itself, LF-ended; empty when the file has no figures.
    std::string json{};
    // How the reading went; there are figures only when the input was read to its end.
    ConvertResult result{};
};
MeshInfo mesh_report(const std::filesystem::path& input, const std::optional<std::string>& from_format = {});

// The version of the library, as the tool's --version gives it: "1.3".
const char* version();

}  // namespace trimora
