// Every binary STL file of the shared corpus converts silently, one facet per counted record.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "run_tool.h"

namespace trimora::testing {
namespace {

namespace fs = std::filesystem;

std::uint32_t count_at_offset_80(const std::string& bytes) {
    std::uint32_t count = 0;
    for (int i = 3; i >= 0; --i) count = count << 8 | static_cast<unsigned char>(bytes.at(80 + i));
    return count;
}

std::string opened_and_closed(const char* form_line, std::uint32_t nfacet) {
    return crlf(std::string("TRIMORA - Version 1.3 - August 2014\n") + form_line +
                "File open: [model.stl]\nFile open: [model.kpf]\n"
                "File closed: [model.stl]\nFile closed: [model.kpf]\nnfacet = " +
                std::to_string(nfacet) + "\n");
}

ToolRun convert_copy(const fs::path& stl, const char* form, std::string* kpf = nullptr) {
    TempDir dir;
    fs::copy_file(stl, dir / "model.stl");
    ToolRun run = run_tool(dir.path(), {"model", form});
    if (kpf != nullptr) *kpf = read_file(dir / "model.kpf");
    return run;
}

TEST(BinaryCorpus, EveryFileConvertsWithoutLineMessages_NeedsCorpus) {
    const fs::path corpus = corpus_dir();
    if (corpus.empty() || !fs::is_directory(corpus / "binary")) {
        GTEST_SKIP() << "the shared binary STL corpus is not here";
    }
    struct Form {
        const char* word;
        const char* line;
        const char* first_keyword;
    };
    const Form forms[] = {{"text", "output_code = TEXT [2]\n", "\r\n\r\nnrml "},
                          {"numb", "output_code = NUMBER [1]\n", "\r\n\r\n5 "},
                          {"wire", "output_code = WIRE [3]\n", nullptr}};
    int files = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus / "binary")) {
        const std::uint32_t count = count_at_offset_80(read_file(entry.path()));
        for (const Form& form : forms) {
            SCOPED_TRACE(entry.path().filename().string() + " " + form.word);
            std::string kpf;
            const ToolRun run = convert_copy(entry.path(), form.word, &kpf);
            EXPECT_EQ(run.exit_code, 0);
            // Line list overflows are the only messages a wire frame may add.
            std::string console = run.console;
            for (std::size_t at; (at = console.find("Line list overflow: [5000]\r\n")) != std::string::npos;) {
                EXPECT_STREQ(form.word, "wire");
                console.erase(at, 28);
            }
            EXPECT_EQ(console, opened_and_closed(form.line, count));
            EXPECT_TRUE(kpf.starts_with("$ File: model.stl\r\n$ Date: "));
            EXPECT_TRUE(kpf.ends_with("\r\n$ nfacet = " + std::to_string(count) +
                                      "\r\n\r\n$ End of file\r\n\r\n"));
            if (form.first_keyword != nullptr) {
                std::uint32_t blocks = 0;
                for (std::size_t at = kpf.find(form.first_keyword); at != std::string::npos;
                     at = kpf.find(form.first_keyword, at + 1)) {
                    ++blocks;
                }
                EXPECT_EQ(blocks, count);
            }
        }
        ++files;
    }
    EXPECT_GT(files, 0);
}

TEST(BinaryCorpus, SpiderHasAsManyFacetsAsItsAsciiTwin_NeedsCorpus) {
    const fs::path corpus = corpus_dir();
    const fs::path binary = corpus / "binary" / "bin_assimp_Spider_binary.stl";
    const fs::path ascii = corpus / "ascii" / "assimp_Spider_ascii.stl";
    if (corpus.empty() || !fs::exists(binary) || !fs::exists(ascii)) {
        GTEST_SKIP() << "the Spider pair of the shared corpus is not here";
    }
    // The ASCII file has fewer digits, so only the facet counts can agree.
    const ToolRun from_binary = convert_copy(binary, "text");
    const ToolRun from_ascii = convert_copy(ascii, "text");
    const std::uint32_t count = count_at_offset_80(read_file(binary));
    EXPECT_EQ(count, 1368u);
    EXPECT_EQ(from_binary.console, opened_and_closed("output_code = TEXT [2]\n", count));
    EXPECT_TRUE(from_ascii.console.ends_with("nfacet = " + std::to_string(count) + "\r\n"))
        << from_ascii.console;
}

}  // namespace
}  // namespace trimora::testing
