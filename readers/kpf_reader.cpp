// KPF facet files read back: normal and vertex lines in blocks, with word or number keywords.
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/nan_rules.h"
#include "platform/text_to_double.h"
#include "readers/format_readers.h"
#include "readers/kpf_numbers.h"
#include "readers/line_mesh_reader.h"

namespace trimora {

namespace {

struct SpecialNumber {
    const char* text;
    std::uint64_t bits;
};

// The texts the "%lf" form gives infinities and NaNs, and a value each that gives that text back.
constexpr SpecialNumber kSpecialNumbers[] = {
    {"1.#INF00", 0x7FF0000000000000},
    {"-1.#INF00", 0xFFF0000000000000},
    {"-1.#IND00", std::bit_cast<std::uint64_t>(nan_rules::kIndefinite)},  // the NaN of 0 / 0
    {"1.#QNAN0", 0x7FF8000000000000},
    {"-1.#QNAN0", 0xFFF8000000000001},  // any negative quiet NaN but the indefinite one
};

enum class LineKind { kNormal, kVertex, kEdge, kOther };

LineKind kind_of(std::string_view word) {
    if (word == "nrml" || word == "5") return LineKind::kNormal;
    if (word == "trng" || word == "4") return LineKind::kVertex;
    if (word == "move" || word == "plot") return LineKind::kEdge;
    return LineKind::kOther;
}

class KpfReader final : public LineMeshReader {
public:
    KpfReader(ByteSource& source, std::string_view name) : LineMeshReader(source, name, "kpf") {}

private:
    bool read_line(Line& line, ReadStep& step) override;
    ReadStep read_end() override;
    // Ends the block being read; true with step set when it held an unfinished facet.
    bool end_block(ReadStep& step);
    // Reads the three numbers of a normal or vertex line into values; true
    // with step set on a problem.
    bool read_numbers(const char* p, double* values, ReadStep& step);

    int vertices_read_ = 0;  // of the facet being read
    bool normal_read_ = false;
    double normal_[3] = {0.0, 0.0, 0.0};
    double corners_[3][3] = {};  // of the facet being read
};

bool KpfReader::read_line(Line& line, ReadStep& step) {
    const char* p = skip_blanks(line.text);
    // Empty lines start facet blocks; "$ " lines are the header and trailer.
    if (*p == '\0' || *p == '$') return end_block(step);
    const char* end = token_end(p);
    const std::string_view word(p, static_cast<std::size_t>(end - p));
    switch (kind_of(word)) {
        case LineKind::kNormal: {
            double normal[3];
            if (read_numbers(end, normal, step)) return true;
            // A facet's normal is its first normal line.
            if (!normal_read_) {
                std::memcpy(normal_, normal, sizeof normal);
                normal_read_ = true;
            }
            return false;
        }
        case LineKind::kVertex: {
            if (read_numbers(end, corners_[vertices_read_], step)) return true;
            if (++vertices_read_ < 3) return false;
            std::memcpy(facet_.vertices, corners_, sizeof corners_);
            std::memcpy(facet_.normal, normal_, sizeof normal_);
            facet_.has_normal = normal_read_;
            vertices_read_ = 0;
            normal_read_ = false;
            step = ReadStep::kFacet;
            return true;
        }
        case LineKind::kEdge:
            stop();
            read_to_end_ = false;
            step = report(lines_.line_number(), message::kWireFrame);
            return true;
        case LineKind::kOther: break;
    }
    step = report(lines_.line_number(), message::kUnknownLine, p);
    return true;
}

ReadStep KpfReader::read_end() {
    ReadStep step;
    return end_block(step) ? step : ReadStep::kEnd;
}

bool KpfReader::end_block(ReadStep& step) {
    const int read = vertices_read_;
    vertices_read_ = 0;
    normal_read_ = false;
    if (read == 0) return false;
    step = report(lines_.line_number(), message::kFaceTooSmall, read);
    return true;
}

bool KpfReader::read_numbers(const char* p, double* values, ReadStep& step) {
    for (int axis = 0; axis < 3; ++axis) {
        p = skip_blanks(p);
        const char* end = token_end(p);
        const std::string_view token(p, static_cast<std::size_t>(end - p));
        if (token.empty()) {
            for (int rest = axis; rest < 3; ++rest) values[rest] = 0.0;
            step = report(lines_.line_number(), message::kTooFewCoordinates, axis);
            return true;
        }
        if (!read_kpf_number(token, values[axis])) {
            step = report(lines_.line_number(), message::kBadNumber, token);
            return true;
        }
        p = end;
    }
    return false;
}

}  // namespace

bool read_kpf_number(std::string_view token, double& value) {
    if (token.find('#') != std::string_view::npos) {
        for (const SpecialNumber& special : kSpecialNumbers) {
            if (token == special.text) {
                value = std::bit_cast<double>(special.bits);
                return true;
            }
        }
        return false;
    }
    // The token ends at a blank or the line's NUL, where the number's reading stops.
    const char* end = nullptr;
    value = text_to_double(token.data(), &end);
    return end != token.data();
}

std::unique_ptr<MeshReader> make_kpf_reader(ByteSource& source, std::string_view name) {
    return std::make_unique<KpfReader>(source, name);
}

}  // namespace trimora
