// Object File Format: a header word, the counts, then one vertex and one face per line.
#include <cstring>
#include <string>

#include "platform/byte_source.h"
#include "readers/format_readers.h"
#include "readers/line_reader.h"
#include "readers/reader_messages.h"
#include "readers/reader_support.h"

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

class OffReader final : public MeshReader {
public:
    OffReader(ByteSource& source, std::string_view name) : MeshReader(source, name, "off"), lines_(source) {}

    ReadStep next() override;

private:
    enum class Part { kHeader, kCounts, kVertices, kFaces, kRest, kDone };

    // Reads one line of the part the reader is in; true with step set when
    // it gives a facet or a problem.
    bool read_header(const char* p, ReadStep& step);
    bool read_counts(const char* p, ReadStep& step);
    bool read_vertex(const char* p, ReadStep& step);
    bool read_face(const char* p, ReadStep& step);
    // The step at the end of the data.
    ReadStep finish();
    ReadStep stop_with(ReaderMessage message, std::string_view value);

    LineReader lines_;
    VertexTable vertices_;
    PolygonFan fan_;
    Part part_ = Part::kHeader;
    std::uint64_t vertex_count_ = 0;
    std::uint64_t face_count_ = 0;
    std::uint64_t faces_read_ = 0;
};

ReadStep OffReader::next() {
    if (fan_.next(vertices_, facet_)) return ReadStep::kFacet;
    while (part_ != Part::kDone) {
        Line line;
        if (!lines_.next_line(line)) return finish();
        if (line.too_long) {
            return report(reader_message(ReaderMessage::kLineTooLong, name_, lines_.line_number(),
                                         {decimal(LineReader::kDefaultLineLimit)}));
        }
        if (char* hash = std::strchr(line.text, '#')) *hash = '\0';
        const char* p = skip_blanks(line.text);
        if (*p == '\0' || part_ == Part::kRest) continue;
        ReadStep step;
        bool stepped = false;
        switch (part_) {
            case Part::kHeader: stepped = read_header(p, step); break;
            case Part::kCounts: stepped = read_counts(p, step); break;
            case Part::kVertices: stepped = read_vertex(p, step); break;
            case Part::kFaces: stepped = read_face(p, step); break;
            default: break;
        }
        if (stepped) return step;
    }
    return ReadStep::kEnd;
}

ReadStep OffReader::stop_with(ReaderMessage message, std::string_view value) {
    part_ = Part::kDone;
    read_to_end_ = false;
    return report(reader_message(message, name_, lines_.line_number(), {value}));
}

ReadStep OffReader::finish() {
    const Part part = part_;
    part_ = Part::kDone;
    if (source_.failure() != SourceFailure::kNone) {
        read_to_end_ = false;
        return report(source_failure_message(source_, name_));
    }
    read_to_end_ = true;
    const char* element = part == Part::kVertices ? "vertex" : "face";
    const std::uint64_t counted = part == Part::kVertices ? vertex_count_ : face_count_;
    const std::uint64_t read = part == Part::kVertices ? vertices_.size() : faces_read_;
    if (part == Part::kVertices || part == Part::kFaces) {
        return report(reader_message(ReaderMessage::kDataEndsEarly, name_, lines_.line_number(),
                                     {decimal(read), decimal(counted), element}));
    }
    if (part == Part::kHeader || part == Part::kCounts) {
        read_to_end_ = false;
        return report(reader_message(part == Part::kHeader ? ReaderMessage::kBadOffHeader
                                                           : ReaderMessage::kBadCounts,
                                     name_, lines_.line_number(), {""}));
    }
    return ReadStep::kEnd;
}

bool OffReader::read_header(const char* p, ReadStep& step) {
    const char* end = token_end(p);
    const std::string_view word(p, static_cast<std::size_t>(end - p));
    if (is_off_word(word)) {
        const char* rest = skip_blanks(end);
        if (std::strncmp(rest, "BINARY", 6) == 0) {
            step = stop_with(ReaderMessage::kBadOffHeader, std::string(word) + " BINARY");
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
    step = stop_with(ReaderMessage::kBadOffHeader, word);
    return true;
}

bool OffReader::read_counts(const char* p, ReadStep& step) {
    std::int64_t counts[3] = {0, 0, 0};
    const char* q = p;
    int given = 0;
    for (; given < 3; ++given) {
        q = skip_blanks(q);
        if (*q == '\0') break;
        if (!read_integer(q, counts[given]) || counts[given] < 0 || (*q != '\0' && !is_blank(*q))) break;
    }
    // The edge count is often left out; nothing reads it.
    if (given < 2 || (given == 2 && *skip_blanks(q) != '\0')) {
        step = stop_with(ReaderMessage::kBadCounts, p);
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
            step = report(reader_message(ReaderMessage::kTooFewCoordinates, name_, lines_.line_number(),
                                         {decimal(static_cast<std::uint64_t>(axis))}));
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
        step = report(reader_message(ReaderMessage::kBadListCount, name_, line,
                                     {std::string_view(start, static_cast<std::size_t>(token_end(start) - start))}));
        return true;
    }
    std::vector<std::size_t>& indices = fan_.new_polygon();
    // Columns after the indices (a colour) are ignored.
    for (std::int64_t i = 0; i < size; ++i) {
        p = skip_blanks(p);
        if (*p == '\0') {
            step = report(reader_message(ReaderMessage::kFewerIndicesThanCount, name_, line,
                                         {decimal(static_cast<std::uint64_t>(size))}));
            return true;
        }
        const char* token = p;
        std::int64_t index = 0;
        const bool is_number = read_integer(p, index) && (*p == '\0' || is_blank(*p));
        const std::string_view written(token, static_cast<std::size_t>(token_end(token) - token));
        if (!is_number) {
            step = report(reader_message(ReaderMessage::kBadVertexIndex, name_, line, {written}));
            return true;
        }
        if (index < 0 || static_cast<std::uint64_t>(index) >= vertices_.size()) {
            step = report(reader_message(ReaderMessage::kVertexIndexOutOfRange, name_, line, {written}));
            return true;
        }
        indices.push_back(static_cast<std::size_t>(index));
        p = token_end(p);
    }
    step = fan_.start(vertices_, facet_)
               ? ReadStep::kFacet
               : report(reader_message(ReaderMessage::kFaceTooSmall, name_, line, {decimal(indices.size())}));
    return true;
}

}  // namespace

std::unique_ptr<MeshReader> make_off_reader(ByteSource& source, std::string_view name) {
    return std::make_unique<OffReader>(source, name);
}

}  // namespace trimora
