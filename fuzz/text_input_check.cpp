// The line reader against an independent text-mode translation and piece split of the same bytes.
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "fuzz/checks.h"
#include "fuzz/scratch_dir.h"
#include "platform/text_input.h"

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
    return "";
}

}  // namespace trimora::fuzz
