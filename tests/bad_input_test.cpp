// Bad inputs end to end: exact console lines, the output file, and no other file touched.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "run_tool.h"

namespace trimora::testing {
namespace {

namespace fs = std::filesystem;


// The longest console line: "Unexpected default case [%s] on line %d" with a
// 127-character token and a 10-digit line number.
constexpr std::size_t kLongestMessage = 35 + 127 + 10;


// A part name outside every single-byte code page, in UTF-8: six three-byte characters.
const std::string kJapanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE9\x83\xA8\xE5\x93\x81";

// The console of a run that stopped at the input or output file.
std::string refused(const std::string& lines) { return crlf(kBanner + kTextLine + lines + kErrorBanner); }

// What a folder holds, without following links: for each path, its kind and
// its bytes (a digest of them) or its link target.
struct Entry {
    char kind;
    std::uintmax_t size = 0;
    std::size_t digest = 0;
    std::string target;
    bool operator==(const Entry&) const = default;
};
using Snapshot = std::map<std::string, Entry>;

void add_entries(const fs::path& root, const fs::path& dir, Snapshot& entries) {
    for (const fs::directory_entry& item : fs::directory_iterator(dir)) {
        // Links are looked at, never followed: a link may point at itself.
        const fs::file_status status = item.symlink_status();
        Entry entry{'o', 0, 0, ""};
        if (fs::is_symlink(status)) {
            entry = Entry{'l', 0, 0, utf8(fs::read_symlink(item.path()))};
        } else if (fs::is_directory(status)) {
            entry.kind = 'd';
            add_entries(root, item.path(), entries);
        } else if (fs::is_regular_file(status)) {
            const std::string bytes = read_file(item.path());
            entry = Entry{'f', bytes.size(), std::hash<std::string>{}(bytes), ""};
        }
        entries[utf8(item.path().lexically_relative(root))] = entry;
    }
}

Snapshot snapshot(const fs::path& dir) {
    Snapshot entries;
    add_entries(dir, dir, entries);
    return entries;
}

// Every path of the folder except those named is as it was before.
void expect_unchanged_except(const Snapshot& before, const Snapshot& after,
                             const std::set<std::string>& written = {}) {
    std::set<std::string> names;
    for (const auto& [name, entry] : before) names.insert(name);
    for (const auto& [name, entry] : after) names.insert(name);
    for (const std::string& name : names) {
        if (written.count(name) != 0) continue;
        const auto was = before.find(name);
        const auto is = after.find(name);
        EXPECT_TRUE(was != before.end() && is != after.end() && was->second == is->second)
            << name << (was == before.end() ? " was created" : is == after.end() ? " was removed" : " changed");
    }
}

// Runs the tool in the folder and checks that only the named paths changed.
ToolRun run_touching(const TempDir& dir, const std::vector<std::string>& args,
                     const std::set<std::string>& written = {}) {
    const Snapshot before = snapshot(dir.path());
    ToolRun run = run_tool(dir.path(), args);
    EXPECT_EQ(run.exit_code, 0);
    expect_unchanged_except(before, snapshot(dir.path()), written);
    return run;
}

// ---- Files that cannot be opened, read or written ----

TEST(BadInput, MissingInputFile) {
    // An output left by an earlier run stays as it was.
    TempDir dir;
    write_file(dir / "other.stl", kTriangle);
    write_file(dir / "absent.kpf", "earlier output");
    const ToolRun run = run_touching(dir, {"absent"});
    EXPECT_EQ(run.console, refused("Cannot open file: [absent.stl]\n"));
}

TEST(BadInput, InputThatIsADirectory) {
    TempDir dir;
    fs::create_directory(dir / "in.stl");
    write_file(dir / "in.stl" / "inside", kTriangle);
    write_file(dir / "in.kpf", "earlier output");
    const ToolRun run = run_touching(dir, {"in"});
    EXPECT_EQ(run.console, refused("Cannot open file: [in.stl]\n"));
}

TEST(BadInput, InputThatIsALinkToItself_NeedsSymlinks) {
    TempDir dir;
    if (!make_symlink("in.stl", dir / "in.stl")) GTEST_SKIP() << "no symbolic links here";
    const ToolRun run = run_touching(dir, {"in"});
    EXPECT_EQ(run.console, refused("Cannot open file: [in.stl]\n"));
}

TEST(BadInput, OutputThatIsADirectory) {
    TempDir dir;
    write_file(dir / "in.stl", kTriangle);
    fs::create_directory(dir / "in.kpf");
    write_file(dir / "in.kpf" / "kept", "kept");
    const ToolRun run = run_touching(dir, {"in"});
    EXPECT_EQ(run.console, refused("File open: [in.stl]\nCannot open file: [in.kpf]\n"));
}

TEST(BadInput, OutputThatIsALinkToItself_NeedsSymlinks) {
    TempDir dir;
    write_file(dir / "in.stl", kTriangle);
    if (!make_symlink("in.kpf", dir / "in.kpf")) GTEST_SKIP() << "no symbolic links here";
    const ToolRun run = run_touching(dir, {"in"});
    EXPECT_EQ(run.console, refused("File open: [in.stl]\nCannot open file: [in.kpf]\n"));
}

TEST(BadInput, OutputThroughALinkIntoAMissingFolder_NeedsSymlinks) {
    TempDir dir;
    write_file(dir / "in.stl", kTriangle);
    if (!make_symlink("missing/out.kpf", dir / "in.kpf")) GTEST_SKIP() << "no symbolic links here";
    const ToolRun run = run_touching(dir, {"in"});
    EXPECT_EQ(run.console, refused("File open: [in.stl]\nCannot open file: [in.kpf]\n"));
}

TEST(BadInput, OutputOnAFullDevice_NeedsDevFull) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    TempDir dir;
    write_file(dir / "in.stl", kTriangle);
    fs::create_symlink("/dev/full", dir / "in.kpf");
    const ToolRun run = run_touching(dir, {"in"});
    EXPECT_EQ(run.console, crlf(kBanner + kTextLine +
                                "File open: [in.stl]\nFile open: [in.kpf]\nFile closed: [in.stl]\n"
                                "Cannot write file: [in.kpf]\nFile closed: [in.kpf]\nnfacet = 1\n" +
                                kErrorBanner));
}

// The kernel refuses to read a process's memory at address 0, so this file
// opens but every read of it fails.
bool reading_fails(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    char byte;
    const bool failed = std::fread(&byte, 1, 1, file) == 0 && std::ferror(file) != 0;
    static_cast<void>(std::fclose(file));  // only read from
    return failed;
}

TEST(BadInput, InputThatFailsToReadIsReportedAndEndsInError_NeedsProcSelfMem) {
    if (!reading_fails("/proc/self/mem")) GTEST_SKIP() << "no file here whose reading fails";
    TempDir dir;
    if (!make_symlink("/proc/self/mem", dir / "in.stl")) GTEST_SKIP() << "no symbolic links here";
    const ToolRun run = run_touching(dir, {"in"}, {"in.kpf"});
    EXPECT_EQ(run.console, console(kTextLine, "in", "Cannot read file: [in.stl]\n", 0, true));
    EXPECT_EQ(mask_date(read_file(dir / "in.kpf")), crlf(header("in.stl") + trailer(0)));
    // Nor does the mesh report give figures of the part that was read: it says why.
    const ToolRun info = run_tool_streams(dir.path(), {"--info", "in.stl"});
    EXPECT_EQ(info.exit_code, 1);
    EXPECT_EQ(info.console, console_lines("file               in.stl\nerror              Cannot read file: [in.stl]\n"));
    EXPECT_EQ(info.errors, console_lines(kBanner + "File open: [in.stl]\nCannot read file: [in.stl]\n"
                                          "File closed: [in.stl]\nnfacet = 0\n" + kErrorBanner));
}

// ---- Outputs replaced whole or not at all ----

// The number of temporary files in the folder (".NAME.trimora-XXXXXX.tmp") that hold bytes.
std::size_t temporary_files_written(const fs::path& dir) {
    std::size_t count = 0;
    for (const fs::directory_entry& item : fs::directory_iterator(dir)) {
        const std::string name = utf8(item.path().filename());
        std::error_code error;
        if (name.starts_with(".") && name.find(".trimora-") != std::string::npos && name.ends_with(".tmp") &&
            fs::file_size(item.path(), error) > 0 && !error)
            ++count;
    }
    return count;
}

struct InterruptionCase {
    const char* what;
    std::vector<std::string> args;
    bool standard_input;             // the test feeds standard input
    std::vector<std::string> fifos;  // and these named pipes, in the order the tool opens them
    int signal_number;
    std::vector<std::string> outputs;  // good outputs from before, which must survive
};

TEST(BadInput, InterruptionLeavesEveryOldOutputAsItWas) {
    const InterruptionCase cases[] = {
        {"legacy form, SIGTERM", {"in"}, false, {"in.stl"}, 15, {"in.kpf"}},
        {"standard input, SIGINT", {"-q", "-o", "out.kpf", "-"}, true, {}, 2, {"out.kpf"}},
        {"two jobs writing at once, SIGHUP", {"-q", "-j", "2", "a.stl", "b.stl"}, false, {"a.stl", "b.stl"}, 1,
         {"a.kpf", "b.kpf"}},
    };
    // Every other signal whose default action ends the process, by its number here.
    std::vector<InterruptionCase> others;
    for (const char* name : {"QUIT", "USR1", "USR2", "ALRM", "VTALRM", "PROF", "XCPU"}) {
        if (signal_number(name) == 0) continue;
        others.push_back({name, {"-q", "-o", "out.kpf", "-"}, true, {}, signal_number(name), {"out.kpf"}});
    }
    others.push_back({"legacy form, SIGUSR1", {"in"}, false, {"in.stl"}, signal_number("USR1"), {"in.kpf"}});
    std::string chunk;
    while (chunk.size() < (64u << 10)) chunk += kTriangle;
    std::vector<InterruptionCase> all(std::begin(cases), std::end(cases));
    all.insert(all.end(), others.begin(), others.end());
    for (const InterruptionCase& c : all) {
        if (c.signal_number == 0) continue;
        SCOPED_TRACE(c.what);
        TempDir dir;
        for (const std::string& fifo : c.fifos) {
            if (!make_fifo(dir / fifo)) GTEST_SKIP() << "no named pipes here to feed a run slowly";
        }
        for (const std::string& output : c.outputs) write_file(dir / output, crlf(header(output) + kTextFacet + trailer(1)));
        const Snapshot before = snapshot(dir.path());
        BackgroundRun run(dir.path(), c.args);
        if (!run.started()) GTEST_SKIP() << "no signals to send to a run here (Windows console events need a shared console)";
        std::vector<int> feeds;
        if (c.standard_input) feeds.push_back(0);
        for (const std::string& fifo : c.fifos) feeds.push_back(run.open_fifo(dir / fifo));
        for (int feed : feeds) ASSERT_GE(feed, 0) << "the tool never opened its input";
        // Fed and held: every output has begun, and the tool waits for more input.
        for (int round = 0; temporary_files_written(dir.path()) < c.outputs.size(); ++round) {
            ASSERT_LT(round, 1000) << "the outputs never began";
            for (int feed : feeds) ASSERT_TRUE(run.feed(feed, chunk));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        run.interrupt(c.signal_number);
        EXPECT_EQ(run.wait(), 128 + c.signal_number);
        expect_unchanged_except(before, snapshot(dir.path()));
    }
}

TEST(BadInput, FullDiskKeepsTheOldOutput) {
    // A file-size limit makes a write fail as a full disk does, without privileges.
    if (tool_shell_command().empty()) GTEST_SKIP() << "no POSIX shell to set a file-size limit";
    std::string stl;
    for (int i = 0; i < 3000; ++i) stl += kTriangle;
    const std::string old = crlf(header("in.stl") + kTextFacet + trailer(1));
    // Each command line and its exit status.
    const std::pair<const char*, int> runs[] = {{"in", 0}, {"-q in.stl", 1}, {"-j 1 -q in.stl -o in.kpf", 1}};
    for (const auto& [arguments, status] : runs) {
        SCOPED_TRACE(arguments);
        TempDir dir;
        const TempDir console_dir;
        write_file(dir / "in.stl", stl);
        write_file(dir / "in.kpf", old);
        const Snapshot before = snapshot(dir.path());
        // 128 blocks of 512 bytes: the first buffer of the output already passes the limit.
        const std::string command = "(cd '" + dir.path().string() + "' && ulimit -f 128 && exec " +
                                    tool_shell_command() + " " + arguments + " > '" +
                                    (console_dir / "console").string() + "'); echo $? > '" +
                                    (console_dir / "status").string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        EXPECT_EQ(read_file(console_dir / "status"), std::to_string(status) + "\n");
        expect_unchanged_except(before, snapshot(dir.path()));
        const std::string console = read_file(console_dir / "console");
        // The legacy form ends its lines in CR LF, the modern one as the console does.
        const bool legacy = std::string(arguments) == "in";
        const auto lines = [legacy](const std::string& text) { return legacy ? crlf(text) : console_lines(text); };
        const std::string message = lines("Cannot write file: [in.kpf]\n");
        const std::size_t first = console.find(message);
        ASSERT_NE(first, std::string::npos) << console;
        EXPECT_EQ(console.find(message, first + 1), std::string::npos);
        // The modern form says that the old output stays.
        const std::string kept = legacy ? "" : "Old output kept: [in.kpf]\n";
        EXPECT_TRUE(console.ends_with(lines("File closed: [in.kpf]\n" + kept + "nfacet = 3000\n" + kErrorBanner)))
            << console;
    }
}

TEST(BadInput, ReplacedOutputKeepsItsPermissions) {
    TempDir dir;
    write_file(dir / "in.stl", kTriangle);
    write_file(dir / "in.kpf", "earlier output");
    const fs::perms kept = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(dir / "in.kpf", kept);
    const fs::perms before = fs::status(dir / "in.kpf").permissions();
    const ToolRun run = run_touching(dir, {"in"}, {"in.kpf"});
    EXPECT_EQ(run.console, console(kTextLine, "in", "", 1, false));
    EXPECT_EQ(mask_date(read_file(dir / "in.kpf")), crlf(header("in.stl") + kTextFacet + trailer(1)));
    EXPECT_EQ(fs::status(dir / "in.kpf").permissions(), before);
    // A new output has the permissions of any new file of this user.
    const TempDir other;
    write_file(other / "probe", "");
    fs::remove(dir / "in.kpf");
    run_touching(dir, {"in"}, {"in.kpf"});
    EXPECT_EQ(fs::status(dir / "in.kpf").permissions(), fs::status(other / "probe").permissions());
}

TEST(BadInput, ReadOnlyOutputIsRefusedAndKept) {
    TempDir dir;
    write_file(dir / "in.stl", kTriangle);
    write_file(dir / "in.kpf", "earlier output");
    const fs::perms read_only = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(dir / "in.kpf", read_only);
    const bool writable = std::ofstream(dir / "in.kpf", std::ios::app).is_open();
    if (!writable) {
        const ToolRun run = run_touching(dir, {"in"});
        EXPECT_EQ(run.console, refused("File open: [in.stl]\nCannot open file: [in.kpf]\n"));
    }
    fs::permissions(dir / "in.kpf", fs::perms::owner_write, fs::perm_options::add);
    if (writable) GTEST_SKIP() << "this user may write a read-only file";
}

TEST(BadInput, OutputThatIsALinkHasItsTargetReplaced) {
    // The target exists, or is yet to be made in a folder that exists.
    for (const char* target : {"real/out.kpf", "real/new.kpf"}) {
        SCOPED_TRACE(target);
        TempDir dir;
        write_file(dir / "in.stl", kTriangle);
        fs::create_directory(dir / "real");
        write_file(dir / "real/out.kpf", "earlier output");
        if (!make_symlink(target, dir / "in.kpf")) GTEST_SKIP() << "no symbolic links here";
        const ToolRun run = run_touching(dir, {"in"}, {target});
        EXPECT_EQ(run.console, console(kTextLine, "in", "", 1, false));
        EXPECT_EQ(mask_date(read_file(dir / target)), crlf(header("in.stl") + kTextFacet + trailer(1)));
    }
}

// ---- Standard streams ----

TEST(BadInput, LegacyRunWithAConsoleThatCannotBeWrittenConvertsAndExitsZero) {
    const std::pair<const char*, StreamEnds> ends[] = {
        {"all closed", {StreamEnd::kClosed, StreamEnd::kClosed, StreamEnd::kClosed}},
        {"full", {StreamEnd::kFile, StreamEnd::kFull, StreamEnd::kFull}},
        {"reader gone", {StreamEnd::kFile, StreamEnd::kGoneReader, StreamEnd::kGoneReader}},
    };
    for (const auto& [what, end] : ends) {
        SCOPED_TRACE(what);
        TempDir dir;
        write_file(dir / "in.stl", kTriangle);
        const Snapshot before = snapshot(dir.path());
        const std::optional<ToolRun> run = run_tool_connected(dir.path(), {"in"}, end);
        if (!run) continue;  // no full device here
        EXPECT_EQ(run->exit_code, 0);
        // No console line lands in the output, whatever number its file gets.
        expect_unchanged_except(before, snapshot(dir.path()), {"in.kpf"});
        EXPECT_EQ(mask_date(read_file(dir / "in.kpf")), crlf(header("in.stl") + kTextFacet + trailer(1)));
    }
}

// ---- An output that is the input ----

TEST(BadInput, OutputThatIsTheInputIsNeverOpenedForWriting) {
    const std::string refusal = "File open: [in.stl]\nCannot open file: [in.kpf]\n";
    // Each makes the two names one file; false where links of its kind cannot be made.
    using Link = std::function<bool(const fs::path&)>;
    const std::pair<const char*, Link> links[] = {
        {"hard link", [](const fs::path& d) { write_file(d / "in.stl", kTriangle);
                                               fs::create_hard_link(d / "in.stl", d / "in.kpf");
                                               return true; }},
        {"output links to the input", [](const fs::path& d) { write_file(d / "in.stl", kTriangle);
                                                               return make_symlink("in.stl", d / "in.kpf"); }},
        {"input links to the output", [](const fs::path& d) { write_file(d / "in.kpf", kTriangle);
                                                               return make_symlink("in.kpf", d / "in.stl"); }},
        {"absolute link", [](const fs::path& d) { write_file(d / "in.stl", kTriangle);
                                                   return make_symlink(d / "in.stl", d / "in.kpf"); }},
    };
    for (const auto& [what, make] : links) {
        SCOPED_TRACE(what);
        TempDir dir;
        if (!make(dir.path())) continue;
        const ToolRun run = run_touching(dir, {"in"});
        EXPECT_EQ(run.console, refused(refusal));
        EXPECT_EQ(read_file(dir / "in.stl"), kTriangle);
    }
}

// ---- Names at and beyond the Text buffer's 127 characters, and odd ones ----

struct NameCase {
    const char* what;
    std::string argument;
    std::string file;      // the input present in the folder, or empty
    std::string console;   // the lines after the output-code line
    std::string written;   // the output file the run may create, or empty
};

TEST(BadInput, LongEmptyAndOddNames) {
    const std::string a125(125, 'a');
    const std::string b126(126, 'b');
    const std::string c127(127, 'c');
    const std::string d200(200, 'd');
    const std::string e200(200, 'e');
    const std::string d127 = d200.substr(0, 127);
    const std::string e127 = e200.substr(0, 127);
    std::string japanese43;  // 43 three-byte characters, 129 bytes: the cut splits the last but one
    for (int i = 0; i < 7; ++i) japanese43 += kJapanese;
    japanese43 += "\xE6\x97\xA5";
    auto closing = [](const std::string& in, const std::string& out) {
        return "File open: [" + in + "]\nFile open: [" + out + "]\nFile closed: [" + in + "]\nFile closed: [" + out +
               "]\nnfacet = 1\n";
    };
    const NameCase cases[] = {
        // 125 characters leave room for ".s" and ".k": two different files.
        {"125", a125, a125 + ".s", closing(a125 + ".s", a125 + ".k"), a125 + ".k"},
        // 126 and more leave no room for the extension: the output would be the input.
        {"126", b126, b126 + ".", "File open: [" + b126 + ".]\nCannot open file: [" + b126 + ".]\n" + kErrorBanner, ""},
        {"127", c127, c127, "File open: [" + c127 + "]\nCannot open file: [" + c127 + "]\n" + kErrorBanner, ""},
        {"200 cut to 127", d200, d127, "File open: [" + d127 + "]\nCannot open file: [" + d127 + "]\n" + kErrorBanner, ""},
        {"200 without a file", e200, "", "Cannot open file: [" + e127 + "]\n" + kErrorBanner, ""},
        {"empty", "", ".stl", closing(".stl", ".kpf"), ".kpf"},
        // Names are echoed as texts, never read as formats.
        {"printf conversions", "%s%n%d", "%s%n%d.stl", closing("%s%n%d.stl", "%s%n%d.kpf"), "%s%n%d.kpf"},
        {"spaces", "my part", "my part.stl", closing("my part.stl", "my part.kpf"), "my part.kpf"},
        // Names are UTF-8 on every system; the 127-character cut counts their bytes.
        {"UTF-8", kJapanese, kJapanese + ".stl", closing(kJapanese + ".stl", kJapanese + ".kpf"), kJapanese + ".kpf"},
        {"UTF-8 cut to 127 bytes", japanese43, "", "Cannot open file: [" + japanese43.substr(0, 127) + "]\n" + kErrorBanner, ""},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        if (!c.file.empty()) write_file(dir / c.file, kTriangle);
        std::set<std::string> written;
        if (!c.written.empty()) written.insert(c.written);
        const ToolRun run = run_touching(dir, {c.argument}, written);
        EXPECT_EQ(run.console, crlf(kBanner + kTextLine + c.console));
        if (!c.written.empty()) {
            const std::string file = read_file(dir / c.written);
            EXPECT_TRUE(file.starts_with("$ File: " + c.file + "\r\n")) << file;
            EXPECT_TRUE(file.ends_with("\r\n$ End of file\r\n\r\n"));
        }
    }
}

// A CR, an LF or the end byte in a name would split or end the "$ File:" line
// when the file is read back: each becomes '?' there, in both forms, and the
// file reads back. The console echoes the name as given; a tab stays a tab.
TEST(BadInput, ControlBytesOfANameBecomeQuestionMarksInTheHeader_NeedsControlBytesInNames) {
    struct Case {
        std::string name;   // without the extension
        std::string shown;  // in the header
    };
    const Case cases[] = {{"a\nb", "a?b"}, {"a\rb", "a?b"}, {"a\x1a" "b", "a?b"}, {"a\tb", "a\tb"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.name));
        TempDir dir;
        std::ofstream probe(dir / (c.name + ".stl"));
        if (!probe) GTEST_SKIP() << "this file system takes no control bytes in names";
        probe.close();
        write_file(dir / (c.name + ".stl"), kTriangle);
        const ToolRun legacy = run_tool(dir.path(), {c.name});
        EXPECT_EQ(legacy.console, crlf(kBanner + kTextLine + "File open: [" + c.name + ".stl]\nFile open: [" + c.name +
                                       ".kpf]\nFile closed: [" + c.name + ".stl]\nFile closed: [" + c.name +
                                       ".kpf]\nnfacet = 1\n"));
        EXPECT_EQ(mask_date(read_file(dir / (c.name + ".kpf"))),
                  crlf(header(c.shown + ".stl") + kTextFacet + trailer(1)));
        // What trimora writes, it reads back whole.
        const ToolRun back = run_tool(dir.path(), {"-q", "-f", "stl", "-o", "back.stl", c.name + ".kpf"});
        EXPECT_EQ(back.exit_code, 0) << back.console;
        const ToolRun modern = run_tool(dir.path(), {"-q", "-o", "modern.kpf", c.name + ".stl"});
        EXPECT_EQ(modern.exit_code, 0);
        EXPECT_TRUE(read_file(dir / "modern.kpf").starts_with("$ File: " + c.shown + ".stl\r\n"));
    }
}

// Windows opens a device for these names in every folder, whatever the extension: the run
// must refuse them, never wait on the console or write to a device.
TEST(BadInput, DeviceNamesAreRefused_WindowsOnly) {
    if (!device_names_reserved()) GTEST_SKIP() << "device names are ordinary file names here";
    const std::pair<const char*, const char*> names[] = {
        {"CON", "CON.stl"}, {"con", "con.stl"}, {"NUL", "NUL.stl"}, {"aux.part", "aux.stl"},
        {"prn", "prn.stl"}, {"COM1", "COM1.stl"}, {"lpt9", "lpt9.stl"}, {"CONIN$", "CONIN$.stl"},
        {"sub\\Con", "sub\\Con.stl"}, {"sub/lpt1", "sub/lpt1.stl"},
    };
    for (const auto& [argument, input] : names) {
        SCOPED_TRACE(argument);
        TempDir dir;
        fs::create_directory(dir / "sub");
        const ToolRun run = run_touching(dir, {argument});
        EXPECT_EQ(run.console, refused(std::string("Cannot open file: [") + input + "]\n"));
    }
}

// ---- Contents that are no ASCII STL ----

// Converts the bytes as in.stl and checks that only in.kpf was written.
struct Converted {
    std::string console;
    std::string file;  // date masked
};

Converted convert(const std::string& bytes, const std::vector<std::string>& extra = {}) {
    TempDir dir;
    write_file(dir / "in.stl", bytes);
    std::vector<std::string> args{"in"};
    args.insert(args.end(), extra.begin(), extra.end());
    const ToolRun run = run_touching(dir, args, {"in.kpf"});
    return {run.console, mask_date(read_file(dir / "in.kpf"))};
}

TEST(BadInput, BinaryStlFilesEndSoundly_NeedsCorpus) {
    const fs::path corpus = corpus_dir();
    if (corpus.empty() || !fs::is_directory(corpus / "binary")) GTEST_SKIP() << "no binary STL files here";
    int files = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus / "binary")) {
        for (const char* form : {"text", "numb", "wire", "xyz"}) {
            SCOPED_TRACE(entry.path().filename().string() + " " + form);
            TempDir dir;
            fs::copy_file(entry.path(), dir / "model.stl");
            const ToolRun run = run_touching(dir, {"model", form}, {"model.kpf"});
            std::vector<std::string> lines;
            std::size_t start = 0;
            for (std::size_t end; (end = run.console.find("\r\n", start)) != std::string::npos; start = end + 2) {
                lines.push_back(run.console.substr(start, end - start));
            }
            EXPECT_EQ(start, run.console.size()) << "console text after its last line end";
            for (const std::string& line : lines) {
                EXPECT_LE(line.size(), kLongestMessage) << line;
                EXPECT_EQ(line.find('\n'), std::string::npos) << line;
            }
            EXPECT_TRUE(read_file(dir / "model.kpf").ends_with("\r\n$ End of file\r\n\r\n"));
        }
        ++files;
    }
    EXPECT_GT(files, 0);
}

