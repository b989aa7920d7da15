// Bytes read front to back from a file, a stream or memory, with the end told apart from a failure.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

namespace trimora {

// Why a source stopped before the end of its data.
enum class SourceFailure {
    kNone,
    kReadError,  // the system could not read the file
    kCutShort,   // the data stops inside a structure that says more follows
    kCorrupt,    // the data breaks its own format; failure_detail() says how
    kTooExpanded,  // compressed data that grows far beyond its size: refused as a bomb
};

// A sequence of bytes read in order. A read returns fewer bytes than asked
// only at the end of the data or on a failure; after that every read returns
// 0 and ended() or failure() says which.
class ByteSource {
public:
    virtual ~ByteSource() = default;

    // Copies up to n bytes to buffer; returns how many.
    virtual std::size_t read(void* buffer, std::size_t n) = 0;

    // How many bytes the reads from here on will give, when the source can
    // tell before reading them: what is left of a regular file, with the
    // bytes held from before it, or of memory; 0 once the data has ended or
    // failed. Nothing when it cannot tell: a pipe, a terminal, a device, data
    // decompressed as it is read. A file may grow or shrink while it is read:
    // the count is what it held when asked, and the reads stay what counts.
    // A caller may size a buffer by it once, but reads on to the short read
    // that ends the data and keeps what the reads gave.
    virtual std::optional<std::uint64_t> known_size() const { return std::nullopt; }

    // True once a read met the end of the data, with no failure.
    bool ended() const { return ended_; }
    // The failure that stopped reading, kNone while there is none.
    SourceFailure failure() const { return failure_; }
    // A short LF-free description of a kCorrupt failure, else empty.
    const std::string& failure_detail() const { return failure_detail_; }

protected:
    void set_ended() { ended_ = true; }
    // Keeps the first failure only: the later ones follow from it.
    void set_failure(SourceFailure failure, std::string detail = {}) {
        if (failure_ != SourceFailure::kNone) return;
        failure_ = failure;
        failure_detail_ = std::move(detail);
    }

private:
    bool ended_ = false;
    SourceFailure failure_ = SourceFailure::kNone;
    std::string failure_detail_;
};

// A file read in binary mode, or a stream opened by someone else.
class FileByteSource final : public ByteSource {
public:
    FileByteSource() = default;
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    // Opens the file with a UTF-8 name; false when it cannot be opened or is a
    // directory, with errno saying why.
    bool open(const char* path);
    // Reads an already open stream, which the destructor leaves open, starting
    // with the size bytes at first that were read from it before.
    void attach(std::FILE* stream, const char* first, std::size_t size);
    // Adds every byte read from the stream to the counter (null: none), for a progress display.
    void count_bytes_in(std::atomic<std::uint64_t>* counter) { bytes_read_ = counter; }

    std::size_t read(void* buffer, std::size_t n) override;
    // The bytes held from before, and what is left of the stream when it reads a regular file.
    std::optional<std::uint64_t> known_size() const override;

private:
    std::FILE* stream_ = nullptr;
    bool owns_stream_ = false;
    std::string first_;
    std::size_t first_pos_ = 0;
    std::atomic<std::uint64_t>* bytes_read_ = nullptr;
};

// Bytes held in memory by the caller, who keeps them alive while they are read.
class MemoryByteSource final : public ByteSource {
public:
    MemoryByteSource(const void* data, std::size_t size)
        : data_(static_cast<const unsigned char*>(data)), size_(size) {}

    std::size_t read(void* buffer, std::size_t n) override;
    std::optional<std::uint64_t> known_size() const override { return size_ - pos_; }

private:
    const unsigned char* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace trimora
