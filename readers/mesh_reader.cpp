// The reader of each format, the choice of ASCII or binary STL, and the reader that refuses an input.
#include "readers/mesh_reader.h"

#include "platform/byte_source.h"
#include "readers/binary_stl.h"
#include "readers/format_readers.h"
#include "readers/inflation_limit.h"
#include "readers/line_blocks.h"

namespace trimora {

namespace {

// Text in UTF-16 would read as words cut by NUL bytes: it is refused whole.
class Utf16Refusal final : public MeshReader {
public:
    Utf16Refusal(ByteSource& source, std::string_view name, const char* format_name)
        : MeshReader(source, name, format_name) {}

    ReadStep next() override {
        if (done_) return ReadStep::kEnd;
        done_ = true;
        return report(0, message::kUtf16Text);
    }

private:
    bool done_ = false;
};

std::unique_ptr<MeshReader> make_stl_reader(ByteSource& source, std::string_view name, const ReaderOptions& options) {
    // The first bytes tell the two apart; the chosen reader starts with them.
    unsigned char first[kBinaryPrefixSize];
    std::size_t size = 0;
    for (std::size_t got = 1; size < sizeof first && got > 0; size += got) {
        got = source.read(first + size, sizeof first - size);
    }
    // A file of the wrong size for its count is still binary when its first
    // bytes are no text; the reader then says how the size is wrong.
    if (stl_is_binary(first, size, options.file_size) ||
        (!options.legacy && options.file_size && looks_like_binary_stl(first, size))) {
        return make_binary_stl_reader(source, name, first, options);
    }
    return make_ascii_stl_reader(source, name, first, size,
                                 options.line_block_size > 0 ? options.line_block_size : kLineBlockSize);
}

}  // namespace

ReadStep MeshReader::report_failure(const ByteSource& source) {
    switch (source.failure()) {
        case SourceFailure::kCutShort: return report(0, message::kCompressedCutShort);
        case SourceFailure::kCorrupt: return report(0, message::kCompressedCorrupt, source.failure_detail());
        case SourceFailure::kTooExpanded: return report(0, message::kTooExpanded, kMostInflation);
        default: return report(0, message::kReadError);
    }
}

std::unique_ptr<MeshReader> make_mesh_reader(MeshFormat format, ByteSource& source, std::string_view name,
                                             const ReaderOptions& options) {
    switch (format) {
        case MeshFormat::kStl: return make_stl_reader(source, name, options);
        case MeshFormat::kObj: return make_obj_reader(source, name);
        case MeshFormat::kPly: return make_ply_reader(source, name);
        case MeshFormat::kOff: return make_off_reader(source, name);
        case MeshFormat::k3mf: return make_3mf_reader(source, name);
        case MeshFormat::kKpf: return make_kpf_reader(source, name);
    }
    return make_stl_reader(source, name, options);
}

std::unique_ptr<MeshReader> make_utf16_refusal(ByteSource& source, std::string_view name, const char* format_name) {
    return std::make_unique<Utf16Refusal>(source, name, format_name);
}

}  // namespace trimora
