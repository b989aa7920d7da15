// The files a run reads, told apart by the files themselves, so that no output is written over one.
#pragma once

#include <set>
#include <string>

#include "platform/system.h"

namespace trimora {

// The one test of whether an output would be an input: the same name, or
// the same file through a hard or symbolic link, or standard input redirected
// from it.
class InputFiles {
public:
    // Adds an input: a named file, or standard input (then path is only its name).
    void add(const char* path, bool standard);
    // Whether writing the output path would write over an input.
    bool holds(const char* output_path) const;

private:
    std::set<FileId> files_;
    std::set<std::string> names_;
};

}  // namespace trimora
