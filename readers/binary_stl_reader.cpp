// Binary STL: one facet per 50-byte record, up to the header's count.
#include <memory>

#include "platform/byte_source.h"
#include "readers/binary_stl.h"
#include "readers/format_readers.h"

namespace trimora {

namespace {

class BinaryStlReader final : public MeshReader {
public:
    BinaryStlReader(ByteSource& source, std::string_view name, const unsigned char* prefix,
                    const ReaderOptions& options)
        : MeshReader(source, name, "stl-binary"),
          // Written before it is read: no need to clear its buffer.
          records_(std::make_unique_for_overwrite<BinaryStlInput>()),
          options_(options) {
        records_->attach(source, prefix);
    }

    ReadStep next() override;

private:
    // The problem, if any, once the records have ended.
    ReadStep end_of_records();

    std::unique_ptr<BinaryStlInput> records_;
    ReaderOptions options_;
    std::uint32_t given_ = 0;
    bool done_ = false;
};

ReadStep BinaryStlReader::next() {
    if (done_) return ReadStep::kEnd;
    if (const unsigned char* record = records_->read_record()) {
        read_binary_facet(record, facet_);
        ++given_;
        return ReadStep::kFacet;
    }
    done_ = true;
    return end_of_records();
}

ReadStep BinaryStlReader::end_of_records() {
    read_to_end_ = !records_->failed();
    if (options_.legacy) {
        if (!read_to_end_) return report_as_printed(message::kCannotReadFile, name_);
        // The counted facets are converted; what follows them is a problem of the file.
        if (!options_.file_size && records_->data_after_records()) {
            return report_as_printed(message::kDataAfterRecords, name_);
        }
        return ReadStep::kEnd;
    }
    if (!read_to_end_) {
        if (source_.failure() != SourceFailure::kNone) return report_failure(source_);
        // Shorter than its count: the whole records are the facets it has.
        read_to_end_ = true;
        return report(0, message::kBinaryStlCutShort, given_, records_->facet_count());
    }
    const std::uintmax_t records_end =
        kBinaryPrefixSize + static_cast<std::uintmax_t>(kBinaryRecordSize) * records_->facet_count();
    const bool data_after = options_.file_size ? *options_.file_size >= records_end + kBinaryRecordSize
                                               : records_->data_after_records();
    if (data_after) return report_as_printed(message::kDataAfterRecords, name_);
    return ReadStep::kEnd;
}

}  // namespace

std::unique_ptr<MeshReader> make_binary_stl_reader(ByteSource& source, std::string_view name,
                                                   const unsigned char* prefix, const ReaderOptions& options) {
    return std::make_unique<BinaryStlReader>(source, name, prefix, options);
}

}  // namespace trimora
