// The reading loop shared by the line-based readers: pending facets, lines, long lines, the end of the data.
#include "readers/line_mesh_reader.h"

#include "platform/byte_source.h"

namespace trimora {

ReadStep LineMeshReader::next() {
    if (fan_.next(vertices_, facet_)) return ReadStep::kFacet;
    ReadStep step;
    while (!done_) {
        if (read_on(step)) return step;
        Line line;
        if (!lines_.next_line(line)) return end_of_data();
        if (line.too_long && long_lines_ == LongLines::kProblem) {
            return report(lines_.line_number(), message::kLineTooLong, lines_.line_limit());
        }
        if (read_line(line, step)) return step;
    }
    return ReadStep::kEnd;
}

bool LineMeshReader::read_on(ReadStep& /*step*/) { return false; }

ReadStep LineMeshReader::read_end() { return ReadStep::kEnd; }

ReadStep LineMeshReader::end_of_data() {
    if (source_.failure() != SourceFailure::kNone) {
        done_ = true;
        read_to_end_ = false;
        return report_failure(source_);
    }
    read_to_end_ = true;
    const ReadStep step = read_end();
    if (step == ReadStep::kEnd) done_ = true;
    return step;
}

}  // namespace trimora
