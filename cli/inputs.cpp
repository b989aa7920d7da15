// Expanding names, folders and wildcards into the list of input files.
#include "cli/inputs.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "cli/wildcard.h"
#include "platform/system.h"

namespace trimora {

namespace {

namespace fs = std::filesystem;

// A link to a folder is not followed inside a folder: a link to a folder
// above it would take its files again and again.
bool is_folder_link(const std::string& name) {
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(path_from_utf8(name.c_str()), error));
}

bool exists(const std::string& name) {
    std::error_code error;
    return fs::exists(path_from_utf8(name.c_str()), error);
}

// The files of a folder, sorted by name, with its subfolders' files at their
// place in that order when recursive.
void add_folder(const std::string& folder, bool recursive, std::vector<InputFile>& inputs) {
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator entries(path_from_utf8(folder.c_str()), error);
    if (error) return;
    for (const auto& entry : entries) names.push_back(utf8_from_path(entry.path().filename()));
    std::sort(names.begin(), names.end());
    const bool ends_with_slash = folder.ends_with('/') || folder.ends_with('\\');
    for (const std::string& name : names) {
        const std::string path = folder + (ends_with_slash ? "" : "/") + name;
        if (is_folder(path)) {
            if (recursive && !is_folder_link(path)) add_folder(path, recursive, inputs);
        } else if (has_stl_extension(name)) {
            inputs.push_back({path, false});
        }
    }
}

void add_name(const std::string& name, bool recursive, std::vector<InputFile>& inputs) {
    if (is_folder(name)) {
        add_folder(name, recursive, inputs);
    } else if (!exists(name) && path_from_utf8(name.c_str()).extension().empty() && exists(name + ".stl")) {
        inputs.push_back({name + ".stl", false});
    } else {
        inputs.push_back({name, false});
    }
}

}  // namespace

bool is_folder(const std::string& name) {
    std::error_code error;
    return fs::is_directory(path_from_utf8(name.c_str()), error);
}

bool has_stl_extension(const std::string& path) {
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return tail == ".stl";
}

std::vector<InputFile> expand_inputs(const std::vector<std::string>& names, bool recursive,
                                     bool expand_wildcards) {
    std::vector<InputFile> inputs;
    for (const std::string& name : names) {
        if (name == "-") {
            inputs.push_back({name, true});
            continue;
        }
        const std::vector<std::string> matches =
            expand_wildcards && has_wildcard(name) ? expand_wildcard(name)
                                                   : std::vector<std::string>{};
        if (matches.empty()) {
            add_name(name, recursive, inputs);
        } else {
            for (const std::string& match : matches) add_name(match, recursive, inputs);
        }
    }
    return inputs;
}

}  // namespace trimora
