// The Windows side of the system layer: UTF-16 names and command line, binary console streams.
#include "platform/system.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "platform/argument_split.h"
#include "platform/replacing_file.h"
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

namespace {

bool closed_at_start[3] = {false, false, false};

}  // namespace

void prepare_standard_streams() {
    // A process started without one of its standard handles has no file behind that
    // descriptor, and the runtime may have left its stream with none (-2).
    std::FILE* const streams[3] = {stdin, stdout, stderr};
    for (int descriptor = 0; descriptor < 3; ++descriptor) {
        if (_get_osfhandle(descriptor) >= 0) continue;
        closed_at_start[descriptor] = true;
        std::FILE* stream = std::freopen("NUL", descriptor == 0 ? "rb" : "wb", streams[descriptor]);
        // The number too: a file opened later must not take it.
        if (stream != nullptr && _fileno(stream) != descriptor) _dup2(_fileno(stream), descriptor);
    }
}

bool standard_stream_closed_at_start(std::FILE* stream) {
    return (stream == stdin && closed_at_start[0]) || (stream == stdout && closed_at_start[1]) ||
           (stream == stderr && closed_at_start[2]);
}

int last_write_error() {
    // The runtime calls a pipe whose reader is gone an invalid argument.
    const DWORD error = GetLastError();
    if (errno == EINVAL && (error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE)) return EPIPE;
    return errno;
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

bool console_lines_end_in_crlf() { return true; }

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
    // -1 and -2 stand for no handle; -2 as a handle would be the current thread.
    const intptr_t handle = descriptor < 0 ? -1 : _get_osfhandle(descriptor);
    return handle < 0 ? FileId{} : id_of_handle(reinterpret_cast<HANDLE>(handle));
}

std::optional<std::uint64_t> file_bytes_left(std::FILE* stream) {
    const int descriptor = _fileno(stream);
    struct _stat64 status;
    if (descriptor < 0 || _fstat64(descriptor, &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) {
        return std::nullopt;
    }
    // The stream's position, with what its buffer holds unread taken off.
    const __int64 position = _ftelli64(stream);
    if (position < 0) return std::nullopt;
    return status.st_size > position ? static_cast<std::uint64_t>(status.st_size - position) : 0;
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

namespace {

// The final path of an existing link (\\?\ form), or empty when it leads nowhere.
std::wstring link_target(const std::wstring& link) {
    const HANDLE file = CreateFileW(link.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::wstring target(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(file, target.data(), static_cast<DWORD>(target.size()), 0);
    if (length >= target.size()) {
        target.resize(length);
        length = GetFinalPathNameByHandleW(file, target.data(), static_cast<DWORD>(target.size()), 0);
    }
    CloseHandle(file);
    if (length == 0 || length >= target.size()) return {};
    target.resize(length);
    return target;
}

}  // namespace

bool find_output_place(const char* name, OutputPlace& place) {
    place = OutputPlace{};
    place.target = name;
    // A device is refused when opened by its name, as it always was.
    if (is_windows_device_path(name)) {
        place.replaced = false;
        return true;
    }
    std::wstring target = wide(name);
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        // A symbolic link: its target is replaced. One that leads nowhere is opened by its name.
        target = link_target(target);
        if (target.empty()) {
            place.replaced = false;
            return true;
        }
        place.target = narrow(target.c_str());
        attributes = GetFileAttributesW(target.c_str());
    }
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        place.replaced = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return true;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        place.replaced = false;
        return true;
    }
    place.exists = true;
    // Renaming over a file needs no right to write it; a read-only file, or
    // one that another program holds, would refuse to be opened for writing.
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return false;
    const HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

std::FILE* create_new_file(const NativeChar* name, bool& name_taken) {
    // Shared for deletion, so that an interruption can remove it while it is open.
    const HANDLE file = CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        name_taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        // The caller gives the reason from errno, as a failed fopen leaves it.
        switch (error) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
            case ERROR_INVALID_NAME: errno = ENOENT; break;
            case ERROR_ACCESS_DENIED:
            case ERROR_SHARING_VIOLATION: errno = EACCES; break;
            case ERROR_FILE_EXISTS:
            case ERROR_ALREADY_EXISTS: errno = EEXIST; break;
            case ERROR_DISK_FULL:
            case ERROR_HANDLE_DISK_FULL: errno = ENOSPC; break;
            case ERROR_WRITE_PROTECT: errno = EROFS; break;
            default: errno = EIO; break;
        }
        return nullptr;
    }
    name_taken = false;
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(file);
        DeleteFileW(name);
        return nullptr;
    }
    std::FILE* stream = _fdopen(descriptor, "wb");
    if (stream == nullptr) {
        _close(descriptor);
        DeleteFileW(name);
    }
    return stream;
}

// Windows files have no permission bits; the read-only attribute is refused before.
bool set_permissions(std::FILE*, unsigned) { return true; }

bool rename_over(const NativeChar* from, const NativeChar* to) {
    return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

bool remove_file(const NativeChar* name) { return DeleteFileW(name) != 0; }

namespace {

BOOL WINAPI on_console_event(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    remove_pending_files();
    // The next handler, the system's own, ends the process with STATUS_CONTROL_C_EXIT.
    return FALSE;
}

}  // namespace

void handle_interruptions() { SetConsoleCtrlHandler(on_console_event, TRUE); }

}  // namespace trimora
