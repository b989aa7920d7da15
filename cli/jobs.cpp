// The job scheduler: worker threads, in-order reports, and the progress line of large files.
//
// Threads: the workers take jobs in order and convert each with state and
// buffers of its own; a finished report crosses to the printing thread under
// the scheduler's mutex, which also guards the job counters. The terminal
// mutex orders the progress line and the reports on standard error. Workers
// are optional: without a thread the work runs on the printing thread first,
// and the reports are printed after it.
#include "cli/jobs.h"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/progress.h"
#include "platform/system.h"
#include "platform/text_output.h"
#include "platform/worker_thread.h"
#include "report/mesh_report.h"
#include "report/report_text.h"
#include "usage/tool_texts.h"

namespace trimora {

namespace {

using Clock = std::chrono::steady_clock;

// The state of one job between its worker and the printing thread.
struct Slot {
    std::string report;
    std::string json_line;
    bool done = false;
    bool failed = false;
    std::atomic<bool> started{false};
    std::atomic<std::uint64_t> bytes_read{0};
    std::uint64_t size = 0;  // known for a file large enough to show progress
    Clock::time_point start;
};

std::uint64_t input_size(const Job& job) {
    if (job.input_is_standard) return 0;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path_from_utf8(job.input.c_str()), error);
    return error ? 0 : static_cast<std::uint64_t>(size);
}

// The whole run's shared state: the next job to take, the jobs printed so far.
class Scheduler {
public:
    Scheduler(const std::vector<Job>& jobs, const RunSettings& settings)
        : jobs_(jobs), settings_(settings), slots_(jobs.size()) {
        // Finished reports wait in memory for the ones before them; a few per
        // worker is enough to keep every worker busy.
        window_ = static_cast<std::size_t>(settings.jobs) * 4;
        if (settings.progress != nullptr) line_ = std::make_unique<ProgressLine>(settings.progress);
    }

    void work() {
        for (;;) {
            std::size_t index;
            {
                std::unique_lock lock(mutex_);
                // Without a thread of its own the work runs on the printing
                // thread, before it prints: then nothing waits for printing.
                const bool on_printer = std::this_thread::get_id() == printer_;
                changed_.wait(lock, [&] {
                    return on_printer || next_ >= jobs_.size() || next_ < printed_ + window_;
                });
                if (next_ >= jobs_.size()) return;
                index = next_++;
            }
            Slot& slot = slots_[index];
            if (line_) slot.size = input_size(jobs_[index]);
            slot.start = Clock::now();
            slot.started = true;
            if (slot.size >= kProgressThreshold) {
                // Shown at once, so that even a quick large file shows its line.
                std::lock_guard terminal(terminal_);
                if (!line_->showing()) line_->show(progress_text(jobs_[index].input, 0, slot.size, 0.0));
            }
            std::string report;
            std::string json_line;
            int ok = 0;
            {
                MemorySink memory(report);
                TextOutput console(memory);
                ok = convert_job(jobs_[index], settings_, console, &slot.bytes_read, &json_line);
                console.close();
            }
            std::lock_guard lock(mutex_);
            slot.report = std::move(report);
            slot.json_line = std::move(json_line);
            slot.failed = ok == 0;
            slot.done = true;
            changed_.notify_all();
        }
    }

    // Prints the reports in order as they finish, drawing the progress line
    // while it waits. Returns the number of failed jobs.
    int print(std::FILE* reports) {
        int failures = 0;
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            std::string report;
            std::string json_line;
            bool failed = false;
            {
                std::unique_lock lock(mutex_);
                while (!slots_[i].done) {
                    if (line_) {
                        lock.unlock();
                        draw(i);
                        lock.lock();
                    }
                    changed_.wait_for(lock, std::chrono::milliseconds(250));
                }
                report = std::move(slots_[i].report);
                json_line = std::move(slots_[i].json_line);
                failed = slots_[i].failed;
                ++printed_;
                changed_.notify_all();
            }
            if (failed) ++failures;
            std::lock_guard terminal(terminal_);
            if (line_) line_->erase();
            if (!settings_.quiet || failed) {
                // The report holds its CR LF line ends already.
                std::fwrite(report.data(), 1, report.size(), reports);
                std::fflush(reports);
            }
            if (!json_line.empty()) {
                TextOutput data(settings_.data);
                data.write(json_line);
                data.flush();
            }
        }
        return failures;
    }

private:
    // The line of the first large file still being converted, from job first on.
    void draw(std::size_t first) {
        std::lock_guard terminal(terminal_);
        for (std::size_t i = first; i < slots_.size(); ++i) {
            const Slot& slot = slots_[i];
            if (!slot.started) return;
            if (slot.size < kProgressThreshold) continue;
            const std::chrono::duration<double> seconds = Clock::now() - slot.start;
            const std::uint64_t done = slot.bytes_read.load(std::memory_order_relaxed);
            if (done >= slot.size) continue;
            line_->show(progress_text(jobs_[i].input, done, slot.size, seconds.count()));
            return;
        }
        line_->erase();
    }

    const std::vector<Job>& jobs_;
    const RunSettings& settings_;
    std::vector<Slot> slots_;
    std::unique_ptr<ProgressLine> line_;
    // Held for every write to the terminal: the line and the reports.
    std::mutex terminal_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t next_ = 0;
    std::size_t printed_ = 0;
    std::size_t window_ = 4;
    const std::thread::id printer_ = std::this_thread::get_id();
};

}  // namespace

int convert_job(const Job& job, const RunSettings& settings, TextOutput& console,
                std::atomic<std::uint64_t>* bytes_read, std::string* json_line) {
    const bool info = settings.form.consumer == FacetConsumer::kMeshReport;
    if (!info) report_output_code(console, settings.form.output_code);
    int ok = 0;
    if (!job.refusal.empty()) {
        console.print("%s", job.refusal.c_str());
    } else {
        MeshReport report;
        const StlConversion ends{job.input.c_str(), job.output.c_str(), job.input_is_standard,
                                 job.output_is_standard, bytes_read, info ? &report : nullptr};
        const ConversionResult result = convert_stl(ends, settings.form, console);
        ok = result.status;
        // A file that could not be read to its end has no figures to give.
        if (info && result.read_whole) {
            report.set_facet_count(result.nfacet);
            const ReportStyle style = settings.json ? ReportStyle::kJsonLine : ReportStyle::kBlock;
            const std::string text = render_report(job.input.c_str(), report.figures(), style);
            if (settings.json && json_line != nullptr) {
                *json_line = text;
            } else {
                console.write(text);
            }
        }
    }
    if (ok == 0) console.print("*****  An error has occurred  *****\n");
    return ok;
}

int run_jobs(const std::vector<Job>& jobs, const RunSettings& settings, std::FILE* reports) {
    Scheduler scheduler(jobs, settings);
    const std::size_t count =
        jobs.size() < static_cast<std::size_t>(settings.jobs) ? jobs.size() : settings.jobs;
    std::vector<WorkerThread> workers(count);
    for (WorkerThread& worker : workers) worker.run([&scheduler] { scheduler.work(); });
    const int failures = scheduler.print(reports);
    for (WorkerThread& worker : workers) worker.wait_all();
    return failures;
}

}  // namespace trimora
