// The bounded text operations, field splitting, substitution and strict number reading against small models.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/byte_reader.h"
#include "fuzz/checks.h"
#include "platform/text_to_double.h"
#include "textutil/textutil.h"

namespace trimora::fuzz {

namespace {

// A text as the operations see it: up to its first NUL.
std::string c_text(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

// A char array of exactly len bytes, so that the sanitizer sees a write past
// it, holding text cut to len - 1 characters.
class Buffer {
public:
    Buffer(int len, const std::string& text) : len_(len), bytes_(new char[static_cast<std::size_t>(len)]) {
        std::memset(bytes_.get(), '#', static_cast<std::size_t>(len));
        const std::string kept = c_text(text).substr(0, static_cast<std::size_t>(len - 1));
        std::memcpy(bytes_.get(), kept.data(), kept.size());
        bytes_[kept.size()] = '\0';
    }
    char* get() { return bytes_.get(); }
    int len() const { return len_; }
    bool terminated() const { return std::memchr(bytes_.get(), '\0', static_cast<std::size_t>(len_)) != nullptr; }
    std::string text() const { return terminated() ? std::string(bytes_.get()) : std::string(); }
    bool holds(const char* p) const { return p >= bytes_.get() && p < bytes_.get() + len_; }

private:
    int len_;
    std::unique_ptr<char[]> bytes_;
};

std::string check_copy_and_append(int len, const std::string& source, const std::string& start, int position) {
    const std::string from = c_text(source);
    Buffer copy(len, "");
    const int copied = copy_text(len, copy.get(), source.c_str());
    const std::string expected = from.substr(0, static_cast<std::size_t>(len - 1));
    if (copied != static_cast<int>(expected.size()) || copy.text() != expected) return "copy_text";
    if (copy_text(len, copy.get(), nullptr) != 0 || copy.text() != "") return "copy_text of a null source";

    Buffer append(len, start);
    const std::string before = append.text();
    // Any position up to len - 1, or -1 for the end of the text.
    const std::size_t at = position < 0 ? before.size() : static_cast<std::size_t>(position);
    std::string model = append.text();
    if (at > model.size()) {
        // Writing begins past the NUL: the bytes before it stay as they were.
        model += '\0';
        model.append(at - model.size(), '#');
    }
    model = (model.substr(0, at) + from).substr(0, static_cast<std::size_t>(len - 1));
    const int end = append_text(position, len, append.get(), source.c_str());
    if (!append.terminated() || end != static_cast<int>(model.size()) ||
        std::string(append.get(), static_cast<std::size_t>(end)) != model) {
        return "append_text";
    }
    return "";
}

std::string check_extensions(int len, const std::string& name, const std::string& extension, bool null_extension) {
    Buffer stripped(len, name);
    const std::string whole = stripped.text();
    const std::string stem = whole.substr(0, whole.find('.'));
    if (strip_extension(stripped.get()) != static_cast<int>(stem.size()) || stripped.text() != stem) {
        return "strip_extension";
    }
    Buffer replaced(len, name);
    const char* ext = null_extension ? nullptr : extension.c_str();
    const std::string model =
        null_extension ? stem : (stem + "." + c_text(extension)).substr(0, static_cast<std::size_t>(len - 1));
    const int end = replace_extension(len, replaced.get(), ext);
    if (end != static_cast<int>(model.size()) || replaced.text() != model) return "replace_extension";
    return "";
}

std::string check_cleaning_and_tokens(const std::string& line, int lower) {
    std::string model;
    for (char c : c_text(line)) {
        if (lower != 0 && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c == '\t') c = ' ';
        if (c >= 32 && c <= 126) model += c;
    }
    Buffer cleaned(static_cast<int>(line.size()) + 1, line);
    if (clean_line(lower, cleaned.get()) != static_cast<int>(model.size()) || cleaned.text() != model) {
        return "clean_line";
    }
    if (clean_line(lower, nullptr) != -1) return "clean_line of a null line";

    // Tokens: the runs of characters between spaces, then the empty text for good.
    std::vector<std::string> words;
    for (std::size_t start = 0; start < model.size();) {
        const std::size_t end = std::min(model.find(' ', start), model.size());
        if (end > start) words.push_back(model.substr(start, end - start));
        start = end + 1;
    }
    char* const end_of_text = cleaned.get() + model.size();
    if (skip_spaces(cleaned.get()) != cleaned.get() + std::min(model.find_first_not_of(' '), model.size())) {
        return "skip_spaces";
    }
    char* cursor = cleaned.get();
    for (std::size_t i = 0; i <= words.size() + 1; ++i) {
        const char* token = next_token(cursor);
        if (!cleaned.holds(token) || cursor < cleaned.get() || cursor > end_of_text) return "next_token left the line";
        const std::string expected = i < words.size() ? words[i] : "";
        if (token != expected) return "next_token";
    }
    return "";
}

std::string check_fields(const std::string& text, char delimiter) {
    const std::string model = c_text(text);
    Buffer buffer(static_cast<int>(model.size()) + 1, model);
    char* cursor = buffer.get();
    std::size_t at = 0;
    // Each call either ends a field at a delimiter, moving past it, or takes
    // the rest; so the calls that end at a delimiter number at most the length.
    for (std::size_t call = 0; call <= model.size() + 1; ++call) {
        while (at < model.size() && model[at] == ' ') ++at;
        const std::size_t start = at;
        std::size_t end = delimiter == '\0' ? std::string::npos : model.find(delimiter, start);
        int flag = 1;
        if (end == std::string::npos) {
            end = model.size();
            flag = 0;
        }
        at = flag == 1 ? end + 1 : end;
        const char* field = next_field(cursor, delimiter);
        if (!buffer.holds(field) || cursor != buffer.get() + at) return "next_field left its text";
        if (field != model.substr(start, end - start) || field_was_delimited() != flag) return "next_field";
    }
    int missing = 0;
    const std::size_t found = model.find(delimiter);
    const int index = find_char(model.c_str(), delimiter, missing);
    if (delimiter == '\0' ? index != static_cast<int>(model.size()) || missing != 0
                          : index != static_cast<int>(std::min(found, model.size())) ||
                                missing != (found == std::string::npos ? 1 : 0)) {
        return "find_char";
    }
    const char* read = model.c_str();
    for (char c : model + " ") {
        if (c == ' ') continue;
        if (next_char(read) != static_cast<signed char>(c)) return "next_char";
    }
    if (next_char(read) != 0 || *read != '\0') return "next_char at the end";
    return "";
}

// substitute_field as documented: the field is ended by the first close that
// has an open before it and begins after the last such open; what follows it
// survives up to 1023 characters; the result is cut to len - 1.
bool substitute_model(std::size_t len, std::string& text, char open, char close,
                      const std::vector<std::string>& names, const std::vector<std::string>& values) {
    std::size_t open_at = std::string::npos;
    std::size_t close_at = std::string::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == close && open_at != std::string::npos) {
            close_at = i;
            break;
        }
        if (text[i] == open) open_at = i;
    }
    if (close_at == std::string::npos) return false;
    const std::string name = text.substr(open_at + 1, close_at - open_at - 1);
    const std::string rest = text.substr(close_at + 1, 1023);
    text.resize(open_at);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) {
            text.append(values[i]).resize(std::min(text.size(), len - 1));
            break;
        }
    }
    text.append(rest).resize(std::min(text.size(), len - 1));
    return true;
}

