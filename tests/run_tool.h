// Helpers for tests that run the built tool: temporary folders, files, the console.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace trimora::testing {

// A fresh empty folder, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // The name is UTF-8 on every system.
    std::filesystem::path operator/(const std::string& name) const;

private:
    std::filesystem::path path_;
};

struct ToolRun {
    std::string console;  // everything written to standard output
    int exit_code;
    std::string errors = "";  // standard error, when the run captured it
};

// Runs the built trimora in folder dir with the given arguments.
ToolRun run_tool(const std::filesystem::path& dir, const std::vector<std::string>& args);

// As run_tool, and also captures standard error; standard input is read from
// the file standard_input, or is empty when that is an empty path.
ToolRun run_tool_streams(const std::filesystem::path& dir, const std::vector<std::string>& args,
                         const std::filesystem::path& standard_input = {});

// What a standard stream of the tool is connected to: a file (as run_tool_streams does),
// nothing (closed), the full device, or a pipe whose reader is gone.
enum class StreamEnd { kFile, kClosed, kFull, kGoneReader };
struct StreamEnds {
    StreamEnd input = StreamEnd::kFile;
    StreamEnd output = StreamEnd::kFile;
    StreamEnd error = StreamEnd::kFile;
};

// As run_tool_streams, with each standard stream connected as given; empty where the system
// has no such end (the full device on Windows).
std::optional<ToolRun> run_tool_connected(const std::filesystem::path& dir, const std::vector<std::string>& args,
                                          const StreamEnds& ends,
                                          const std::filesystem::path& standard_input = {});

// The quoted command that starts the built tool from a POSIX shell (through the emulator of a
// cross build); empty where the tests have no such shell (Windows).
std::string tool_shell_command();

// Runs the POSIX shell command in the folder, with the tool's command in
// place of each TOOL; returns its exit status, or -1 where there is no such
// shell or the command did not exit.
int run_shell(const std::filesystem::path& dir, const std::string& command);

// Runs it with the text after the program's name as its whole command line, where a program
// receives one (Windows); nothing where arguments arrive already split.
std::optional<ToolRun> run_tool_command_line(const std::filesystem::path& dir, const std::string& arguments);

// Sets a variable of the test's environment, which the tool's runs inherit;
// null removes it.
void set_environment_variable(const char* name, const char* value);

// A run of the built tool that goes on while the test feeds its inputs and interrupts it: its
// standard input is a pipe the test writes to; its standard output and error are thrown away.
// Where the tests cannot start one (Windows), started() is false.
class BackgroundRun {
public:
    BackgroundRun(const std::filesystem::path& dir, const std::vector<std::string>& args);
    // Ends a run still going (SIGKILL) and waits for it.
    ~BackgroundRun();
    BackgroundRun(const BackgroundRun&) = delete;
    BackgroundRun& operator=(const BackgroundRun&) = delete;
    bool started() const { return process_ > 0; }
    // Opens the FIFO for writing once the tool opens it for reading (within a
    // minute); returns its feed, or -1. Feed 0 is the standard input.
    int open_fifo(const std::filesystem::path& fifo);
    // Writes the bytes to the feed; false when the tool no longer reads it.
    bool feed(int which, const std::string& bytes);
    // Sends the signal of that number (SIGINT 2, SIGTERM 15, SIGHUP 1).
    void interrupt(int signal_number);
    // Waits for the end: the exit status as a shell tells it, 128 + N after signal N.
    int wait();

private:
    long process_ = -1;
    std::vector<int> feeds_;
};

// The number of a POSIX signal by its name without SIG ("QUIT", "USR1", ...); 0 where the
// system has no such signal (Windows).
int signal_number(const std::string& name);

// Makes a FIFO (a named pipe); false where the system has none (Windows).
bool make_fifo(const std::filesystem::path& path);

// The UTF-8 text of a path, whatever the system's own encoding of names.
std::string utf8(const std::filesystem::path& path);

// True where CON, NUL and the other device names are no file names (Windows).
bool device_names_reserved();

std::string read_file(const std::filesystem::path& path);
// Everything written to the stream, read from its start.
std::string stream_text(std::FILE* stream);

// Makes a symbolic link; false where the system or the C++ library cannot make one (Windows
// without the privilege, mingw-w64), so that the test skips itself.
bool make_symlink(const std::filesystem::path& target, const std::filesystem::path& link);
void write_file(const std::filesystem::path& path, const std::string& bytes);

// The text with every LF written as CR LF, as the tool writes it.
std::string crlf(const std::string& text);

// The text with every CR LF written as LF.
std::string without_cr(const std::string& text);

// True where the console's text lines end in CR LF (Windows), not LF (POSIX).
bool console_ends_lines_in_crlf();

// The text as the modern form prints it on this system's console: each LF
// that no CR comes before as the system's line end; a CR LF, which only a
// file written to standard output holds, stays as it is.
std::string console_lines(const std::string& text);

// The text with the date of its "$ Date: " line replaced by "<date>".
std::string mask_date(const std::string& text);

// Expected texts, with LF line ends as written here; crlf() makes them the
// bytes the tool writes.
inline const std::string kBanner = "TRIMORA - Version 1.3 - August 2014\n";
inline const std::string kErrorBanner = "*****  An error has occurred  *****\n";

// The worked example: one facet with normal (0, 0, -2) and a right angle at (1, 0, 0).
inline const std::string kTriangle =
    "solid tri\n"
    "  facet normal 0 0 -2\n"
    "    outer loop\n"
    "      vertex 0 0 0\n"
    "      vertex 1 0 0\n"
    "      vertex 1 1 0\n"
    "    endloop\n"
    "  endfacet\n"
    "endsolid tri\n";

// The facet lines of kTriangle in each form.
inline const std::string kTextFacet =
    "\n"
    "nrml 0.000000 0.000000 -1.000000\n"
    "trng 0.000000 0.000000 0.000000\n"
    "nrml 0.000000 0.000000 -1.000000\n"
    "trng 1.000000 0.000000 0.000000\n"
    "nrml 0.000000 0.000000 -1.000000\n"
    "trng 1.000000 1.000000 0.000000\n";
inline const std::string kNumberFacet =
    "\n"
    "5 0.000000 0.000000 -1.000000\n"
    "4 0.000000 0.000000 0.000000\n"
    "5 0.000000 0.000000 -1.000000\n"
    "4 1.000000 0.000000 0.000000\n"
    "5 0.000000 0.000000 -1.000000\n"
    "4 1.000000 1.000000 0.000000\n";
inline const std::string kWireFacet =
    "\n"
    "move 0.000000 0.000000 0.000000\n"
    "plot 1.000000 0.000000 0.000000\n"
    "plot 1.000000 1.000000 0.000000\n"
    "plot 0.000000 0.000000 0.000000\n";

// The output-code lines of the console.
inline const std::string kTextLine = "output_code = TEXT [2]\n";
inline const std::string kNumberLine = "output_code = NUMBER [1]\n";
inline const std::string kWireLine = "output_code = WIRE [3]\n";
inline const std::string kNullLine = "output_code = NULL [0]\n";

// The header of an output file for that input path, its date masked.
std::string header(const std::string& input_path);
std::string trailer(int nfacet);

// The console of a run that opened and closed stem.stl and stem.kpf: the
// messages between the open and close lines, the facet count, the error
// banner when the run failed.
std::string console(const std::string& form_line, const std::string& stem,
                    const std::string& messages, int nfacet, bool error);

// The folder of shared example STL files, or an empty path when it is absent.
std::filesystem::path corpus_dir();

}  // namespace trimora::testing
