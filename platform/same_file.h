// Whether two paths name one file, so that an output never overwrites its own input.
#pragma once

namespace trimora {

// True when both paths are the same text, or name the same existing file on
// disk (through a hard link or a symbolic link).
bool same_file(const char* first, const char* second);

}  // namespace trimora
