// Zip directory reading and entry decompression through zlib's raw inflate.
#include "readers/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <initializer_list>

#include "readers/inflation_limit.h"

namespace trimora {

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;

std::uint64_t load_le(const unsigned char* bytes, int size) {
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[i];
    return value;
}
std::uint16_t le16(const unsigned char* bytes) { return static_cast<std::uint16_t>(load_le(bytes, 2)); }
std::uint32_t le32(const unsigned char* bytes) { return static_cast<std::uint32_t>(load_le(bytes, 4)); }
std::uint64_t le64(const unsigned char* bytes) { return load_le(bytes, 8); }

// Whether the range [offset, offset + length) lies within size bytes.
bool within(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
    return offset <= size && length <= size - offset;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The name as names are compared: without case and without a leading '/'.
std::string compared_name(std::string_view name) {
    if (!name.empty() && name.front() == '/') name.remove_prefix(1);
    std::string text(name);
    for (char& c : text) c = lower(c);
    return text;
}

// Takes the 64-bit values of a ZIP64 extra field for the fields whose 32-bit value is full.
void read_zip64_extra(const unsigned char* extra, std::size_t length, ZipEntry& entry) {
    std::size_t pos = 0;
    while (pos + 4 <= length) {
        const std::uint16_t id = le16(extra + pos);
        const std::uint16_t size = le16(extra + pos + 2);
        pos += 4;
        if (size > length - pos) return;
        if (id == 0x0001) {
            std::size_t field = pos;
            for (std::uint64_t* value : {&entry.size, &entry.compressed_size, &entry.local_offset}) {
                if (*value != 0xFFFFFFFF) continue;
                if (field + 8 > pos + size) return;
                *value = le64(extra + field);
                field += 8;
            }
            return;
        }
        pos += size;
    }
}

}  // namespace

bool ZipArchive::open(const unsigned char* data, std::size_t size, std::string& error) {
    data_ = data;
    size_ = size;
    entries_.clear();
    by_name_.clear();
    // The end record is last, followed only by a comment of at most 65535 bytes.
    std::size_t end = size;
    if (size >= kEndSize) {
        const std::size_t lowest = size - kEndSize > 0xFFFF ? size - kEndSize - 0xFFFF : 0;
        for (std::size_t p = size - kEndSize + 1; p-- > lowest;) {
            if (le32(data + p) == kEndSignature && p + kEndSize + le16(data + p + 20) <= size) {
                end = p;
                break;
            }
        }
    }
    if (end == size) {
        error = "no end of central directory";
        return false;
    }
    std::uint64_t count = le16(data + end + 10);
    std::uint64_t directory_size = le32(data + end + 12);
    std::uint64_t directory_offset = le32(data + end + 16);
    if ((count == 0xFFFF || directory_size == 0xFFFFFFFF || directory_offset == 0xFFFFFFFF) && end >= 20 &&
        le32(data + end - 20) == kZip64LocatorSignature) {
        const std::uint64_t record = le64(data + end - 20 + 8);
        if (within(record, 56, size) && le32(data + record) == kZip64EndSignature) {
            count = le64(data + record + 32);
            directory_size = le64(data + record + 40);
            directory_offset = le64(data + record + 48);
        }
    }
    if (!within(directory_offset, directory_size, size)) {
        error = "central directory outside the file";
        return false;
    }
    const std::uint64_t directory_end = directory_offset + directory_size;
    std::uint64_t p = directory_offset;
    // The count is not trusted for room: entries are added as they are found.
    for (std::uint64_t i = 0; i < count; ++i) {
        if (!within(p, kCentralSize, directory_end) || le32(data + p) != kCentralSignature) {
            error = "bad central directory entry";
            return false;
        }
        const unsigned char* record = data + p;
        const std::size_t name_length = le16(record + 28);
        const std::size_t extra_length = le16(record + 30);
        const std::size_t comment_length = le16(record + 32);
        if (!within(p + kCentralSize, name_length + extra_length + comment_length, directory_end)) {
            error = "bad central directory entry";
            return false;
        }
        ZipEntry entry;
        entry.flags = le16(record + 8);
        entry.method = le16(record + 10);
        entry.crc = le32(record + 16);
        entry.compressed_size = le32(record + 20);
        entry.size = le32(record + 24);
        entry.local_offset = le32(record + 42);
        entry.name.assign(reinterpret_cast<const char*>(record + kCentralSize), name_length);
        read_zip64_extra(record + kCentralSize + name_length, extra_length, entry);
        by_name_.try_emplace(compared_name(entry.name), entries_.size());
        entries_.push_back(std::move(entry));
        p += kCentralSize + name_length + extra_length + comment_length;
    }
    return true;
}

const ZipEntry* ZipArchive::find(std::string_view name) const {
    const auto found = by_name_.find(compared_name(name));
    return found == by_name_.end() ? nullptr : &entries_[found->second];
}

bool ZipArchive::locate(const ZipEntry& entry, const unsigned char*& start, std::size_t& available,
                        std::string& error) const {
    const std::uint64_t offset = entry.local_offset;
    if (!within(offset, kLocalSize, size_) || le32(data_ + offset) != kLocalSignature) {
        error = "bad local header";
        return false;
    }
    const std::uint64_t data_offset = offset + kLocalSize + le16(data_ + offset + 26) + le16(data_ + offset + 28);
    if (data_offset > size_) {
        error = "bad local header";
        return false;
    }
    start = data_ + data_offset;
    available = static_cast<std::size_t>(size_ - data_offset);
    return true;
}

struct ZipEntrySource::Inflater {
    z_stream stream{};
    bool started = false;
};

ZipEntrySource::ZipEntrySource(const ZipEntry& entry, const unsigned char* start, std::size_t available)
    : size_(entry.size),
      crc_(entry.crc),
      start_(start),
      stored_(std::min<std::uint64_t>(entry.compressed_size, available)),
      truncated_(entry.compressed_size > available),
      deflated_(entry.method == 8),
      running_crc_(static_cast<std::uint32_t>(crc32(0, nullptr, 0))) {
    if (!deflated_) return;
    inflater_ = std::make_unique<Inflater>();
    // Negative window bits: raw deflate data, with no zlib or gzip wrapper.
    inflater_->started = inflateInit2(&inflater_->stream, -MAX_WBITS) == Z_OK;
    if (!inflater_->started) set_failure(SourceFailure::kCorrupt, "zlib cannot start");
}

ZipEntrySource::~ZipEntrySource() {
    if (inflater_ && inflater_->started) inflateEnd(&inflater_->stream);
}

void ZipEntrySource::finish() {
    if (produced_ != size_) {
        set_failure(SourceFailure::kCorrupt, "entry size differs from the directory");
    } else if (running_crc_ != crc_) {
        set_failure(SourceFailure::kCorrupt, "entry CRC differs from the directory");
    } else {
        set_ended();
    }
}

std::size_t ZipEntrySource::read(void* buffer, std::size_t n) {
    if (ended() || failure() != SourceFailure::kNone) return 0;
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        std::size_t made = 0;
        if (!deflated_) {
            made = static_cast<std::size_t>(
                std::min<std::uint64_t>({n - done, stored_ - consumed_, std::uint64_t{1} << 30}));
            std::copy(start_ + consumed_, start_ + consumed_ + made, out + done);
            consumed_ += made;
        } else {
            z_stream& z = inflater_->stream;
            z.next_in = const_cast<unsigned char*>(start_ + consumed_);
            z.avail_in = static_cast<uInt>(std::min<std::uint64_t>(stored_ - consumed_, std::uint64_t{1} << 30));
            z.next_out = out + done;
            z.avail_out = static_cast<uInt>(std::min<std::size_t>(n - done, std::size_t{1} << 30));
            const uInt in_before = z.avail_in;
            const uInt out_before = z.avail_out;
            const int result = inflate(&z, Z_NO_FLUSH);
            consumed_ += in_before - z.avail_in;
            made = out_before - z.avail_out;
            if (result == Z_STREAM_END) {
                running_crc_ = static_cast<std::uint32_t>(crc32(running_crc_, out + done, static_cast<uInt>(made)));
                produced_ += made;
                done += made;
                finish();
                break;
            }
            if (result != Z_OK && result != Z_BUF_ERROR) {
                set_failure(SourceFailure::kCorrupt, z.msg != nullptr ? z.msg : "inflate failed");
                break;
            }
        }
        running_crc_ = static_cast<std::uint32_t>(crc32(running_crc_, out + done, static_cast<uInt>(made)));
        produced_ += made;
        done += made;
        if (deflated_ && beyond_inflation_limit(produced_, consumed_)) {
            set_failure(SourceFailure::kTooExpanded);
            break;
        }
        if (produced_ > size_) {
            set_failure(SourceFailure::kCorrupt, "entry longer than the directory says");
            break;
        }
        if (consumed_ == stored_ && (made == 0 || !deflated_)) {
            // Every stored byte is used: a stored entry is whole; deflate data that has not ended is cut.
            if (truncated_ || deflated_) {
                set_failure(SourceFailure::kCutShort);
            } else {
                finish();
            }
            break;
        }
    }
    return done;
}

}  // namespace trimora
