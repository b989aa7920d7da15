// Formatting and drawing the progress line.
#include "cli/progress.h"

#include <cmath>

namespace trimora {

std::string progress_text(const std::string& name, std::uint64_t done, std::uint64_t total,
                          double seconds) {
    if (done > total) done = total;
    const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
    const double megabytes = static_cast<double>(done) / (1024.0 * 1024.0);
    const double speed = seconds > 0.0 ? megabytes / seconds : 0.0;
    char text[96];
    if (speed > 0.0) {
        const double left_seconds = static_cast<double>(total - done) / (1024.0 * 1024.0) / speed;
        const long left = std::lround(left_seconds);
        std::snprintf(text, sizeof text, "  %3d%%  %.1f MB/s  %ld:%02ld left", percent, speed,
                      left / 60, left % 60);
    } else {
        std::snprintf(text, sizeof text, "  %3d%%  -- MB/s  --:-- left", percent);
    }
    return name + text;
}

void ProgressLine::show(const std::string& text) {
    std::string line(1, '\r');
    line += text;
    // Spaces over whatever the longer text before left.
    if (text.size() < shown_) line.append(shown_ - text.size(), ' ');
    std::fputs(line.c_str(), terminal_);
    std::fflush(terminal_);
    shown_ = text.size();
}

void ProgressLine::erase() {
    if (shown_ == 0) return;
    std::string blank(shown_ + 2, ' ');
    blank.front() = '\r';
    blank.back() = '\r';
    std::fputs(blank.c_str(), terminal_);
    std::fflush(terminal_);
    shown_ = 0;
}

}  // namespace trimora
