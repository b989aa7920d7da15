// Binary STL input: telling a binary file by its size, reading its records, handing on its facets.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>

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

// A binary STL file read record by record through a large block buffer.
class BinaryStlInput {
public:
    BinaryStlInput() = default;
    ~BinaryStlInput();
    BinaryStlInput(const BinaryStlInput&) = delete;
    BinaryStlInput& operator=(const BinaryStlInput&) = delete;

    // Opens path and keeps it open when it is a binary STL file by its size
    // and count; only the first 84 bytes are read for that. Returns false,
    // with nothing left open, for any other file, for a file whose size
    // cannot be known and for one that cannot be opened: those are read as
    // text.
    bool open(const char* path);
    // Reads the records of an already open stream, which close() leaves open,
    // whose first 84 bytes, at prefix, were read from it before.
    void attach(std::FILE* stream, const unsigned char* prefix);
    // The same for a byte source (a decompressed stream); a failure of the
    // source ends the records as a failed read does.
    void attach(ByteSource& source, const unsigned char* prefix);
    void close();
    // Adds every byte read from the stream to the counter (null: none).
    void count_bytes_in(std::atomic<std::uint64_t>* counter) { bytes_read_ = counter; }

    // The facet count of the open file.
    std::uint32_t facet_count() const { return count_; }
    bool is_open() const { return stream_ != nullptr || source_ != nullptr; }

    // The next 50-byte record, valid until the next call, or null after the
    // last record and when the file ends early or cannot be read. The bytes
    // after the last record are never read.
    const unsigned char* read_record();
    // True once the records ended before the count: the file could not be
    // read, or grew shorter while it was read.
    bool failed() const { return failed_; }
    // After the last record of an attached stream (standard input, which has
    // no size to tell a binary file by): true when a whole record's worth of
    // bytes or more follows, which a file of that size would not hold; less,
    // often a stray newline, is left over as in a file. Reads at most those
    // bytes. False for a file opened here, whose size already told.
    bool data_after_records();

private:
    // Reads the next block of whole records; false when none was read.
    bool refill();
    // Up to n bytes from the source or the stream.
    std::size_t read_bytes(unsigned char* out, std::size_t n);

    static constexpr int kRecordsPerBlock = 5120;
    std::FILE* stream_ = nullptr;
    ByteSource* source_ = nullptr;  // read instead of the stream when set
    bool owns_stream_ = false;
    std::atomic<std::uint64_t>* bytes_read_ = nullptr;
    std::uint32_t count_ = 0;
    std::uint32_t unread_ = 0;  // records still in the file, not yet in the buffer
    bool failed_ = false;
    int pos_ = 0;               // byte offsets of the buffered records
    int end_ = 0;
    unsigned char buffer_[kBinaryRecordSize * kRecordsPerBlock];
};

// The complete facet of one record, with its normal made a unit normal. A
// record whose stored normal is zero, as many exporters leave it, gets the
// normal of its vertices (has_normal false).
void read_binary_facet(const unsigned char* record, Facet& facet);

}  // namespace trimora
