// Replacing the last extension and naming outputs in a folder.
#include "cli/output_names.h"

namespace trimora {

namespace {

std::size_t last_part_start(const std::string& name) {
    const std::size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

std::string replace_last_extension(const std::string& full_name, const std::string& extension) {
    // A compressed input's output drops ".gz" with the extension before it.
    std::string name = full_name;
    const std::size_t start = last_part_start(name);
    if (name.size() > start + 3) {
        std::string tail = name.substr(name.size() - 3);
        for (char& c : tail) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        if (tail == ".gz" && name.find('.', start + 1) < name.size() - 3) name.resize(name.size() - 3);
    }
    const std::size_t dot = name.rfind('.');
    // A dot that starts the last part ("./x", ".stl") or that "." and ".."
    // are made of is no extension.
    const bool has_extension = dot != std::string::npos && dot > start &&
                               name.find_first_not_of('.', start) != std::string::npos;
    return (has_extension ? name.substr(0, dot) : name) + "." + extension;
}

std::string output_in_folder(const std::string& folder, const std::string& input, const std::string& below,
                             const std::string& extension) {
    const bool ends_with_slash = folder.ends_with('/') || folder.ends_with('\\');
    return folder + (ends_with_slash ? "" : "/") +
           replace_last_extension(below.empty() ? input.substr(last_part_start(input)) : below, extension);
}

}  // namespace trimora