std::string check_substitution(int len, const std::string& text, char open, char close,
                               const std::vector<std::string>& names, const std::vector<std::string>& values) {
    std::vector<const char*> name_list;
    std::vector<const char*> value_list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        name_list.push_back(names[i].c_str());
        value_list.push_back(values[i].c_str());
    }
    const int count = static_cast<int>(names.size());
    Buffer buffer(len, text);
    std::string model = buffer.text();
    int expected = 0;
    if (open != close) {
        while (expected < len && substitute_model(static_cast<std::size_t>(len), model, open, close, names, values)) {
            ++expected;
        }
    }
    const int handled = substitute_fields(len, buffer.get(), open, close, count, name_list.data(), value_list.data());
    if (!buffer.terminated()) return "substitute_fields left no NUL in the text";
    if (handled != expected || buffer.text() != model) return "substitute_fields";
    if (substitute_fields(len, nullptr, open, close, count, name_list.data(), value_list.data()) != 0) {
        return "substitute_fields of a null text";
    }

    Buffer comment(len, text);
    const std::string before = comment.text();
    strip_comment(comment.get());
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (comment.get()[i] != (before[i] == '$' ? '\0' : before[i])) return "strip_comment";
    }
    strip_comment(nullptr);
    return "";
}

std::uint64_t bits_of(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::string check_number_readers(const std::string& text) {
    const std::string model = c_text(text);
    Buffer buffer(static_cast<int>(model.size()) + 1, model);
    int status = -1;
    const double value = parse_number(buffer.get(), status);
    if (buffer.text() != model) return "parse_number did not restore its text";
    if (status < 0 || status > 2) return "parse_number status out of range";
    int whole_status = -1;
    const int whole = parse_whole_number(buffer.get(), whole_status);
    if (buffer.text() != model || whole_status != status) return "parse_whole_number";

    take_number_error();
    const double read = read_number(buffer.get());
    if (bits_of(read) != bits_of(value) && !(std::isnan(read) && std::isnan(value))) return "read_number";
    if (take_number_error() != (status == 2 ? 1 : 0)) return "the number error flag of read_number";
    if (read_whole_number(buffer.get()) != whole) return "read_whole_number";
    if (take_number_error() != (status == 2 ? 1 : 0) || take_number_error() != 0) {
        return "the number error flag of read_whole_number";
    }

    // A plain number holds only digits, a leading sign and one '.', which
    // strtod reads the same way.
    int plain_status = -1;
    const double plain = parse_plain_number(model.c_str(), plain_status);
    if (plain_status == 0 && bits_of(plain) != bits_of(std::strtod(model.c_str(), nullptr))) {
        return "parse_plain_number differs from strtod";
    }
    if (plain_status != 0 && (plain != 0.0 || (plain_status == 1) != model.empty())) return "parse_plain_number";
    int real_status = -1;
    const double real = parse_real(model.c_str(), real_status);
    if (real_status != (model.empty() ? 1 : 0) ||
        bits_of(real) != bits_of(model.empty() ? 0.0 : text_to_double(model.c_str()))) {
        return "parse_real";
    }
    return "";
}

}  // namespace

