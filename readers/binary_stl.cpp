// Binary STL told apart by size or first bytes, block reading of the 50-byte records, the facet of a record.
#include "readers/binary_stl.h"

#include <bit>
#include <limits>

#include "mesh/facet.h"
#include "mesh/normals.h"
#include "platform/byte_source.h"

namespace trimora {

static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559,
              "binary STL values are IEEE single precision");

bool is_binary_stl_size(std::uintmax_t size, std::uint32_t count) {
    // 84 + 50 * count stays far below the range of uintmax_t for every count.
    const std::uintmax_t records_end =
        kBinaryPrefixSize + static_cast<std::uintmax_t>(kBinaryRecordSize) * count;
    return size >= records_end && size - records_end < static_cast<std::uintmax_t>(kBinaryRecordSize);
}

bool looks_like_binary_stl(const unsigned char* first, std::size_t size) {
    if (size < static_cast<std::size_t>(kBinaryPrefixSize)) return false;
    for (int i = 0; i < kBinaryPrefixSize; ++i) {
        const unsigned char c = first[i];
        const bool text_control = (c >= '\t' && c <= '\r') || c == 0x1A;
        if ((c < 0x20 && !text_control) || c == 0x7F) return true;
    }
    return false;
}

std::uint32_t load_le32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

double load_le_float(const unsigned char* bytes) {
    return static_cast<double>(std::bit_cast<float>(load_le32(bytes)));
}

bool stl_is_binary(const unsigned char* first, std::size_t size, std::optional<std::uintmax_t> file_size) {
    if (!file_size) return looks_like_binary_stl(first, size);
    return size >= static_cast<std::size_t>(kBinaryPrefixSize) &&
           is_binary_stl_size(*file_size, load_le32(first + kBinaryHeaderSize));
}

void BinaryStlInput::attach(ByteSource& source, const unsigned char* prefix) {
    source_ = &source;
    count_ = load_le32(prefix + kBinaryHeaderSize);
    unread_ = count_;
    failed_ = false;
    pos_ = 0;
    end_ = 0;
}

bool BinaryStlInput::refill() {
    if (source_ == nullptr || unread_ == 0) return false;
    const std::uint32_t records =
        unread_ < static_cast<std::uint32_t>(kRecordsPerBlock) ? unread_ : kRecordsPerBlock;
    const std::size_t wanted = records * std::size_t{kBinaryRecordSize};
    const std::size_t got = source_->read(buffer_, wanted);
    // An input that ends early, or cannot be read, ends the records after the
    // last whole one.
    const auto whole = static_cast<std::uint32_t>(got / kBinaryRecordSize);
    if (whole != records) failed_ = true;
    unread_ = whole == records ? unread_ - records : 0;
    pos_ = 0;
    end_ = static_cast<int>(whole) * kBinaryRecordSize;
    return whole > 0;
}

const unsigned char* BinaryStlInput::read_record() {
    if (pos_ == end_ && !refill()) return nullptr;
    const unsigned char* record = buffer_ + pos_;
    pos_ += kBinaryRecordSize;
    return record;
}

bool BinaryStlInput::data_after_records() {
    if (source_ == nullptr || failed_ || unread_ != 0 || pos_ != end_) return false;
    unsigned char rest[kBinaryRecordSize];
    std::size_t size = 0;
    while (size < sizeof rest) {
        const std::size_t got = source_->read(rest + size, sizeof rest - size);
        if (got == 0) break;
        size += got;
    }
    return size == sizeof rest;
}

void read_binary_facet(const unsigned char* record, Facet& facet) {
    for (int i = 0; i < 3; ++i) {
        const unsigned char* vertex = record + 12 + 12 * i;
        for (int axis = 0; axis < 3; ++axis) facet.vertices[i][axis] = load_le_float(vertex + 4 * axis);
    }
    const double x = load_le_float(record);
    const double y = load_le_float(record + 4);
    const double z = load_le_float(record + 8);
    // A zero normal, as many exporters leave it, is the vertices' to make.
    facet.has_normal = !(x == 0.0 && y == 0.0 && z == 0.0);
    if (facet.has_normal) unit_normal(x, y, z, facet.normal);
}

}  // namespace trimora
