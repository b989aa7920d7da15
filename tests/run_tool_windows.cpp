// What the tests do their own way on Windows: start the tool with CreateProcessW, set the time zone.
#include "run_tool.h"

#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <stdexcept>

#include "platform/argument_split.h"
#include "platform/utf16.h"
#include "time_zone.h"

namespace trimora::testing {

namespace {

std::wstring wide(const std::string& utf8) {
    const std::u16string text = utf16_from_utf8(utf8);
    return std::wstring(text.begin(), text.end());
}


HANDLE open_inherited(const std::filesystem::path& path, bool write) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(path.wstring().c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ, &inherit, write ? CREATE_ALWAYS : OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The write end of a pipe whose reader is gone, inherited.
HANDLE gone_reader() {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE read_end = nullptr;
    HANDLE write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return INVALID_HANDLE_VALUE;
    CloseHandle(read_end);
    return write_end;
}

// The handle a stream of the child is connected to: the given file, none (closed), or a pipe
// whose reader is gone. A file end with no path is none for standard input.
HANDLE connected(StreamEnd end, const std::filesystem::path& path, bool write) {
    if (end == StreamEnd::kClosed || (end == StreamEnd::kFile && path.empty())) return INVALID_HANDLE_VALUE;
    if (end == StreamEnd::kGoneReader) return gone_reader();
    return open_inherited(path, write);
}

// Runs the tool with its whole command line; standard error goes with standard
// output unless errors_path is given, standard input comes from input_path
// when it names a file; each stream is connected as ends say.
ToolRun run_command(const std::filesystem::path& dir, const std::string& arguments,
                    const std::filesystem::path& errors_path,
                    const std::filesystem::path& input_path, const StreamEnds& ends = {}) {
    const std::filesystem::path console_path = dir / ".console";
    std::wstring command = wide(quote_argument(TRIMORA_EXE) + arguments);
    const HANDLE out = connected(ends.output, console_path, true);
    if (out == INVALID_HANDLE_VALUE && ends.output == StreamEnd::kFile)
        throw std::runtime_error("cannot create the console file");
    const HANDLE err = errors_path.empty() ? out : connected(ends.error, errors_path, true);
    const HANDLE in = connected(ends.input, input_path, false);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const std::wstring exe = wide(TRIMORA_EXE);
    const BOOL started = CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        dir.wstring().c_str(), &startup, &process);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    if (err != out && err != INVALID_HANDLE_VALUE) CloseHandle(err);
    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    if (!started) throw std::runtime_error("cannot start the tool");
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exit_code = 0;
    GetExitCodeProcess(process.hProcess, &exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ToolRun run{read_file(console_path), static_cast<int>(exit_code)};
    std::filesystem::remove(console_path);
    if (!errors_path.empty()) {
        run.errors = read_file(errors_path);
        std::filesystem::remove(errors_path);
    }
    return run;
}

std::string quoted_line(const std::vector<std::string>& args) {
    // The tool splits its command line itself: quote each argument so that it comes back whole.
    std::string line;
    for (const std::string& arg : args) {
        line += ' ';
        line += quote_argument(arg);
    }
    return line;
}

}  // namespace

ToolRun run_tool(const std::filesystem::path& dir, const std::vector<std::string>& args) {
    return run_command(dir, quoted_line(args), {}, {});
}

std::optional<ToolRun> run_tool_command_line(const std::filesystem::path& dir, const std::string& arguments) {
    return run_command(dir, arguments, {}, {});
}

ToolRun run_tool_streams(const std::filesystem::path& dir, const std::vector<std::string>& args,
                         const std::filesystem::path& standard_input) {
    return run_command(dir, quoted_line(args), dir / ".errors", standard_input);
}

std::optional<ToolRun> run_tool_connected(const std::filesystem::path& dir, const std::vector<std::string>& args,
                                          const StreamEnds& ends, const std::filesystem::path& standard_input) {
    // Windows has no full device.
    if (ends.input == StreamEnd::kFull || ends.output == StreamEnd::kFull || ends.error == StreamEnd::kFull)
        return std::nullopt;
    return run_command(dir, quoted_line(args), dir / ".errors", standard_input, ends);
}

std::string tool_shell_command() { return ""; }

int run_shell(const std::filesystem::path&, const std::string&) { return -1; }

// Console control events reach only processes of the test's own console: these runs are POSIX only.
BackgroundRun::BackgroundRun(const std::filesystem::path&, const std::vector<std::string>&) {}
BackgroundRun::~BackgroundRun() {}
int BackgroundRun::open_fifo(const std::filesystem::path&) { return -1; }
bool BackgroundRun::feed(int, const std::string&) { return false; }
void BackgroundRun::interrupt(int) {}

int signal_number(const std::string&) { return 0; }
int BackgroundRun::wait() { return -1; }

bool make_fifo(const std::filesystem::path&) { return false; }

bool device_names_reserved() { return true; }

bool console_ends_lines_in_crlf() { return true; }

void set_time_zone_variable(const char* value) {
    // An empty value removes the variable.
    _putenv_s("TZ", value != nullptr ? value : "");
    _tzset();
}

bool time_zone_rules_are_read() { return false; }

void set_environment_variable(const char* name, const char* value) {
    // An empty value removes the variable.
    _putenv_s(name, value != nullptr ? value : "");
}

}  // namespace trimora::testing
