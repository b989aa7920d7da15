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

}  // namespace

ToolRun run_tool(const std::filesystem::path& dir, const std::vector<std::string>& args) {
    // The tool splits its command line itself: quote each argument so that it comes back whole.
    std::string line;
    for (const std::string& arg : args) {
        line += ' ';
        line += quote_argument(arg);
    }
    return *run_tool_command_line(dir, line);
}

std::optional<ToolRun> run_tool_command_line(const std::filesystem::path& dir, const std::string& arguments) {
    const std::filesystem::path console_path = dir / ".console";
    std::wstring command = wide(quote_argument(TRIMORA_EXE) + arguments);

    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE out = CreateFileW(console_path.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create the console file");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION process{};
    const std::wstring exe = wide(TRIMORA_EXE);
    const BOOL started = CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        dir.wstring().c_str(), &startup, &process);
    CloseHandle(out);
    if (!started) throw std::runtime_error("cannot start the tool");
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exit_code = 0;
    GetExitCodeProcess(process.hProcess, &exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ToolRun run{read_file(console_path), static_cast<int>(exit_code)};
    std::filesystem::remove(console_path);
    return run;
}

bool device_names_reserved() { return true; }

void set_time_zone_variable(const char* value) {
    // An empty value removes the variable.
    _putenv_s("TZ", value != nullptr ? value : "");
    _tzset();
}

bool time_zone_rules_are_read() { return false; }

}  // namespace trimora::testing
