// Compressed test data: gzip streams of one or more members, and zip archives of stored or deflated entries.
#pragma once

#include <string>
#include <vector>

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

}  // namespace trimora::testing
