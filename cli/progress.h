// The progress line of a large file: one line on standard error, redrawn in place.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace trimora {

// Files from this size on show their progress.
inline constexpr std::uint64_t kProgressThreshold = 16u << 20;

// The text of the line: the name, the percent done, the speed in MB/s and
// the time left as minutes and seconds ("--:--" before the speed is known).
std::string progress_text(const std::string& name, std::uint64_t done, std::uint64_t total,
                          double seconds);

// The line on a terminal: each show() replaces the text before it, erase()
// leaves the line empty for the text that follows.
class ProgressLine {
public:
    explicit ProgressLine(std::FILE* terminal) : terminal_(terminal) {}
    ~ProgressLine() { erase(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void show(const std::string& text);
    bool showing() const { return shown_ > 0; }
    void erase();

private:
    std::FILE* terminal_;
    std::size_t shown_ = 0;  // the length of the text on the line
};

}  // namespace trimora
