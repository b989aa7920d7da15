// The mesh readers' pull interface: facets, problems and the end, one per call, errors as values.
#pragma once

#include <memory>
#include <optional>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "mesh/facet.h"
#include "platform/checked_format.h"
#include "readers/reader_messages.h"

namespace trimora {

class ByteSource;

// The input formats. STL is ASCII or binary; its reader tells which from
// the input itself.
enum class MeshFormat { kStl, kObj, kPly, kOff, k3mf, kKpf };

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
    // the line where there is one (see set_reader_message).
    const std::string& problem() const { return problem_; }

    // After kEnd: true when the input was read to its end; false when it was
    // cut short, corrupt, could not be read, or its header left nothing to
    // read. Problems on lines and elements do not make it false.
    bool read_to_end() const { return read_to_end_; }
    // The name of what was read: stl-ascii, stl-binary, obj, ply-ascii,
    // ply-binary, off, 3mf or kpf (ply until its header is read).
    const char* format_name() const { return format_name_; }
    // The unit of a 3MF model as written in it (millimeter when none is);
    // empty for the other formats.
    const std::string& unit() const { return unit_; }
    // The facet count a run reports, given the facets this reader gave: the
    // same for every format but ASCII STL, which counts its facet lines.
    virtual int facet_count(int given) const { return given; }

protected:
    MeshReader(ByteSource& source, std::string_view name, const char* format_name)
        : source_(source), name_(name), format_name_(format_name) {}

    // Sets problem() to the message of the table (reader_messages.h) filled
    // with its values, naming the file and, above 0, the line; returns
    // kProblem. The values must fill the message's conversions, one for one:
    // the compiler checks them. problem() keeps its capacity, so that a
    // reader makes its problems without allocating once it is warm.
    template <class... Values>
    ReadStep report(std::uint64_t line, CheckedFormat<std::type_identity_t<Values>...> message,
                    const Values&... values) {
        set_reader_message(problem_, name_, line, message, values...);
        return ReadStep::kProblem;
    }
    // Sets problem() to an STL message as the two-word command line prints
    // it (the second part of reader_messages.h's table): its values as they
    // are, no place after it; returns kProblem.
    template <class... Values>
    ReadStep report_as_printed(CheckedFormat<std::type_identity_t<Values>...> message, const Values&... values) {
        problem_.clear();
        PrintedMessageText out{problem_};
        walk_format(out, message, values...);
        return ReadStep::kProblem;
    }
    // Sets problem() to what stopped the source before its end: it could not
    // be read, was cut short or is corrupt; returns kProblem. The source must
    // have failed.
    ReadStep report_failure(const ByteSource& source);

    ByteSource& source_;
    std::string name_;  // the file's name in messages
    Facet facet_{};
    std::string problem_;
    bool read_to_end_ = false;
    const char* format_name_;
    std::string unit_;
};

// What a reader may be told beyond its bytes.
struct ReaderOptions {
    // The size of the input when it is a plain file, which tells a binary STL
    // file from a text one; none for standard input and decompressed data,
    // which are told by their first bytes.
    std::optional<std::uintmax_t> file_size;
    // The bytes of a block of ASCII STL lines; 0 for the usual size. Tests
    // and fuzzing set small blocks to reach their edges.
    int line_block_size = 0;
    // The reading of the two-word command line, kept as it has always been:
    // binary STL whose size does not match its count is read as text, and a
    // binary input that ends early only "cannot be read".
    bool legacy = false;
};

// The reader of the format that reads from source and names the input name in
// its messages; the source must outlive it. An STL reader reads the first
// bytes to tell ASCII from binary.
std::unique_ptr<MeshReader> make_mesh_reader(MeshFormat format, ByteSource& source, std::string_view name,
                                             const ReaderOptions& options = {});

}  // namespace trimora
