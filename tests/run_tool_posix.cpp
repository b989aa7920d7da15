// What the tests do their own way on POSIX systems: start the tool, set the time zone.
#include "run_tool.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <stdexcept>

#include "time_zone.h"

namespace trimora::testing {

namespace {

// Connects descriptor to its end in the child: the file at path (read for
// standard input, which is empty for an empty path), closed, the full device,
// or a pipe whose reader is gone. False when it cannot.
bool connect(int descriptor, StreamEnd end, const std::filesystem::path& path) {
    int fd = -1;
    switch (end) {
        case StreamEnd::kClosed: return close(descriptor) == 0 || errno == EBADF;
        case StreamEnd::kFull: fd = open("/dev/full", O_WRONLY); break;
        case StreamEnd::kGoneReader: {
            int ends[2];
            if (pipe(ends) != 0) return false;
            close(ends[0]);
            fd = ends[1];
            break;
        }
        case StreamEnd::kFile:
            if (descriptor != 0) {
                fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            } else {
                fd = open(path.empty() ? "/dev/null" : path.c_str(), O_RDONLY);
            }
            break;
    }
    if (fd < 0 || dup2(fd, descriptor) < 0) return false;
    if (fd != descriptor) close(fd);
    return true;
}

// Runs the tool with standard output, and standard error when errors_path is
// not empty, written to files; standard input from input_path when given; each
// stream connected as ends say.
ToolRun run_child(const std::filesystem::path& dir, const std::vector<std::string>& args,
                  const std::filesystem::path& errors_path,
                  const std::filesystem::path* input_path, const StreamEnds& ends = {}) {
    const std::filesystem::path console_path = dir / ".console";
    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        std::vector<char*> argv;
        // A cross build runs the tool under the emulator that runs the tests.
        std::string emulator = TRIMORA_EMULATOR;
        std::string exe = TRIMORA_EXE;
        if (!emulator.empty()) argv.push_back(emulator.data());
        argv.push_back(exe.data());
        std::vector<std::string> copies(args);
        for (std::string& arg : copies) argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (!connect(1, ends.output, console_path)) _exit(126);
        if ((!errors_path.empty() || ends.error != StreamEnd::kFile) && !connect(2, ends.error, errors_path))
            _exit(126);
        if ((input_path != nullptr || ends.input != StreamEnd::kFile) &&
            !connect(0, ends.input, input_path != nullptr ? *input_path : std::filesystem::path()))
            _exit(126);
        // As a shell starts it: a reader gone would otherwise end it at its first write.
        signal(SIGPIPE, SIG_DFL);
        if (chdir(dir.c_str()) != 0) _exit(126);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ToolRun run{read_file(console_path), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
    std::filesystem::remove(console_path);
    if (!errors_path.empty()) {
        run.errors = read_file(errors_path);
        std::filesystem::remove(errors_path);
    }
    return run;
}

}  // namespace

ToolRun run_tool(const std::filesystem::path& dir, const std::vector<std::string>& args) {
    return run_child(dir, args, {}, nullptr);
}

ToolRun run_tool_streams(const std::filesystem::path& dir, const std::vector<std::string>& args,
                         const std::filesystem::path& standard_input) {
    return run_child(dir, args, dir / ".errors", &standard_input);
}

std::optional<ToolRun> run_tool_connected(const std::filesystem::path& dir, const std::vector<std::string>& args,
                                          const StreamEnds& ends, const std::filesystem::path& standard_input) {
    return run_child(dir, args, dir / ".errors", &standard_input, ends);
}

std::string tool_shell_command() {
    const std::string emulator = TRIMORA_EMULATOR;
    return (emulator.empty() ? "" : "'" + emulator + "' ") + "'" TRIMORA_EXE "'";
}

int run_shell(const std::filesystem::path& dir, const std::string& command) {
    std::string line = command;
    for (std::size_t at; (at = line.find("TOOL")) != std::string::npos;) {
        line.replace(at, 4, tool_shell_command());
    }
    const int status = std::system(("cd '" + dir.string() + "' && " + line).c_str());
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::optional<ToolRun> run_tool_command_line(const std::filesystem::path&, const std::string&) {
    return std::nullopt;
}

BackgroundRun::BackgroundRun(const std::filesystem::path& dir, const std::vector<std::string>& args) {
    // A feed whose reader is gone fails its write instead of ending the tests.
    signal(SIGPIPE, SIG_IGN);
    int input[2];
    if (pipe(input) != 0) throw std::runtime_error("pipe failed");
    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        std::vector<char*> argv;
        std::string emulator = TRIMORA_EMULATOR;
        std::string exe = TRIMORA_EXE;
        if (!emulator.empty()) argv.push_back(emulator.data());
        argv.push_back(exe.data());
        std::vector<std::string> copies(args);
        for (std::string& arg : copies) argv.push_back(arg.data());
        argv.push_back(nullptr);
        const int null = open("/dev/null", O_WRONLY);
        if (null < 0 || dup2(input[0], 0) < 0 || dup2(null, 1) < 0 || dup2(null, 2) < 0) _exit(126);
        close(input[1]);
        // Interruptions as a shell leaves them to the programs it starts.
        signal(SIGPIPE, SIG_DFL);
        // A signal whose default action dumps core (SIGQUIT, SIGXCPU) leaves no core file behind.
        const rlimit no_core{0, 0};
        setrlimit(RLIMIT_CORE, &no_core);
        if (chdir(dir.c_str()) != 0) _exit(126);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(input[0]);
    process_ = child;
    feeds_.push_back(input[1]);
}

BackgroundRun::~BackgroundRun() {
    for (int fd : feeds_) {
        if (fd >= 0) close(fd);
    }
    if (process_ > 0) {
        kill(static_cast<pid_t>(process_), SIGKILL);
        wait();
    }
}

int BackgroundRun::open_fifo(const std::filesystem::path& fifo) {
    // Without a reader the open fails at once (ENXIO): try until the tool opens it.
    for (int tries = 0; tries < 60000; ++tries) {
        const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            feeds_.push_back(fd);
            return static_cast<int>(feeds_.size()) - 1;
        }
        usleep(1000);
    }
    return -1;
}

bool BackgroundRun::feed(int which, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(feeds_.at(static_cast<std::size_t>(which)), bytes.data() + done, bytes.size() - done);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void BackgroundRun::interrupt(int signal_number) { kill(static_cast<pid_t>(process_), signal_number); }

int signal_number(const std::string& name) {
    const std::pair<const char*, int> signals[] = {
        {"INT", SIGINT},   {"TERM", SIGTERM}, {"HUP", SIGHUP},       {"QUIT", SIGQUIT},
        {"USR1", SIGUSR1}, {"USR2", SIGUSR2}, {"ALRM", SIGALRM},     {"VTALRM", SIGVTALRM},
        {"PROF", SIGPROF}, {"XCPU", SIGXCPU},
    };
    for (const auto& [signal_name, number] : signals) {
        if (name == signal_name) return number;
    }
    return 0;
}

int BackgroundRun::wait() {
    if (process_ <= 0) return -1;
    int status = 0;
    waitpid(static_cast<pid_t>(process_), &status, 0);
    process_ = -1;
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool make_fifo(const std::filesystem::path& path) { return mkfifo(path.c_str(), 0644) == 0; }

bool device_names_reserved() { return false; }

bool console_ends_lines_in_crlf() { return false; }

void set_time_zone_variable(const char* value) {
    if (value != nullptr) {
        setenv("TZ", value, 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

bool time_zone_rules_are_read() { return true; }

void set_environment_variable(const char* name, const char* value) {
    if (value != nullptr) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
}

}  // namespace trimora::testing
