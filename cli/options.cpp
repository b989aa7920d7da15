// The option table of the modern command line and the parse that follows it.
#include "cli/options.h"

#include <charconv>
#include <string_view>

#include "usage/tool_texts.h"
#include "writers/facet_output.h"

namespace trimora {

namespace {

// Applies an option's value (empty for a flag); returns the problem, or "".
using ApplyOption = std::string (*)(ModernOptions& options, const std::string& value);

struct OptionRow {
    const char* short_name;  // "" when there is none
    const char* long_name;
    const char* value_name;  // null for a flag
    bool modern;             // false for the options the legacy form has too
    const char* help;
    ApplyOption apply;
};

std::string apply_form(ModernOptions& options, const std::string& value) {
    if (value == "null") {
        options.output_code = kNullForm;
    } else if (value == "text" || value == "numb" || value == "number" || value == "wire") {
        options.output_code = output_code_from_word(value.c_str());
    } else {
        return "unknown form [" + value + "]: use text, numb, number, wire or null";
    }
    return "";
}

std::string apply_output(ModernOptions& options, const std::string& value) {
    if (value.empty()) return "the output name is empty";
    options.has_output = true;
    options.output = value;
    return "";
}

constexpr int kMostJobs = 256;

std::string apply_jobs(ModernOptions& options, const std::string& value) {
    int jobs = 0;
    const char* end = value.data() + value.size();
    const auto [rest, error] = std::from_chars(value.data(), end, jobs);
    if (error != std::errc() || rest != end || jobs < 1 || jobs > kMostJobs) {
        return "bad number of jobs [" + value + "]: use 1 to " + std::to_string(kMostJobs);
    }
    options.jobs = jobs;
    return "";
}

constexpr OptionRow kOptions[] = {
    {"-f", "--form", "WORD", true, "text (default), numb or number, wire, or null",
     apply_form},
    {"-o", "--output", "PATH",  true,
     "the output file (- for standard output), or a folder for several inputs",
     apply_output},
    {"-j", "--jobs", "N", true, "convert up to N files at the same time (default: the cores)",
     apply_jobs},
    {"-r", "--recursive", nullptr, true, "a folder given as input also takes its subfolders",
     [](ModernOptions& o, const std::string&) { o.recursive = true; return std::string(); }},
    {"-q", "--quiet", nullptr, true, "show only the reports of files with problems",
     [](ModernOptions& o, const std::string&) { o.quiet = true; return std::string(); }},
    {"", "--no-progress", nullptr, true, "never show the progress of large files",
     [](ModernOptions& o, const std::string&) { o.no_progress = true; return std::string(); }},
    {"", "--info", nullptr, true, "write no file: report each mesh's counts, bounds, area, volume",
     [](ModernOptions& o, const std::string&) { o.info = true; return std::string(); }},
    {"", "--json", nullptr, true, "with --info, one JSON object per file and line",
     [](ModernOptions& o, const std::string&) { o.json = true; return std::string(); }},
    {"", "--all-edges", nullptr, true, "with -f wire, every edge: no line list capacity",
     [](ModernOptions& o, const std::string&) { o.all_edges = true; return std::string(); }},
    {"-h", "--help", nullptr, false, "this help",
     [](ModernOptions& o, const std::string&) { o.help = true; return std::string(); }},
    {"", "--version", nullptr, false, "the banner alone",
     [](ModernOptions& o, const std::string&) { o.version = true; return std::string(); }},
};

// The row an argument names, and the value written into it after '='.
const OptionRow* find_option(std::string_view arg, std::string_view& attached, bool& has_attached) {
    has_attached = false;
    const std::size_t equals = arg.starts_with("--") ? arg.find('=') : std::string_view::npos;
    const std::string_view name = arg.substr(0, equals);
    for (const OptionRow& row : kOptions) {
        if (name != row.long_name && (name != row.short_name || name.empty())) continue;
        if (equals != std::string_view::npos) {
            attached = arg.substr(equals + 1);
            has_attached = true;
        }
        return &row;
    }
    return nullptr;
}

// The options that only make sense together, or not at all together.
std::string combination_error(const ModernOptions& options) {
    if (options.json && !options.info) return "--json needs --info";
    if (options.info && options.all_edges) return "--info writes no file, so no --all-edges";
    if (options.info && options.has_output) return "--info writes no file, so no -o";
    if (options.all_edges && options.output_code != kWireForm) return "--all-edges needs -f wire";
    return "";
}

}  // namespace

bool is_modern_command_line(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") return false;
        std::string_view attached;
        bool has_attached = false;
        const OptionRow* row = find_option(arg, attached, has_attached);
        if (row != nullptr && row->modern && (!has_attached || row->value_name != nullptr)) {
            return true;
        }
    }
    return false;
}

ParsedOptions parse_modern_options(const std::vector<std::string>& args) {
    ParsedOptions parsed;
    bool options_ended = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options_ended || arg == "-" || !arg.starts_with("-")) {
            parsed.options.names.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_ended = true;
            continue;
        }
        std::string_view attached;
        bool has_attached = false;
        const OptionRow* row = find_option(arg, attached, has_attached);
        if (row == nullptr) {
            parsed.error = "unknown option [" + arg + "]";
            return parsed;
        }
        std::string value;
        if (row->value_name == nullptr) {
            if (has_attached) {
                parsed.error = "option [" + std::string(row->long_name) + "] takes no value";
                return parsed;
            }
        } else if (has_attached) {
            value = attached;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            parsed.error = "option [" + arg + "] needs a " + row->value_name;
            return parsed;
        }
        parsed.error = row->apply(parsed.options, value);
        if (!parsed.error.empty()) return parsed;
    }
    parsed.error = combination_error(parsed.options);
    return parsed;
}

std::string modern_options_help() {
    std::string text =
        "\n"
        "Any of the options below, before or after the names, chooses the\n"
        "modern form: each name is a file, a folder of .stl files or - for\n"
        "standard input, and the output goes beside each input with its\n"
        "last extension replaced by kpf.\n"
        "\n"
        "Usage:  trimora [options] <name>... [-- <name>...]\n";
    for (const OptionRow& row : kOptions) {
        std::string names = std::string(row.short_name) + (*row.short_name ? ", " : "    ") +
                            row.long_name;
        if (row.value_name != nullptr) names += std::string(" ") + row.value_name;
        names.resize(names.size() < 24 ? 24 : names.size() + 1, ' ');
        text += "  " + names + row.help + "\n";
    }
    text +=
        "\n"
        "Exit status: 0 when every file converted without a problem, 1 when\n"
        "any did not, 2 for a usage error.\n";
    return text;
}

}  // namespace trimora
