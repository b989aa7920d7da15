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
        // Made once: the console gets the line, last_problem_ keeps it without its LF.
        last_problem_.clear();
        TextOfLine text{last_problem_};
        walk_format(text, format, args...);
        out_.write(last_problem_);
        if (last_problem_.ends_with('\n')) last_problem_.pop_back();
        if (kept_ != nullptr) kept_->push_back(last_problem_);
    }
    // A problem whose one-line text was made elsewhere (a reader's), ended here.
    void problem_line(std::string_view text) {
        ++problems_;
        out_.write(text);
        out_.write_newline();
        last_problem_.assign(text);
        if (kept_ != nullptr) kept_->push_back(last_problem_);
    }

    // Also keeps each problem line's text, without its LF, in lines: a
    // program calling the conversion reads them there. Null keeps none.
    void keep_problems(std::vector<std::string>* lines) { kept_ = lines; }

    // The problem lines so far.
    long problems() const { return problems_; }
    // The text of the last problem line, without its line end: what made a
    // file fail, for a report that has no figures to give.
    const std::string& last_problem() const { return last_problem_; }
    TextOutput& output() { return out_; }

private:
    // Takes the pieces of a problem line from walk_format into a string.
    struct TextOfLine {
        std::string& out;
        void literal(std::string_view piece) { out.append(piece); }
        void value(std::string_view text) { out.append(text); }
    };

    TextOutput& out_;
    long problems_ = 0;
    std::string last_problem_;
    std::vector<std::string>* kept_ = nullptr;
};

}  // namespace trimora
