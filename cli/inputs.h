// The input files of a modern run: names, folders, wildcards and standard input.
#pragma once

#include <string>
#include <vector>

namespace trimora {

// One input: a file path as it will be opened and printed, or standard
// input, or what was found in its place in a folder.
struct InputFile {
    std::string path;
    bool standard = false;
    // A console line (LF-ended) for a folder or entry that gives no file to
    // convert: it cannot be read or examined, is no regular file, or the
    // folder holds no mesh file. Empty for a file to convert.
    std::string notice;
    // For a file that a folder argument gave, its path below that folder
    // ("a/x.stl" for parts/a/x.stl from parts), so that an output folder can
    // keep the tree; empty for a name given as it is.
    std::string below = "";
};

// The inputs the names stand for, in the order of the names: "-" is standard
// input; a folder gives its regular files (or links to them) whose name
// is_folder_mesh_name, sorted by name, and with recursive those of its
// subfolders in the same order, never following a link to a folder; a name
// that is no file but NAME.stl is gives that; with expand_wildcards a name
// with * or ? gives the matching names (folders among them expanded in turn).
// A name given is taken as it is, whatever it names; a name that matches
// nothing stays, so that its conversion reports it missing. In a folder, an
// entry that cannot be read or examined, or is no regular file, gives a
// notice in its place, and so does a folder that gives no file at all.
std::vector<InputFile> expand_inputs(const std::vector<std::string>& names, bool recursive,
                                     bool expand_wildcards);

// True when the name is a folder (or a link to one).
bool is_folder(const std::string& name);

// True when a folder gives the file of that name: a mesh format's extension
// (.stl, .obj, .ply, .off, .3mf), any case, with or without .gz after it.
// KPF files are taken only when they are named.
bool is_folder_mesh_name(const std::string& name);

}  // namespace trimora
