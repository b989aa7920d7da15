// Object File Format: a header word, the counts, then one vertex and one face per line.
#include <cstring>
#include <string>

#include "readers/format_readers.h"
#include "readers/line_mesh_reader.h"

namespace trimora {

namespace {

// Whether word is an OFF header word of three dimensions: OFF with any of
// the prefixes ST (texture), C (colour) and N (normal), in that order. The
// extra columns they announce are ignored.
bool is_off_word(std::string_view word) {
    if (word.size() < 3 || word.substr(word.size() - 3) != "OFF") return false;
    word.remove_suffix(3);
    if (word.starts_with("ST")) word.remove_prefix(2);
    if (word.starts_with("C")) word.remove_prefix(1);
    if (word.starts_with("N")) word.remove_prefix(1);
    return word.empty();
}

class OffReader final : public LineMeshReader {
public:
    OffReader(ByteSource& source, std::string_view name) : LineMeshReader(source, name, "off") {}

private:
    enum class Part { kHeader, kCounts, kVertices, kFaces, kRest };

    bool read_line(Line& line, ReadStep& step) override;
    ReadStep read_end() override;
    // Reads one line of the part the reader is in; true with step set when
    // it gives a facet or a problem.
    bool read_header(const char* p, ReadStep& step);
    bool read_counts(const char* p, ReadStep& step);
    bool read_vertex(const char* p, ReadStep& step);
    bool read_face(const char* p, ReadStep& step);
    // Stops the reading, which did not reach the end, with a problem of the header.
    ReadStep stop_with(CheckedFormat<std::string_view> message, std::string_view value);

    Part part_ = Part::kHeader;
    std::uint64_t vertex_count_ = 0;
    std::uint64_t face_count_ = 0;
    // The counts as the file writes them, for messages: those above are kept at 2^62.
    std::string count_texts_[2];
    std::uint64_t faces_read_ = 0;
};

bool OffReader::read_line(Line& line, ReadStep& step) {
    if (char* hash = std::strchr(line.text, '#')) *hash = '\0';
    const char* p = skip_blanks(line.text);
    if (*p == '\0') return false;
    switch (part_) {
        case Part::kHeader: return read_header(p, step);
        case Part::kCounts: return read_counts(p, step);
        case Part::kVertices: return read_vertex(p, step);
        case Part::kFaces: return read_face(p, step);
        case Part::kRest: break;
    }
    return false;
}

ReadStep OffReader::stop_with(CheckedFormat<std::string_view> message, std::string_view value) {
    stop();
    read_to_end_ = false;
    return report(lines_.line_number(), message, value);
}

ReadStep OffReader::read_end() {
    const Part part = part_;
    // What the end says is said once.
    part_ = Part::kRest;
    const char* element = part == Part::kVertices ? "vertex" : "face";
    const std::string& counted = count_texts_[part == Part::kVertices ? 0 : 1];
    const std::uint64_t read = part == Part::kVertices ? vertices_.size() : faces_read_;
    if (part == Part::kVertices || part == Part::kFaces) {
        return report(lines_.line_number(), message::kDataEndsEarly, read, counted.c_str(), element);
    }
    if (part == Part::kHeader) return stop_with(message::kBadOffHeader, "");
    if (part == Part::kCounts) return stop_with(message::kBadCounts, "");
    return ReadStep::kEnd;
}

bool OffReader::read_header(const char* p, ReadStep& step) {
    const char* end = token_end(p);
    const std::string_view word(p, static_cast<std::size_t>(end - p));
    if (is_off_word(word)) {
        const char* rest = skip_blanks(end);
        if (std::strncmp(rest, "BINARY", 6) == 0) {
            step = stop_with(message::kBadOffHeader, std::string(word) + " BINARY");
            return true;
        }
        part_ = Part::kCounts;
        // The counts may follow on the same line.
        return *rest != '\0' && read_counts(rest, step);
    }
    // Some writers leave the word out and begin with the counts.
    std::int64_t number = 0;
    const char* q = p;
    if (read_integer(q, number) && (*q == '\0' || is_blank(*q))) {
        part_ = Part::kCounts;
        return read_counts(p, step);
    }
    step = stop_with(message::kBadOffHeader, word);
    return true;
}

bool OffReader::read_counts(const char* p, ReadStep& step) {
    std::int64_t counts[3] = {0, 0, 0};
    const char* q = p;
    int given = 0;
    for (; given < 3; ++given) {
        q = skip_blanks(q);
        if (*q == '\0') break;
        const char* const start = q;
        if (!read_integer(q, counts[given]) || counts[given] < 0 || (*q != '\0' && !is_blank(*q))) break;
        if (given < 2) count_texts_[given].assign(start, q);
    }
    // The edge count is often left out; nothing reads it.
    if (given < 2 || (given == 2 && *skip_blanks(q) != '\0')) {
        step = stop_with(message::kBadCounts, p);
        return true;
    }
    vertex_count_ = static_cast<std::uint64_t>(counts[0]);
    face_count_ = static_cast<std::uint64_t>(counts[1]);
    part_ = vertex_count_ > 0 ? Part::kVertices : face_count_ > 0 ? Part::kFaces : Part::kRest;
    return false;
}

bool OffReader::read_vertex(const char* p, ReadStep& step) {
    Vertex& vertex = vertices_.push_back();
    if (vertices_.size() == vertex_count_) part_ = face_count_ > 0 ? Part::kFaces : Part::kRest;
    for (int axis = 0; axis < 3; ++axis) {
        if (!read_coordinate(p, vertex.coordinates[axis])) {
            for (int rest = axis; rest < 3; ++rest) vertex.coordinates[rest] = 0.0;
            step = report(lines_.line_number(), message::kTooFewCoordinates, axis);
            return true;
        }
    }
    return false;
}

bool OffReader::read_face(const char* p, ReadStep& step) {
    if (++faces_read_ == face_count_) part_ = Part::kRest;
    const std::uint64_t line = lines_.line_number();
    std::int64_t size = 0;
    const char* start = p;
    if (!read_integer(p, size) || size < 0 || (*p != '\0' && !is_blank(*p))) {
        step = report(line, message::kBadListCount,
                      std::string_view(start, static_cast<std::size_t>(token_end(start) - start)));
        return true;
    }
    std::vector<std::size_t>& indices = fan_.new_polygon();
    // Columns after the indices (a colour) are ignored.
    for (std::int64_t i = 0; i < size; ++i) {
        p = skip_blanks(p);
        if (*p == '\0') {
            step = report(line, message::kFewerIndicesThanCount, size);
            return true;
        }
        const char* token = p;
        std::int64_t index = 0;
        const bool is_number = read_integer(p, index) && (*p == '\0' || is_blank(*p));
        const std::string_view written(token, static_cast<std::size_t>(token_end(token) - token));
        if (!is_number) {
            step = report(line, message::kBadVertexIndex, written);
            return true;
        }
        if (index < 0 || static_cast<std::uint64_t>(index) >= vertices_.size()) {
            step = report(line, message::kVertexIndexOutOfRange, written);
            return true;
        }
        indices.push_back(static_cast<std::size_t>(index));
        p = token_end(p);
    }
    step = fan_.start(vertices_, facet_) ? ReadStep::kFacet : report(line, message::kFaceTooSmall, indices.size());
    return true;
}

}  // namespace

std::unique_ptr<MeshReader> make_off_reader(ByteSource& source, std::string_view name) {
    return std::make_unique<OffReader>(source, name);
}

}  // namespace trimora
