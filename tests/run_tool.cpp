// Running the built tool in a temporary folder and reading what it wrote.
#include "run_tool.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace trimora::testing {

TempDir::TempDir() {
    std::random_device entropy;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        path_ = base / ("trimora-test-" + std::to_string(entropy()));
        if (std::filesystem::create_directory(path_)) return;
    }
}

TempDir::~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

namespace {

// Runs the tool with standard output, and standard error when errors_path is
// not empty, written to files; standard input from input_path when given.
ToolRun run_child(const std::filesystem::path& dir, const std::vector<std::string>& args,
                  const std::filesystem::path& errors_path,
                  const std::filesystem::path* input_path) {
    const std::filesystem::path console_path = dir / ".console";
    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        std::vector<char*> argv;
        std::string exe = TRIMORA_EXE;
        argv.push_back(exe.data());
        std::vector<std::string> copies(args);
        for (std::string& arg : copies) argv.push_back(arg.data());
        argv.push_back(nullptr);
        const int out = open(console_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || dup2(out, 1) < 0) _exit(126);
        if (!errors_path.empty()) {
            const int err = open(errors_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (err < 0 || dup2(err, 2) < 0) _exit(126);
        }
        if (input_path != nullptr) {
            const int in = input_path->empty() ? open("/dev/null", O_RDONLY)
                                               : open(input_path->c_str(), O_RDONLY);
            if (in < 0 || dup2(in, 0) < 0) _exit(126);
        }
        if (chdir(dir.c_str()) != 0) _exit(126);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ToolRun run{read_file(console_path), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
    std::filesystem::remove(console_path);
    if (!errors_path.empty()) {
        run.errors = read_file(errors_path);
        std::filesystem::remove(errors_path);
    }
    return run;
}

}  // namespace

ToolRun run_tool(const std::filesystem::path& dir, const std::vector<std::string>& args) {
    return run_child(dir, args, {}, nullptr);
}

ToolRun run_tool_streams(const std::filesystem::path& dir, const std::vector<std::string>& args,
                         const std::filesystem::path& standard_input) {
    return run_child(dir, args, dir / ".errors", &standard_input);
}

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void write_file(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string crlf(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == '\n') result += '\r';
        result += c;
    }
    return result;
}

std::string mask_date(const std::string& text) {
    const std::string key = "$ Date: ";
    const std::size_t start = text.find(key);
    if (start == std::string::npos) return text;
    const std::size_t end = text.find('\r', start);
    return text.substr(0, start + key.size()) + "<date>" + text.substr(end);
}

std::string header(const std::string& input_path) {
    return "$ File: " + input_path +
           "\n$ Date: <date>\n$ Created by: TRIMORA - Version 1.3 - August 2014\n\n";
}

std::string trailer(int nfacet) {
    return "\n$ nfacet = " + std::to_string(nfacet) + "\n\n$ End of file\n\n";
}

std::string console(const std::string& form_line, const std::string& stem,
                    const std::string& messages, int nfacet, bool error) {
    return crlf(kBanner + form_line + "File open: [" + stem + ".stl]\nFile open: [" + stem +
                ".kpf]\n" + messages + "File closed: [" + stem + ".stl]\nFile closed: [" + stem +
                ".kpf]\nnfacet = " + std::to_string(nfacet) + "\n" + (error ? kErrorBanner : ""));
}

std::filesystem::path corpus_dir() {
    const char* override_dir = std::getenv("TRIMORA_CORPUS");
    std::filesystem::path dir = override_dir != nullptr ? override_dir : TRIMORA_CORPUS;
    std::error_code error;
    return std::filesystem::is_directory(dir, error) ? dir : std::filesystem::path();
}

}  // namespace trimora::testing
