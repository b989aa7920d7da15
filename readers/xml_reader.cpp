// The XML pull reader: markup found in a growing buffer, references decoded in place.
#include "readers/xml_reader.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "platform/byte_source.h"

namespace trimora {

namespace {

constexpr std::size_t kInitialCapacity = std::size_t{1} << 16;
constexpr std::size_t npos = std::string_view::npos;

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Whether c may stand in a name; the first character has the further rule below.
bool is_name_char(char c) {
    return !is_space(c) && c != '<' && c != '>' && c != '&' && c != '=' && c != '"' && c != '\'' &&
           c != '/' && c != '\0';
}
bool is_name_start(char c) { return is_name_char(c) && c != '-' && c != '.' && !(c >= '0' && c <= '9'); }

// The UTF-8 bytes of a character allowed in a document; 0 when it is not allowed.
int encode_utf8(std::uint32_t code, char* out) {
    const bool allowed = code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
                         (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
    if (!allowed) return 0;
    if (code < 0x80) {
        out[0] = static_cast<char>(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = static_cast<char>(0xC0 | code >> 6);
        out[1] = static_cast<char>(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000) {
        out[0] = static_cast<char>(0xE0 | code >> 12);
        out[1] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out[2] = static_cast<char>(0x80 | (code & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | code >> 18);
    out[1] = static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out[2] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out[3] = static_cast<char>(0x80 | (code & 0x3F));
    return 4;
}

}  // namespace

XmlReader::XmlReader(ByteSource& source, std::size_t markup_limit)
    : source_(source),
      markup_limit_(std::max(markup_limit, std::size_t{16})),
      buffer_(new char[std::min(kInitialCapacity, markup_limit_)]),
      capacity_(std::min(kInitialCapacity, markup_limit_)) {}

XmlReader::~XmlReader() = default;

bool XmlReader::ensure(std::size_t n) {
    while (end_ - pos_ < n) {
        if (source_done_) return false;
        if (pos_ > 0) {
            std::memmove(buffer_.get(), buffer_.get() + pos_, end_ - pos_);
            end_ -= pos_;
            pos_ = 0;
        }
        if (capacity_ < n) {
            if (n > markup_limit_) return false;
            const std::size_t capacity = std::min(std::max(capacity_ * 2, n), markup_limit_);
            std::unique_ptr<char[]> buffer(new char[capacity]);
            std::memcpy(buffer.get(), buffer_.get(), end_);
            buffer_ = std::move(buffer);
            capacity_ = capacity;
        }
        const std::size_t wanted = capacity_ - end_;
        const std::size_t got = source_.read(buffer_.get() + end_, wanted);
        if (got < wanted) source_done_ = true;
        end_ += got;
    }
    return true;
}

std::size_t XmlReader::find(std::string_view end) {
    std::size_t from = 0;
    for (;;) {
        const std::string_view available(buffer_.get() + pos_, end_ - pos_);
        const std::size_t found = available.find(end, from);
        if (found != npos) return found;
        if (available.size() >= end.size()) from = available.size() - end.size() + 1;
        if (!ensure(available.size() + 1)) return npos;
    }
}

void XmlReader::advance(std::size_t n) {
    const char* p = buffer_.get() + pos_;
    current_line_ += static_cast<std::uint64_t>(std::count(p, p + n, '\n'));
    pos_ += n;
}

bool XmlReader::skip_past(std::string_view end) {
    for (;;) {
        const std::string_view available(buffer_.get() + pos_, end_ - pos_);
        const std::size_t found = available.find(end);
        if (found != npos) {
            advance(found + end.size());
            return true;
        }
        // The last bytes may start the end: they are kept, the rest let go.
        const std::size_t keep = std::min(available.size(), end.size() - 1);
        advance(available.size() - keep);
        if (!ensure(keep + 1)) return false;
    }
}

XmlReader::Event XmlReader::fail(std::string what) {
    // A failed source has its own message; the markup it cut off says nothing more.
    error_ = source_.failure() != SourceFailure::kNone ? "" : std::move(what);
    finished_ = true;
    final_ = Event::kError;
    line_ = current_line_;
    return final_;
}

std::string_view XmlReader::local_name() const {
    const std::size_t colon = name_.rfind(':');
    return colon == npos ? name_ : name_.substr(colon + 1);
}

const std::string_view* XmlReader::attribute(std::string_view name) const {
    for (const XmlAttribute& each : attributes_) {
        if (each.name == name) return &each.value;
    }
    return nullptr;
}

XmlReader::Event XmlReader::next() {
    if (finished_) return final_;
    attributes_.clear();
    if (pending_end_) {
        pending_end_ = false;
        return Event::kEnd;
    }
    if (!started_) {
        started_ = true;
        // A byte order mark is no text.
        if (ensure(3) && std::memcmp(buffer_.get() + pos_, "\xEF\xBB\xBF", 3) == 0) pos_ += 3;
    }
    for (;;) {
        // Text up to the next markup; outside the root element only white space.
        for (;;) {
            const char* start = buffer_.get() + pos_;
            const auto* lt = static_cast<const char*>(std::memchr(start, '<', end_ - pos_));
            const std::size_t text = lt != nullptr ? static_cast<std::size_t>(lt - start) : end_ - pos_;
            if (open_starts_.empty()) {
                const char* bad = std::find_if_not(start, start + text, is_space);
                if (bad != start + text) {
                    advance(static_cast<std::size_t>(bad - start));
                    return fail("text outside the root element");
                }
            }
            advance(text);
            if (lt != nullptr) break;
            if (!ensure(1)) break;
        }
        if (end_ == pos_) {
            if (source_.failure() != SourceFailure::kNone || !open_starts_.empty()) {
                return fail("the document ends inside an element");
            }
            if (!root_seen_) return fail("no root element");
            finished_ = true;
            final_ = Event::kDone;
            return final_;
        }
        line_ = current_line_;
        ensure(9);
        const std::string_view head(buffer_.get() + pos_, std::min<std::size_t>(9, end_ - pos_));
        if (head.starts_with("<?")) {
            if (!skip_past("?>")) return fail("unfinished processing instruction");
        } else if (head.starts_with("<!--")) {
            if (!skip_past("-->")) return fail("unfinished comment");
        } else if (head.starts_with("<![CDATA[")) {
            if (open_starts_.empty()) return fail("CDATA outside the root element");
            if (!skip_past("]]>")) return fail("unfinished CDATA section");
        } else if (head.starts_with("<!DOCTYPE")) {
            if (root_seen_ || !skip_doctype()) return fail("bad document type declaration");
        } else if (head.starts_with("</")) {
            return read_end_tag();
        } else if (head.size() >= 2 && is_name_start(head[1])) {
            return read_start_tag();
        } else {
            return fail("bad markup");
        }
    }
}

bool XmlReader::skip_doctype() {
    std::size_t i = 2;
    int brackets = 0;
    char quote = '\0';
    for (;; ++i) {
        if (i >= end_ - pos_ && !ensure(i + 1)) return false;
        const char c = buffer_[pos_ + i];
        if (quote != '\0') {
            if (c == quote) quote = '\0';
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            ++brackets;
        } else if (c == ']') {
            --brackets;
        } else if (c == '>' && brackets <= 0) {
            advance(i + 1);
            return true;
        }
    }
}

XmlReader::Event XmlReader::read_start_tag() {
    if (open_starts_.empty() && root_seen_) return fail("a second root element");
    // The tag runs to the first '>' outside a quoted value.
    std::size_t close = 1;
    char quote = '\0';
    for (;; ++close) {
        if (close >= end_ - pos_ && !ensure(close + 1)) {
            if (close + 1 > markup_limit_) return fail("tag longer than " + std::to_string(markup_limit_) + " bytes");
            return fail("unfinished tag");
        }
        const char c = buffer_[pos_ + close];
        if (quote != '\0') {
            if (c == quote) quote = '\0';
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            break;
        }
    }
    if (open_starts_.size() >= kMostDepth) return fail("elements nested deeper than " + std::to_string(kMostDepth));
    char* const tag = buffer_.get() + pos_;
    advance(close + 1);
    char* p = tag + 1;
    char* const stop = tag + close;
    char* name_start = p;
    while (p < stop && is_name_char(*p)) ++p;
    name_ = std::string_view(name_start, static_cast<std::size_t>(p - name_start));
    bool empty = false;
    for (;;) {
        const bool spaced = p < stop && is_space(*p);
        while (p < stop && is_space(*p)) ++p;
        if (p == stop) break;
        if (*p == '/') {
            if (p + 1 != stop) return fail("bad tag");
            empty = true;
            break;
        }
        if (!spaced || !is_name_start(*p)) return fail("bad attribute");
        char* attribute_name = p;
        while (p < stop && is_name_char(*p)) ++p;
        const std::string_view attribute_text(attribute_name, static_cast<std::size_t>(p - attribute_name));
        while (p < stop && is_space(*p)) ++p;
        if (p == stop || *p != '=') return fail("attribute without a value");
        ++p;
        while (p < stop && is_space(*p)) ++p;
        if (p == stop || (*p != '"' && *p != '\'')) return fail("attribute value without quotes");
        const char quote_char = *p++;
        char* value = p;
        while (p < stop && *p != quote_char) ++p;
        if (p == stop) return fail("attribute value without quotes");
        std::size_t length = static_cast<std::size_t>(p - value);
        if (std::memchr(value, '<', length) != nullptr) return fail("'<' in an attribute value");
        if (!decode(value, length)) return fail("bad reference in an attribute value");
        attributes_.push_back({attribute_text, std::string_view(value, length)});
        ++p;
    }
    root_seen_ = true;
    depth_ = open_starts_.size() + 1;
    if (empty) {
        pending_end_ = true;
    } else {
        open_starts_.push_back(open_names_.size());
        open_names_.append(name_);
    }
    return Event::kStart;
}

XmlReader::Event XmlReader::read_end_tag() {
    const std::size_t close = find(">");
    if (close == npos) return fail("unfinished end tag");
    char* const tag = buffer_.get() + pos_;
    advance(close + 1);
    const char* p = tag + 2;
    const char* const stop = tag + close;
    const char* name_start = p;
    while (p < stop && is_name_char(*p)) ++p;
    name_ = std::string_view(name_start, static_cast<std::size_t>(p - name_start));
    while (p < stop && is_space(*p)) ++p;
    if (p != stop || open_starts_.empty() ||
        std::string_view(open_names_).substr(open_starts_.back()) != name_) {
        return fail("end tag does not match its start tag");
    }
    depth_ = open_starts_.size();
    open_names_.resize(open_starts_.back());
    open_starts_.pop_back();
    return Event::kEnd;
}

bool XmlReader::decode(char* begin, std::size_t& length) {
    char* const end = begin + length;
    // Literal tabs and line ends are spaces in a value; those written as references stay.
    for (char* p = begin; p < end; ++p) {
        if (*p == '\t' || *p == '\n' || *p == '\r') *p = ' ';
    }
    char* in = static_cast<char*>(std::memchr(begin, '&', length));
    if (in == nullptr) return true;
    char* out = in;
    while (in < end) {
        if (*in != '&') {
            *out++ = *in++;
            continue;
        }
        char* semicolon = static_cast<char*>(std::memchr(in, ';', static_cast<std::size_t>(end - in)));
        if (semicolon == nullptr) return false;
        const std::string_view entity(in + 1, static_cast<std::size_t>(semicolon - in - 1));
        char bytes[4];
        int count = 1;
        if (entity == "lt") {
            bytes[0] = '<';
        } else if (entity == "gt") {
            bytes[0] = '>';
        } else if (entity == "amp") {
            bytes[0] = '&';
        } else if (entity == "quot") {
            bytes[0] = '"';
        } else if (entity == "apos") {
            bytes[0] = '\'';
        } else if (entity.size() >= 2 && entity[0] == '#') {
            const bool hex = entity[1] == 'x';
            const std::string_view digits = entity.substr(hex ? 2 : 1);
            if (digits.empty() || digits.size() > 8) return false;
            std::uint32_t code = 0;
            for (const char c : digits) {
                int digit = -1;
                if (c >= '0' && c <= '9') digit = c - '0';
                if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
                if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
                if (digit < 0) return false;
                code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
            }
            count = encode_utf8(code, bytes);
            if (count == 0) return false;
        } else {
            return false;
        }
        // The reference is at least as long as the bytes it stands for.
        std::memcpy(out, bytes, static_cast<std::size_t>(count));
        out += count;
        in = semicolon + 1;
    }
    length = static_cast<std::size_t>(out - begin);
    // Spaces where the references were longer, so that a number read from the value stops at its end.
    std::memset(out, ' ', static_cast<std::size_t>(end - out));
    return true;
}

}  // namespace trimora
