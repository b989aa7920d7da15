// Output names of a modern run: beside the input, in a folder, or standard output.
#pragma once

#include <string>

namespace trimora {

// The name with the extension of its last part replaced by .kpf (or the
// extension given), or that added when it has none: "my.part.v2.stl" gives
// "my.part.v2.kpf". A last ".gz" goes with the extension before it:
// "part.obj.gz" gives "part.kpf".
std::string replace_last_extension(const std::string& name, const std::string& extension = "kpf");

// The output in folder for the input: its path below the folder argument
// that gave it (below, as "a/x.stl"), or when that is empty its last part,
// with the extension replaced, as cp -r keeps a tree.
std::string output_in_folder(const std::string& folder, const std::string& input, const std::string& below,
                             const std::string& extension = "kpf");

}  // namespace trimora
