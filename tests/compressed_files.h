// Compressed test data: gzip streams of one or more members, and zip archives of stored or deflated entries;
// and any byte source read whole.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace trimora {
class ByteSource;
}

namespace trimora::testing {

// The gzip bytes of data, split into that many members.
std::string gzip_bytes(const std::string& data, int members = 1);

// A zip archive of the entries, each stored or deflated.
struct ZipFile {
    std::string name;
    std::string bytes;
    bool deflate = true;
};
std::string zip_file(const std::vector<ZipFile>& files);

// The bytes of the source read in pieces of n, up to its first short piece;
// it has not ended before that piece, and gives nothing after it.
std::string read_all(ByteSource& source, std::size_t n);

}  // namespace trimora::testing
