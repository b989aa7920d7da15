// The mesh readers' pull interface: facets, problems and the end, one per call, errors as values.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "mesh/facet.h"

namespace trimora {

class ByteSource;

// The input formats known by name. STL is read by the converter itself; the
// others by the readers made here.
enum class MeshFormat { kStl, kObj, kPly, kOff, k3mf, kKpf };

// What an input holds: its format, and whether it is gzip-compressed around it.
struct InputKind {
    MeshFormat format;
    bool gzip = false;
};

// The kind of a file by its name's last extension, in any case, after a last
// ".gz" is taken off: "part.OBJ.gz" is gzip OBJ, ".shp" is KPF. Nothing for
// any other extension or none.
std::optional<InputKind> input_kind_from_name(std::string_view name);

// The kind named by a format word (stl, obj, ply, off, 3mf, kpf), in any
// case, optionally followed by ".gz"; nothing for another word.
std::optional<InputKind> input_kind_from_word(std::string_view word);

// The format words, in the order a usage text lists them.
std::span<const char* const> format_words();

enum class ReadStep {
    kFacet,    // facet() holds the next facet
    kProblem,  // problem() holds a one-line message; reading goes on
    kEnd,      // nothing more: read_to_end() and the rest may be asked
};

// Reads one input from a byte source, pulled by its caller one step at a
// time. Problems never stop the reading on their own: what can still be read
// is read. Polygons of n >= 3 vertices give n - 2 facets fanned from their
// first vertex, in file order.
class MeshReader {
public:
    virtual ~MeshReader() = default;
    MeshReader(const MeshReader&) = delete;
    MeshReader& operator=(const MeshReader&) = delete;

    // The next facet, problem or the end; after the end, the end again.
    virtual ReadStep next() = 0;

    // The facet of the last kFacet step.
    const Facet& facet() const { return facet_; }
    // The message of the last kProblem step: LF-free, naming the file and
    // the line where there is one (see reader_messages.h).
    const std::string& problem() const { return problem_; }

    // After kEnd: true when the input was read to its end; false when it was
    // cut short, corrupt, could not be read, or its header left nothing to
    // read. Problems on lines and elements do not make it false.
    bool read_to_end() const { return read_to_end_; }
    // The name of what was read: obj, ply-ascii, ply-binary, off, 3mf or kpf
    // (ply until its header is read).
    const char* format_name() const { return format_name_; }
    // The unit of a 3MF model as written in it (millimeter when none is);
    // empty for the other formats.
    const std::string& unit() const { return unit_; }

protected:
    MeshReader(ByteSource& source, std::string_view name, const char* format_name)
        : source_(source), name_(name), format_name_(format_name) {}

    // Sets problem() and returns kProblem.
    ReadStep report(std::string message) {
        problem_ = std::move(message);
        return ReadStep::kProblem;
    }

    ByteSource& source_;
    std::string name_;  // the file's name in messages
    Facet facet_{};
    std::string problem_;
    bool read_to_end_ = false;
    const char* format_name_;
    std::string unit_;
};

// A reader of the format (not kStl, which gives null) that reads from source
// and names the input name in its messages; the source must outlive it.
std::unique_ptr<MeshReader> make_mesh_reader(MeshFormat format, ByteSource& source, std::string_view name);

}  // namespace trimora
