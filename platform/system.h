// What differs between the systems the tool runs on: opening files by name, the console, the
// command line, the local time.
#pragma once

#include <compare>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace trimora {

// The file-system path of a UTF-8 file name, whatever the system's own encoding of names.
std::filesystem::path path_from_utf8(const char* name);
// The UTF-8 text of a file-system path, the form every name of the tool takes.
std::string utf8_from_path(const std::filesystem::path& path);

// Opens the file with a UTF-8 name in an fopen binary mode ("rb" or "wb"); null when it cannot
// be opened.
std::FILE* open_file(const char* name, const char* mode);

// The command-line arguments as UTF-8 texts, the program's own name first.
std::vector<std::string> command_line_arguments(int argc, char** argv);

// Opens the null device on each of the standard descriptors 0, 1 and 2 that is closed, so that
// no file the tool opens takes their numbers, and makes a write to a reader that is gone fail
// (EPIPE) instead of ending the process. First thing at start, before any file is opened.
void prepare_standard_streams();
// True when the standard stream (stdin, stdout or stderr) was closed at start.
bool standard_stream_closed_at_start(std::FILE* stream);
// The errno of a write that just failed, the same on every system: EPIPE for
// a pipe whose reader is gone.
int last_write_error();

// Makes the standard streams pass bytes unchanged: the tool writes its own line ends.
void prepare_console();

// True when the stream is an interactive terminal.
bool is_terminal(std::FILE* stream);

// A new temporary file for reading and writing, removed when it is closed or
// the process ends; null when none can be made.
std::FILE* open_scratch_file();

// How many files the process may have open at once.
int open_file_limit();

// The local broken-down time of a moment, in the platform's time zone; false when it has none.
bool local_time(std::time_t moment, std::tm& fields);

// A regular file as the system tells it apart from every other: device and inode on POSIX,
// volume serial and file index on Windows. Two names, links or open streams of one file give
// equal identities, whatever the names; a file that does not exist, or is no regular file
// (a folder, a device, a pipe), has none (known is false).
struct FileId {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool known = false;
    friend auto operator<=>(const FileId&, const FileId&) = default;
};

// The identity of the regular file a UTF-8 name reaches, through links.
FileId file_id_of(const char* name);
// The identity of the regular file an open stream reads or writes.
FileId file_id_of_stream(std::FILE* stream);

// The bytes of a regular file that an open stream has still to read: the
// file's size less the stream's position, 0 past the end. Nothing for a
// stream of anything else (a pipe, a terminal, a device), or when the size
// or the position cannot be told.
std::optional<std::uint64_t> file_bytes_left(std::FILE* stream);

// A text that every name of one file shares, for files that may not exist yet: the absolute
// path with its links and dot parts resolved, its case folded where the file system ignores
// case (Windows).
std::string file_name_key(const char* name);

// The characters of a name in the system's own form (char on POSIX, wchar_t on Windows).
using NativeChar = std::filesystem::path::value_type;

// What an output's name reaches, before it is replaced.
struct OutputPlace {
    // The file the name reaches through symbolic links, the one to replace (UTF-8).
    std::string target;
    // True for a regular file or a name that does not exist yet, which is
    // written anew and renamed over the target; false for what is opened in
    // place by its name, as it is (a device, a pipe, a folder, a loop of links).
    bool replaced = true;
    bool exists = false;
    unsigned permissions = 0;  // the permission bits of the existing target (POSIX)
};

// Examines the output name; false when its target exists but may not be
// written, so that it is refused as it would be when opened for writing.
bool find_output_place(const char* name, OutputPlace& place);
// Creates a file that does not exist yet, with the permissions of any new
// file, open for writing in binary mode; null when it cannot be made, with
// name_taken set when a file of that name exists.
std::FILE* create_new_file(const NativeChar* name, bool& name_taken);
// Gives the open file these permission bits; false where the system refuses.
bool set_permissions(std::FILE* file, unsigned permissions);
// Renames the file over another in one step, replacing it; false on failure.
bool rename_over(const NativeChar* from, const NativeChar* to);
// Removes the file; async-signal-safe (POSIX).
bool remove_file(const NativeChar* name);

// Makes an interruption remove the temporary files being written and end the
// process as it would have: SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1,
// SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF and SIGXCPU (the default action
// raised again, an exit status of 128 + N; a signal ignored at start stays
// ignored) on POSIX; Ctrl-C, Ctrl-Break and closing the console on Windows.
// A write past the file-size limit fails as a full disk does, instead of
// ending the process.
void handle_interruptions();

// True where the shell expands * and ? in arguments before the tool sees them.
bool shell_expands_wildcards();

// True where text lines end in CR LF on the console (Windows); false where
// they end in LF alone (POSIX).
bool console_lines_end_in_crlf();

}  // namespace trimora
