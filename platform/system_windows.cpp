// The Windows side of the system layer: UTF-16 names and command line, binary console streams.
#include "platform/system.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdlib>
#include <string_view>

#include "platform/argument_split.h"
#include "platform/utf16.h"

// The C runtime's start-up must not expand wildcards: the command line is split here, as it is.
extern "C" {
int _dowildcard = 0;
}

namespace trimora {

namespace {

std::wstring wide(std::string_view utf8) {
    const std::u16string text = utf16_from_utf8(utf8);
    return std::wstring(text.begin(), text.end());
}

std::string narrow(const wchar_t* text) {
    const std::wstring_view view(text);
    return utf8_from_utf16(std::u16string(view.begin(), view.end()));
}

UINT saved_output_code_page = 0;

void restore_output_code_page() { SetConsoleOutputCP(saved_output_code_page); }

HANDLE handle_of(std::FILE* stream) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

}  // namespace

std::filesystem::path path_from_utf8(const char* name) { return std::filesystem::path(wide(name)); }

std::string utf8_from_path(const std::filesystem::path& path) { return narrow(path.c_str()); }

std::FILE* open_file(const char* name, const char* mode) {
    // A device is never a file to convert or to write: reading CON would wait on the console.
    if (is_windows_device_path(name)) return nullptr;
    return _wfopen(wide(name).c_str(), wide(mode).c_str());
}

std::vector<std::string> command_line_arguments(int, char**) {
    return split_command_line(narrow(GetCommandLineW()));
}

void prepare_console() {
    // The tool writes its own CR LF; text mode would add another CR.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // Names are echoed in UTF-8; a console window shows them right only in that code page.
    if (is_terminal(stdout)) {
        saved_output_code_page = GetConsoleOutputCP();
        if (saved_output_code_page != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
            std::atexit(restore_output_code_page);
    }
}

bool is_terminal(std::FILE* stream) {
    // _isatty is true for any character device, NUL included; only a console has a mode.
    DWORD mode = 0;
    return GetConsoleMode(handle_of(stream), &mode) != 0;
}

std::FILE* open_scratch_file() {
    // tmpfile() would make its file in the drive's root, where a user may not write.
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH || GetTempFileNameW(folder, L"tri", 0, name) == 0) return nullptr;
    // "D": removed when closed.
    return _wfopen(name, L"w+bD");
}

int open_file_limit() { return _getmaxstdio(); }

bool local_time(std::time_t moment, std::tm& fields) { return localtime_s(&fields, &moment) == 0; }

bool shell_expands_wildcards() { return false; }

bool same_existing_file(const char* first, const char* second) {
    // A hard link has its own name but the volume's one file index.
    BY_HANDLE_FILE_INFORMATION info[2] = {};
    const char* names[2] = {first, second};
    for (int i = 0; i < 2; ++i) {
        if (is_windows_device_path(names[i])) return false;
        const HANDLE file = CreateFileW(wide(names[i]).c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        const BOOL known = GetFileInformationByHandle(file, &info[i]);
        CloseHandle(file);
        if (!known) return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

}  // namespace trimora
