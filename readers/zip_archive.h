// A zip archive held in memory: its central directory, and each entry's bytes as a byte source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/byte_source.h"

namespace trimora {

// One file of the archive as its central directory describes it.
struct ZipEntry {
    std::string name;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;  // 0 stored, 8 deflated
    std::uint32_t crc = 0;
    std::uint64_t compressed_size = 0;
    std::uint64_t size = 0;
    std::uint64_t local_offset = 0;

    bool encrypted() const { return (flags & 1) != 0; }
};

// The directory of an archive whose bytes the caller keeps alive. Sizes and
// offsets are checked against the bytes there are before anything is read
// by them; ZIP64 sizes and offsets are understood.
class ZipArchive {
public:
    // Reads the central directory of the size bytes at data; false, with
    // error set to a short reason, when the archive is broken.
    bool open(const unsigned char* data, std::size_t size, std::string& error);

    const std::vector<ZipEntry>& entries() const { return entries_; }
    // The entry of that name, compared without case and without a leading '/'
    // (the first of entries so named); null when none. Found through a map,
    // so that a package of many parts is read in time that grows with it.
    const ZipEntry* find(std::string_view name) const;

    // The entry's stored bytes, after its local header: sets start and
    // available (the bytes from there to the end of the archive); false, with
    // error set, when the local header is not where the directory says.
    bool locate(const ZipEntry& entry, const unsigned char*& start, std::size_t& available,
                std::string& error) const;

private:
    const unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
    std::vector<ZipEntry> entries_;
    std::unordered_map<std::string, std::size_t> by_name_;  // names as compared: lower case, no leading '/'
};

// The bytes of one entry: copied when stored, inflated when deflated, and
// checked against the directory's size and CRC at the end. Stored bytes that
// run past the archive, or deflate data that stops, are kCutShort; data
// longer than the size, a wrong CRC or bad deflate data are kCorrupt;
// deflate data beyond the inflation limit (inflation_limit.h) is kTooExpanded.
class ZipEntrySource final : public ByteSource {
public:
    // Reads the entry whose stored bytes are at start, with available bytes
    // there; the entry must be stored or deflated.
    ZipEntrySource(const ZipEntry& entry, const unsigned char* start, std::size_t available);
    ~ZipEntrySource() override;
    ZipEntrySource(const ZipEntrySource&) = delete;
    ZipEntrySource& operator=(const ZipEntrySource&) = delete;

    std::size_t read(void* buffer, std::size_t n) override;

private:
    struct Inflater;
    // Checks the size and CRC once all bytes are out; sets the end or the failure.
    void finish();

    std::uint64_t size_;
    std::uint32_t crc_;
    const unsigned char* start_;
    std::uint64_t stored_;  // the stored bytes there are, at most the compressed size
    bool truncated_;        // the compressed size runs past the archive
    bool deflated_;
    std::uint64_t consumed_ = 0;  // stored bytes used
    std::uint64_t produced_ = 0;
    std::uint32_t running_crc_ = 0;
    std::unique_ptr<Inflater> inflater_;
};

}  // namespace trimora
