// An input opened for its reader: the file or standard input, a gzip layer when it is compressed, the reader.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/byte_source.h"
#include "readers/gzip_source.h"
#include "readers/input_kind.h"
#include "readers/lookahead_source.h"
#include "readers/mesh_reader.h"

namespace trimora {

// Where an input comes from and what is known of it.
struct InputRequest {
    const char* path = "";  // a file with a UTF-8 name, unless standard
    bool standard = false;  // standard input; path only names it
    std::string_view name;  // in the reader's messages
    std::optional<InputKind> from;  // the --from word's kind, if any
    int line_block_size = 0;        // see ReaderOptions
    bool legacy = false;            // see ReaderOptions: the name alone tells the kind
    // Counts the input's own bytes as they are read, for a progress display; may be null.
    std::atomic<std::uint64_t>* bytes_read = nullptr;
};

// The one way an input is opened: every format, every source.
class MeshInput {
public:
    MeshInput() = default;
    MeshInput(const MeshInput&) = delete;
    MeshInput& operator=(const MeshInput&) = delete;

    // Opens the input and makes the reader of its kind; false when it cannot
    // be opened: a file that cannot be opened or is a folder, or standard
    // input closed when the tool started; errno then says why.
    bool open(const InputRequest& request);

    // The reader of the input; only after open() succeeded.
    MeshReader& reader() { return *reader_; }
    // The kind it was read as.
    const InputKind& kind() const { return kind_; }

private:
    FileByteSource file_;
    LookaheadSource file_start_{file_};  // the file's first bytes, for the kind
    std::unique_ptr<GzipSource> gzip_;
    std::unique_ptr<LookaheadSource> data_start_;  // the decompressed bytes' first ones
    std::unique_ptr<MeshReader> reader_;
    InputKind kind_{MeshFormat::kStl, false};
};

}  // namespace trimora
