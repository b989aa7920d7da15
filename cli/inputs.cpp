// Expanding names, folders and wildcards into the list of input files.
#include "cli/inputs.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "cli/wildcard.h"
#include "platform/system.h"
#include "readers/input_kind.h"

namespace trimora {

namespace {

namespace fs = std::filesystem;

bool exists(const std::string& name) {
    std::error_code error;
    return fs::exists(path_from_utf8(name.c_str()), error);
}

InputFile notice(const char* what, const std::string& name) {
    return {name, false, std::string(what) + " [" + name + "]\n"};
}

// The files of a folder, sorted by name, with its subfolders' files at their
// place in that order when recursive; notices where an entry gives no file.
// below is the folder's own path below the folder argument, "" or ending in '/'.
void add_folder(const std::string& folder, bool recursive, std::vector<InputFile>& inputs,
                const std::string& below = "") {
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator entries(path_from_utf8(folder.c_str()), error);
    // A folder deeper than the system's path limit fails here too, and says so.
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        names.push_back(utf8_from_path(entries->path().filename()));
    }
    if (error) {
        inputs.push_back(notice("Cannot read folder:", folder));
        return;
    }
    std::sort(names.begin(), names.end());
    const bool ends_with_slash = folder.ends_with('/') || folder.ends_with('\\');
    for (const std::string& name : names) {
        const std::string path = folder + (ends_with_slash ? "" : "/") + name;
        const fs::path native = path_from_utf8(path.c_str());
        // A path past the system's limit cannot even be looked at: said so.
        const fs::file_status own = fs::symlink_status(native, error);
        if (error) {
            inputs.push_back(notice("Cannot examine file:", path));
            continue;
        }
        const fs::file_status status = fs::is_symlink(own) ? fs::status(native, error) : own;
        if (!error && fs::is_directory(status)) {
            // A link to a folder is not followed: one to a folder above it
            // would take its files again and again.
            if (recursive && !fs::is_symlink(own)) add_folder(path, recursive, inputs, below + name + "/");
            continue;
        }
        if (!is_folder_mesh_name(name)) continue;
        // Only regular files are read from a folder: a FIFO or a device would
        // hang the batch or never end.
        if (error) {
            inputs.push_back(notice("Cannot examine file:", path));
        } else if (!fs::is_regular_file(status)) {
            inputs.push_back(notice("Not a regular file, skipped:", path));
        } else {
            inputs.push_back({path, false, "", below + name});
        }
    }
}

void add_name(const std::string& name, bool recursive, std::vector<InputFile>& inputs) {
    if (is_folder(name)) {
        const std::size_t before = inputs.size();
        add_folder(name, recursive, inputs);
        // A wrong folder must not pass for a success in silence.
        if (inputs.size() == before) inputs.push_back(notice("No mesh file in folder:", name));
    } else if (!exists(name) && path_from_utf8(name.c_str()).extension().empty() && exists(name + ".stl")) {
        inputs.push_back({name + ".stl", false, ""});
    } else {
        inputs.push_back({name, false, ""});
    }
}

}  // namespace

bool is_folder(const std::string& name) {
    std::error_code error;
    return fs::is_directory(path_from_utf8(name.c_str()), error);
}

bool is_folder_mesh_name(const std::string& name) {
    // A folder holds its own outputs: a second run over it must not read
    // its KPF files back.
    const std::optional<InputKind> kind = input_kind_from_name(name);
    return kind && kind->format != MeshFormat::kKpf;
}

std::vector<InputFile> expand_inputs(const std::vector<std::string>& names, bool recursive,
                                     bool expand_wildcards) {
    std::vector<InputFile> inputs;
    for (const std::string& name : names) {
        if (name == "-") {
            inputs.push_back({name, true, ""});
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
