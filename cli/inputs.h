// The input files of a modern run: names, folders, wildcards and standard input.
#pragma once

#include <string>
#include <vector>

namespace trimora {

// One input: a file path as it will be opened and printed, or standard input.
struct InputFile {
    std::string path;
    bool standard = false;
};

// The inputs the names stand for, in the order of the names: "-" is standard
// input; a folder gives its files whose extension is .stl in any case, sorted
// by name, and with recursive those of its subfolders in the same order; a
// name that is no file but NAME.stl is gives that; with expand_wildcards a
// name with * or ? gives the matching names (folders among them expanded in
// turn). A name that matches nothing stays as it is, so that its conversion
// reports it missing.
std::vector<InputFile> expand_inputs(const std::vector<std::string>& names, bool recursive,
                                     bool expand_wildcards);

// True when the name is a folder (or a link to one).
bool is_folder(const std::string& name);

// True when the path's extension is .stl in any case of its letters.
bool has_stl_extension(const std::string& path);

}  // namespace trimora
