// Buffered text-mode output: LF to CR LF translation, failure tracking, numbers in the "%lf" form.
#include "platform/text_output.h"

#include <cstring>

#include "platform/system.h"

namespace trimora {

TextOutput::TextOutput(std::FILE* stream, LineEnds ends)
    : stream_sink_(std::make_unique<StreamSink>(stream)), sink_(stream_sink_.get()) {
    set_line_ends(ends);
}

TextOutput::TextOutput(ByteSink& sink, LineEnds ends) : sink_(&sink) { set_line_ends(ends); }

void TextOutput::set_line_ends(LineEnds ends) {
    crlf_ = ends == LineEnds::kFile || console_lines_end_in_crlf();
}

TextOutput::~TextOutput() {
    // A file never closed is one whose run ended early: it is not put in place.
    // What its worker threw (no memory, a fault) has already ended that run,
    // which reports it; a destructor throws nothing.
    try {
        if (file_.is_open()) {
            discard();
        } else {
            close();
        }
    } catch (...) {
    }
}

bool TextOutput::open(const char* path, MakeBufferFinisher make_finisher) {
    close();
    if (!file_.open(path)) return false;
    std::FILE* file = file_.stream();
    // Whole buffers go to the system at once; the stream's own buffer would
    // only copy them again.
    std::setvbuf(file, nullptr, _IONBF, 0);
    stream_sink_ = std::make_unique<StreamSink>(file);
    sink_ = stream_sink_.get();
    if (make_finisher != nullptr) finisher_ = make_finisher(*sink_, kBufferSize);
    failed_ = false;
    crlf_ = true;
    used_ = 0;
    buffer_ = first_;
    return true;
}

bool TextOutput::close() {
    hand_over(true);
    if (!finisher_ && sink_ != nullptr && !failed_ && !sink_->flush()) failed_ = true;
    if (finisher_) {
        if (!finisher_->finish()) failed_ = true;
        finisher_.reset();
    }
    if (file_.is_open()) {
        // Replaced whole or not at all: after a failed write the old file stays.
        if (failed_) {
            file_.discard();
        } else if (!file_.commit()) {
            failed_ = true;
        }
        sink_ = nullptr;
        stream_sink_.reset();
    }
    buffer_ = first_;
    return !failed_;
}

void TextOutput::discard() {
    if (!file_.is_open()) {
        close();
        return;
    }
    // What is still buffered is dropped; what the worker writes is waited for.
    used_ = 0;
    if (finisher_) {
        try {
            static_cast<void>(finisher_->finish());  // the file goes whatever it holds
        } catch (...) {
            // A buffer's task failed: the run that ends here reports it.
        }
        finisher_.reset();
    }
    file_.discard();
    sink_ = nullptr;
    stream_sink_.reset();
    buffer_ = first_;
}

void TextOutput::hand_over(bool last) {
    if (used_ > 0 && sink_ != nullptr && !failed()) {
        if (finisher_ && last) {
            finisher_->write_last(buffer_, static_cast<std::size_t>(used_));
        } else if (finisher_) {
            buffer_ = finisher_->hand_over(buffer_, static_cast<std::size_t>(used_));
        } else if (!sink_->write(buffer_, static_cast<std::size_t>(used_))) {
            failed_ = true;
        }
    }
    used_ = 0;
}

bool TextOutput::flush() {
    hand_over();
    // A file's records are still on their way; close() waits for them.
    if (!finisher_ && sink_ != nullptr && !failed_ && !sink_->flush()) failed_ = true;
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
    if (finisher_ && text.find('\0') != std::string_view::npos) {
        // A NUL in a finished file's text must not pass for the start of a mark.
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
    ++lines_;
    char* out = reserve(2);
    if (crlf_) *out++ = '\r';
    *out = '\n';
    used_ += crlf_ ? 2 : 1;
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

void TextOutput::write_lf(double value) { used_ += format_lf(value, reserve(kLfBufferSize)); }

}  // namespace trimora
