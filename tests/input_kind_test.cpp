// The kind of an input: by its name, by a format word, and the one decision with --from.
#include "readers/input_kind.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace trimora {
namespace {

struct KindCase {
    const char* name;
    bool known;
    MeshFormat format;
    bool gzip;
};

TEST(InputKind, ComesFromTheLastExtensionAfterGz) {
    const KindCase cases[] = {
        {"part.stl", true, MeshFormat::kStl, false},
        {"part.OBJ", true, MeshFormat::kObj, false},
        {"scan.Ply", true, MeshFormat::kPly, false},
        {"m.off", true, MeshFormat::kOff, false},
        {"print.3MF", true, MeshFormat::k3mf, false},
        {"back.kpf", true, MeshFormat::kKpf, false},
        {"back.SHP", true, MeshFormat::kKpf, false},
        {"part.obj.gz", true, MeshFormat::kObj, true},
        {"part.STL.GZ", true, MeshFormat::kStl, true},
        {"my.part.v2.ply.gz", true, MeshFormat::kPly, true},
        {"dir.obj/part.off", true, MeshFormat::kOff, false},
        {"dir.obj\\part.3mf.Gz", true, MeshFormat::k3mf, true},
        {"part.gz", false, MeshFormat::kStl, false},
        {"part.obj.gz.gz", false, MeshFormat::kStl, false},
        {"part.objx", false, MeshFormat::kStl, false},
        {"part", false, MeshFormat::kStl, false},
        {"dir.obj/part", false, MeshFormat::kStl, false},
        {"", false, MeshFormat::kStl, false},
    };
    for (const KindCase& c : cases) {
        const std::optional<InputKind> kind = input_kind_from_name(c.name);
        ASSERT_EQ(kind.has_value(), c.known) << c.name;
        if (!c.known) continue;
        EXPECT_EQ(kind->format, c.format) << c.name;
        EXPECT_EQ(kind->gzip, c.gzip) << c.name;
    }
}

TEST(InputKind, FormatWordsNameEveryFormatButNotExtensionsAlone) {
    std::string words;
    for (const char* word : format_words()) words += std::string(word) + " ";
    EXPECT_EQ(words, "stl obj ply off 3mf kpf ");
    const KindCase cases[] = {
        {"obj", true, MeshFormat::kObj, false},   {"PLY", true, MeshFormat::kPly, false},
        {"3mf.gz", true, MeshFormat::k3mf, true}, {"kpf", true, MeshFormat::kKpf, false},
        {"stl.GZ", true, MeshFormat::kStl, true}, {"shp", false, MeshFormat::kStl, false},
        {"gz", false, MeshFormat::kStl, false},   {".obj", false, MeshFormat::kStl, false},
        {"", false, MeshFormat::kStl, false},
    };
    for (const KindCase& c : cases) {
        const std::optional<InputKind> kind = input_kind_from_word(c.name);
        ASSERT_EQ(kind.has_value(), c.known) << c.name;
        if (!c.known) continue;
        EXPECT_EQ(kind->format, c.format) << c.name;
        EXPECT_EQ(kind->gzip, c.gzip) << c.name;
    }
}

TEST(InputKind, TheNameDecidesAndFromFillsIn) {
    struct Case {
        const char* name;
        bool standard;
        std::optional<InputKind> from;
        MeshFormat format;
        bool gzip;
    };
    const Case cases[] = {
        {"part.obj", false, std::nullopt, MeshFormat::kObj, false},
        {"part.obj", false, InputKind{MeshFormat::kPly, false}, MeshFormat::kObj, false},
        {"part", false, std::nullopt, MeshFormat::kStl, false},
        {"part", false, InputKind{MeshFormat::kOff, true}, MeshFormat::kOff, true},
        {"part.ply.gz", false, std::nullopt, MeshFormat::kPly, true},
        {"-", true, std::nullopt, MeshFormat::kStl, false},
        {"x.obj", true, InputKind{MeshFormat::k3mf, false}, MeshFormat::k3mf, false},
    };
    for (const Case& c : cases) {
        const InputKind kind = decide_input_kind({c.name, c.standard, c.from});
        EXPECT_EQ(kind.format, c.format) << c.name;
        EXPECT_EQ(kind.gzip, c.gzip) << c.name;
    }
}

}  // namespace
}  // namespace trimora
