// The mesh readers and the gzip source on any bytes: well-formed steps, a final end, bounded memory.
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/byte_reader.h"
#include "fuzz/checks.h"
#include "fuzz/heap_meter.h"
#include "platform/byte_source.h"
#include "platform/format_lf.h"
#include "readers/gzip_source.h"
#include "readers/kpf_numbers.h"
#include "readers/mesh_reader.h"

namespace trimora::fuzz {

HeapMeter* heap_meter = nullptr;

namespace {

constexpr std::string_view kName = "fuzz.input";
// Components may repeat an object many times over: a 3MF package is followed this far.
constexpr std::size_t kThreeMfSteps = 1000000;
// The readers' buffers and first table segments, and room for tables that
// double: every vertex, index or line takes at least a byte of input.
constexpr std::size_t kFixedHeap = std::size_t{8} << 20;
constexpr std::size_t kHeapPerInputByte = 64;

bool one_of(std::string_view text, std::initializer_list<std::string_view> choices) {
    return std::find(choices.begin(), choices.end(), text) != choices.end();
}

// The invariants of a problem text.
std::string check_problem(const std::string& problem) {
    if (problem.empty()) return "an empty problem";
    if (problem.find_first_of("\r\n") != std::string::npos) return "a problem of more than one line: " + problem;
    if (problem.find(" in [fuzz.input]") == std::string::npos) return "a problem that does not name the file: " + problem;
    if (problem.size() > 300) return "a problem of " + std::to_string(problem.size()) + " bytes";
    return "";
}

// Every number of a KPF facet prints as a text that reads back to a value printing the same.
std::string check_kpf_numbers(const Facet& facet) {
    double values[12];
    std::memcpy(values, facet.vertices, sizeof facet.vertices);
    std::memcpy(values + 9, facet.normal, sizeof facet.normal);
    for (const double value : values) {
        char text[kLfBufferSize];
        format_lf(value, text);
        double read = 0;
        if (!read_kpf_number(text, read)) return std::string("a printed number does not read back: ") + text;
        char again[kLfBufferSize];
        format_lf(read, again);
        if (std::strcmp(text, again) != 0) return std::string("a printed number reads back as ") + again + ": " + text;
    }
    return "";
}

// Reads the bytes as a file of the format to its end and checks every step.
std::string check_reader(MeshFormat format, std::string_view bytes) {
    if (heap_meter != nullptr) heap_meter->restart();
    MemoryByteSource source(bytes.data(), bytes.size());
    const std::unique_ptr<MeshReader> reader = make_mesh_reader(format, source, kName);
    if (!reader) return "no reader for the format";
    // Every facet and problem takes input bytes of its own, but the facets of
    // repeated 3MF objects.
    const std::size_t limit = format == MeshFormat::k3mf ? kThreeMfSteps : bytes.size() + 16;
    std::size_t steps = 0;
    for (;; ++steps) {
        const ReadStep step = reader->next();
        if (step == ReadStep::kEnd) break;
        if (steps == limit) {
            if (format == MeshFormat::k3mf) return "";
            return "more steps than the input has bytes";
        }
        if (step == ReadStep::kProblem) {
            std::string failure = check_problem(reader->problem());
            if (!failure.empty()) return failure;
            continue;
        }
        if (reader->facet().has_normal && format != MeshFormat::kKpf) {
            return "a facet with a normal from a format that gives none";
        }
        if (format == MeshFormat::kKpf) {
            std::string failure = check_kpf_numbers(reader->facet());
            if (!failure.empty()) return failure;
        }
    }
    if (reader->next() != ReadStep::kEnd || reader->next() != ReadStep::kEnd) return "a step after the end";
    const std::string_view name = reader->format_name();
    const bool named = format == MeshFormat::kObj   ? name == "obj"
                       : format == MeshFormat::kPly ? one_of(name, {"ply", "ply-ascii", "ply-binary"})
                       : format == MeshFormat::kOff ? name == "off"
                       : format == MeshFormat::kKpf ? name == "kpf"
                                                    : name == "3mf";
    if (!named) return "the format name " + std::string(name);
    const std::string& unit = reader->unit();
    if (format == MeshFormat::k3mf
            ? !one_of(unit, {"micron", "millimeter", "centimeter", "inch", "foot", "meter"})
            : !unit.empty()) {
        return "the unit " + unit;
    }
    // A 3MF model can inflate to far more than its package: only the text formats are bounded here.
    if (heap_meter != nullptr && format != MeshFormat::k3mf &&
        heap_meter->peak() > kFixedHeap + kHeapPerInputByte * bytes.size()) {
        return std::to_string(heap_meter->peak()) + " bytes of heap for " + std::to_string(bytes.size()) +
               " bytes of input";
    }
    return "";
}

// Appends value in size bytes, little-endian; bytes past the eighth are 0.
void put_le(std::string& out, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) out += static_cast<char>(i < 8 ? value >> (8 * i) & 0xFF : 0);
}

// A zip archive of stored entries, the model's package around the fuzzer's model text.
std::string stored_package(const std::string& model) {
    const std::pair<std::string, std::string> files[] = {
        {"_rels/.rels",
         "<Relationships><Relationship Target=\"/3D/3dmodel.model\" "
         "Type=\"http://schemas.microsoft.com/3dmanufacturing/2013/01/3dmodel\"/></Relationships>"},
        {"3D/3dmodel.model", model},
    };
    std::string archive;
    std::string directory;
    for (const auto& [name, bytes] : files) {
        const auto crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
        const std::size_t offset = archive.size();
        put_le(archive, 0x04034b50, 4);
        put_le(archive, 10, 2);
        put_le(archive, 0, 2 + 2 + 4);
        put_le(archive, crc, 4);
        put_le(archive, bytes.size(), 4);
        put_le(archive, bytes.size(), 4);
        put_le(archive, name.size(), 2);
        put_le(archive, 0, 2);
        archive += name + bytes;
        put_le(directory, 0x02014b50, 4);
        put_le(directory, 10, 2);
        put_le(directory, 10, 2);
        put_le(directory, 0, 2 + 2 + 4);
        put_le(directory, crc, 4);
        put_le(directory, bytes.size(), 4);
        put_le(directory, bytes.size(), 4);
        put_le(directory, name.size(), 2);
        put_le(directory, 0, 2 + 2 + 2 + 2 + 4);
        put_le(directory, offset, 4);
        directory += name;
    }
    const std::size_t directory_offset = archive.size();
    archive += directory;
    put_le(archive, 0x06054b50, 4);
    put_le(archive, 0, 4);
    put_le(archive, 2, 2);
    put_le(archive, 2, 2);
    put_le(archive, directory.size(), 4);
    put_le(archive, directory_offset, 4);
    put_le(archive, 0, 2);
    return archive;
}

// The gzip member of data, made by zlib.
std::string gzip_member(std::string_view data) {
    z_stream z{};
    deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 32, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// What a gzip source gives when read in pieces of n: the bytes and how it ended.
struct Inflated {
    std::string bytes;
    bool ended;
    SourceFailure failure;
    std::string detail;
};

Inflated inflate_in_pieces(std::string_view compressed, std::size_t n) {
    MemoryByteSource file(compressed.data(), compressed.size());
    GzipSource gzip(file);
    Inflated result;
    std::string piece(n, '\0');
    for (;;) {
        const std::size_t got = gzip.read(piece.data(), n);
        result.bytes.append(piece.data(), got);
        if (got < n) break;
    }
    result.ended = gzip.ended();
    result.failure = gzip.failure();
    result.detail = gzip.failure_detail();
    return result;
}

}  // namespace

std::string check_obj_reader(const std::uint8_t* data, std::size_t size) {
    return check_reader(MeshFormat::kObj, std::string_view(reinterpret_cast<const char*>(data), size));
}

std::string check_ply_reader(const std::uint8_t* data, std::size_t size) {
    return check_reader(MeshFormat::kPly, std::string_view(reinterpret_cast<const char*>(data), size));
}

std::string check_off_reader(const std::uint8_t* data, std::size_t size) {
    return check_reader(MeshFormat::kOff, std::string_view(reinterpret_cast<const char*>(data), size));
}

std::string check_kpf_reader(const std::uint8_t* data, std::size_t size) {
    return check_reader(MeshFormat::kKpf, std::string_view(reinterpret_cast<const char*>(data), size));
}

std::string check_three_mf_reader(const std::uint8_t* data, std::size_t size) {
    // An odd first byte: the rest is a package; an even one: the rest is a model, put in a package here.
    ByteReader input(data, size);
    const bool package = (input.byte() & 1) != 0;
    const std::string rest = input.rest();
    return check_reader(MeshFormat::k3mf, package ? rest : stored_package(rest));
}

std::string check_gzip_source(const std::uint8_t* data, std::size_t size) {
    ByteReader input(data, size);
    const std::uint8_t mode = input.byte();
    if ((mode & 1) != 0) {
        // Any bytes: every piece size gives the same bytes and the same end.
        const std::string bytes = input.rest();
        const Inflated first = inflate_in_pieces(bytes, 1);
        if (first.ended == (first.failure != SourceFailure::kNone)) return "neither ended nor failed, or both";
        for (const std::size_t n : {std::size_t{7}, std::size_t{4096}, std::size_t{1} << 20}) {
            const Inflated other = inflate_in_pieces(bytes, n);
            if (other.bytes != first.bytes || other.ended != first.ended || other.failure != first.failure ||
                other.detail != first.detail) {
                return "pieces of " + std::to_string(n) + " give another result than single bytes";
            }
        }
        return "";
    }
    // Data of the fuzzer's in members, cut somewhere: its start, then a cut or the end of a member.
    const int members = 1 + mode / 2 % 4;
    const int cut_choice = input.below(65536);
    const std::string plain = input.rest();
    std::string compressed;
    std::vector<std::size_t> member_ends;  // compressed ends, and the plain ends they stand for
    std::vector<std::size_t> plain_ends;
    const std::size_t piece = plain.size() / static_cast<std::size_t>(members) + 1;
    for (int i = 0; i < members; ++i) {
        const std::size_t start = std::min(plain.size(), piece * static_cast<std::size_t>(i));
        const std::size_t end = i + 1 == members ? plain.size() : std::min(plain.size(), start + piece);
        compressed += gzip_member(std::string_view(plain).substr(start, end - start));
        member_ends.push_back(compressed.size());
        plain_ends.push_back(end);
    }
    const std::size_t cut = static_cast<std::size_t>(cut_choice) % (compressed.size() + 1);
    const Inflated result = inflate_in_pieces(std::string_view(compressed).substr(0, cut), 4096);
    if (result.bytes.size() > plain.size() || plain.compare(0, result.bytes.size(), result.bytes) != 0) {
        return "the bytes are not the start of the data";
    }
    const auto at_member_end = std::find(member_ends.begin(), member_ends.end(), cut);
    if (at_member_end != member_ends.end()) {
        if (!result.ended) return "a stream cut at the end of a member did not end";
        if (result.bytes.size() != plain_ends[static_cast<std::size_t>(at_member_end - member_ends.begin())]) {
            return "a stream cut at the end of a member lost bytes";
        }
    } else if (result.failure != SourceFailure::kCutShort) {
        return "a cut stream is not cut short";
    }
    if (heap_meter != nullptr) {
        heap_meter->restart();
        inflate_in_pieces(compressed, 1 << 16);
        if (heap_meter->peak() > kFixedHeap) return "more heap than a gzip source needs";
    }
    return "";
}

}  // namespace trimora::fuzz
