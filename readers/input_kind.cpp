// Formats by name and by word, and the one decision of an input's kind.
#include "readers/input_kind.h"

#include <array>

namespace trimora {

namespace {

struct FormatName {
    const char* word;  // lower case
    MeshFormat format;
};

// Extensions and format words; "shp" is an extension only, another name of KPF files.
constexpr FormatName kExtensions[] = {
    {"stl", MeshFormat::kStl}, {"obj", MeshFormat::kObj}, {"ply", MeshFormat::kPly},
    {"off", MeshFormat::kOff}, {"3mf", MeshFormat::k3mf}, {"kpf", MeshFormat::kKpf},
    {"shp", MeshFormat::kKpf},
};
constexpr std::array<const char*, 6> kWords = {"stl", "obj", "ply", "off", "3mf", "kpf"};

bool equal_ignoring_case(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lower[i]) return false;
    }
    return true;
}

// Takes a final ".gz" off text; true when there was one.
bool take_gz(std::string_view& text) {
    if (text.size() < 3 || !equal_ignoring_case(text.substr(text.size() - 3), ".gz")) return false;
    text.remove_suffix(3);
    return true;
}

}  // namespace

std::optional<InputKind> input_kind_from_name(std::string_view name) {
    const std::size_t folder_end = name.find_last_of("/\\");
    if (folder_end != std::string_view::npos) name.remove_prefix(folder_end + 1);
    const bool gzip = take_gz(name);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return std::nullopt;
    const std::string_view extension = name.substr(dot + 1);
    for (const FormatName& entry : kExtensions) {
        if (equal_ignoring_case(extension, entry.word)) return InputKind{entry.format, gzip};
    }
    return std::nullopt;
}

std::optional<InputKind> input_kind_from_word(std::string_view word) {
    const bool gzip = take_gz(word);
    for (std::size_t i = 0; i < kWords.size(); ++i) {
        if (equal_ignoring_case(word, kWords[i])) return InputKind{kExtensions[i].format, gzip};
    }
    return std::nullopt;
}

std::span<const char* const> format_words() { return kWords; }

const char* format_word(MeshFormat format) {
    for (std::size_t i = 0; i < kWords.size(); ++i) {
        if (kExtensions[i].format == format) return kWords[i];
    }
    return "stl";
}

InputKind decide_input_kind(const InputFacts& facts) {
    const InputKind fallback = facts.from.value_or(InputKind{MeshFormat::kStl, false});
    InputKind kind = facts.standard ? fallback : input_kind_from_name(facts.name).value_or(fallback);
    if (facts.by_content && facts.first.starts_with("\x1F\x8B")) kind.gzip = true;
    return kind;
}

bool starts_with_utf16_mark(std::string_view first) {
    return first.starts_with("\xFF\xFE") || first.starts_with("\xFE\xFF");
}

}  // namespace trimora