TEST(BadInput, FiftyMegabytesOnOneLineWithoutALineEnd) {
    // Pieces of 127 characters: "solid" and spaces, spaces only, and a last
    // piece that is a word of its own.
    const std::size_t pieces = (std::size_t{50} << 20) / 127 + 2;
    std::string bytes = "solid";
    bytes.resize((pieces - 1) * 127, ' ');
    bytes += "bogus";
    ASSERT_GE(bytes.size(), std::size_t{50} << 20);
    const Converted run = convert(bytes);
    EXPECT_EQ(run.console, console(kTextLine, "in", "Unknown code word [bogus] on line " + std::to_string(pieces) + "\n",
                                   0, true));
    EXPECT_EQ(run.file, crlf(header("in.stl") + trailer(0)));
}

TEST(BadInput, FileOfNulBytes) {
    // 1 MiB of NUL bytes: 8256 pieces of 127, then 64 and the line end; every
    // piece's text is empty.
    const Converted run = convert(std::string(1 << 20, '\0') + "\nbogus\n");
    EXPECT_EQ(run.console, console(kTextLine, "in", "Unknown code word [bogus] on line 8258\n", 0, true));
    EXPECT_EQ(run.file, crlf(header("in.stl") + trailer(0)));
}

TEST(BadInput, EndByteFirst) {
    const Converted run = convert("\x1a" + kTriangle);
    EXPECT_EQ(run.console, console(kTextLine, "in", "", 0, false));
    EXPECT_EQ(run.file, crlf(header("in.stl") + trailer(0)));
}

