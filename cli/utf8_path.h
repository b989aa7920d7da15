// The UTF-8 text of a file-system path, the form every name of the tool takes.
#pragma once

#include <filesystem>
#include <string>

namespace trimora {

inline std::string utf8_text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace trimora
