// Buffered text-mode output: LF to CR LF translation, failure tracking, the print dialect.
#include "platform/text_output.h"

#include <cstring>

#include "platform/format_lf.h"

namespace trimora {

TextOutput::~TextOutput() { close(); }

bool TextOutput::open(const char* path) {
    close();
    stream_ = std::fopen(path, "wb");
    owns_stream_ = stream_ != nullptr;
    failed_ = false;
    used_ = 0;
    return stream_ != nullptr;
}

bool TextOutput::close() {
    flush();
    if (stream_ != nullptr && owns_stream_ && std::fclose(stream_) != 0) failed_ = true;
    stream_ = nullptr;
    owns_stream_ = false;
    return !failed_;
}

bool TextOutput::flush() {
    if (used_ > 0 && !failed_ && stream_ != nullptr) {
        if (std::fwrite(buffer_, 1, static_cast<std::size_t>(used_), stream_) !=
            static_cast<std::size_t>(used_)) {
            failed_ = true;
        } else if (std::fflush(stream_) != 0) {
            failed_ = true;
        }
    }
    used_ = 0;
    return !failed_;
}

char* TextOutput::reserve(int n) {
    if (used_ + n > kBufferSize) flush();
    return buffer_ + used_;
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

void TextOutput::write_char(char c) {
    if (c == '\n') {
        write_newline();
        return;
    }
    *reserve(1) = c;
    ++used_;
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

void TextOutput::print_args(const char* format, const PrintArg* args, int count) {
    int next = 0;
    const char* text_start = format;
    const char* p = format;
    while (*p != '\0') {
        if (*p != '%') {
            ++p;
            continue;
        }
        write(std::string_view(text_start, static_cast<std::size_t>(p - text_start)));
        const PrintArg* arg = next < count ? &args[next] : nullptr;
        ++next;
        if (p[1] == 'l' && p[2] == 'f') {
            write_lf(arg != nullptr && arg->kind == PrintArg::kReal ? arg->real : 0.0);
            p += 3;
        } else if (p[1] == 'd') {
            write_int(arg != nullptr && arg->kind == PrintArg::kInt ? arg->whole : 0);
            p += 2;
        } else if (p[1] == 's') {
            if (arg != nullptr && arg->kind == PrintArg::kText && arg->text != nullptr) {
                write(arg->text);
            }
            p += 2;
        } else {
            // Not a conversion of the dialect: the '%' is plain text.
            --next;
            write_char('%');
            ++p;
        }
        text_start = p;
    }
    write(std::string_view(text_start, static_cast<std::size_t>(p - text_start)));
}

}  // namespace trimora
