// A small streaming XML reader: element starts and ends with their attributes, pulled one at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace trimora {

class ByteSource;

// An attribute of a start tag. In memory its value is followed by a byte that
// ends any number written in it (its closing quote, or a space where
// references took fewer bytes than their text), so numbers may be read from it
// as from NUL-terminated text.
struct XmlAttribute {
    std::string_view name;   // as written, prefix included
    std::string_view value;  // with its entity and character references replaced
};

// Reads an XML document from a byte source, holding one piece of markup at a
// time. Text, comments, CDATA sections, processing instructions and the
// document type declaration are skipped; namespace prefixes are kept in names
// and local_name() leaves them out. A document that breaks the rules this
// reader checks (tags that do not match, bad names, attributes or
// references, no root element, data after its end that is not the end)
// gives kError, and so does a source that fails.
class XmlReader {
public:
    enum class Event { kStart, kEnd, kDone, kError };

    // The longest piece of markup (a tag with its attributes) kept whole: a
    // longer tag is an error, so that one tag cannot fill memory. Comments,
    // CDATA sections and processing instructions are skipped as they are
    // read, whatever their length.
    static constexpr std::size_t kDefaultMarkupLimit = std::size_t{1} << 20;
    // The deepest elements may nest; deeper is an error, as a nesting bomb is.
    static constexpr std::size_t kMostDepth = 256;

    explicit XmlReader(ByteSource& source, std::size_t markup_limit = kDefaultMarkupLimit);
    ~XmlReader();
    XmlReader(const XmlReader&) = delete;
    XmlReader& operator=(const XmlReader&) = delete;

    // The next element start or end, the end of the document, or an error;
    // after kDone or kError, the same again. An empty element <a/> gives a
    // start and then an end.
    Event next();

    // The element of the last kStart or kEnd: its name, and its attributes
    // (kStart only), valid until the next call.
    std::string_view name() const { return name_; }
    std::string_view local_name() const;
    std::span<const XmlAttribute> attributes() const { return attributes_; }
    // The value of the attribute with exactly that name; null when there is none.
    const std::string_view* attribute(std::string_view name) const;
    // How deep the last element is: 1 for the root.
    std::size_t depth() const { return depth_; }
    // The line of the last event's '<', counted from 1.
    std::uint64_t line() const { return line_; }
    // What is wrong, after kError (empty when the source failed).
    const std::string& error() const { return error_; }

private:
    // Makes at least n unread bytes available when the data has them,
    // growing the buffer up to the markup limit; false when it cannot.
    bool ensure(std::size_t n);
    // Makes the bytes up to and including the first occurrence of end after
    // the current position available; returns its offset from the position,
    // or npos.
    std::size_t find(std::string_view end);
    // Skips to just after the first occurrence of end from the current
    // position, holding only a buffer's worth; false when the data ends first.
    bool skip_past(std::string_view end);
    // Moves the position on by n bytes, counting the lines it passes.
    void advance(std::size_t n);
    Event fail(std::string what);
    Event read_start_tag();
    Event read_end_tag();
    // Skips the document type declaration, with its internal subset.
    bool skip_doctype();
    // Turns literal tabs and line ends of the value into spaces and replaces
    // its references, in place; false on a bad reference.
    bool decode(char* begin, std::size_t& length);

    ByteSource& source_;
    std::size_t markup_limit_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool source_done_ = false;
    bool started_ = false;
    bool finished_ = false;  // kDone or kError given
    Event final_ = Event::kDone;
    bool root_seen_ = false;
    bool pending_end_ = false;  // the start just given was an empty element
    std::uint64_t current_line_ = 1;
    std::uint64_t line_ = 1;
    std::size_t depth_ = 0;
    std::string_view name_;
    std::vector<XmlAttribute> attributes_;
    // The names of the open elements, one after the other, and where each starts.
    std::string open_names_;
    std::vector<std::size_t> open_starts_;
    std::string error_;
};

}  // namespace trimora
