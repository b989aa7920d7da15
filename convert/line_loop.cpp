// The code-word loop: reading a line, and acting on it in file order.
#include "convert/line_loop.h"

#include "convert/code_words.h"
#include "convert/coordinate.h"
#include "mesh/normals.h"
#include "platform/text_output.h"
#include "writers/facet_output.h"
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

void LineLoop::report(CheckedFormat<const char*, int> format, const char* token) {
    console.print(format, token, line_number);
    status = 0;
}

void LineLoop::apply(const ParsedLine& line, const char* line_text) {
    count_one(line_number);
    const char* text = line.text_at >= 0 ? line_text + line.text_at : nullptr;
    switch (line.word) {
        case kFacet:
            count_one(nfacet);
            if (!line.normal) {
                report("Unexpected code word [%s] on line %d\n", text);
                return;
            }
            facet.normal[0] = line.values[0];
            facet.normal[1] = line.values[1];
            facet.normal[2] = line.values[2];
            break;
        case kVertex: {
            const int i = vertex_count;
            if (i >= 3) {
                console.print("Too many vertices at line %d\n", line_number);
                status = 0;
                return;
            }
            facet.vertices[i][0] = line.values[0];
            facet.vertices[i][1] = line.values[1];
            facet.vertices[i][2] = line.values[2];
            vertex_count = i + 1;
            break;
        }
        case kEndloop:
            status = finish_facet(sink, console, vertex_count, line_number, facet);
            break;
        case kOuter: vertex_count = 0; break;
        case kNoWord:
        case kSolid:
        case kEndfacet:
        case kEndsolid: break;
        case kUnknownWord: report("Unknown code word [%s] on line %d\n", text); break;
        default: report("Unexpected default case [%s] on line %d\n", text); break;
    }
}

}  // namespace trimora
