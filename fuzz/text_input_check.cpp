// The line reader against an independent text-mode translation and piece split of the same bytes,
// and the reading in blocks against the reading line by line.
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/byte_source.h"
#include "readers/format_readers.h"
#include "readers/line_blocks.h"
#include "fuzz/checks.h"
#include "fuzz/scratch_dir.h"
#include "platform/byte_sink.h"
#include "platform/text_input.h"
#include "platform/text_output.h"
#include "writers/facet_output.h"

namespace trimora::fuzz {

namespace {

// The reader takes the file in blocks of this size; inputs are moved close
// to the end of the first block to test the reading across it.
constexpr std::size_t kReadBlock = std::size_t{1} << 18;

// Lines of 99 characters ended by CR LF, cut to n bytes (n < kReadBlock).
std::string_view padding(std::size_t n) {
    static const std::string lines = [] {
        std::string line(99, 'p');
        line += "\r\n";
        std::string bytes;
        while (bytes.size() < kReadBlock) bytes += line;
        return bytes;
    }();
    return std::string_view(lines).substr(0, n);
}

// The reference: the bytes in text mode (a CR directly followed by LF is
// dropped, the first 0x1A ends the text), cut into pieces of at most 127
// characters that end after an LF; each piece is compared with what the
// reader gives as soon as it is complete.
class ReferenceReader {
public:
    ReferenceReader(std::string_view first, std::string_view second) : first_(first), second_(second) {}

    std::string compare_with(TextInput& input) {
        const std::size_t total = first_.size() + second_.size();
        std::string piece;
        piece.reserve(128);
        for (std::size_t i = 0; i < total; ++i) {
            const char c = at(i);
            if (c == '\x1a') break;
            if (c == '\r' && i + 1 < total && at(i + 1) == '\n') continue;
            piece += c;
            if (c == '\n' || piece.size() == 127) {
                std::string failure = compare_piece(input, piece);
                if (!failure.empty()) return failure;
                piece.clear();
            }
        }
        return piece.empty() ? "" : compare_piece(input, piece);
    }

private:
    char at(std::size_t i) const { return i < first_.size() ? first_[i] : second_[i - first_.size()]; }

    std::string compare_piece(TextInput& input, const std::string& piece) {
        // Exactly the documented room, so that the sanitizer sees a write past it.
        std::memset(line_.get(), '#', kLineBufferSize);
        const std::string number = std::to_string(pieces_++);
        if (!input.read_line(line_.get())) return "the reader ended before piece " + number;
        if (std::memchr(line_.get(), '\0', kLineBufferSize) == nullptr) return "piece without a NUL";
        // A NUL byte of the input ends the text of its piece.
        if (std::string_view(line_.get()) != std::string_view(piece).substr(0, piece.find('\0'))) {
            return "piece " + number + " differs from the text-mode translation";
        }
        return "";
    }

    std::string_view first_;
    std::string_view second_;
    std::unique_ptr<char[]> line_{new char[kLineBufferSize]};
    int pieces_ = 0;
};

// The problems, status and count, and the TEXT facets, of the ASCII STL
// reader over the file, read line by line (block_size 0) or in blocks of
// block_size bytes.
std::string loop_output(const std::string& path, int block_size) {
    std::string console_text;
    std::string file_text;
    {
        MemorySink console_sink(console_text);
        MemorySink file_sink(file_text);
        TextOutput console(console_sink);
        TextOutput file(file_sink);
        FacetLinesWriter facets(file, "nrml", "trng");
        FileByteSource source;
        if (!source.open(path.c_str())) return "cannot open the input file";
        const auto reader = make_ascii_stl_reader(source, "input", nullptr, 0, block_size);
        int status = 1;
        int given = 0;
        for (ReadStep step; (step = reader->next()) != ReadStep::kEnd;) {
            if (step == ReadStep::kFacet) {
                ++given;
                status = facets.take_facet(reader->facet());
            } else {
                console.print("%s\n", reader->problem().c_str());
                status = 0;
            }
        }
        console.print("status %d, facets %d\n", status, reader->facet_count(given));
    }
    return console_text + "--\n" + file_text;
}

}  // namespace

std::string check_text_input(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // An odd first byte puts the input up to 128 bytes before the block end.
    const std::string_view before =
        size > 0 && (data[0] & 1) != 0 ? padding(kReadBlock - 128 + data[0] / 2) : std::string_view();

    const std::string path = scratch_folder("text_input") + "/input";
    if (!write_bytes(path, before, bytes)) return "cannot write the input file";
    TextInput input;
    if (!input.open(path.c_str())) return "cannot open the input file";
    ReferenceReader reference(before, bytes);
    std::string failure = reference.compare_with(input);
    if (!failure.empty()) return failure;
    char line[kLineBufferSize];
    if (input.read_line(line)) return "the reader gave more pieces than the text holds";
    if (input.read_line(line)) return "the reader gave a piece after its end";
    if (input.failed()) return "the reader reports a read error";

    // Blocks of every size give the lines one by one gives, from a single
    // byte, where no line fits, to blocks that end inside the input. The
    // bytes alone, without the padding: at most a few hundred blocks each.
    const std::string plain_path = scratch_folder("text_input") + "/plain";
    if (!write_bytes(plain_path, std::string_view(), bytes)) return "cannot write the input file";
    const std::string by_line = loop_output(plain_path, 0);
    const int tiny = 1 + (size > 0 ? data[size / 3] % 64 : 0);
    const int sizes[] = {size / tiny <= 512 ? tiny : 1 + static_cast<int>(size / 512),
                         64 + static_cast<int>(size % 977), kLineBlockSize};
    for (int block_size : sizes) {
        if (loop_output(plain_path, block_size) != by_line) {
            return "reading in blocks of " + std::to_string(block_size) +
                   " bytes differs from reading line by line";
        }
    }
    return "";
}

}  // namespace trimora::fuzz
