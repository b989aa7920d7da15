// The benchmark's baseline: the same TEXT-form conversion written the straightforward
// stdio way (fgets, strtod, fprintf "%lf"), to measure trimora against.
//
// Usage: stdio_convert <name>   (reads name.stl, writes name.kpf)
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string name = argv[1];
    std::FILE* in = std::fopen((name + ".stl").c_str(), "r");
    std::FILE* out = std::fopen((name + ".kpf").c_str(), "w");
    if (in == nullptr || out == nullptr) return 1;
    const std::time_t now = std::time(nullptr);
    char date[32];
    std::strftime(date, sizeof date, "%a %b %d %H:%M:%S %Y", std::localtime(&now));
    std::fprintf(out, "$ File: %s.stl\n$ Date: %s\n$ Created by: %s - %s - %s\n\n", name.c_str(),
                 date, "TRIMORA", "Version 1.3", "August 2014");
    char line[128];
    double n[3] = {0, 0, 1}, v[3][3] = {};
    int count = 0, nfacet = 0, number = 0;
    while (std::fgets(line, sizeof line, in) != nullptr) {
        ++number;
        for (char* p = line; *p; ++p) *p = static_cast<char>(std::tolower(*p));
        char* save = nullptr;
        const char* word = strtok_r(line, " \t\r\n", &save);
        if (word == nullptr) continue;
        if (std::strcmp(word, "facet") == 0) {
            ++nfacet;
            strtok_r(nullptr, " \t\r\n", &save);
            for (double& c : n) {
                const char* t = strtok_r(nullptr, " \t\r\n", &save);
                c = t ? std::strtod(t, nullptr) : 0.0;
            }
            const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            for (double& c : n) c /= length;
        } else if (std::strcmp(word, "vertex") == 0 && count < 3) {
            for (double& c : v[count]) {
                const char* t = strtok_r(nullptr, " \t\r\n", &save);
                c = t ? std::strtod(t, nullptr) : 0.0;
            }
            ++count;
        } else if (std::strcmp(word, "outer") == 0) {
            count = 0;
        } else if (std::strcmp(word, "endloop") == 0) {
            if (count == 3) {
                std::fprintf(out, "\n");
                for (const auto& p : v) {
                    std::fprintf(out, "%s %lf %lf %lf\n", "nrml", n[0], n[1], n[2]);
                    std::fprintf(out, "%s %lf %lf %lf\n", "trng", p[0], p[1], p[2]);
                }
            } else {
                std::printf("Wrong number of vertices [%d] at line %d\n", count, number);
            }
            count = 0;
        }
    }
    std::fprintf(out, "\n$ nfacet = %d\n\n$ End of file\n\n", nfacet);
    std::fclose(in);
    std::fclose(out);
    std::printf("nfacet = %d\n", nfacet);
    return 0;
}
