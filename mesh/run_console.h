// A run's console, with the one channel its problem lines go through, counted where they are printed.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/checked_format.h"
#include "platform/text_output.h"

namespace trimora {

// Whether a file had a problem is the count of this channel: every line
// that reports a problem (of the input, of the output, of the run) goes
// through problem(), and every other line through print().
class RunConsole {
public:
    explicit RunConsole(TextOutput& out) : out_(out) {}
    RunConsole(const RunConsole&) = delete;
    RunConsole& operator=(const RunConsole&) = delete;

    // An ordinary line: what was opened and closed, the counts.
    template <class... Args>
    void print(CheckedFormat<std::type_identity_t<Args>...> format, const Args&... args) {
        out_.print(format, args...);
    }
    // A problem line.
    template <class... Args>
    void problem(CheckedFormat<std::type_identity_t<Args>...> format, const Args&... args) {
        ++problems_;
        if (kept_ != nullptr) {
            std::string text;
            Pieces pieces{text};
            walk_format(pieces, format, args...);
            keep(text);
        }
        out_.print(format, args...);
    }
    // A problem whose one-line text was made elsewhere (a reader's), ended here.
    void problem_line(std::string_view text) {
        ++problems_;
        if (kept_ != nullptr) keep(std::string(text));
        out_.write(text);
        out_.write_newline();
    }

    // Also keeps each problem line's text, without its LF, in lines: a
    // program calling the conversion reads them there. Null keeps none.
    void keep_problems(std::vector<std::string>* lines) { kept_ = lines; }

    // The problem lines so far.
    long problems() const { return problems_; }
    TextOutput& output() { return out_; }

private:
    // Takes the pieces of a message from walk_format into one text.
    struct Pieces {
        std::string& text;
        void literal(std::string_view piece) { text += piece; }
        void value(std::string_view piece) { text += piece; }
    };
    void keep(std::string text) {
        if (!text.empty() && text.back() == '\n') text.pop_back();
        kept_->push_back(std::move(text));
    }

    TextOutput& out_;
    long problems_ = 0;
    std::vector<std::string>* kept_ = nullptr;
};

}  // namespace trimora
