// Stanford PLY: the header's elements read in their order, ASCII or binary of either byte order.
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/byte_source.h"
#include "platform/text_to_double.h"
#include "readers/format_readers.h"
#include "readers/line_mesh_reader.h"

namespace trimora {

namespace {

enum class Encoding { kAscii, kLittleEndian, kBigEndian };

enum class ValueType { kInt8, kUint8, kInt16, kUint16, kInt32, kUint32, kFloat32, kFloat64 };

struct TypeName {
    const char* name;
    ValueType type;
};

constexpr TypeName kTypeNames[] = {
    {"char", ValueType::kInt8},     {"int8", ValueType::kInt8},      {"uchar", ValueType::kUint8},
    {"uint8", ValueType::kUint8},   {"short", ValueType::kInt16},    {"int16", ValueType::kInt16},
    {"ushort", ValueType::kUint16}, {"uint16", ValueType::kUint16},  {"int", ValueType::kInt32},
    {"int32", ValueType::kInt32},   {"uint", ValueType::kUint32},    {"uint32", ValueType::kUint32},
    {"float", ValueType::kFloat32}, {"float32", ValueType::kFloat32}, {"double", ValueType::kFloat64},
    {"float64", ValueType::kFloat64},
};

bool type_of(std::string_view name, ValueType& type) {
    for (const TypeName& entry : kTypeNames) {
        if (name == entry.name) {
            type = entry.type;
            return true;
        }
    }
    return false;
}

std::size_t size_of(ValueType type) {
    switch (type) {
        case ValueType::kInt8:
        case ValueType::kUint8: return 1;
        case ValueType::kInt16:
        case ValueType::kUint16: return 2;
        case ValueType::kInt32:
        case ValueType::kUint32:
        case ValueType::kFloat32: return 4;
        case ValueType::kFloat64: return 8;
    }
    return 1;
}

// The value of a binary number of that type at bytes, in that byte order, as a double (exact).
double decode(const unsigned char* bytes, ValueType type, bool big_endian) {
    const std::size_t size = size_of(type);
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t shift = 8 * (big_endian ? size - 1 - i : i);
        bits |= std::uint64_t{bytes[i]} << shift;
    }
    switch (type) {
        case ValueType::kInt8: return static_cast<std::int8_t>(bits);
        case ValueType::kUint8: return static_cast<std::uint8_t>(bits);
        case ValueType::kInt16: return static_cast<std::int16_t>(bits);
        case ValueType::kUint16: return static_cast<std::uint16_t>(bits);
        case ValueType::kInt32: return static_cast<std::int32_t>(bits);
        case ValueType::kUint32: return static_cast<std::uint32_t>(bits);
        case ValueType::kFloat32: return std::bit_cast<float>(static_cast<std::uint32_t>(bits));
        case ValueType::kFloat64: return std::bit_cast<double>(bits);
    }
    return 0.0;
}

// What a property is to the reader.
enum class Role { kOther, kX, kY, kZ, kFaceIndices };

struct Property {
    std::string name;
    ValueType type = ValueType::kUint8;
    bool is_list = false;
    ValueType count_type = ValueType::kUint8;
    Role role = Role::kOther;
};

enum class ElementKind { kOther, kVertex, kFace };

struct Element {
    std::string name;
    std::uint64_t count = 0;
    std::string count_text;  // as the header writes it: the count above is kept at 2^62
    std::vector<Property> properties;
    ElementKind kind = ElementKind::kOther;
    bool deferred = false;  // faces that come before the vertices, kept until those are read
};

class PlyReader final : public LineMeshReader {
public:
    // Header lines too long to keep are bad lines, and ASCII values are read
    // from the kept part of a long line, as from any other.
    PlyReader(ByteSource& source, std::string_view name)
        : LineMeshReader(source, name, "ply", LongLines::kCut) {}

private:
    enum class Part { kFirstLine, kHeader, kBody };

    bool read_line(Line& line, ReadStep& step) override;
    bool read_on(ReadStep& step) override;
    ReadStep read_end() override;
    // Reads a line of the header after its first; true with step set on a
    // problem, which stops the reading.
    bool read_header_line(const Line& line, ReadStep& step);
    // Ends the header at its end_header line; true with step set on a problem.
    bool end_header(ReadStep& step);
    // Marks the vertex coordinates and the face indices; true when they are there.
    bool find_roles(ReadStep& step);
    // Reads one instance of the current element; true with step set when it
    // gives a facet or a problem.
    bool read_instance(const Element& element, ReadStep& step);
    // The next value of the data, as a double, with its text for messages
    // (ASCII only); false at the end of the data. ASCII text without a digit
    // reads as 0, as a coordinate does, with numeric false.
    bool read_value(ValueType type, double& value, std::string_view& text, bool& numeric);
    // Checks the polygon now in the fan's index list against the vertices and
    // starts its facets; true with step set.
    void start_polygon(std::uint64_t line, ReadStep& step);
    // The step when the data ends inside the current element.
    ReadStep data_ended();
    // Gives back the faces kept while the vertices were still to come.
    bool replay_deferred(ReadStep& step);

