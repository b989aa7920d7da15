// Wavefront OBJ: vertices and faces, every other statement skipped.
#include "readers/format_readers.h"

#include <cstring>
#include <string>

#include "readers/line_mesh_reader.h"

namespace trimora {

namespace {

class ObjReader final : public LineMeshReader {
public:
    ObjReader(ByteSource& source, std::string_view name) : LineMeshReader(source, name, "obj") {}

private:
    bool read_line(Line& line, ReadStep& step) override;
    // Reads the statement in text, which began on line; true with step set
    // when it gives a face (its first facet is in facet_) or a problem.
    bool read_statement(char* text, std::uint64_t line, ReadStep& step);
    bool read_vertex(const char* p, std::uint64_t line, ReadStep& step);
    bool read_face(const char* p, std::uint64_t line, ReadStep& step);
    // Joins the lines that follow a line ending in '\' to it, without the '\'.
    char* join_continued(const Line& first);

    std::string joined_;
};

bool ObjReader::read_line(Line& line, ReadStep& step) {
    // A statement continued over lines is named by its first line.
    const std::uint64_t number = lines_.line_number();
    char* text = line.length > 0 && line.text[line.length - 1] == '\\' ? join_continued(line) : line.text;
    return read_statement(text, number, step);
}

char* ObjReader::join_continued(const Line& first) {
    joined_.assign(first.text, first.length - 1);
    for (;;) {
        Line line;
        if (!lines_.next_line(line)) break;
        joined_ += ' ';
        const bool continued = line.length > 0 && line.text[line.length - 1] == '\\';
        joined_.append(line.text, continued ? line.length - 1 : line.length);
        if (!continued) break;
    }
    return joined_.data();
}

bool ObjReader::read_statement(char* text, std::uint64_t line, ReadStep& step) {
    // A comment runs to the end of the line, wherever it starts.
    if (char* hash = std::strchr(text, '#')) *hash = '\0';
    const char* p = skip_blanks(text);
    const auto keyword_ends = [](char c) { return c == '\0' || is_blank(c); };
    if (p[0] == 'v' && keyword_ends(p[1])) return read_vertex(p + 1, line, step);
    if (p[0] == 'f' && keyword_ends(p[1])) return read_face(p + 1, line, step);
    // "fo" is the old spelling of a face.
    if (p[0] == 'f' && p[1] == 'o' && keyword_ends(p[2])) return read_face(p + 2, line, step);
    return false;
}

bool ObjReader::read_vertex(const char* p, std::uint64_t line, ReadStep& step) {
    Vertex& vertex = vertices_.push_back();
    for (int axis = 0; axis < 3; ++axis) {
        if (!read_coordinate(p, vertex.coordinates[axis])) {
            // The vertex keeps its place, so that the indices after it still count right.
            for (int rest = axis; rest < 3; ++rest) vertex.coordinates[rest] = 0.0;
            step = report(line, message::kTooFewCoordinates, axis);
            return true;
        }
    }
    return false;
}

bool ObjReader::read_face(const char* p, std::uint64_t line, ReadStep& step) {
    std::vector<std::size_t>& indices = fan_.new_polygon();
    const std::size_t count = vertices_.size();
    // The index as written, up to its '/', for a message.
    const auto written = [](const char* start) {
        const char* stop = start;
        while (*stop != '\0' && *stop != '/' && !is_blank(*stop)) ++stop;
        return std::string_view(start, static_cast<std::size_t>(stop - start));
    };
    for (p = skip_blanks(p); *p != '\0'; p = skip_blanks(token_end(p))) {
        // v, v/vt, v//vn or v/vt/vn: the vertex index comes first.
        const char* start = p;
        std::int64_t index = 0;
        if (!read_integer(p, index) || !(*p == '/' || *p == '\0' || is_blank(*p)) || index == 0) {
            step = report(line, message::kBadVertexIndex, written(start));
            return true;
        }
        // A negative index counts back from the last vertex defined so far.
        const std::int64_t resolved = index > 0 ? index - 1 : static_cast<std::int64_t>(count) + index;
        if (resolved < 0 || static_cast<std::uint64_t>(resolved) >= count) {
            step = report(line, message::kVertexIndexOutOfRange, written(start));
            return true;
        }
        indices.push_back(static_cast<std::size_t>(resolved));
    }
    step = fan_.start(vertices_, facet_) ? ReadStep::kFacet : report(line, message::kFaceTooSmall, indices.size());
    return true;
}

}  // namespace

std::unique_ptr<MeshReader> make_obj_reader(ByteSource& source, std::string_view name) {
    return std::make_unique<ObjReader>(source, name);
}

}  // namespace trimora