TEST(BadInput, EveryByteValueInAscendingOrderStopsAtTheEndByte) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    // 0x00 to 0x09 and LF, then 0x0B to 0x19: control characters only.
    const Converted run = convert(bytes);
    EXPECT_EQ(run.console, console(kTextLine, "in", "", 0, false));
    EXPECT_EQ(run.file, crlf(header("in.stl") + trailer(0)));
}

TEST(BadInput, EveryByteValueInDescendingOrder) {
    std::string bytes;
    for (int b = 255; b >= 0; --b) bytes += static_cast<char>(b);
    // Piece 1 is 0xFF to 0x81, all dropped; piece 2 runs from 0x80 to the end
    // byte, and its printable part, lowered, is one word before the space.
    std::string word;
    for (int c = 126; c > 32; --c) word += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    const Converted run = convert(bytes);
    EXPECT_EQ(run.console, console(kTextLine, "in", "Unknown code word [" + word + "] on line 2\n", 0, true));
}

TEST(BadInput, EveryByteValueOnALineOfItsOwn) {
    std::string bytes;
    std::string messages;
    int line = 0;
    for (int b = 0; b < 256; ++b) {
        if (b == 0x1a) continue;
        bytes += static_cast<char>(b);
        bytes += '\n';
        ++line;
        if (b == '\n') ++line;  // the byte is a line end of its own
        const int c = b >= 'A' && b <= 'Z' ? b + 32 : b;
        if (c > ' ' && c < 127) messages += "Unknown code word [" + std::string(1, static_cast<char>(c)) + "] on line " +
                                            std::to_string(line) + "\n";
    }
    const Converted run = convert(bytes + "\x1a" "bogus\n");
    EXPECT_EQ(run.console, console(kTextLine, "in", messages, 0, true));
    EXPECT_EQ(run.file, crlf(header("in.stl") + trailer(0)));
}

