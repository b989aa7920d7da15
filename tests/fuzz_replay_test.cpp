// Replays the fuzz seeds and every input a fuzzer once broke through the same invariant checks.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>

#include "case_names.h"
#include "fuzz/checks.h"
#include "run_tool.h"

namespace trimora::testing {
namespace {

namespace fs = std::filesystem;

using Check = std::string (*)(const std::uint8_t*, std::size_t);

struct Target {
    const char* name;
    Check check;
    friend void PrintTo(const Target& t, std::ostream* os) { *os << t.name; }
};

// Runs the check on every file of the folder; returns how many there were.
int replay_folder(const fs::path& folder, Check check) {
    int files = 0;
    std::error_code error;
    if (!fs::is_directory(folder, error)) return 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const std::string bytes = read_file(entry.path());
        EXPECT_EQ(check(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), "")
            << entry.path();
        ++files;
    }
    return files;
}

class FuzzReplay : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzReplay, SeedsAndKeptInputsHoldEveryInvariant) {
    const fs::path fuzz_dir = TRIMORA_FUZZ_DIR;
    const int seeds = replay_folder(fuzz_dir / "seeds" / GetParam().name, GetParam().check);
    replay_folder(fuzz_dir / "regressions" / GetParam().name, GetParam().check);
    EXPECT_GT(seeds, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, FuzzReplay,
    ::testing::Values(Target{"conversion", fuzz::check_conversion}, Target{"text_input", fuzz::check_text_input},
                      Target{"numbers", fuzz::check_numbers},
                      Target{"text_utilities", fuzz::check_text_utilities},
                      Target{"obj_reader", fuzz::check_obj_reader}, Target{"ply_reader", fuzz::check_ply_reader},
                      Target{"off_reader", fuzz::check_off_reader}, Target{"kpf_reader", fuzz::check_kpf_reader},
                      Target{"three_mf_reader", fuzz::check_three_mf_reader},
                      Target{"gzip_source", fuzz::check_gzip_source}),
    CaseName());

TEST(FuzzReplay, SharedCorpusHoldsTheReaderAndConversionInvariants_NeedsCorpus) {
    const fs::path corpus = corpus_dir();
    if (corpus.empty()) GTEST_SKIP() << "the shared STL corpus is not here";
    int files = 0;
    for (const char* folder : {"ascii", "binary"}) {
        files += replay_folder(corpus / folder, fuzz::check_text_input);
        files += replay_folder(corpus / folder, fuzz::check_conversion);
    }
    EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace trimora::testing
