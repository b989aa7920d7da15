// Reads mesh files through the readers alone and prints what they give and how fast, for the benchmarks.
//
// Usage: read_mesh <file>...
// Per file: the format, facets, problems (the first three printed), whether it
// was read to its end, the seconds and the MB/s of the file's own bytes.
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "readers/mesh_input.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: read_mesh <file>...\n");
        return 2;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        trimora::MeshInput input;
        trimora::InputRequest request;
        request.path = argv[i];
        request.name = argv[i];
        if (!input.open(request)) {
            std::fprintf(stderr, "%s: cannot be opened\n", argv[i]);
            status = 1;
            continue;
        }
        const auto start = std::chrono::steady_clock::now();
        trimora::MeshReader& reader = input.reader();
        unsigned long long facets = 0;
        unsigned long long problems = 0;
        double checksum = 0;
        for (trimora::ReadStep step; (step = reader.next()) != trimora::ReadStep::kEnd;) {
            if (step == trimora::ReadStep::kFacet) {
                ++facets;
                checksum += reader.facet().vertices[2][2];
            } else if (++problems <= 3) {
                std::printf("  %s\n", reader.problem().c_str());
            }
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::error_code error;
        const double megabytes = static_cast<double>(std::filesystem::file_size(argv[i], error)) / 1e6;
        std::printf("%s: %s%s, %llu facets, %llu problems, %s, %.3f s, %.0f MB/s (checksum %g)\n", argv[i],
                    reader.format_name(), input.kind().gzip ? ".gz" : "", facets, problems,
                    reader.read_to_end() ? "read to its end" : "not read to its end", seconds,
                    megabytes / seconds, checksum);
    }
    return status;
}
