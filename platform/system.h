// What differs between the systems the tool runs on: opening files by name, the console, the
// command line, the local time.
#pragma once

#include <cstdio>
#include <ctime>
#include <filesystem>
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

// True when both UTF-8 names reach one existing file on disk (through a hard link or a symbolic
// link); false when either does not exist.
bool same_existing_file(const char* first, const char* second);

// True where the shell expands * and ? in arguments before the tool sees them.
bool shell_expands_wildcards();

}  // namespace trimora
