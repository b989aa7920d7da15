// Helpers for tests that run the built tool: temporary folders, files, the console.
#pragma once

#include <filesystem>
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
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

struct ToolRun {
    std::string console;  // everything written to standard output
    int exit_code;
};

// Runs the built trimora in folder dir with the given arguments.
ToolRun run_tool(const std::filesystem::path& dir, const std::vector<std::string>& args);

std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, const std::string& bytes);

// The text with every LF written as CR LF, as the tool writes it.
std::string crlf(const std::string& text);

// The text with the date of its "$ Date: " line replaced by "<date>".
std::string mask_date(const std::string& text);

// The folder of shared example STL files, or an empty path when it is absent.
std::filesystem::path corpus_dir();

}  // namespace trimora::testing
