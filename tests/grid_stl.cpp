// Writes an ASCII STL grid surface of at least a given size, for the memory and time bounds test.
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// One square of the grid as two facets; coordinates with a few decimals, as
// exporters write them. Every facet brings new edges, so a large grid holds
// far more than 5000 distinct edges.
std::string square(int i, int j) {
    char text[1024];
    const double x0 = i * 0.5;
    const double x1 = x0 + 0.5;
    const double y0 = j * 0.25;
    const double y1 = y0 + 0.25;
    const double z = ((i * 7 + j * 3) % 11) * 0.125;
    const int n = std::snprintf(text, sizeof text,
                                "  facet normal 0.000000e+00 0.000000e+00 1.000000e+00\n"
                                "    outer loop\n"
                                "      vertex %.6e %.6e %.6e\n"
                                "      vertex %.6e %.6e %.6e\n"
                                "      vertex %.6e %.6e %.6e\n"
                                "    endloop\n"
                                "  endfacet\n"
                                "  facet normal 0.000000e+00 0.000000e+00 1.000000e+00\n"
                                "    outer loop\n"
                                "      vertex %.6e %.6e %.6e\n"
                                "      vertex %.6e %.6e %.6e\n"
                                "      vertex %.6e %.6e %.6e\n"
                                "    endloop\n"
                                "  endfacet\n",
                                x0, y0, z, x1, y0, z, x1, y1, z, x0, y0, z, x1, y1, z, x0, y1, z);
    return std::string(text, static_cast<std::size_t>(n));
}

}  // namespace

int main(int argc, char** argv) {
    char* end = nullptr;
    const long long megabytes = argc == 3 ? std::strtoll(argv[1], &end, 10) : 0;
    if (argc != 3 || *end != '\0' || megabytes <= 0 || megabytes > 100000) {
        static_cast<void>(std::fputs("usage: grid_stl <megabytes> <file>\n", stderr));  // nowhere else to say it
        return 2;
    }
    const long long target = megabytes * 1024 * 1024;
    std::FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr) {
        std::perror(argv[2]);
        return 1;
    }
    long long written = std::fprintf(out, "solid grid\n");
    constexpr int kColumns = 1000;
    for (int j = 0; written < target; ++j) {
        for (int i = 0; i < kColumns && written < target; ++i) {
            const std::string text = square(i, j);
            written += static_cast<long long>(std::fwrite(text.data(), 1, text.size(), out));
        }
    }
    const bool ended = std::fprintf(out, "endsolid grid\n") > 0;
    return std::fclose(out) == 0 && ended ? 0 : 1;
}
