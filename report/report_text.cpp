// Rendering of mesh figures, numbers by std::to_chars.
#include "report/report_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "platform/utf16.h"

namespace trimora {

namespace {

void append_whole(std::string& text, std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text.append(digits, end);
}

void append_real(std::string& text, double value, ReportStyle style) {
    if (!std::isfinite(value)) {
        if (style == ReportStyle::kJsonLine) {
            text += "null";
        } else {
            text += std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf";
        }
        return;
    }
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text.append(digits, end);
}

void append_json_string(std::string& text, std::string_view value) {
    text += '"';
    // JSON is UTF-8: a name's bytes that are not become U+FFFD.
    for (const char c : valid_utf8(value)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            text += escape;
        } else {
            text += c;
        }
    }
    text += '"';
}

// Writes the fields in one order for both styles.
class FieldWriter {
public:
    FieldWriter(std::string& text, ReportStyle style) : text_(text), style_(style) {}

    void name(const char* field) {
        if (style_ == ReportStyle::kJsonLine) {
            text_ += first_ ? "{" : ",";
            append_json_string(text_, field);
            text_ += ':';
        } else {
            if (!first_) text_ += '\n';
            text_ += field;
            text_.append(kColumn - std::string_view(field).size(), ' ');
        }
        first_ = false;
    }
    void whole(const char* field, std::int64_t value) {
        name(field);
        append_whole(text_, value);
    }
    void real(const char* field, double value) {
        name(field);
        append_real(text_, value, style_);
    }
    void point(const char* field, const double* values) {
        name(field);
        const bool json = style_ == ReportStyle::kJsonLine;
        if (json) text_ += '[';
        for (int axis = 0; axis < 3; ++axis) {
            if (axis > 0) text_ += json ? "," : " ";
            append_real(text_, values[axis], style_);
        }
        if (json) text_ += ']';
    }
    void yes_no(const char* field, bool value) {
        name(field);
        if (style_ == ReportStyle::kJsonLine) {
            text_ += value ? "true" : "false";
        } else {
            text_ += value ? "yes" : "no";
        }
    }
    void text(const char* field, const std::string& value) {
        name(field);
        if (style_ == ReportStyle::kJsonLine) {
            append_json_string(text_, value);
        } else {
            text_ += value;
        }
    }
    void finish() { text_ += style_ == ReportStyle::kJsonLine ? "}\n" : "\n"; }

private:
    // The longest name, "nonmanifold_edges", and two spaces.
    static constexpr std::size_t kColumn = 19;
    std::string& text_;
    ReportStyle style_;
    bool first_ = true;
};

std::int64_t whole(std::uint64_t count) { return static_cast<std::int64_t>(count); }

}  // namespace

std::string render_report(const char* file, const MeshFigures& figures, ReportStyle style) {
    std::string text;
    FieldWriter out(text, style);
    out.text("file", file == nullptr ? "" : file);
    if (!figures.format.empty()) out.text("format", figures.format);
    if (!figures.unit.empty()) out.text("unit", figures.unit);
    out.whole("facets", figures.facets);
    out.whole("vertices", whole(figures.vertices));
    out.whole("edges", whole(figures.edges));
    out.whole("boundary_edges", whole(figures.boundary_edges));
    out.whole("nonmanifold_edges", whole(figures.nonmanifold_edges));
    out.whole("degenerate_facets", whole(figures.degenerate_facets));
    out.point("min", figures.min);
    out.point("max", figures.max);
    out.real("area", figures.area);
    out.real("volume", figures.volume);
    out.yes_no("closed", figures.closed);
    out.finish();
    return text;
}

std::string render_failure(const char* file, const std::string& message, ReportStyle style) {
    std::string text;
    FieldWriter out(text, style);
    out.text("file", file == nullptr ? "" : file);
    out.text("error", message);
    out.finish();
    return text;
}

}  // namespace trimora
