// Path identity: the same text, or one file on disk as the system layer tells it.
#include "platform/same_file.h"

#include <cstring>

#include "platform/system.h"

namespace trimora {

bool same_file(const char* first, const char* second) {
    if (std::strcmp(first, second) == 0) return true;
    return same_existing_file(first, second);
}

}  // namespace trimora
