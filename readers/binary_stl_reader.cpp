// Binary STL: one facet per 50-byte record, up to the header's count.
#include <memory>
#include <string>

#include "readers/binary_stl.h"
#include "readers/format_readers.h"

namespace trimora {

namespace {

class BinaryStlReader final : public MeshReader {
public:
    // check_data_after: the input's size was not known, so what follows the
    // counted records is looked at (standard input, decompressed data).
    BinaryStlReader(ByteSource& source, std::string_view name, const unsigned char* prefix, bool check_data_after)
        : MeshReader(source, name, "stl-binary"),
          // Written before it is read: no need to clear its buffer.
          records_(std::make_unique_for_overwrite<BinaryStlInput>()),
          check_data_after_(check_data_after) {
        records_->attach(source, prefix);
    }

    ReadStep next() override;

private:
    std::unique_ptr<BinaryStlInput> records_;
    bool check_data_after_;
    bool done_ = false;
};

ReadStep BinaryStlReader::next() {
    if (done_) return ReadStep::kEnd;
    if (const unsigned char* record = records_->read_record()) {
        read_binary_facet(record, facet_);
        return ReadStep::kFacet;
    }
    done_ = true;
    read_to_end_ = !records_->failed();
    if (!read_to_end_) return report("Cannot read file: [" + name_ + "]");
    // The counted facets are converted; what follows them is a problem of the file.
    if (check_data_after_ && records_->data_after_records()) {
        return report("Data after the last record: [" + name_ + "]");
    }
    return ReadStep::kEnd;
}

}  // namespace

std::unique_ptr<MeshReader> make_binary_stl_reader(ByteSource& source, std::string_view name,
                                                   const unsigned char* prefix, bool check_data_after) {
    return std::make_unique<BinaryStlReader>(source, name, prefix, check_data_after);
}

}  // namespace trimora
