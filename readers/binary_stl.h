// Binary STL input: telling a binary file from a text one, reading its records, the facet of a record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace trimora {

class ByteSource;
struct Facet;

// The fixed parts of a binary STL file: an 80-byte header, the little-endian
// facet count, then one 50-byte record per facet.
inline constexpr int kBinaryHeaderSize = 80;
inline constexpr int kBinaryPrefixSize = 84;
inline constexpr int kBinaryRecordSize = 50;

// Whether a file of size bytes whose count at offset 80 is count holds
// exactly count whole records, with less than one record left over. The
// header plays no part: exporters often begin it with "solid". The four text
// bytes of an ASCII file give a count of hundreds of millions, which no ASCII
// file below several gigabytes can match.
bool is_binary_stl_size(std::uintmax_t size, std::uint32_t count);

// Whether the start of a stream whose size cannot be known (a pipe) is a
// binary STL file: it has its 84 bytes of header and count, and one of them
// is a byte no text holds, a control byte other than TAB, LF, VT, FF, CR and
// the end byte 0x1A, or DEL. The count's top byte is such a byte, NUL, in
// every file of fewer than 16,777,216 facets, whatever its header says.
bool looks_like_binary_stl(const unsigned char* first, std::size_t size);

// The little-endian unsigned 32-bit value at bytes, whatever the host order.
std::uint32_t load_le32(const unsigned char* bytes);

// The little-endian IEEE single-precision value at bytes, widened to double.
double load_le_float(const unsigned char* bytes);

// Whether an STL input is binary: by its size when it is a file whose size
// is known (is_binary_stl_size), else by its first size bytes, at first
// (looks_like_binary_stl). The one place the two kinds of STL are told apart.
bool stl_is_binary(const unsigned char* first, std::size_t size, std::optional<std::uintmax_t> file_size);

// The records of a binary STL input read through a large block buffer.
class BinaryStlInput {
public:
    BinaryStlInput() = default;
    BinaryStlInput(const BinaryStlInput&) = delete;
    BinaryStlInput& operator=(const BinaryStlInput&) = delete;

    // Reads the records of the source, whose first 84 bytes, at prefix, were
    // read from it before; a failure of the source ends the records as a
    // short file does.
    void attach(ByteSource& source, const unsigned char* prefix);

    // The facet count of the header.
    std::uint32_t facet_count() const { return count_; }

    // The next 50-byte record, valid until the next call, or null after the
    // last record and when the input ends early or cannot be read. The bytes
    // after the last record are never read.
    const unsigned char* read_record();
    // True once the records ended before the count: the input could not be
    // read, or was shorter than its count.
    bool failed() const { return failed_; }
    // After the last record of an input whose size was not known (standard
    // input, decompressed data): true when a whole record's worth of bytes
    // or more follows, which a file of that size would not hold; less, often
    // a stray newline, is left over as in a file. Reads at most those bytes.
    bool data_after_records();

private:
    // Reads the next block of whole records; false when none was read.
    bool refill();

    static constexpr int kRecordsPerBlock = 5120;
    ByteSource* source_ = nullptr;
    std::uint32_t count_ = 0;
    std::uint32_t unread_ = 0;  // records still in the input, not yet in the buffer
    bool failed_ = false;
    int pos_ = 0;               // byte offsets of the buffered records
    int end_ = 0;
    unsigned char buffer_[kBinaryRecordSize * kRecordsPerBlock];
};

// The facet of one record, with its normal made a unit normal. A record
// whose stored normal is zero, as many exporters leave it, has none: it gets
// the normal of its vertices.
void read_binary_facet(const unsigned char* record, Facet& facet);

}  // namespace trimora
