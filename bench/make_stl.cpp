// Writes a deterministic closed STL mesh (a torus) for the benchmarks.
//
// Usage: make_stl <facets> <e|f|b|o> <file>
// The torus has every edge shared by two facets, like a real closed part; its
// numbers are written as "%e" (as many CAD exporters do) or "%f", or the same
// facets go into a binary STL file (b), the ASCII files' binary twin, or into
// an OBJ file (o): each point once as "%e", the facets as faces of three
// indices, which give the "%e" STL file's facets exactly.
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

struct Point {
    double x, y, z;
};

Point torus_point(int i, int j, int rings, int sides) {
    const double pi = 3.14159265358979323846;
    const double u = 2 * pi * i / rings;
    const double v = 2 * pi * j / sides;
    const double r = 40.0 + 12.5 * std::cos(v);
    return {r * std::cos(u), r * std::sin(u), 12.5 * std::sin(v)};
}

// Little-endian, as binary STL files are on every platform.
void put_u32(std::FILE* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), out);
}

void put_float(std::FILE* out, double value) {
    const auto single = static_cast<float>(value);
    std::uint32_t bits;
    std::memcpy(&bits, &single, sizeof bits);
    put_u32(out, bits);
}

void write_binary_facet(std::FILE* out, const Point& n, const Point& a, const Point& b,
                        const Point& c) {
    for (const Point* p : {&n, &a, &b, &c}) {
        put_float(out, p->x);
        put_float(out, p->y);
        put_float(out, p->z);
    }
    std::fputc(0, out);
    std::fputc(0, out);
}

void write_facet(std::FILE* out, const char* number, const Point& a, const Point& b,
                 const Point& c) {
    const Point e1{b.x - a.x, b.y - a.y, b.z - a.z};
    const Point e2{c.x - a.x, c.y - a.y, c.z - a.z};
    Point n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
    const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (length > 0) n = {n.x / length, n.y / length, n.z / length};
    if (number == nullptr) {
        write_binary_facet(out, n, a, b, c);
        return;
    }
    char format[128];
    std::snprintf(format, sizeof format, "  facet normal %s %s %s\n", number, number, number);
    std::fprintf(out, format, n.x, n.y, n.z);
    std::fputs("    outer loop\n", out);
    std::snprintf(format, sizeof format, "      vertex %s %s %s\n", number, number, number);
    for (const Point* p : {&a, &b, &c}) std::fprintf(out, format, p->x, p->y, p->z);
    std::fputs("    endloop\n  endfacet\n", out);
}

// The torus as OBJ: point (i, j) is vertex i * sides + j + 1, and each quad
// gives the two faces whose facets the STL forms write.
void write_obj(std::FILE* out, int rings, int sides) {
    std::fputs("# torus\n", out);
    for (int i = 0; i < rings; ++i) {
        for (int j = 0; j < sides; ++j) {
            const Point p = torus_point(i, j, rings, sides);
            std::fprintf(out, "v %e %e %e\n", p.x, p.y, p.z);
        }
    }
    const auto index = [&](int i, int j) { return static_cast<long>(i % rings) * sides + j % sides + 1; };
    for (int i = 0; i < rings; ++i) {
        for (int j = 0; j < sides; ++j) {
            const long a = index(i, j);
            const long b = index(i + 1, j);
            const long c = index(i + 1, j + 1);
            const long d = index(i, j + 1);
            std::fprintf(out, "f %ld %ld %ld\nf %ld %ld %ld\n", a, b, c, a, c, d);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_stl <facets> <e|f|b|o> <file>\n");
        return 2;
    }
    const long facets = std::atol(argv[1]);
    const char form = argv[2][0];
    const char* number = form == 'b' ? nullptr : form == 'f' ? "%f" : "%e";
    std::FILE* out = std::fopen(argv[3], "wb");
    if (out == nullptr) return 1;
    // A grid of rings x sides quads, two facets each, close to the facets asked for.
    const int sides = static_cast<int>(std::sqrt(facets / 2.0 / 2.0));
    const int rings = static_cast<int>(facets / 2 / (sides > 0 ? sides : 1));
    if (form == 'o') {
        write_obj(out, rings, sides);
        return std::fclose(out) == 0 ? 0 : 1;
    }
    if (number == nullptr) {
        char header[80] = "binary torus";
        std::fwrite(header, 1, sizeof header, out);
        put_u32(out, static_cast<std::uint32_t>(2L * rings * sides));
    } else {
        std::fputs("solid torus\n", out);
    }
    for (int i = 0; i < rings; ++i) {
        for (int j = 0; j < sides; ++j) {
            const Point a = torus_point(i, j, rings, sides);
            const Point b = torus_point((i + 1) % rings, j, rings, sides);
            const Point c = torus_point((i + 1) % rings, (j + 1) % sides, rings, sides);
            const Point d = torus_point(i, (j + 1) % sides, rings, sides);
            write_facet(out, number, a, b, c);
            write_facet(out, number, a, c, d);
        }
    }
    if (number != nullptr) std::fputs("endsolid torus\n", out);
    return std::fclose(out) == 0 ? 0 : 1;
}
