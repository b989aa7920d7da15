// The job scheduler: worker threads, in-order reports, and the progress line of large files.
//
// Threads: the workers take jobs in order and convert each with state and
// buffers of its own. A job's report flows through its ReportChannel: to the
// console at once while the job is the oldest not yet printed, held before
// that. The scheduler's mutex guards the job counters and each slot's end;
// the printing thread alone moves the oldest job on, prints what was held,
// and writes the data lines. Workers are optional: without a thread the
// work runs on the printing thread, which moves the oldest job on after each.
#include "cli/jobs.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/progress.h"
#include "cli/report_channel.h"
#include "mesh/run_console.h"
#include "platform/system.h"
#include "platform/test_fault.h"
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
    std::unique_ptr<ReportChannel> channel;  // made when the job starts
    std::string data;                        // its mesh report's block or line
    bool done = false;
    bool problem = false;
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

// The whole run's shared state: the next job to take, the oldest not yet printed.
class Scheduler {
public:
    Scheduler(const std::vector<Job>& jobs, const RunSettings& settings, std::FILE* reports)
        : jobs_(jobs), settings_(settings), slots_(jobs.size()) {
        // Held reports wait for the ones before them; a few per worker keep
        // every worker busy.
        window_ = static_cast<std::size_t>(settings.jobs) * 4;
        console_.stream = reports;
        if (settings.progress != nullptr) {
            line_ = std::make_unique<ProgressLine>(settings.progress);
            console_.progress = line_.get();
        }
    }

    void work() {
        const bool on_printer = std::this_thread::get_id() == printer_;
        for (;;) {
            std::size_t index;
            {
                std::unique_lock lock(mutex_);
                // Without a thread of its own the work runs on the printing
                // thread, which moves the oldest job on itself.
                changed_.wait(lock, [&] {
                    return on_printer || next_ >= jobs_.size() || next_ < oldest_ + window_;
                });
                if (next_ >= jobs_.size()) return;
                index = next_++;
                if (!open_channel(index)) continue;
            }
            run_job(index);
            if (on_printer) move_oldest_on();
        }
    }

    // Prints the reports in order as they finish, drawing the progress line
    // while it waits, until every job is printed.
    JobsOutcome print() {
        for (;;) {
            move_oldest_on();
            std::unique_lock lock(mutex_);
            if (oldest_ >= slots_.size()) break;
            if (line_) {
                lock.unlock();
                draw(oldest_);
                lock.lock();
            }
            changed_.wait_for(lock, std::chrono::milliseconds(250), [&] { return slots_[oldest_].done; });
        }
        if (line_) {
            const std::lock_guard terminal(console_.mutex);
            line_->erase();
        }
        outcome_.console_failed = outcome_.console_failed || console_.failed;
        return outcome_;
    }

private:
    // Makes the job's report channel; without memory for it the job ends
    // here, done and failed, so that the printing thread never waits for it.
    // Under the scheduler's mutex.
    bool open_channel(std::size_t index) {
        Slot& slot = slots_[index];
        try {
            slot.channel = std::make_unique<ReportChannel>(console_);
        } catch (const std::bad_alloc&) {
            slot.done = true;
            slot.problem = true;
            changed_.notify_all();
            return false;
        }
        if (index == oldest_ && !settings_.quiet) slot.channel->stream();
        return true;
    }

    void run_job(std::size_t index) {
        Slot& slot = slots_[index];
        if (line_) slot.size = input_size(jobs_[index]);
        slot.start = Clock::now();
        slot.started = true;
        if (slot.size >= kProgressThreshold) {
            // Shown at once, so that even a quick large file shows its line.
            const std::lock_guard terminal(console_.mutex);
            if (!line_->showing()) line_->show(progress_text(jobs_[index].input, 0, slot.size, 0.0));
        }
        std::string data;
        bool problem = true;
        try {
            TextOutput console(*slot.channel, LineEnds::kConsole);
            problem = convert_job(jobs_[index], settings_, console, &slot.bytes_read, data);
            console.close();
        } catch (...) {
            // convert_job contains its conversion's failures; what is left
            // (no memory for the report itself) still ends this job alone.
            problem = true;
            data.clear();
        }
        const std::lock_guard lock(mutex_);
        slot.data = std::move(data);
        slot.problem = problem;
        slot.done = true;
        changed_.notify_all();
    }

    // Finishes the oldest jobs that are done: their held reports printed (or
    // dropped in a quiet run when they had no problem), their data written;
    // the next oldest streams from then on. Printing thread only.
    void move_oldest_on() {
        std::unique_lock lock(mutex_);
        while (oldest_ < slots_.size() && slots_[oldest_].done) {
            Slot& slot = slots_[oldest_];
            const bool problem = slot.problem;
            std::string data = std::move(slot.data);
            std::unique_ptr<ReportChannel> channel = std::move(slot.channel);
            lock.unlock();
            if (!channel) {
                lost_report(jobs_[oldest_]);
            } else if (!settings_.quiet || problem) {
                channel->print_held();
            } else {
                channel->drop_held();
            }
            if (problem) ++outcome_.problems;
            if (!data.empty()) write_data(data);
            channel.reset();
            lock.lock();
            ++oldest_;
            if (oldest_ < slots_.size() && slots_[oldest_].channel && !settings_.quiet) {
                slots_[oldest_].channel->stream();
            }
            changed_.notify_all();
        }
    }

