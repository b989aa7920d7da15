// Every problem text the mesh readers give, in one table, and how a problem's line is made of one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/checked_format.h"

namespace trimora {

// The texts, one per kind of problem: each "%s" takes a text, each "%d" a
// whole number, checked against the values when the program is compiled
// (MeshReader::report). The file and the line are put after them.
namespace message {
inline constexpr char kReadError[] = "Cannot read file";
inline constexpr char kCompressedCutShort[] = "Compressed data cut short";
inline constexpr char kCompressedCorrupt[] = "Compressed data corrupt [%s]";  // zlib's or the archive's reason
inline constexpr char kTooExpanded[] = "Compressed data grows beyond [%d] times its size";  // the limit
inline constexpr char kLineTooLong[] = "Line longer than [%d] bytes";
inline constexpr char kVertexIndexOutOfRange[] = "Vertex index out of range [%s]";  // the index as written
inline constexpr char kBadVertexIndex[] = "Bad vertex index [%s]";
inline constexpr char kFaceTooSmall[] = "Face with fewer than three vertices [%d]";  // how many it has
inline constexpr char kFewerIndicesThanCount[] = "Face with fewer indices than its count [%d]";
inline constexpr char kTooFewCoordinates[] = "Vertex with fewer than three coordinates [%d]";
inline constexpr char kDataEndsEarly[] = "Data ends after [%d] of [%s] [%s] elements";  // read, count as written, element
inline constexpr char kBadCounts[] = "Bad counts line [%s]";
inline constexpr char kBadOffHeader[] = "Bad OFF header [%s]";
inline constexpr char kNoPlyHeader[] = "No PLY header";
inline constexpr char kBadPlyHeaderLine[] = "Bad PLY header line [%s]";
inline constexpr char kUnknownPlyHeaderLine[] = "Unknown PLY header line [%s]";
inline constexpr char kPlyHeaderCutShort[] = "PLY header without end_header";
inline constexpr char kPlyPropertyMissing[] = "PLY element lacks property [%s]";  // element.property
inline constexpr char kBadListCount[] = "Bad list count [%s]";
inline constexpr char kBinaryPlyCutShort[] = "Binary PLY data cut short";
inline constexpr char kBrokenZip[] = "Broken zip archive [%s]";  // what is wrong
inline constexpr char kEncryptedZipEntry[] = "Encrypted zip entry [%s]";
inline constexpr char kUnsupportedZipMethod[] = "Unsupported zip compression [%d] for [%s]";  // method, entry
inline constexpr char kNoModel[] = "No 3D model";
inline constexpr char kModelPartNotFound[] = "Model part not found [%s]";  // a component's path
inline constexpr char kXmlError[] = "XML error [%s]";                      // what is wrong
inline constexpr char kUnknownUnit[] = "Unknown model unit [%s]";
inline constexpr char kMissingAttribute[] = "Missing attribute [%s] of [%s]";  // attribute, element
inline constexpr char kBadAttribute[] = "Bad attribute [%s=%s] of [%s]";  // attribute, its value, element
inline constexpr char kObjectNotFound[] = "Object not found [%d]";             // the objectid
inline constexpr char kComponentCycle[] = "Component cycle at object [%d]";
inline constexpr char kBadTransform[] = "Bad transform [%s]";
inline constexpr char kTooManyFacets[] = "Build gives more than [%d] facets";  // the limit
inline constexpr char kWireFrame[] = "Wire frame holds edges, not facets";
inline constexpr char kUnknownLine[] = "Unknown line [%s]";
inline constexpr char kBadNumber[] = "Bad number [%s]";
inline constexpr char kBinaryStlCutShort[] = "Binary STL cut short after [%d] of [%d] facets";  // read, counted
inline constexpr char kUtf16Text[] = "UTF-16 text is not read";

// ASCII and binary STL's own problems, in the form the two-word command line
// has always printed them: the token as cleaned, the line, or the file, with
// no place after them (MeshReader::report_as_printed).
inline constexpr char kUnknownCodeWord[] = "Unknown code word [%s] on line %d";
inline constexpr char kUnexpectedCodeWord[] = "Unexpected code word [%s] on line %d";
inline constexpr char kUnexpectedDefaultCase[] = "Unexpected default case [%s] on line %d";
inline constexpr char kTooManyVertices[] = "Too many vertices at line %d";
inline constexpr char kWrongVertexCount[] = "Wrong number of vertices [%d] at line %d";
inline constexpr char kCannotReadFile[] = "Cannot read file: [%s]";
inline constexpr char kDataAfterRecords[] = "Data after the last record: [%s]";
}  // namespace message

// Appends text with its control bytes shown as '?'; when limit is above 0
// and the text is longer, only its first limit bytes, followed by "...".
void append_clean(std::string& out, std::string_view text, std::size_t limit);
// Appends " in [file]", the file cleaned as above, then " on line N" when line is above 0.
void append_place(std::string& out, std::string_view file, std::uint64_t line);

// Takes the pieces of a reader message from walk_format into a string.
struct ReaderMessageText {
    // A "%s" value longer than this is cut, so that the text stays one short line whatever the input holds.
    static constexpr std::size_t kValueLimit = 40;

    std::string& out;
    void literal(std::string_view piece) { out.append(piece); }
    void value(std::string_view text) { append_clean(out, text, kValueLimit); }
};

// Takes the pieces of a message as printed, values unchanged.
struct PrintedMessageText {
    std::string& out;
    void literal(std::string_view piece) { out.append(piece); }
    void value(std::string_view text) { out.append(text); }
};

// Sets text to the one-line text of a problem: the message with its values,
// each "%s" value cleaned and cut as append_clean does at 40 bytes, then
// " in [file]", then " on line N" when line is above 0. The text keeps its
// capacity, so that a warm string makes the line without allocating.
template <class... Values>
void set_reader_message(std::string& text, std::string_view file, std::uint64_t line,
                        const CheckedFormat<std::type_identity_t<Values>...>& message, const Values&... values) {
    text.clear();
    ReaderMessageText out{text};
    walk_format(out, message, values...);
    append_place(text, file, line);
}

}  // namespace trimora
