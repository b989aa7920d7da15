// Every problem text the mesh readers give, in one table.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace trimora {

// One entry of the table per kind of problem; the texts are in reader_messages.cpp.
enum class ReaderMessage {
    kReadError,
    kCompressedCutShort,
    kCompressedCorrupt,
    kLineTooLong,
    kVertexIndexOutOfRange,
    kBadVertexIndex,
    kFaceTooSmall,
    kFewerIndicesThanCount,
    kTooFewCoordinates,
    kDataEndsEarly,
    kBadCounts,
    kBadOffHeader,
    kNoPlyHeader,
    kBadPlyHeaderLine,
    kPlyHeaderCutShort,
    kPlyPropertyMissing,
    kBadListCount,
    kBinaryPlyCutShort,
    kBrokenZip,
    kEncryptedZipEntry,
    kUnsupportedZipMethod,
    kNoModel,
    kModelPartNotFound,
    kXmlError,
    kUnknownUnit,
    kMissingAttribute,
    kObjectNotFound,
    kComponentCycle,
    kBadTransform,
    kWireFrame,
    kUnknownLine,
    kBadNumber,
};

// The one-line text of a problem: the entry's text with each [] filled by the
// next value in square brackets, then " in [file]", then " on line N" when
// line is above 0. Values and the file name have their control bytes shown as
// '?', and a value longer than 40 bytes is cut there and ends in "...", so
// that the text stays one short line whatever the input holds.
std::string reader_message(ReaderMessage message, std::string_view file, std::uint64_t line,
                           std::initializer_list<std::string_view> values = {});

}  // namespace trimora
