// Inputs by identity and by name.
#include "convert/input_files.h"

#include <cstdio>

namespace trimora {

void InputFiles::add(const char* path, bool standard) {
    const FileId id = standard ? file_id_of_stream(stdin) : file_id_of(path);
    if (id.known) files_.insert(id);
    // A name with no room for its extension gives input and output the same text.
    if (!standard) names_.insert(path);
}

bool InputFiles::holds(const char* output_path) const {
    if (names_.contains(output_path)) return true;
    const FileId id = file_id_of(output_path);
    return id.known && files_.contains(id);
}

}  // namespace trimora
