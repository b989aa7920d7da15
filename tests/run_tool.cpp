// Temporary folders, files and the expected texts of the tests that run the built tool.
#include "run_tool.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

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

std::filesystem::path TempDir::operator/(const std::string& name) const {
    return path_ / std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool make_symlink(const std::filesystem::path& target, const std::filesystem::path& link) {
    std::error_code error;
    std::filesystem::create_symlink(target, link, error);
    if (!error) return true;
    if (error == std::errc::function_not_supported || error == std::errc::operation_not_supported ||
        error == std::errc::operation_not_permitted)
        return false;
    throw std::filesystem::filesystem_error("cannot create symlink", target, link, error);
}

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string stream_text(std::FILE* stream) {
    std::rewind(stream);
    std::string text;
    for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream)) text += static_cast<char>(c);
    return text;
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

std::string without_cr(const std::string& text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) result += text[i];
    }
    return result;
}

std::string console_lines(const std::string& text) {
    if (!console_ends_lines_in_crlf()) return text;
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) result += '\r';
        result += text[i];
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