    // The report of a job that had no memory for its channel, in two lines.
    void lost_report(const Job& job) {
        const std::lock_guard terminal(console_.mutex);
        if (line_) line_->erase();
        TextOutput report(console_.stream, LineEnds::kConsole);
        report.print("Out of memory: [%s]\n", job.input.c_str());
        print_error_banner(report);
        if (!report.flush()) outcome_.console_failed = true;
    }

    void write_data(const std::string& text) {
        const std::lock_guard terminal(console_.mutex);
        if (line_) line_->erase();
        TextOutput data(settings_.data, LineEnds::kConsole);
        data.write(text);
        if (!data.flush()) outcome_.console_failed = true;
    }

    // The line of the first large file still being converted, from job first on.
    void draw(std::size_t first) {
        const std::lock_guard terminal(console_.mutex);
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
    ReportConsole console_;
    JobsOutcome outcome_;  // the printing thread's
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t next_ = 0;
    std::size_t oldest_ = 0;
    std::size_t window_ = 4;
    const std::thread::id printer_ = std::this_thread::get_id();
};

ReportStyle report_style(const RunSettings& settings) {
    return settings.json ? ReportStyle::kJsonLine : ReportStyle::kBlock;
}

// Converts the job and renders its mesh report; false when the conversion
// failed or memory ran out, which ends the job without its figures.
bool run_conversion(const Job& job, const RunSettings& settings, RunConsole& console,
                    std::atomic<std::uint64_t>* bytes_read, std::string& data, bool& failed) {
    const bool info = settings.form.consumer == FacetConsumer::kMeshReport;
    try {
        test_fault_point("job");
        MeshReport report;
        MeshConversion ends{job.input.c_str(), job.output.c_str(), job.input_is_standard,
                            job.output_is_standard, bytes_read, info ? &report : nullptr};
        ends.from = job.from;
        const ConversionResult result = convert_mesh(ends, settings.form, console);
        failed = result.status == 0;
        // A file that could not be read to its end has no figures to give,
        // only the line that says why.
        if (info && result.read_whole) {
            report.set_facet_count(result.nfacet);
            MeshFigures figures = report.figures();
            figures.format = result.format;
            figures.unit = result.unit;
            data = render_report(job.input.c_str(), figures, report_style(settings));
        } else if (info) {
            data = render_failure(job.input.c_str(), console.last_problem(), report_style(settings));
        }
        return result.status != 0;
    } catch (const std::bad_alloc&) {
        console.problem("Out of memory: [%s]\n", job.input.c_str());
    } catch (const std::exception& fault) {
        // A fault in the code, here or on a worker of this conversion, ends
        // this job alone; its output was discarded as the stack unwound.
        console.problem("Internal error: [%s] (%s)\n", job.input.c_str(), fault.what());
    } catch (...) {
        console.problem("Internal error: [%s] (%s)\n", job.input.c_str(), "unknown");
    }
    data.clear();
    if (info) data = render_failure(job.input.c_str(), console.last_problem(), report_style(settings));
    failed = true;
    return false;
}

}  // namespace

bool convert_job(const Job& job, const RunSettings& settings, TextOutput& output,
                 std::atomic<std::uint64_t>* bytes_read, std::string& data) {
    RunConsole console(output);
    if (!job.notice.empty()) {
        console.problem("%s", job.notice.c_str());
        print_error_banner(output);
        // The mesh reports name every input, this one with what stood in its place.
        if (settings.form.consumer == FacetConsumer::kMeshReport) {
            data = render_failure(job.input.c_str(), console.last_problem(), report_style(settings));
        }
        return true;
    }
    if (settings.form.consumer != FacetConsumer::kMeshReport) report_output_code(output, settings.form.output_code);
    bool failed = true;
    bool converted = false;
    if (!job.refusal.empty()) {
        console.problem("%s", job.refusal.c_str());
    } else {
        converted = run_conversion(job, settings, console, bytes_read, data, failed);
    }
    if (!converted) print_error_banner(output);
    return failed || console.problems() > 0;
}

JobsOutcome run_jobs(const std::vector<Job>& jobs, const RunSettings& settings, std::FILE* reports) {
    Scheduler scheduler(jobs, settings, reports);
    const std::size_t count =
        jobs.size() < static_cast<std::size_t>(settings.jobs) ? jobs.size() : settings.jobs;
    std::vector<WorkerThread> workers(count);
    for (WorkerThread& worker : workers) worker.run([&scheduler] { scheduler.work(); });
    return scheduler.print();
}

}  // namespace trimora