    Part part_ = Part::kFirstLine;
    bool format_read_ = false;
    Encoding encoding_ = Encoding::kAscii;
    std::vector<Element> elements_;
    std::size_t element_ = 0;      // the element being read
    std::uint64_t instance_ = 0;   // instances of it read
    // Faces read before the vertices: per face its line, its size, then its indices.
    SegmentedArray<std::uint64_t> deferred_;
    std::size_t replayed_ = 0;
    std::size_t vertex_element_ = 0;  // the index of the vertex element
    // The place in the current line of ASCII data.
    const char* cursor_ = "";
};

bool PlyReader::read_line(Line& line, ReadStep& step) {
    switch (part_) {
        case Part::kFirstLine:
            if (std::strcmp(line.text, "ply") == 0) {
                part_ = Part::kHeader;
                return false;
            }
            stop();
            step = source_.failure() != SourceFailure::kNone ? report_failure(source_) : report(0, message::kNoPlyHeader);
            return true;
        case Part::kHeader: return read_header_line(line, step);
        case Part::kBody:
            // read_on takes the values of the line.
            cursor_ = line.text;
            return false;
    }
    return false;
}

bool PlyReader::read_on(ReadStep& step) {
    if (part_ != Part::kBody) return false;
    for (;;) {
        if (replay_deferred(step)) return true;
        if (element_ == elements_.size()) {
            // What follows the last element is not the mesh's, but it is read:
            // a compressed stream's check comes at its end.
            while (lines_.skip(std::uint64_t{1} << 20)) {
            }
            return false;
        }
        const Element& element = elements_[element_];
        // An element without properties holds no data, however many it counts.
        if (instance_ == element.count || element.properties.empty()) {
            ++element_;
            instance_ = 0;
            continue;
        }
        // An instance of ASCII data starts on the rest of this line or on the next line that has a value.
        if (encoding_ == Encoding::kAscii && *skip_blanks(cursor_) == '\0') {
            cursor_ = "";
            return false;
        }
        if (read_instance(element, step)) return true;
    }
}

ReadStep PlyReader::read_end() {
    switch (part_) {
        case Part::kFirstLine:
            read_to_end_ = false;
            stop();
            return report(0, message::kNoPlyHeader);
        case Part::kHeader:
            read_to_end_ = false;
            stop();
            return report(0, message::kPlyHeaderCutShort);
        case Part::kBody: break;
    }
    cursor_ = "";
    return element_ == elements_.size() ? ReadStep::kEnd : data_ended();
}

bool PlyReader::read_header_line(const Line& line, ReadStep& step) {
    const auto bad_line = [&](std::string_view text) {
        stop();
        step = report(lines_.line_number(), message::kBadPlyHeaderLine, text);
        return true;
    };
    if (line.too_long) return bad_line(line.text);
    // Words of the line, at most six of them.
    std::string_view words[6];
    int count = 0;
    for (const char* p = skip_blanks(line.text); *p != '\0' && count < 6; p = skip_blanks(p)) {
        const char* end = token_end(p);
        words[count++] = std::string_view(p, static_cast<std::size_t>(end - p));
        p = end;
    }
    if (count == 0) return false;
    const std::string_view keyword = words[0];
    if (keyword == "comment" || keyword == "obj_info") return false;
    if (keyword == "end_header" && count == 1) return end_header(step);
    if (keyword == "format" && count == 3 && !format_read_ && words[2] == "1.0") {
        if (words[1] == "ascii") {
            encoding_ = Encoding::kAscii;
        } else if (words[1] == "binary_little_endian") {
            encoding_ = Encoding::kLittleEndian;
        } else if (words[1] == "binary_big_endian") {
            encoding_ = Encoding::kBigEndian;
        } else {
            return bad_line(line.text);
        }
        format_read_ = true;
        return false;
    }
    if (keyword == "element" && count == 3) {
        Element element;
        element.name = words[1];
        std::int64_t value = 0;
        const char* p = words[2].data();
        if (!read_integer(p, value) || value < 0 || p != words[2].data() + words[2].size()) {
            return bad_line(line.text);
        }
        element.count = static_cast<std::uint64_t>(value);
        element.count_text = words[2];
        elements_.push_back(std::move(element));
        return false;
    }
    if (keyword == "property" && !elements_.empty()) {
        Property property;
        if (count == 3 && type_of(words[1], property.type)) {
            property.name = words[2];
        } else if (count == 5 && words[1] == "list" && type_of(words[2], property.count_type) &&
                   type_of(words[3], property.type)) {
            property.is_list = true;
            property.name = words[4];
        } else {
            return bad_line(line.text);
        }
        elements_.back().properties.push_back(std::move(property));
        return false;
    }
    if (keyword == "format" || keyword == "element" || keyword == "property" || keyword == "end_header") {
        return bad_line(line.text);
    }
    // A line of a word not known here tells nothing of the data's layout: it is skipped.
    step = report(lines_.line_number(), message::kUnknownPlyHeaderLine, line.text);
    return true;
}

bool PlyReader::end_header(ReadStep& step) {
    if (!format_read_) {
        stop();
        step = report(lines_.line_number(), message::kBadPlyHeaderLine, "end_header");
        return true;
    }
    format_name_ = encoding_ == Encoding::kAscii ? "ply-ascii" : "ply-binary";
    if (!find_roles(step)) {
        stop();
        return true;
    }
    // The body follows, from the byte after this line's LF.
    part_ = Part::kBody;
    return false;
}

bool PlyReader::find_roles(ReadStep& step) {
    bool vertices_seen = false;
    bool vertices_later = false;
    for (const Element& element : elements_) vertices_later = vertices_later || element.name == "vertex";
    for (Element& element : elements_) {
        if (element.name == "vertex" && !vertices_seen) {
            vertices_seen = true;
            vertices_later = false;
            vertex_element_ = static_cast<std::size_t>(&element - elements_.data());
            element.kind = ElementKind::kVertex;
            const char* axes[3] = {"x", "y", "z"};
            const char* names[3] = {"vertex.x", "vertex.y", "vertex.z"};
            const Role roles[3] = {Role::kX, Role::kY, Role::kZ};
            for (int axis = 0; axis < 3; ++axis) {
                Property* found = nullptr;
                for (Property& property : element.properties) {
                    if (property.name == axes[axis] && !property.is_list && found == nullptr) found = &property;
                }
                if (found == nullptr) {
                    step = report(0, message::kPlyPropertyMissing, names[axis]);
                    return false;
                }
                found->role = roles[axis];
            }
        } else if (element.name == "face") {
            element.kind = ElementKind::kFace;
            element.deferred = vertices_later;
            Property* found = nullptr;
            for (Property& property : element.properties) {
                if ((property.name == "vertex_indices" || property.name == "vertex_index") && property.is_list &&
                    found == nullptr) {
                    found = &property;
                }
            }
            if (found == nullptr) {
                step = report(0, message::kPlyPropertyMissing, "face.vertex_indices");
                return false;
            }
            found->role = Role::kFaceIndices;
        }
    }
    return true;
}

bool PlyReader::read_value(ValueType type, double& value, std::string_view& text, bool& numeric) {
    numeric = true;
    if (encoding_ != Encoding::kAscii) {
        const unsigned char* bytes = lines_.take(size_of(type));
        if (bytes == nullptr) return false;
        value = decode(bytes, type, encoding_ == Encoding::kBigEndian);
        text = {};
        return true;
    }
    // ASCII values are separated by blanks and line ends alike.
    cursor_ = skip_blanks(cursor_);
    while (*cursor_ == '\0') {
        // An instance runs on over lines.
        Line line;
        if (!lines_.next_line(line)) return false;
        cursor_ = skip_blanks(line.text);
    }
    const char* end = token_end(cursor_);
    text = std::string_view(cursor_, static_cast<std::size_t>(end - cursor_));
    const char* number_end = nullptr;
    value = text_to_double(cursor_, &number_end);
    numeric = number_end != cursor_;
    cursor_ = end;
    return true;
}

// Room for the decimal digits of a 64-bit whole number and its sign.
constexpr std::size_t kDigitsSize = 24;

// The decimal digits of value, written to digits.
template <class Whole>
std::string_view decimal(Whole value, char (&digits)[kDigitsSize]) {
    const char* end = std::to_chars(digits, digits + kDigitsSize, value).ptr;
    return std::string_view(digits, static_cast<std::size_t>(end - digits));
}

// The text of a value for a message: its own text when it has one (ASCII),
// else whole values as integers written to digits, others as words.
std::string_view value_text(double value, std::string_view text, char (&digits)[kDigitsSize]) {
    if (!text.empty()) return text;
    if (value >= 0 && value < 1e19 && value == std::floor(value)) {
        return decimal(static_cast<std::uint64_t>(value), digits);
    }
    if (value < 0 && value > -1e18 && value == std::floor(value)) {
        return decimal(static_cast<std::int64_t>(value), digits);
    }
    return "not a whole number";
}

bool PlyReader::read_instance(const Element& element, ReadStep& step) {
    double position[3] = {0.0, 0.0, 0.0};
    bool has_polygon = false;
    std::uint64_t line = 0;
    // A bad index is reported once the instance has been read to its end; its text waits in problem_.
    bool bad_index = false;
    char digits[kDigitsSize];
    for (const Property& property : element.properties) {
        double value = 0.0;
        std::string_view text;
        bool numeric = true;
        if (!property.is_list) {
            if (!read_value(property.type, value, text, numeric)) {
                step = data_ended();
                return true;
            }
            if (property.role >= Role::kX && property.role <= Role::kZ) {
                position[static_cast<int>(property.role) - static_cast<int>(Role::kX)] = value;
            }
            continue;
        }
        if (!read_value(property.count_type, value, text, numeric)) {
            step = data_ended();
            return true;
        }
        if (line == 0) line = encoding_ == Encoding::kAscii ? lines_.line_number() : 0;
        if (!numeric || !(value >= 0 && value == std::floor(value) && value < 1e18)) {
            // No way to know where the instance ends: the rest of its line goes (binary: everything).
            step = report(encoding_ == Encoding::kAscii ? lines_.line_number() : 0, message::kBadListCount,
                          value_text(value, text, digits));
            if (encoding_ == Encoding::kAscii) {
                cursor_ = "";
                ++instance_;
            } else {
                stop();
            }
            return true;
        }
        const auto size = static_cast<std::uint64_t>(value);
        const bool indices = property.role == Role::kFaceIndices;
        std::vector<std::size_t>* polygon = indices ? &fan_.new_polygon() : nullptr;
        if (!indices && encoding_ != Encoding::kAscii) {
            if (!lines_.skip(size * size_of(property.type))) {
                step = data_ended();
                return true;
            }
            continue;
        }
        for (std::uint64_t i = 0; i < size; ++i) {
            if (!read_value(property.type, value, text, numeric)) {
                step = data_ended();
                return true;
            }
            if (!indices || bad_index) continue;
            if (!numeric || !(value == std::floor(value)) || std::isinf(value)) {
                bad_index = true;
                report(line, message::kBadVertexIndex, value_text(value, text, digits));
            } else if (value < 0 || value >= 1e18) {
                bad_index = true;
                report(line, message::kVertexIndexOutOfRange, value_text(value, text, digits));
            } else {
                polygon->push_back(static_cast<std::size_t>(value));
            }
        }
        has_polygon = has_polygon || indices;
    }
    ++instance_;
    if (element.kind == ElementKind::kVertex) {
        Vertex& vertex = vertices_.push_back();
        std::memcpy(vertex.coordinates, position, sizeof position);
        return false;
    }
    if (!has_polygon) return false;
    if (bad_index) {
        step = ReadStep::kProblem;
        return true;
    }
    if (element.deferred) {
        deferred_.push_back(line);
        deferred_.push_back(fan_.indices().size());
        for (const std::size_t index : fan_.indices()) deferred_.push_back(index);
        return false;
    }
    start_polygon(line, step);
    return true;
}

void PlyReader::start_polygon(std::uint64_t line, ReadStep& step) {
    const std::vector<std::size_t>& indices = fan_.indices();
    if (indices.size() < 3) {
        step = report(line, message::kFaceTooSmall, indices.size());
        return;
    }
    for (const std::size_t index : indices) {
        if (index >= vertices_.size()) {
            char digits[kDigitsSize];
            step = report(line, message::kVertexIndexOutOfRange, decimal(index, digits));
            return;
        }
    }
    fan_.start(vertices_, facet_);
    step = ReadStep::kFacet;
}

bool PlyReader::replay_deferred(ReadStep& step) {
    // Kept faces go once the element that holds the vertices has been read.
    if (replayed_ == deferred_.size() || element_ <= vertex_element_) return false;
    const std::uint64_t line = deferred_[replayed_];
    const auto size = static_cast<std::size_t>(deferred_[replayed_ + 1]);
    replayed_ += 2;
    std::vector<std::size_t>& indices = fan_.new_polygon();
    for (std::size_t i = 0; i < size; ++i) indices.push_back(static_cast<std::size_t>(deferred_[replayed_ + i]));
    replayed_ += size;
    start_polygon(line, step);
    return true;
}

ReadStep PlyReader::data_ended() {
    if (source_.failure() != SourceFailure::kNone) {
        stop();
        return report_failure(source_);
    }
    if (encoding_ != Encoding::kAscii) {
        stop();
        return report(0, message::kBinaryPlyCutShort);
    }
    // The text ended early: a problem of the data, not of the reading. Faces
    // kept for vertices still go.
    read_to_end_ = true;
    const Element& element = elements_[element_];
    element_ = elements_.size();
    return report(lines_.line_number(), message::kDataEndsEarly, instance_, element.count_text.c_str(),
                  element.name);
}

}  // namespace

std::unique_ptr<MeshReader> make_ply_reader(ByteSource& source, std::string_view name) {
    return std::make_unique<PlyReader>(source, name);
}

}  // namespace trimora
