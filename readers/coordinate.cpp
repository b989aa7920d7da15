// Coordinates and normals of an STL line.
#include "readers/coordinate.h"

#include "platform/text_to_double.h"
#include "textutil/textutil.h"

namespace trimora {

double parse_coordinate(const char* token) { return text_to_double(token); }

double next_coordinate(char*& cursor) {
    char* start = skip_spaces(cursor);
    const char* number_end = start;
    // No number can hold a space, so the uncut text reads like the token.
    const double value = text_to_double(start, &number_end);
    char* end = start + (number_end - start);
    while (*end != ' ' && *end != '\0') ++end;
    if (*end == ' ') {
        *end = '\0';
        cursor = end + 1;
    } else {
        cursor = end;
    }
    return value;
}

}  // namespace trimora
