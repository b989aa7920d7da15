// ASCII STL: the code-word state machine over the file's lines, giving facets and problems in file order.
#include <memory>

#include "mesh/facet.h"
#include "platform/text_input.h"
#include "readers/code_words.h"
#include "readers/format_readers.h"
#include "readers/line_blocks.h"

namespace trimora {

namespace {

// A facet's state carries from one facet to the next, as the text-mode
// reading always had it: the normal of the last well-formed facet line, and
// the vertex buffer, which only "outer" and the end of a facet empty.
class AsciiStlReader final : public MeshReader {
public:
    AsciiStlReader(ByteSource& source, std::string_view name, const unsigned char* first, std::size_t size,
                   int block_size)
        : MeshReader(source, name, "stl-ascii"),
          // Written before it is read: no need to clear its buffer.
          input_(std::make_unique_for_overwrite<TextInput>()),
          lines_(*input_, block_size) {
        input_->attach(source, reinterpret_cast<const char*>(first), static_cast<int>(size));
        facet_.has_normal = true;
    }

    ReadStep next() override;
    // The facet lines read, well-formed or not.
    int facet_count(int /*given*/) const override { return nfacet_; }

private:
    // The end of a facet: hands it on when it has exactly three vertices, or
    // reports the count; the vertex buffer is empty afterwards in every case.
    ReadStep finish_facet();

    std::unique_ptr<TextInput> input_;
    LineBlocks lines_;
    int nfacet_ = 0;
    int line_number_ = 0;
    int vertex_count_ = 0;
    bool done_ = false;
};

ReadStep AsciiStlReader::finish_facet() {
    const int count = vertex_count_;
    vertex_count_ = 0;
    if (count == 3) return ReadStep::kFacet;
    return report_as_printed(message::kWrongVertexCount, count, line_number_);
}

ReadStep AsciiStlReader::next() {
    if (done_) return ReadStep::kEnd;
    const char* text = nullptr;
    while (const ParsedLine* parsed = lines_.next(text)) {
        const ParsedLine& line = *parsed;
        count_one(line_number_);
        const char* word = line.text_at >= 0 ? text + line.text_at : nullptr;
        switch (line.word) {
            case kFacet:
                count_one(nfacet_);
                if (!line.normal) return report_as_printed(message::kUnexpectedCodeWord, word, line_number_);
                for (int axis = 0; axis < 3; ++axis) facet_.normal[axis] = line.values[axis];
                break;
            case kVertex:
                if (vertex_count_ >= 3) return report_as_printed(message::kTooManyVertices, line_number_);
                for (int axis = 0; axis < 3; ++axis) facet_.vertices[vertex_count_][axis] = line.values[axis];
                ++vertex_count_;
                break;
            case kEndloop: return finish_facet();
            case kOuter: vertex_count_ = 0; break;
            case kNoWord:
            case kSolid:
            case kEndfacet:
            case kEndsolid: break;
            case kUnknownWord: return report_as_printed(message::kUnknownCodeWord, word, line_number_);
            default: return report_as_printed(message::kUnexpectedDefaultCase, word, line_number_);
        }
    }
    done_ = true;
    // A read error ends the lines like the end of the file: the output is
    // then incomplete, and the run must not look like a success.
    read_to_end_ = !input_->failed();
    if (!read_to_end_) return report_as_printed(message::kCannotReadFile, name_);
    return ReadStep::kEnd;
}

}  // namespace

std::unique_ptr<MeshReader> make_ascii_stl_reader(ByteSource& source, std::string_view name,
                                                  const unsigned char* first, std::size_t size, int block_size) {
    return std::make_unique<AsciiStlReader>(source, name, first, size, block_size);
}

}  // namespace trimora
