// The POSIX side of the system layer: names are bytes, streams are already binary.
#include "platform/system.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/replacing_file.h"

namespace trimora {

std::filesystem::path path_from_utf8(const char* name) { return std::filesystem::path(name); }

std::string utf8_from_path(const std::filesystem::path& path) { return path.string(); }

std::FILE* open_file(const char* name, const char* mode) { return std::fopen(name, mode); }

std::vector<std::string> command_line_arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

namespace {

bool closed_at_start[3] = {false, false, false};

}  // namespace

void prepare_standard_streams() {
    for (int descriptor = 0; descriptor < 3; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
        closed_at_start[descriptor] = true;
        // The lowest free number, which is this one: the ones below are open by now.
        const int null = open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != descriptor) {
            dup2(null, descriptor);
            close(null);
        }
    }
    signal(SIGPIPE, SIG_IGN);
}

bool standard_stream_closed_at_start(std::FILE* stream) {
    return (stream == stdin && closed_at_start[0]) || (stream == stdout && closed_at_start[1]) ||
           (stream == stderr && closed_at_start[2]);
}

int last_write_error() { return errno; }

void prepare_console() {}

bool is_terminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

std::FILE* open_scratch_file() { return std::tmpfile(); }

int open_file_limit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 1 << 20;
    return limit.rlim_cur > static_cast<rlim_t>(1 << 20) ? 1 << 20 : static_cast<int>(limit.rlim_cur);
}

bool local_time(std::time_t moment, std::tm& fields) {
    return localtime_r(&moment, &fields) != nullptr;
}

bool shell_expands_wildcards() { return true; }

bool console_lines_end_in_crlf() { return false; }

namespace {

FileId id_of_status(const struct stat& status) {
    if (!S_ISREG(status.st_mode)) return {};
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino), true};
}

// The path a chain of symbolic links at name ends in, whether or not that exists: each link's
// text is read relative to the folder of the link. Sets status to what the end is (lstat), or
// error to why it cannot be examined (ENOENT when it does not exist; ELOOP, with name itself,
// when the chain is too long to follow).
std::string final_link_target(const char* name, struct stat& status, int& error) {
    std::string path = name;
    for (int hop = 0; hop < 40; ++hop) {
        error = lstat(path.c_str(), &status) == 0 ? 0 : errno;
        if (error != 0 || !S_ISLNK(status.st_mode)) return path;
        // Some file systems (/proc) give links no size.
        const std::size_t room = status.st_size > 0 ? static_cast<std::size_t>(status.st_size) + 1 : PATH_MAX;
        std::string target(room, '\0');
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) break;
        target.resize(static_cast<std::size_t>(length));
        const std::size_t slash = path.rfind('/');
        path = target[0] == '/' || slash == std::string::npos ? target : path.substr(0, slash + 1) + target;
    }
    error = ELOOP;
    return name;
}

}  // namespace

FileId file_id_of(const char* name) {
    struct stat status;
    return stat(name, &status) == 0 ? id_of_status(status) : FileId{};
}

FileId file_id_of_stream(std::FILE* stream) {
    struct stat status;
    return fstat(fileno(stream), &status) == 0 ? id_of_status(status) : FileId{};
}

std::optional<std::uint64_t> file_bytes_left(std::FILE* stream) {
    struct stat status;
    if (fstat(fileno(stream), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    // The stream's position, with what its buffer holds unread taken off.
    const off_t position = ftello(stream);
    if (position < 0) return std::nullopt;
    return status.st_size > position ? static_cast<std::uint64_t>(status.st_size - position) : 0;
}

std::string file_name_key(const char* name) {
    // Names are bytes and case counts: the resolved path is the key.
    struct stat status;
    int unused = 0;
    const std::filesystem::path path(final_link_target(name, status, unused));
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    if (!error) return canonical.string();
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return (error ? path : absolute).lexically_normal().string();
}

bool find_output_place(const char* name, OutputPlace& place) {
    place = OutputPlace{};
    struct stat status;
    int error = 0;
    place.target = final_link_target(name, status, error);
    if (error != 0) {
        // A new file; anything else that cannot be examined (a loop of links)
        // fails when opened by its name, as it always did.
        place.replaced = error == ENOENT;
        return true;
    }
    if (!S_ISREG(status.st_mode)) {
        place.replaced = false;
        return true;
    }
    place.exists = true;
    place.permissions = static_cast<unsigned>(status.st_mode & 07777);
    // Renaming over a file needs no right to write it; opening it would.
    return faccessat(AT_FDCWD, place.target.c_str(), W_OK, AT_EACCESS) == 0;
}

std::FILE* create_new_file(const NativeChar* name, bool& name_taken) {
    // "x": O_EXCL, "e": O_CLOEXEC, and the mode of any new file (0666 less the umask).
    std::FILE* file = std::fopen(name, "wbxe");
    name_taken = file == nullptr && errno == EEXIST;
    return file;
}

bool set_permissions(std::FILE* file, unsigned permissions) {
    return fchmod(fileno(file), static_cast<mode_t>(permissions)) == 0;
}

bool rename_over(const NativeChar* from, const NativeChar* to) {
#ifdef RENAME_EXCHANGE
    // A rename over an existing file makes ext4 allocate and start writing the
    // new file's blocks at once (auto_da_alloc), which costs a batch of small
    // files more than the conversion of each: exchanging the two names and
    // removing the old file, which then holds the temporary name, does not.
    // The output has the old bytes or the new ones at every moment, and an
    // interruption in between removes the old file under the temporary name.
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE) == 0) {
        if (unlink(from) == 0) return true;
        // Not a file any more (made a folder meanwhile): give it its name back.
        renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE);
        return false;
    }
    // No file to exchange with, or no exchange on this file system.
#endif
    return rename(from, to) == 0;
}

bool remove_file(const NativeChar* name) { return unlink(name) == 0; }

namespace {

// Every signal whose default action ends the process and that a user, a
// shell or a batch system sends: each removes the temporary files first.
// SIGXFSZ is ignored instead (handle_interruptions), and the signals of a
// fault (SIGSEGV, SIGBUS, ...) are no interruption.
constexpr int kInterruptions[] = {SIGINT,  SIGTERM, SIGHUP,    SIGQUIT, SIGUSR1,
                                  SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU};

sigset_t interruption_set() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal_number : kInterruptions) sigaddset(&set, signal_number);
    return set;
}

extern "C" void on_interruption(int signal_number) {
    const int saved_errno = errno;
    remove_pending_files();
    // The default action came back on entry (SA_RESETHAND), and the signal is
    // blocked while this runs: raised again, it ends the process as it would
    // have, as soon as the handler returns.
    raise(signal_number);
    errno = saved_errno;
}

}  // namespace

void handle_interruptions() {
    struct sigaction action = {};
    action.sa_handler = on_interruption;
    action.sa_mask = interruption_set();
    action.sa_flags = SA_RESETHAND;
    for (int signal_number : kInterruptions) {
        struct sigaction before = {};
        // A signal ignored by whoever started the tool (nohup) stays ignored.
        if (sigaction(signal_number, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            sigaction(signal_number, &action, nullptr);
    }
    // A write past the file-size limit then fails with EFBIG, as a full disk does.
    signal(SIGXFSZ, SIG_IGN);
}

}  // namespace trimora
