// Reading one ASCII STL line: cleaning, the code word, and its numbers.
#include "readers/stl_line.h"

#include "mesh/normals.h"
#include "readers/code_words.h"
#include "readers/coordinate.h"
#include "textutil/textutil.h"

namespace trimora {

ParsedLine parse_line(char* text, bool clean) {
    ParsedLine parsed;
    if (!clean) clean_line(1, text);
    char* cursor = skip_spaces(text);
    if (*cursor == '\0') return parsed;
    char* word = next_token(cursor);
    parsed.word = static_cast<std::uint8_t>(classify_code_word(word));
    switch (parsed.word) {
        case kFacet: {
            char* second = next_token(cursor);
            if (classify_code_word(second) != kNormal) {
                parsed.normal = false;
                parsed.text_at = static_cast<std::int32_t>(second - text);
                break;
            }
            const double x = next_coordinate(cursor);
            const double y = next_coordinate(cursor);
            const double z = next_coordinate(cursor);
            // A zero normal is divided all the same: its components become NaN.
            unit_normal(x, y, z, parsed.values);
            break;
        }
        case kVertex:
            // Read even when the facet has all its vertices: the reading changes nothing else.
            for (double& value : parsed.values) value = next_coordinate(cursor);
            break;
        case kEndloop:
        case kOuter:
        case kSolid:
        case kEndfacet:
        case kEndsolid: break;
        default: parsed.text_at = static_cast<std::int32_t>(word - text); break;
    }
    return parsed;
}

}  // namespace trimora
