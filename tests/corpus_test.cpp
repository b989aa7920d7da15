// Every ASCII STL file of the shared corpus converts in every form, with a sound console and file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>

#include "run_tool.h"

namespace trimora::testing {
namespace {

namespace fs = std::filesystem;

// The facet lines of an STL text: lines whose first word is "facet" in any case.
int count_facet_lines(const std::string& stl) {
    std::istringstream lines(stl);
    int count = 0;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string first;
        words >> first;
        std::transform(first.begin(), first.end(), first.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (first == "facet") ++count;
    }
    return count;
}

TEST(Corpus, EveryAsciiFileConvertsInEveryForm_NeedsCorpus) {
    const fs::path corpus = corpus_dir();
    if (corpus.empty()) GTEST_SKIP() << "the shared STL corpus is not here";
    int files = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus / "ascii")) {
        const std::string stl = read_file(entry.path());
        const std::string nfacet = "nfacet = " + std::to_string(count_facet_lines(stl)) + "\r\n";
        for (const char* form : {"text", "numb", "wire"}) {
            TempDir dir;
            fs::copy_file(entry.path(), dir / "model.stl");
            const ToolRun run = run_tool(dir.path(), {"model", form});
            SCOPED_TRACE(entry.path().filename().string() + " " + form);
            EXPECT_EQ(run.exit_code, 0);
            EXPECT_NE(run.console.find("File closed: [model.kpf]\r\n" + nfacet), std::string::npos)
                << run.console.substr(0, 2000);
            const std::string kpf = read_file(dir / "model.kpf");
            EXPECT_TRUE(kpf.starts_with("$ File: model.stl\r\n$ Date: "));
            EXPECT_TRUE(kpf.ends_with("\r\n$ End of file\r\n\r\n"));
        }
        ++files;
    }
    EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace trimora::testing
