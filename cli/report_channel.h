// A job's report on its way to the console: streamed while its job is the oldest, held before that.
//
// Threads: the job's worker writes the report; the printing thread streams,
// prints or drops it. The channel's mutex guards what is held and whether
// it streams; the console's mutex orders every write to the console and the
// progress line. Without threads both sides are the same thread.
#pragma once

#include <cstddef>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/byte_sink.h"

namespace trimora {

class ProgressLine;

// The console the reports of a run go to, shared by every job.
struct ReportConsole {
    std::FILE* stream = stdout;
    std::mutex mutex;
    ProgressLine* progress = nullptr;  // erased before a report is written
    bool failed = false;               // a write to the stream failed; under the mutex
};

// Holds a report in memory up to a bound and in a temporary file beyond it,
// so that a report of any length takes flat memory, until its job is the
// oldest of the run: then what is held goes to the console, and the rest
// follows as it is written.
class ReportChannel final : public ByteSink {
public:
    // Reports held past this many bytes go to a temporary file.
    static constexpr std::size_t kMemoryBound = 1 << 16;

    explicit ReportChannel(ReportConsole& console) : console_(console) {}
    ~ReportChannel() override;
    ReportChannel(const ReportChannel&) = delete;
    ReportChannel& operator=(const ReportChannel&) = delete;

    bool write(const char* data, std::size_t size) override;

    // Writes what is held to the console, and every later write at once.
    void stream();
    // Writes what is held to the console (a report that ends held).
    void print_held();
    // Forgets what is held (a quiet run's report of a file without problems).
    void drop_held();

private:
    // Writes to the console; the channel's mutex is held.
    void to_console(const char* data, std::size_t size);
    void flush_held_to_console();

    ReportConsole& console_;
    std::mutex mutex_;
    bool streaming_ = false;
    std::string held_;
    std::FILE* spill_ = nullptr;  // what no longer fits in memory, in order before held_
};

}  // namespace trimora
