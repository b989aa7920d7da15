// The readers' problem texts: values in brackets, the file, the line, and inputs that could break a line.
#include "readers/reader_messages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace trimora {
namespace {

struct Case {
    std::string made;
    std::string text;
};

// The text of a message as a reader makes it, in a new string.
template <class... Values>
std::string text_of(std::string_view file, std::uint64_t line,
                    const CheckedFormat<std::type_identity_t<Values>...>& format, const Values&... values) {
    std::string text;
    set_reader_message(text, file, line, format, values...);
    return text;
}

TEST(ReaderMessages, PutValuesFileAndLineInPlace) {
    const std::string long_value(41, 'x');
    const std::string limit_value(40, 'x');
    const std::string short_value(39, 'x');
    const Case cases[] = {
        {text_of("part.obj", 7, message::kVertexIndexOutOfRange, "12"),
         "Vertex index out of range [12] in [part.obj] on line 7"},
        {text_of("scan.ply", 0, message::kBinaryPlyCutShort), "Binary PLY data cut short in [scan.ply]"},
        {text_of("m.off", 18446744073709551615u, message::kDataEndsEarly, 3, "8", "vertex"),
         "Data ends after [3] of [8] [vertex] elements in [m.off] on line 18446744073709551615"},
        {text_of("a.3mf", 0, message::kUnsupportedZipMethod, std::uint16_t{14}, std::string("3D/3dmodel.model")),
         "Unsupported zip compression [14] for [3D/3dmodel.model] in [a.3mf]"},
        {text_of("w.kpf", 6, message::kWireFrame), "Wire frame holds edges, not facets in [w.kpf] on line 6"},
        {text_of("a\nb\x7f.kpf", 1, message::kBadNumber, std::string_view("1\r\n\t2")),
         "Bad number [1???2] in [a?b?.kpf] on line 1"},
        {text_of("k.kpf", 2, message::kUnknownLine, long_value),
         "Unknown line [xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...] in [k.kpf] on line 2"},
        {text_of("k.kpf", 2, message::kUnknownLine, limit_value),
         "Unknown line [xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx] in [k.kpf] on line 2"},
        {text_of("k.kpf", 2, message::kUnknownLine, short_value),
         "Unknown line [xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx] in [k.kpf] on line 2"},
        {text_of("\xE6\x97\xA5.obj.gz", 0, message::kCompressedCorrupt, "incorrect header check"),
         "Compressed data corrupt [incorrect header check] in [\xE6\x97\xA5.obj.gz]"},
        {text_of("p.3mf", 3, message::kMissingAttribute, "z", ""), "Missing attribute [z] of [] in [p.3mf] on line 3"},
        // The file's name is cleaned but never cut; a number is never cut either.
        {text_of(long_value, 0, message::kObjectNotFound, std::uint64_t{18446744073709551615u}),
         "Object not found [18446744073709551615] in [" + long_value + "]"},
        {text_of("n.obj", 1, message::kLineTooLong, std::size_t{1} << 26),
         "Line longer than [67108864] bytes in [n.obj] on line 1"},
        {text_of("z.obj", 0, message::kBadVertexIndex, static_cast<const char*>(nullptr)),
         "Bad vertex index [] in [z.obj]"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.made, c.text);
}

TEST(ReaderMessages, AWarmTextIsMadeInPlace) {
    std::string text;
    const std::string value(100, 'y');
    set_reader_message(text, "part.obj", 12345, message::kUnknownLine, value);
    const std::string longest = text;
    const char* storage = text.data();
    set_reader_message(text, "part.obj", 3, message::kFaceTooSmall, 2);
    EXPECT_EQ(text, "Face with fewer than three vertices [2] in [part.obj] on line 3");
    set_reader_message(text, "part.obj", 12345, message::kUnknownLine, std::string_view(value).substr(0, 41));
    EXPECT_EQ(text, longest);
    EXPECT_EQ(text, "Unknown line [" + std::string(40, 'y') + "...] in [part.obj] on line 12345");
    // The same storage: nothing was allocated for the later texts.
    EXPECT_EQ(text.data(), storage);
}

}  // namespace
}  // namespace trimora
