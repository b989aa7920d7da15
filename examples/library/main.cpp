// Converts a mesh file into KPF, and writes a tetrahedron made in memory as a VQ wire frame.
//   trimora_example INPUT OUTPUT.kpf TETRAHEDRON.kpf
#include <trimora/trimora.h>

#include <cstdio>
#include <string>

namespace {

// Prints the problem lines and says whether the run went well.
bool report(const char* what, const trimora::ConvertResult& result) {
    for (const std::string& problem : result.problems) std::fprintf(stderr, "%s: %s\n", what, problem.c_str());
    std::printf("%s: %llu facets%s\n", what, static_cast<unsigned long long>(result.facets),
                result.ok() ? "" : ", with problems");
    return result.ok();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: trimora_example INPUT OUTPUT.kpf TETRAHEDRON.kpf\n");
        return 2;
    }
    // A file converted as `trimora -o OUTPUT INPUT` converts it.
    const bool converted = report(argv[1], trimora::convert_file(argv[1], argv[2]));

    // Four facets of a tetrahedron, their normals left to the writer.
    const double corners[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const int faces[4][3] = {{0, 2, 1}, {0, 1, 3}, {1, 2, 3}, {0, 3, 2}};
    trimora::WriteOptions options;
    options.form = trimora::Form::wire;
    options.name = "tetrahedron";
    trimora::FacetWriter writer;
    if (writer.open(argv[3], options)) {
        for (const auto& face : faces) {
            double vertices[3][3];
            for (int v = 0; v < 3; ++v) {
                for (int axis = 0; axis < 3; ++axis) vertices[v][axis] = corners[face[v]][axis];
            }
            writer.write(vertices);
        }
    }
    const bool written = report(argv[3], writer.finish());
    return converted && written ? 0 : 1;
}
