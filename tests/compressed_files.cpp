// Writing gzip streams and zip archives with zlib for the tests.
#include "compressed_files.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>

#include "platform/byte_source.h"

namespace trimora::testing {

namespace {

void put_le(std::string& out, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

std::string raw_deflate(const std::string& data, int window_bits) {
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, window_bits, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

}  // namespace

std::string gzip_bytes(const std::string& data, int members) {
    std::string out;
    const std::size_t piece = data.size() / static_cast<std::size_t>(members) + 1;
    for (int i = 0; i < members; ++i) {
        const std::size_t start = std::min(data.size(), piece * static_cast<std::size_t>(i));
        const std::size_t end = i + 1 == members ? data.size() : std::min(data.size(), start + piece);
        std::string member = raw_deflate(data.substr(start, end - start), 16 + MAX_WBITS);
        // zlib names its system in the header (0x0A, a line end, on Windows); the same bytes on
        // every platform keep tests that read a gzip file as text alike.
        member[9] = '\x03';
        out += member;
    }
    return out;
}

std::string zip_file(const std::vector<ZipFile>& files) {
    std::string archive;
    std::string directory;
    for (const ZipFile& file : files) {
        const std::string stored = file.deflate ? raw_deflate(file.bytes, -MAX_WBITS) : file.bytes;
        const auto crc = crc32(0, reinterpret_cast<const Bytef*>(file.bytes.data()), static_cast<uInt>(file.bytes.size()));
        const std::size_t offset = archive.size();
        const int method = file.deflate ? 8 : 0;
        put_le(archive, 0x04034b50, 4);
        put_le(archive, 20, 2);
        put_le(archive, 0, 2);
        put_le(archive, static_cast<std::uint64_t>(method), 2);
        put_le(archive, 0, 4);  // time and date
        put_le(archive, crc, 4);
        put_le(archive, stored.size(), 4);
        put_le(archive, file.bytes.size(), 4);
        put_le(archive, file.name.size(), 2);
        put_le(archive, 0, 2);
        archive += file.name + stored;
        put_le(directory, 0x02014b50, 4);
        put_le(directory, 20, 2);
        put_le(directory, 20, 2);
        put_le(directory, 0, 2);
        put_le(directory, static_cast<std::uint64_t>(method), 2);
        put_le(directory, 0, 4);
        put_le(directory, crc, 4);
        put_le(directory, stored.size(), 4);
        put_le(directory, file.bytes.size(), 4);
        put_le(directory, file.name.size(), 2);
        put_le(directory, 0, 2);  // extra
        put_le(directory, 0, 2);  // comment
        put_le(directory, 0, 2);  // disk
        put_le(directory, 0, 2);
        put_le(directory, 0, 4);
        put_le(directory, offset, 4);
        directory += file.name;
    }
    const std::size_t directory_offset = archive.size();
    archive += directory;
    put_le(archive, 0x06054b50, 4);
    put_le(archive, 0, 4);
    put_le(archive, files.size(), 2);
    put_le(archive, files.size(), 2);
    put_le(archive, directory.size(), 4);
    put_le(archive, directory_offset, 4);
    put_le(archive, 0, 2);
    return archive;
}

std::string read_all(ByteSource& source, std::size_t n) {
    std::string out;
    std::string piece(n, '\0');
    for (;;) {
        const std::size_t got = source.read(piece.data(), n);
        out.append(piece.data(), got);
        if (got < n) break;
        EXPECT_FALSE(source.ended());
    }
    EXPECT_EQ(source.read(piece.data(), n), 0u);
    return out;
}

}  // namespace trimora::testing