std::string check_text_utilities(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    const int len = 1 + in.below(200);
    const std::uint8_t flags = in.byte();
    const int position = (flags & 1) != 0 ? -1 : in.below(len);
    const std::string first = in.text(300);
    const std::string second = in.text(300);

    std::string failure = check_copy_and_append(len, first, second, position);
    if (failure.empty()) failure = check_extensions(len, first, second, (flags & 2) != 0);
    if (failure.empty()) failure = check_cleaning_and_tokens(first, flags & 4);
    if (failure.empty()) failure = check_fields(first, static_cast<char>(in.byte()));
    if (failure.empty()) failure = check_number_readers(second);
    if (!failure.empty()) return failure;

    // Substitution in a text that may be longer than the 1024-character
    // scratch buffer, with names whose values bring back fields.
    const int text_len = 1 + in.below(2100);
    char open = '{';
    char close = '}';
    if ((flags & 8) != 0) {
        open = static_cast<char>(in.byte());
        close = static_cast<char>(in.byte());
    }
    std::vector<std::string> names;
    std::vector<std::string> values;
    for (int count = in.byte() % 5; count > 0; --count) {
        names.push_back(c_text(in.text(8)));
        values.push_back(c_text(in.text(40)));
    }
    return check_substitution(text_len, in.rest(), open, close, names, values);
}

}  // namespace trimora::fuzz