TEST(BadInput, ExtremeNumbers) {
    const std::string zeros300(300, '0');
    const std::string stl =
        "facet normal -0 . e5\nouter loop\n"
        "vertex 1e999999 1e-999999 -1e999999\n"
        "vertex -0 . e5\n"
        "vertex 1" + std::string(100, '0') + "e-100\n"
        "endloop\n"
        "facet normal 0 0 1\nouter loop\n"
        "vertex 0." + std::string(100, '0') + "5e100\n"
        "vertex 123456789012345678901234567890e-26 1e308 -1e-308\n"
        "vertex 0.1234565 12.3456785 -0.0000004\n"
        "endloop\n"
        "facet normal 0 1 0\nouter loop\n"
        "vertex " + zeros300 + " 7 8\n"
        "vertex 1 1 1\nvertex 2 2 2\nendloop\n";
    const Converted run = convert(stl);
    // The 300 zeros run over two more pieces of the line: 127 and 53 characters.
    EXPECT_EQ(run.console, console(kTextLine, "in",
                                   "Unknown code word [" + std::string(127, '0') + "] on line 16\n"
                                   "Unknown code word [" + std::string(53, '0') + "] on line 17\n",
                                   3, false));
    const std::string nan_normal = "nrml -1.#IND00 -1.#IND00 -1.#IND00\n";
    const std::string up = "nrml 0.000000 0.000000 1.000000\n";
    const std::string side = "nrml 0.000000 1.000000 0.000000\n";
    const std::string e308 = std::string("1").append(308, '0').append(".000000");
    EXPECT_EQ(run.file, crlf(header("in.stl") + "\n" +
                             nan_normal + "trng 1.#INF00 0.000000 -1.#INF00\n" +
                             nan_normal + "trng -0.000000 0.000000 0.000000\n" +
                             nan_normal + "trng 1.000000 0.000000 0.000000\n" + "\n" +
                             up + "trng 0.500000 0.000000 0.000000\n" +
                             up + "trng 1234.567890 " + e308 + " -0.000000\n" +
                             up + "trng 0.123457 12.345679 -0.000000\n" + "\n" +
                             side + "trng 0.000000 0.000000 0.000000\n" +
                             side + "trng 1.000000 1.000000 1.000000\n" +
                             side + "trng 2.000000 2.000000 2.000000\n" + trailer(3)));
}

