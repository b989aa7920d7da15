// The * and ? matcher and the expansion of a pattern in its folder.
#include "cli/wildcard.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/system.h"

namespace trimora {

bool has_wildcard(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

bool matches_wildcard(std::string_view pattern, std::string_view name) {
    // Greedy with one step back to the last *: linear in practice, and no
    // recursion that a long pattern could exhaust.
    std::size_t p = 0, n = 0;
    std::size_t star = std::string_view::npos, star_name = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            star_name = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++star_name;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::vector<std::string> expand_wildcard(const std::string& pattern) {
    const std::size_t slash = pattern.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
    const std::string last = pattern.substr(folder.size());
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator entries(path_from_utf8(folder.empty() ? "." : folder.c_str()),
                                                error);
    if (error) return names;
    for (const auto& entry : entries) {
        const std::string name = utf8_from_path(entry.path().filename());
        // As shells do, a leading dot is matched only by a leading dot.
        if (name.starts_with('.') && !last.starts_with('.')) continue;
        if (matches_wildcard(last, name)) names.push_back(folder + name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace trimora
