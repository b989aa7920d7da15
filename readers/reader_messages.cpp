// The problem texts of the mesh readers and how values are put into them.
#include "readers/reader_messages.h"

#include <charconv>
#include <cstddef>
#include <iterator>

namespace trimora {

namespace {

// Indexed by ReaderMessage; each [] takes one value, in order.
constexpr const char* kTexts[] = {
    "Cannot read file",                        // kReadError
    "Compressed data cut short",               // kCompressedCutShort
    "Compressed data corrupt []",              // kCompressedCorrupt: zlib's or the archive's reason
    "Line longer than [] bytes",               // kLineTooLong
    "Vertex index out of range []",            // kVertexIndexOutOfRange: the index as written
    "Bad vertex index []",                     // kBadVertexIndex
    "Face with fewer than three vertices []",  // kFaceTooSmall: how many it has
    "Face with fewer indices than its count []",
    "Vertex with fewer than three coordinates []",
    "Data ends after [] of [] [] elements",    // kDataEndsEarly: read, counted, element name
    "Bad counts line []",                      // kBadCounts
    "Bad OFF header []",                       // kBadOffHeader
    "No PLY header",                           // kNoPlyHeader
    "Bad PLY header line []",                  // kBadPlyHeaderLine
    "PLY header without end_header",           // kPlyHeaderCutShort
    "PLY element lacks property []",           // kPlyPropertyMissing: element.property
    "Bad list count []",                       // kBadListCount
    "Binary PLY data cut short",               // kBinaryPlyCutShort
    "Broken zip archive []",                   // kBrokenZip: what is wrong
    "Encrypted zip entry []",                  // kEncryptedZipEntry
    "Unsupported zip compression [] for []",   // kUnsupportedZipMethod: method number, entry
    "No 3D model",                             // kNoModel
    "Model part not found []",                 // kModelPartNotFound: a component's path
    "XML error []",                            // kXmlError: what is wrong
    "Unknown model unit []",                   // kUnknownUnit
    "Missing attribute [] of []",              // kMissingAttribute: attribute, element
    "Object not found []",                     // kObjectNotFound: the objectid
    "Component cycle at object []",            // kComponentCycle
    "Bad transform []",                        // kBadTransform
    "Wire frame holds edges, not facets",      // kWireFrame
    "Unknown line []",                         // kUnknownLine
    "Bad number []",                           // kBadNumber
};
static_assert(std::size(kTexts) == static_cast<std::size_t>(ReaderMessage::kBadNumber) + 1,
              "one text per message");

constexpr std::size_t kValueLimit = 40;

// Appends text with its control bytes shown as '?', cut at limit bytes with "..." (0: no limit).
void append_clean(std::string& out, std::string_view text, std::size_t limit) {
    const bool cut = limit != 0 && text.size() > limit;
    if (cut) text = text.substr(0, limit);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        out += byte < 0x20 || byte == 0x7F ? '?' : c;
    }
    if (cut) out += "...";
}

}  // namespace

std::string reader_message(ReaderMessage message, std::string_view file, std::uint64_t line,
                           std::initializer_list<std::string_view> values) {
    std::string out;
    const auto* value = values.begin();
    for (const char* p = kTexts[static_cast<std::size_t>(message)]; *p != '\0'; ++p) {
        if (p[0] == '[' && p[1] == ']') {
            out += '[';
            if (value != values.end()) append_clean(out, *value++, kValueLimit);
            out += ']';
            ++p;
        } else {
            out += *p;
        }
    }
    out += " in [";
    append_clean(out, file, 0);
    out += ']';
    if (line > 0) {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, line);
        out += " on line ";
        out.append(digits, result.ptr);
    }
    return out;
}

}  // namespace trimora
