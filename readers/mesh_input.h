// A mesh file opened for its reader: the file or stream, a gzip layer when the kind says so, the reader.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string_view>

#include "platform/byte_source.h"
#include "readers/gzip_source.h"
#include "readers/mesh_reader.h"

namespace trimora {

class MeshInput {
public:
    MeshInput() = default;
    MeshInput(const MeshInput&) = delete;
    MeshInput& operator=(const MeshInput&) = delete;

    // Opens the file with a UTF-8 path for a reader of the kind, which names
    // it name in its messages; false when it cannot be opened. STL has no
    // reader here: only its source.
    bool open(const char* path, InputKind kind, std::string_view name);
    // Reads an open stream, whose first size bytes were read from it before
    // and are at first; the stream stays open.
    void attach(std::FILE* stream, const char* first, std::size_t size, InputKind kind, std::string_view name);

    // The reader of the input; only after open() or attach() succeeded, and
    // never for STL, which the converter reads itself from source().
    MeshReader& reader() { return *reader_; }
    // The bytes of the input, decompressed when it is gzip.
    ByteSource& source() { return gzip_ ? static_cast<ByteSource&>(*gzip_) : file_; }
    // The file's own bytes, for a progress display.
    FileByteSource& file() { return file_; }

private:
    void make_reader(InputKind kind, std::string_view name);

    FileByteSource file_;
    std::unique_ptr<GzipSource> gzip_;
    std::unique_ptr<MeshReader> reader_;
};

}  // namespace trimora
