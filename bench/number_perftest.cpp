// Nanoseconds per "%lf" text and per coordinate read, against the C library's own.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "readers/coordinate.h"
#include "platform/format_lf.h"

namespace {

// Coordinates as meshes hold them: a few hundred millimetres, full precision.
std::vector<double> realistic_values() {
    std::mt19937_64 random(1);
    std::uniform_real_distribution<double> spread(-500.0, 500.0);
    std::vector<double> values(4096);
    for (double& v : values) v = spread(random);
    return values;
}

// Values the exact path has to settle: ties at the sixth decimal or at the
// seventeenth digit, huge and tiny magnitudes.
std::vector<double> hard_values() {
    std::mt19937_64 random(2);
    std::vector<double> values;
    for (int i = 0; i < 1024; ++i) {
        values.push_back(static_cast<double>(random() % 100000000) / 1e7 + 5e-7);
        values.push_back(1e15 + static_cast<double>(random() % 1000) + 0.25);
        values.push_back(1e200 * static_cast<double>(random() % 1000 + 1));
        values.push_back(1e-300 * static_cast<double>(random() % 1000 + 1));
    }
    return values;
}

void format_values(benchmark::State& state, const std::vector<double>& values, bool ours) {
    char out[trimora::kLfBufferSize];
    std::size_t i = 0;
    for (auto _ : state) {
        const double v = values[i++ & (values.size() - 1)];
        if (ours) {
            benchmark::DoNotOptimize(trimora::format_lf(v, out));
        } else {
            benchmark::DoNotOptimize(std::snprintf(out, sizeof out, "%f", v));
        }
        benchmark::ClobberMemory();
    }
}

void BM_format_lf_realistic(benchmark::State& state) { format_values(state, realistic_values(), true); }
void BM_snprintf_f_realistic(benchmark::State& state) { format_values(state, realistic_values(), false); }
void BM_format_lf_hard(benchmark::State& state) { format_values(state, hard_values(), true); }
void BM_snprintf_f_hard(benchmark::State& state) { format_values(state, hard_values(), false); }

std::vector<std::string> coordinate_texts(const char* format) {
    std::vector<std::string> texts;
    char text[64];
    for (double v : realistic_values()) {
        std::snprintf(text, sizeof text, format, v);
        texts.emplace_back(text);
    }
    return texts;
}

void read_texts(benchmark::State& state, const char* format, bool ours) {
    const std::vector<std::string> texts = coordinate_texts(format);
    std::size_t i = 0;
    for (auto _ : state) {
        const char* text = texts[i++ & (texts.size() - 1)].c_str();
        benchmark::DoNotOptimize(ours ? trimora::parse_coordinate(text) : std::strtod(text, nullptr));
    }
}

void BM_parse_coordinate_e(benchmark::State& state) { read_texts(state, "%e", true); }
void BM_strtod_e(benchmark::State& state) { read_texts(state, "%e", false); }
void BM_parse_coordinate_17g(benchmark::State& state) { read_texts(state, "%.17g", true); }
void BM_strtod_17g(benchmark::State& state) { read_texts(state, "%.17g", false); }

}  // namespace

BENCHMARK(BM_format_lf_realistic);
BENCHMARK(BM_snprintf_f_realistic);
BENCHMARK(BM_format_lf_hard);
BENCHMARK(BM_snprintf_f_hard);
BENCHMARK(BM_parse_coordinate_e);
BENCHMARK(BM_strtod_e);
BENCHMARK(BM_parse_coordinate_17g);
BENCHMARK(BM_strtod_17g);

BENCHMARK_MAIN();
