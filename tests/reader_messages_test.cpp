// The readers' problem texts: values in brackets, the file, the line, and inputs that could break a line.
#include "readers/reader_messages.h"

#include <gtest/gtest.h>

#include <string>

namespace trimora {
namespace {

struct Case {
    ReaderMessage message;
    const char* file;
    std::uint64_t line;
    std::initializer_list<std::string_view> values;
    const char* text;
};

TEST(ReaderMessages, PutValuesFileAndLineInPlace) {
    const std::string long_value(41, 'x');
    const std::string limit_value(40, 'x');
    const Case cases[] = {
        {ReaderMessage::kVertexIndexOutOfRange, "part.obj", 7, {"12"},
         "Vertex index out of range [12] in [part.obj] on line 7"},
        {ReaderMessage::kBinaryPlyCutShort, "scan.ply", 0, {}, "Binary PLY data cut short in [scan.ply]"},
        {ReaderMessage::kDataEndsEarly, "m.off", 18446744073709551615u, {"3", "8", "vertex"},
         "Data ends after [3] of [8] [vertex] elements in [m.off] on line 18446744073709551615"},
        {ReaderMessage::kUnsupportedZipMethod, "a.3mf", 0, {"14", "3D/3dmodel.model"},
         "Unsupported zip compression [14] for [3D/3dmodel.model] in [a.3mf]"},
        {ReaderMessage::kWireFrame, "w.kpf", 6, {}, "Wire frame holds edges, not facets in [w.kpf] on line 6"},
        {ReaderMessage::kBadNumber, "a\nb\x7f.kpf", 1, {"1\r\n\t2"}, "Bad number [1???2] in [a?b?.kpf] on line 1"},
        {ReaderMessage::kUnknownLine, "k.kpf", 2, {long_value}, "Unknown line [xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...] in [k.kpf] on line 2"},
        {ReaderMessage::kUnknownLine, "k.kpf", 2, {limit_value}, "Unknown line [xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx] in [k.kpf] on line 2"},
        {ReaderMessage::kCompressedCorrupt, "\xE6\x97\xA5.obj.gz", 0, {"incorrect header check"},
         "Compressed data corrupt [incorrect header check] in [\xE6\x97\xA5.obj.gz]"},
        {ReaderMessage::kMissingAttribute, "p.3mf", 3, {"z"}, "Missing attribute [z] of [] in [p.3mf] on line 3"},
    };
    for (const Case& c : cases) EXPECT_EQ(reader_message(c.message, c.file, c.line, c.values), c.text);
}

}  // namespace
}  // namespace trimora