// ---- A wire frame with more edges than the line list holds ----

std::string point_text(int x, int y) { return std::to_string(x) + ".000000 " + std::to_string(y) + ".000000 0.000000"; }

TEST(BadInput, WireFrameWithMoreThan5000DistinctEdges) {
    // A grid of 60 by 60 squares, two facets each: 10920 distinct edges.
    using Point = std::pair<int, int>;
    std::vector<std::tuple<Point, Point, Point>> facets;
    for (int i = 0; i < 60; ++i) {
        for (int j = 0; j < 60; ++j) {
            facets.emplace_back(Point{i, j}, Point{i + 1, j}, Point{i + 1, j + 1});
            facets.emplace_back(Point{i, j}, Point{i + 1, j + 1}, Point{i, j + 1});
        }
    }
    // The expected file and console from a plain model: a set of at most
    // 5000 undirected edges and the pen's last point.
    std::set<std::pair<Point, Point>> listed;
    Point pen{-1, -1};
    std::string body;
    std::string overflow;
    int left_out = 0;
    std::string stl = "solid grid\n";
    auto edge = [&](Point from, Point to) {
        if (listed.count({from, to}) != 0 || listed.count({to, from}) != 0) return;
        if (listed.size() == 5000) {
            overflow += "Line list overflow: [5000]\n";
            ++left_out;
            return;
        }
        listed.insert({from, to});
        if (pen != from) body += "move " + point_text(from.first, from.second) + "\n";
        body += "plot " + point_text(to.first, to.second) + "\n";
        pen = to;
    };
    for (const auto& [a, b, c] : facets) {
        stl += "facet normal 0 0 1\nouter loop\n";
        for (const Point& p : {a, b, c}) stl += "vertex " + std::to_string(p.first) + " " + std::to_string(p.second) + " 0\n";
        stl += "endloop\nendfacet\n";
        body += "\n";
        edge(a, b);
        edge(b, c);
        edge(c, a);
    }
    stl += "endsolid grid\n";
    ASSERT_FALSE(overflow.empty());
    const Converted run = convert(stl, {"wire"});
    EXPECT_EQ(run.console, console(kWireLine, "in", overflow, 7200, false));
    EXPECT_EQ(run.file, crlf(header("in.stl") + body + trailer(7200)));
    // Edges were dropped: the modern form fails the file, and -q shows its whole report, which
    // counts them in one line.
    TempDir dir;
    write_file(dir / "in.stl", stl);
    const ToolRun modern = run_tool(dir.path(), {"-q", "-f", "wire", "in.stl"});
    EXPECT_EQ(modern.exit_code, 1);
    // Each facet edge the full list left out, so at least its 10920 - 5000 distinct edges.
    EXPECT_GE(left_out, 10920 - 5000);
    const std::string summary = "Line list overflow: [5000]: [" + std::to_string(left_out) +
                                "] edges left out; -f wire --all-edges writes every edge\n";
    EXPECT_EQ(modern.console,
              console_lines(without_cr(console(kWireLine, "in", summary, 7200, false)).substr(kBanner.size())));
    EXPECT_EQ(mask_date(read_file(dir / "in.kpf")), run.file);
}

}  // namespace
}  // namespace trimora::testing
