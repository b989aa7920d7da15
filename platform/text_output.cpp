// Buffered text-mode output: LF to CR LF translation, failure tracking, the print dialect.
#include "platform/text_output.h"

#include <cstring>

#include "platform/system.h"

namespace trimora {

namespace {

// In a buffer handed to the writer thread a NUL, which no text of the tool
// holds, starts a record: the length of the word (kNulRecord for a NUL of
// the text itself), the word, and the bytes of the three numbers.
constexpr char kRecordMark = '\0';
constexpr unsigned char kNulRecord = 0xFF;
constexpr int kMaxWord = 127;
constexpr int kNumbersSize = 3 * static_cast<int>(sizeof(double));
// The longest text a record becomes: word, three numbers with their spaces, CR LF.
constexpr int kMaxLineText = kMaxWord + 3 * (kLfBufferSize + 1) + 2;
constexpr int kExpandedSize = 1 << 18;

}  // namespace

TextOutput::~TextOutput() { close(); }

bool TextOutput::open(const char* path) {
    close();
    stream_ = open_file(path, "wb");
    if (stream_ == nullptr) return false;
    owns_stream_ = true;
    failed_ = false;
    used_ = 0;
    // Whole buffers go to the system at once; the stream's own buffer would
    // only copy them again.
    std::setvbuf(stream_, nullptr, _IONBF, 0);
    if (!numbers_) numbers_ = std::make_unique<LfCache>();
    // Written before they are read: no need to clear them.
    if (!spare_) spare_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
    if (!expanded_) expanded_ = std::make_unique_for_overwrite<char[]>(kExpandedSize);
    records_ = true;
    write_failed_.store(false, std::memory_order_relaxed);
    return true;
}

bool TextOutput::close() {
    flush();
    writing_.wait_all();
    if (write_failed_.load(std::memory_order_relaxed)) failed_ = true;
    records_ = false;
    if (stream_ != nullptr && owns_stream_ && std::fclose(stream_) != 0) failed_ = true;
    stream_ = nullptr;
    owns_stream_ = false;
    buffer_ = first_;
    return !failed_;
}

void TextOutput::hand_over() {
    if (memory_ != nullptr) memory_->append(buffer_, static_cast<std::size_t>(used_));
    if (used_ > 0 && stream_ != nullptr && !failed()) {
        if (records_) {
            const char* data = buffer_;
            const auto size = static_cast<std::size_t>(used_);
            const std::uint64_t ticket = writing_.run([this, data, size] {
                if (!write_failed_.load(std::memory_order_relaxed) && !write_block(data, size)) {
                    write_failed_.store(true, std::memory_order_relaxed);
                }
            });
            // The other buffer fills next, once its own task has written it.
            writing_.wait(spare_ticket_);
            spare_ticket_ = ticket;
            buffer_ = buffer_ == first_ ? spare_.get() : first_;
        } else if (std::fwrite(buffer_, 1, static_cast<std::size_t>(used_), stream_) !=
                   static_cast<std::size_t>(used_)) {
            failed_ = true;
        }
    }
    used_ = 0;
}

bool TextOutput::flush() {
    hand_over();
    if (!records_ && stream_ != nullptr && !failed_ && std::fflush(stream_) != 0) failed_ = true;
    return !failed();
}

void TextOutput::write_raw(const char* bytes, int n) {
    while (n > 0) {
        const int piece = n < kBufferSize ? n : kBufferSize;
        std::memcpy(reserve(piece), bytes, static_cast<std::size_t>(piece));
        used_ += piece;
        bytes += piece;
        n -= piece;
    }
}

void TextOutput::write(std::string_view text) {
    if (records_ && text.find('\0') != std::string_view::npos) {
        // A NUL in a file's text must not pass for the start of a record.
        for (char c : text) write_char(c);
        return;
    }
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        const std::size_t plain = lf == std::string_view::npos ? text.size() : lf;
        write_raw(text.data(), static_cast<int>(plain));
        if (lf == std::string_view::npos) return;
        write_newline();
        text.remove_prefix(lf + 1);
    }
}

void TextOutput::write_newline() {
    char* out = reserve(2);
    out[0] = '\r';
    out[1] = '\n';
    used_ += 2;
}

void TextOutput::write_int(int value) {
    char digits[12];
    int n = 0;
    // Work in negative numbers so that INT_MIN needs no special case.
    int rest = value < 0 ? value : -value;
    do {
        digits[n++] = static_cast<char>('0' - rest % 10);
        rest /= 10;
    } while (rest != 0);
    char* out = reserve(n + 1);
    int k = 0;
    if (value < 0) out[k++] = '-';
    while (n > 0) out[k++] = digits[--n];
    used_ += k;
}

