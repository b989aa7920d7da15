// Text-mode line reading: line ends, the end byte, NUL bytes and 127-character pieces.
#include "platform/text_input.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/system.h"
#include "run_tool.h"

namespace trimora {
namespace {

using testing::TempDir;

// The texts of the pieces the reader gives for the bytes of a file.
std::vector<std::string> pieces_of(const std::string& bytes) {
    TempDir dir;
    testing::write_file(dir / "f", bytes);
    TextInput input;
    EXPECT_TRUE(input.open((dir / "f").string().c_str()));
    std::vector<std::string> pieces;
    char line[kLineBufferSize];
    while (input.read_line(line)) pieces.emplace_back(line);
    EXPECT_FALSE(input.read_line(line));
    return pieces;
}

using Pieces = std::vector<std::string>;

TEST(TextInput, TranslatesCrLfAndKeepsLoneCr) {
    EXPECT_EQ(pieces_of("a\r\nb\rc\r\r\nd\r"), (Pieces{"a\n", "b\rc\r\n", "d\r"}));
    EXPECT_EQ(pieces_of("\n\n"), (Pieces{"\n", "\n"}));
    EXPECT_EQ(pieces_of(""), Pieces{});
    EXPECT_EQ(pieces_of("last line"), (Pieces{"last line"}));
}

// An open stream whose first bytes were read already reads on as the whole file would.
TEST(TextInput, AttachedStreamStartsWithTheBytesTakenBack) {
    const std::string bytes = "solid x\r\nfacet\rnormal\n" + std::string(300, 'y') + "\nend\x1a" "z\n";
    for (std::size_t taken : {0, 1, 9, 84, 200}) {
        TempDir dir;
        testing::write_file(dir / "f", bytes);
        std::FILE* stream = open_file(testing::utf8(dir / "f").c_str(), "rb");
        ASSERT_NE(stream, nullptr);
        std::string first(taken, '\0');
        ASSERT_EQ(std::fread(first.data(), 1, taken, stream), taken);
        std::atomic<std::uint64_t> counted{0};
        std::vector<std::string> pieces;
        {
            TextInput input;
            input.count_bytes_in(&counted);
            input.attach(stream, first.data(), static_cast<int>(taken));
            char line[kLineBufferSize];
            while (input.read_line(line)) pieces.emplace_back(line);
            EXPECT_FALSE(input.failed());
        }
        EXPECT_EQ(pieces, pieces_of(bytes)) << taken;
        EXPECT_EQ(counted.load(), bytes.size() - taken);
        // Left open: the stream belongs to the caller.
        EXPECT_EQ(std::fclose(stream), 0);
    }
}

TEST(TextInput, EndByteEndsTheInputForGood) {
    EXPECT_EQ(pieces_of("a\nb\x1a" "c\nd\n"), (Pieces{"a\n", "b"}));
    EXPECT_EQ(pieces_of("\x1a" "abc"), Pieces{});
    EXPECT_EQ(pieces_of("a\r\x1a\n"), (Pieces{"a\r"}));
}

TEST(TextInput, SplitsLongLinesIn127CharacterPieces) {
    const std::string l126(126, 'x');
    const std::string l127(127, 'y');
    const std::string l300(300, 'z');
    EXPECT_EQ(pieces_of(l126 + "\n" + "a\n"), (Pieces{l126 + "\n", "a\n"}));
    EXPECT_EQ(pieces_of(l127 + "\n" + "a\n"), (Pieces{l127, "\n", "a\n"}));
    EXPECT_EQ(pieces_of(l126 + "\r\n"), (Pieces{l126 + "\n"}));
    EXPECT_EQ(pieces_of(l127 + "\r\n"), (Pieces{l127, "\n"}));
    EXPECT_EQ(pieces_of(l300 + "\n"),
              (Pieces{l300.substr(0, 127), l300.substr(127, 127), l300.substr(254) + "\n"}));
}

TEST(TextInput, NulByteEndsTheTextButNotThePiece) {
    // The piece still runs to the line end; only its text stops at the NUL.
    EXPECT_EQ(pieces_of(std::string("ab\0cd\nef\n", 9)), (Pieces{"ab", "ef\n"}));
    const std::string nul_line = std::string("a\0", 2) + std::string(200, 'b') + "\nc\n";
    EXPECT_EQ(pieces_of(nul_line), (Pieces{"a", std::string(75, 'b') + "\n", "c\n"}));
}

TEST(TextInput, CrAtTheEndOfTheReadBufferStillPairsWithLf) {
    // A CR LF pair that straddles the reader's internal refill.
    std::string bytes;
    while (bytes.size() < (1u << 18) - 1) bytes += std::string(99, 'q') + "\n";
    bytes.resize((1u << 18) - 1);
    bytes += "\r\nend\n";
    const Pieces pieces = pieces_of(bytes);
    ASSERT_GE(pieces.size(), 2u);
    EXPECT_EQ(pieces[pieces.size() - 2].back(), '\n');
    EXPECT_EQ(pieces.back(), "end\n");
    std::size_t total = 0;
    for (const std::string& piece : pieces) total += piece.size();
    EXPECT_EQ(total, bytes.size() - 1);
}

TEST(TextInput, DirectoriesAndMissingFilesDoNotOpen) {
    TempDir dir;
    TextInput input;
    EXPECT_FALSE(input.open(dir.path().string().c_str()));
    EXPECT_FALSE(input.open((dir / "absent").string().c_str()));
    char line[kLineBufferSize];
    EXPECT_FALSE(input.read_line(line));
}

}  // namespace
}  // namespace trimora
