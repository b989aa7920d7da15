// Writing test meshes in every input format, with exact numbers, and reading them back.
#include "mesh_files.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

#include "platform/byte_source.h"
#include "platform/format_lf.h"
#include "readers/gzip_source.h"
#include "run_tool.h"

namespace trimora::testing {

std::vector<Triangle> triangles_of(const std::vector<FloatFacet>& facets) {
    std::vector<Triangle> triangles;
    for (const FloatFacet& facet : facets) {
        Triangle triangle;
        for (int i = 0; i < 3; ++i) {
            for (int axis = 0; axis < 3; ++axis) triangle[i][axis] = facet.vertices[i][axis];
        }
        triangles.push_back(triangle);
    }
    return triangles;
}

std::vector<FloatFacet> load_binary_stl(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<FloatFacet> facets;
    if (bytes.size() < 84) return facets;
    for (std::size_t at = 84; at + 50 <= bytes.size(); at += 50) {
        FloatFacet facet;
        float values[12];
        for (int i = 0; i < 12; ++i) {
            std::uint32_t bits = 0;
            for (int b = 3; b >= 0; --b) bits = bits << 8 | static_cast<unsigned char>(bytes[at + 4 * static_cast<std::size_t>(i) + static_cast<std::size_t>(b)]);
            values[i] = std::bit_cast<float>(bits);
        }
        for (int axis = 0; axis < 3; ++axis) facet.normal[axis] = values[axis];
        for (int v = 0; v < 3; ++v) {
            for (int axis = 0; axis < 3; ++axis) facet.vertices[v][axis] = values[3 + 3 * v + axis];
        }
        facets.push_back(facet);
    }
    return facets;
}

std::vector<FloatFacet> float_torus(int rings, int sides) {
    const auto point = [&](int i, int j) {
        const double pi = 3.14159265358979323846;
        const double u = 2 * pi * (i % rings) / rings;
        const double v = 2 * pi * (j % sides) / sides;
        const double r = 40.0 + 12.5 * std::cos(v);
        return std::array<float, 3>{static_cast<float>(r * std::cos(u)), static_cast<float>(r * std::sin(u)),
                                    static_cast<float>(12.5 * std::sin(v))};
    };
    std::vector<FloatFacet> facets;
    const auto add = [&](const std::array<float, 3>& a, const std::array<float, 3>& b, const std::array<float, 3>& c) {
        FloatFacet facet{{0, 0, 0}, {}};
        const std::array<float, 3>* corners[3] = {&a, &b, &c};
        for (int v = 0; v < 3; ++v) {
            for (int axis = 0; axis < 3; ++axis) facet.vertices[v][axis] = (*corners[v])[axis];
        }
        facets.push_back(facet);
    };
    for (int i = 0; i < rings; ++i) {
        for (int j = 0; j < sides; ++j) {
            add(point(i, j), point(i + 1, j), point(i + 1, j + 1));
            add(point(i, j), point(i + 1, j + 1), point(i, j + 1));
        }
    }
    return facets;
}

IndexedMesh index_facets(const std::vector<Triangle>& facets, bool polygons, std::size_t max_polygon) {
    IndexedMesh mesh;
    std::map<std::array<std::uint64_t, 3>, std::size_t> places;
    const auto place = [&](const Point& point) {
        const std::array<std::uint64_t, 3> key = {std::bit_cast<std::uint64_t>(point[0]),
                                                  std::bit_cast<std::uint64_t>(point[1]),
                                                  std::bit_cast<std::uint64_t>(point[2])};
        const auto [found, added] = places.emplace(key, mesh.vertices.size());
        if (added) mesh.vertices.push_back(point);
        return found->second;
    };
    for (const Triangle& facet : facets) {
        const std::size_t a = place(facet[0]);
        const std::size_t b = place(facet[1]);
        const std::size_t c = place(facet[2]);
        if (polygons && !mesh.faces.empty()) {
            std::vector<std::size_t>& last = mesh.faces.back();
            if (last.front() == a && last.back() == b && last.size() < max_polygon) {
                last.push_back(c);
                continue;
            }
        }
        mesh.faces.push_back({a, b, c});
    }
    return mesh;
}

std::vector<Triangle> fan(const IndexedMesh& mesh) {
    std::vector<Triangle> facets;
    for (const auto& face : mesh.faces) {
        for (std::size_t i = 2; i < face.size(); ++i) {
            facets.push_back({mesh.vertices[face[0]], mesh.vertices[face[i - 1]], mesh.vertices[face[i]]});
        }
    }
    return facets;
}

std::string exact_text(double value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

namespace {

std::string point_text(const Point& point) {
    return exact_text(point[0]) + " " + exact_text(point[1]) + " " + exact_text(point[2]);
}

}  // namespace

std::string obj_text(const IndexedMesh& mesh, ObjStyle style) {
    std::string text = style.decorated ? "# written for a test\r\nmtllib parts.mtl\r\no part\r\n" : "";
    std::vector<std::size_t> written(mesh.vertices.size(), 0);  // 1-based place in the file, 0: not yet
    std::size_t count = 0;
    const auto write_vertex = [&](std::size_t index) {
        written[index] = ++count;
        text += "v " + point_text(mesh.vertices[index]);
        text += style.decorated ? " 1.0\r\n" : "\n";
        if (style.decorated && count % 7 == 0) text += "vt 0.5 0.5\nvn 0 0 1\n";
    };
    if (!style.relative) {
        for (std::size_t i = 0; i < mesh.vertices.size(); ++i) write_vertex(i);
    }
    std::size_t face_number = 0;
    for (const auto& face : mesh.faces) {
        if (style.relative) {
            for (const std::size_t index : face) {
                if (written[index] == 0) write_vertex(index);
            }
        }
        ++face_number;
        if (style.decorated && face_number % 11 == 0) text += "g group" + std::to_string(face_number) + "\nusemtl red\ns 1\n";
        std::string line = style.decorated && face_number % 2 == 0 ? "  f" : "f";
        for (std::size_t k = 0; k < face.size(); ++k) {
            const std::size_t place = written[face[k]];
            const std::string index =
                style.relative ? std::to_string(-static_cast<long long>(count - place + 1)) : std::to_string(place);
            std::string form = index;
            if (style.decorated) {
                // v, v/vt, v//vn and v/vt/vn in turn.
                switch ((face_number + k) % 4) {
                    case 1: form += "/1"; break;
                    case 2: form += "//1"; break;
                    case 3: form += "/1/1"; break;
                    default: break;
                }
            }
            line += (style.decorated && k == 1 && face_number % 3 == 0 ? " \\\n  " : " ") + form;
        }
        if (style.decorated && face_number % 5 == 0) line += " # a comment";
        text += line + (style.decorated ? "\r\n" : "\n");
    }
    return text;
}

std::string off_text(const IndexedMesh& mesh, const std::string& word) {
    const bool colours = word.find('C') != std::string::npos;
    const bool normals = word.find('N') != std::string::npos;
    std::string text = word + "\n# a test mesh\n\n";
    text += std::to_string(mesh.vertices.size()) + " " + std::to_string(mesh.faces.size()) + " 0\n";
    for (const Point& point : mesh.vertices) {
        text += point_text(point);
        if (normals) text += " 0 0 1";
        if (colours) text += " 0.5 0.5 0.5 1";
        text += "\n";
    }
    for (const auto& face : mesh.faces) {
        text += std::to_string(face.size());
        for (const std::size_t index : face) text.append(" ").append(std::to_string(index));
        if (colours) text += " 255 0 0";
        text += "  # face\n";
    }
    return text;
}

namespace {

// Appends value as a binary number of the PLY type, in the byte order.
void put_binary(std::string& out, const std::string& type, double value, bool big_endian) {
    std::uint64_t bits = 0;
    int size = 0;
    if (type == "float" || type == "float32") {
        bits = std::bit_cast<std::uint32_t>(static_cast<float>(value));
        size = 4;
    } else if (type == "double" || type == "float64") {
        bits = std::bit_cast<std::uint64_t>(value);
        size = 8;
    } else {
        const auto integer = static_cast<std::int64_t>(value);
        bits = static_cast<std::uint64_t>(integer);
        size = type == "char" || type == "uchar" || type == "int8" || type == "uint8"       ? 1
               : type == "short" || type == "ushort" || type == "int16" || type == "uint16" ? 2
                                                                                             : 4;
    }
    for (int i = 0; i < size; ++i) {
        const int shift = 8 * (big_endian ? size - 1 - i : i);
        out += static_cast<char>(bits >> shift & 0xFF);
    }
}

class PlyWriter {
public:
    explicit PlyWriter(PlyEncoding encoding) : encoding_(encoding) {}

    void value(const std::string& type, double value) {
        if (encoding_ == PlyEncoding::kAscii) {
            if (!at_line_start_) body_ += ' ';
            body_ += exact_text(value);
            at_line_start_ = false;
        } else {
            put_binary(body_, type, value, encoding_ == PlyEncoding::kBigEndian);
        }
    }
    void end_instance() {
        if (encoding_ == PlyEncoding::kAscii) body_ += '\n';
        at_line_start_ = true;
    }
    const std::string& body() const { return body_; }

private:
    PlyEncoding encoding_;
    std::string body_;
    bool at_line_start_ = true;
};

}  // namespace

std::string ply_file(const IndexedMesh& mesh, const PlyStyle& style) {
    const std::string coordinate = style.doubles ? "double" : "float";
    std::string vertex_header = "element vertex " + std::to_string(mesh.vertices.size()) + "\n";
    if (style.extras) vertex_header += "property float nx\n";
    vertex_header += "property " + coordinate + " x\nproperty " + coordinate + " y\n";
    if (style.extras) vertex_header += "property uchar red\nproperty list uchar float texcoord\n";
    vertex_header += "property " + coordinate + " z\n";
    if (style.extras) vertex_header += "property short flags\n";
    std::string face_header = "element face " + std::to_string(mesh.faces.size()) + "\n";
    if (style.extras) face_header += "property uchar kind\n";
    face_header += "property list " + style.count_type + " " + style.index_type + " " + style.index_name + "\n";
    if (style.extras) face_header += "property list int uint neighbours\nproperty double quality\n";
    const std::string edge_header = style.extras ? "element edge 2\nproperty int vertex1\nproperty int vertex2\n" : "";

    PlyWriter vertices(style.encoding);
    for (const Point& point : mesh.vertices) {
        if (style.extras) vertices.value("float", 0.25);
        vertices.value(coordinate, point[0]);
        vertices.value(coordinate, point[1]);
        if (style.extras) {
            vertices.value("uchar", 200);
            vertices.value("uchar", 2);
            vertices.value("float", 0.5);
            vertices.value("float", -1.5);
        }
        vertices.value(coordinate, point[2]);
        if (style.extras) vertices.value("short", -3);
        vertices.end_instance();
    }
    PlyWriter faces(style.encoding);
    for (const auto& face : mesh.faces) {
        if (style.extras) faces.value("uchar", 7);
        faces.value(style.count_type, static_cast<double>(face.size()));
        for (const std::size_t index : face) faces.value(style.index_type, static_cast<double>(index));
        if (style.extras) {
            faces.value("int", 3);
            for (int i = 0; i < 3; ++i) faces.value("uint", 4000000000.0 + i);
            faces.value("double", 0.1);
        }
        faces.end_instance();
    }
    PlyWriter edges(style.encoding);
    if (style.extras) {
        for (int i = 0; i < 2; ++i) {
            edges.value("int", 0);
            edges.value("int", 1);
            edges.end_instance();
        }
    }
    static const char* const kFormats[] = {"ascii", "binary_little_endian", "binary_big_endian"};
    std::string text = "ply\nformat " + std::string(kFormats[static_cast<int>(style.encoding)]) +
                       " 1.0\ncomment written for a test\nobj_info none\n";
    if (style.faces_first) {
        text += face_header + edge_header + vertex_header + "end_header\n";
        return text + faces.body() + edges.body() + vertices.body();
    }
    text += vertex_header + edge_header + face_header + "end_header\n";
    return text + vertices.body() + edges.body() + faces.body();
}

std::vector<ZipFile> package_parts(const std::string& model, bool deflate) {
    return {
        {"[Content_Types].xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
         "<Default Extension=\"model\" ContentType=\"application/vnd.ms-package.3dmanufacturing-3dmodel+xml\"/>"
         "</Types>\n",
         deflate},
        {"_rels/.rels",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">\n"
         "  <Relationship Target=\"/3D/3dmodel.model\" Id=\"rel0\" "
         "Type=\"http://schemas.microsoft.com/3dmanufacturing/2013/01/3dmodel\"/>\n"
         "</Relationships>\n",
         deflate},
        {"3D/3dmodel.model", model, deflate},
    };
}

std::string model_xml(const IndexedMesh& mesh, const std::string& more_objects, const std::string& items) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<model unit=\"millimeter\" xml:lang=\"en-US\" "
        "xmlns=\"http://schemas.microsoft.com/3dmanufacturing/core/2015/02\">\n"
        " <metadata name=\"Title\">a test &amp; more</metadata>\n"
        " <resources>\n  <object id=\"1\" type=\"model\">\n   <mesh>\n    <vertices>\n";
    for (const Point& point : mesh.vertices) {
        text += "     <vertex x=\"" + exact_text(point[0]) + "\" y=\"" + exact_text(point[1]) + "\" z=\"" +
                exact_text(point[2]) + "\"/>\n";
    }
    text += "    </vertices>\n    <triangles>\n";
    for (const auto& face : mesh.faces) {
        text += "     <triangle v1=\"" + std::to_string(face[0]) + "\" v2=\"" + std::to_string(face[1]) +
                "\" v3=\"" + std::to_string(face[2]) + "\"/>\n";
    }
    return text + "    </triangles>\n   </mesh>\n  </object>\n" + more_objects + " </resources>\n <build>\n" + items +
           " </build>\n</model>\n";
}

std::string kpf_file(const std::vector<Triangle>& facets, const std::vector<Point>& normals, bool numbers) {
    const std::string normal_word = numbers ? "5" : "nrml";
    const std::string vertex_word = numbers ? "4" : "trng";
    const auto line = [](const std::string& word, const Point& point) {
        std::string text = word;
        for (const double value : point) {
            char number[kLfBufferSize];
            format_lf(value, number);
            text += std::string(" ") + number;
        }
        return text + "\n";
    };
    std::string text = header("part.stl");
    for (std::size_t i = 0; i < facets.size(); ++i) {
        text += "\n";
        for (const Point& vertex : facets[i]) text += line(normal_word, normals[i]) + line(vertex_word, vertex);
    }
    return crlf(text + trailer(static_cast<int>(facets.size())));
}

ReadBack read_back(MeshFormat format, const std::string& bytes, const std::string& name, bool gzip,
                   const ReaderOptions& options) {
    MemoryByteSource memory(bytes.data(), bytes.size());
    std::unique_ptr<GzipSource> unzipped;
    ByteSource* source = &memory;
    if (gzip) {
        unzipped = std::make_unique<GzipSource>(memory);
        source = unzipped.get();
    }
    return read_back(format, *source, name, options);
}

ReadBack read_back(MeshFormat format, ByteSource& source, const std::string& name, const ReaderOptions& options) {
    const std::unique_ptr<MeshReader> reader = make_mesh_reader(format, source, name, options);
    ReadBack result;
    for (;;) {
        const ReadStep step = reader->next();
        if (step == ReadStep::kEnd) break;
        if (step == ReadStep::kFacet) {
            result.facets.push_back(reader->facet());
            result.order += 'F';
        } else {
            result.problems.push_back(reader->problem());
            result.order += 'P';
        }
    }
    // The end stays the end.
    if (reader->next() != ReadStep::kEnd) result.order += '!';
    result.read_to_end = reader->read_to_end();
    result.format_name = reader->format_name();
    result.unit = reader->unit();
    result.facet_count = reader->facet_count(static_cast<int>(result.facets.size()));
    return result;
}

std::string steps_text(const ReadBack& read) {
    std::string text;
    std::size_t facet = 0;
    std::size_t problem = 0;
    for (const char step : read.order) {
        if (step == 'P') {
            text += read.problems[problem++] + "\n";
            continue;
        }
        const Facet& f = read.facets[facet++];
        for (int v = 0; v < 3; ++v) {
            if (v > 0) text += " | ";
            text += point_text({f.vertices[v][0], f.vertices[v][1], f.vertices[v][2]});
        }
        if (f.has_normal) text += " n " + point_text({f.normal[0], f.normal[1], f.normal[2]});
        text += "\n";
    }
    return text;
}

std::string first_difference(const std::vector<Facet>& facets, const std::vector<Triangle>& expected) {
    if (facets.size() != expected.size()) {
        return std::to_string(facets.size()) + " facets read, " + std::to_string(expected.size()) + " expected";
    }
    for (std::size_t i = 0; i < facets.size(); ++i) {
        for (int v = 0; v < 3; ++v) {
            for (int axis = 0; axis < 3; ++axis) {
                if (std::bit_cast<std::uint64_t>(facets[i].vertices[v][axis]) !=
                    std::bit_cast<std::uint64_t>(expected[i][v][axis])) {
                    return "facet " + std::to_string(i) + " vertex " + std::to_string(v) + ": " +
                           exact_text(facets[i].vertices[v][axis]) + " read, " + exact_text(expected[i][v][axis]) +
                           " expected";
                }
            }
        }
    }
    return "";
}

bool same_bits(const std::vector<Facet>& facets, const std::vector<Triangle>& expected) {
    return first_difference(facets, expected).empty();
}

}  // namespace trimora::testing