void TextOutput::write_lf(double value) {
    used_ += format_lf(value, reserve(kLfBufferSize));
}

namespace {

int put_lf(double value, char* out, LfCache* cache) {
    return cache != nullptr ? cache->format(value, out) : format_lf(value, out);
}

// Writes " x y z" and the line end at out; returns the position after them.
// out must have room for 3 * (kLfBufferSize + 1) + 2 characters.
char* put_numbers(char* out, double x, double y, double z, LfCache* cache) {
    *out++ = ' ';
    out += put_lf(x, out, cache);
    *out++ = ' ';
    out += put_lf(y, out, cache);
    *out++ = ' ';
    out += put_lf(z, out, cache);
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

bool write_all(std::FILE* stream, const char* data, std::size_t size) {
    return size == 0 || std::fwrite(data, 1, size, stream) == size;
}

}  // namespace

void TextOutput::write_point_line(const char* word, double x, double y, double z) {
    if (!records_) {
        write_text(word);
        char* out = reserve(3 * (kLfBufferSize + 1) + 2);
        used_ += static_cast<int>(put_numbers(out, x, y, z, numbers_.get()) - out);
        return;
    }
    int length = 0;
    while (length < kMaxWord && word[length] != '\0') ++length;
    if (word[length] != '\0') {
        // A word too long for a record goes as text, the numbers after it.
        write_text(word);
        length = 0;
    }
    char* out = reserve(2 + length + kNumbersSize);
    out[0] = kRecordMark;
    out[1] = static_cast<char>(length);
    std::memcpy(out + 2, word, static_cast<std::size_t>(length));
    const double numbers[3] = {x, y, z};
    std::memcpy(out + 2 + length, numbers, kNumbersSize);
    used_ += 2 + length + kNumbersSize;
}

void TextOutput::write_nul_record() {
    char* out = reserve(2);
    out[0] = kRecordMark;
    out[1] = static_cast<char>(kNulRecord);
    used_ += 2;
}

bool TextOutput::write_block(const char* data, std::size_t size) {
    char* const text = expanded_.get();
    std::size_t filled = 0;
    const char* const end = data + size;
    while (data < end) {
        const auto* mark = static_cast<const char*>(
            std::memchr(data, kRecordMark, static_cast<std::size_t>(end - data)));
        const char* plain_end = mark != nullptr ? mark : end;
        const auto plain = static_cast<std::size_t>(plain_end - data);
        if (filled + plain + kMaxLineText > kExpandedSize) {
            if (!write_all(stream_, text, filled)) return false;
            filled = 0;
        }
        if (plain + kMaxLineText > kExpandedSize) {
            if (!write_all(stream_, data, plain)) return false;
        } else {
            std::memcpy(text + filled, data, plain);
            filled += plain;
        }
        if (mark == nullptr) break;
        const auto length = static_cast<unsigned char>(mark[1]);
        if (length == kNulRecord) {
            text[filled++] = '\0';
            data = mark + 2;
            continue;
        }
        std::memcpy(text + filled, mark + 2, length);
        double numbers[3];
        std::memcpy(numbers, mark + 2 + length, kNumbersSize);
        char* out = put_numbers(text + filled + length, numbers[0], numbers[1], numbers[2],
                                numbers_.get());
        filled = static_cast<std::size_t>(out - text);
        data = mark + 2 + length + kNumbersSize;
    }
    return write_all(stream_, text, filled);
}

void TextOutput::write_text(const char* text) {
    for (; *text != '\0'; ++text) write_char(*text);
}

void TextOutput::print_args(const char* format, const PrintArg* args, int count) {
    int next = 0;
    for (const char* p = format; *p != '\0';) {
        if (*p != '%') {
            write_char(*p++);
            continue;
        }
        const PrintArg* arg = next < count ? &args[next] : nullptr;
        if (p[1] == 'l' && p[2] == 'f') {
            write_lf(arg != nullptr && arg->kind == PrintArg::kReal ? arg->real : 0.0);
            p += 3;
        } else if (p[1] == 'd') {
            write_int(arg != nullptr && arg->kind == PrintArg::kInt ? arg->whole : 0);
            p += 2;
        } else if (p[1] == 's') {
            if (arg != nullptr && arg->kind == PrintArg::kText && arg->text != nullptr) {
                write_text(arg->text);
            }
            p += 2;
        } else {
            // Not a conversion of the dialect: the '%' is plain text.
            write_char(*p++);
            continue;
        }
        ++next;
    }
}

}  // namespace trimora
