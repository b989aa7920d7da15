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

bool local_time(std::time_t moment, std::tm& fields) { return localtime_s(&fields, &moment) == 0; }

bool shell_expands_wildcards() { return false; }

namespace {

// A hard link has its own name but the volume's one file index.
FileId id_of_handle(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info = {};
    if (file == INVALID_HANDLE_VALUE || GetFileType(file) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(file, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {};
    return {info.dwVolumeSerialNumber,
            static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow, true};
}

}  // namespace

FileId file_id_of(const char* name) {
    if (is_windows_device_path(name)) return {};
    const HANDLE file = CreateFileW(wide(name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    const FileId id = id_of_handle(file);
    CloseHandle(file);
    return id;
}

FileId file_id_of_stream(std::FILE* stream) {
    const int descriptor = _fileno(stream);
    return descriptor < 0 ? FileId{} : id_of_handle(reinterpret_cast<HANDLE>(_get_osfhandle(descriptor)));
}

std::string file_name_key(const char* name) {
    const std::filesystem::path path = path_from_utf8(name);
    std::error_code error;
    std::filesystem::path full = std::filesystem::weakly_canonical(path, error);
    if (error) full = std::filesystem::absolute(path, error);
    if (error) full = path;
    // File names ignore case: one key for every spelling, folded as the system folds names.
    std::wstring text = full.lexically_normal().wstring();
    const int size = static_cast<int>(text.size());
    if (size > 0) {
        std::wstring upper(text.size(), L'\0');
        if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.c_str(), size, upper.data(), size,
                          nullptr, nullptr, 0) == size)
            text = upper;
    }
    return narrow(text.c_str());
}

}  // namespace trimora
