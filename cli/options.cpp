// The option table of the modern command line and the parse that follows it.
#include "cli/options.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "usage/tool_texts.h"
#include "readers/input_kind.h"
#include "writers/facet_output.h"

namespace trimora {

namespace {

// Applies an option's value (empty for a flag); returns the problem, or "".
using ApplyOption = std::string (*)(ModernOptions& options, const std::string& value);

struct OptionRow {
    const char* short_name;  // "" when there is none
    const char* long_name;
    const char* value_name;  // null for a flag
    const char* help;
    ApplyOption apply;
};

std::string apply_form(ModernOptions& options, const std::string& value) {
    const std::optional<int> code = modern_output_code(value);
    if (!code) return "unknown form [" + value + "]: use " + modern_form_words();
    options.output_code = *code;
    return "";
}

std::string apply_output(ModernOptions& options, const std::string& value) {
    if (value.empty()) return "the output name is empty";
    options.has_output = true;
    options.output = value;
    return "";
}

// A bare extension: no dot is needed and none may stand inside, no folder.
std::string apply_extension(ModernOptions& options, const std::string& value) {
    const std::string extension = value.starts_with('.') ? value.substr(1) : value;
    if (extension.empty() || extension.find_first_of("./\\") != std::string::npos) {
        return "bad extension [" + value + "]: use letters such as shp";
    }
    options.extension = extension;
    return "";
}

// The format of standard input and of names whose extension tells none.
std::string apply_from(ModernOptions& options, const std::string& value) {
    const std::optional<InputKind> kind = input_kind_from_word(value);
    if (!kind) {
        std::string words;
        for (const char* word : format_words()) words += std::string(words.empty() ? "" : ", ") + word;
        return "unknown format [" + value + "]: use " + words + ", each also with .gz";
    }
    options.from = *kind;
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
    {"-f", "--form", "WORD", "text (default), numb or number, wire, stl, or null to only check",
     apply_form},
    {"", "--from", "FORMAT", "the format of standard input and of odd names: stl obj ply off 3mf kpf",
     apply_from},
    {"-o", "--output", "PATH",
     "the output file (- for standard output), or a folder for several inputs",
     apply_output},
    {"", "--ext", "EXT", "give the outputs the extension EXT instead of kpf, as shp",
     apply_extension},
    {"", "--force", nullptr, "let outputs replace existing stl, obj, ply, off, 3mf files",
     [](ModernOptions& o, const std::string&) { o.force = true; return std::string(); }},
    {"-j", "--jobs", "N", "convert up to N files at the same time (default: the cores)",
     apply_jobs},
    {"-r", "--recursive", nullptr, "a folder given as input also takes its subfolders",
     [](ModernOptions& o, const std::string&) { o.recursive = true; return std::string(); }},
    {"-q", "--quiet", nullptr, "show only the reports of files with problems",
     [](ModernOptions& o, const std::string&) { o.quiet = true; return std::string(); }},
    {"", "--no-progress", nullptr, "never show the progress of large files",
     [](ModernOptions& o, const std::string&) { o.no_progress = true; return std::string(); }},
    {"", "--info", nullptr, "write no file: report each mesh's counts, bounds, area, volume",
     [](ModernOptions& o, const std::string&) { o.info = true; return std::string(); }},
    {"", "--json", nullptr, "with --info, one JSON object per file and line",
     [](ModernOptions& o, const std::string&) { o.json = true; return std::string(); }},
    {"", "--all-edges", nullptr, "with -f wire, every edge: no line list capacity",
     [](ModernOptions& o, const std::string&) { o.all_edges = true; return std::string(); }},
    {"-h", "--help", nullptr, "this help",
     [](ModernOptions& o, const std::string&) { o.help = true; return std::string(); }},
    {"", "--version", nullptr, "the banner alone",
     [](ModernOptions& o, const std::string&) { o.version = true; return std::string(); }},
};

// The row of a long option ("--form") or of a short one ("-f").
const OptionRow* find_option(std::string_view name) {
    for (const OptionRow& row : kOptions) {
        if (name == row.long_name || (!std::string_view(row.short_name).empty() && name == row.short_name)) {
            return &row;
        }
    }
    return nullptr;
}

// The options that only make sense together, or not at all together.
std::string combination_error(const ModernOptions& options) {
    if (options.json && !options.info) return "--json needs --info";
    if (options.info && options.all_edges) return "--info writes no file, so no --all-edges";
    if (options.info && options.has_output) return "--info writes no file, so no -o";
    if (options.info && !options.extension.empty()) return "--info writes no file, so no --ext";
    if (options.all_edges && options.output_code != kWireForm) return "--all-edges needs -f wire";
    const bool check = options.output_code == kNullForm && !options.info;
    if (check && options.has_output) return "-f null writes no file, so no -o";
    if (check && !options.extension.empty()) return "-f null writes no file, so no --ext";
    return "";
}

}  // namespace

bool is_modern_command_line(const std::vector<std::string>& args) {
    // The usual options alone keep the meaning they have always had.
    if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help" || args[0] == "--version")) {
        return false;
    }
    for (const std::string& arg : args) {
        if (arg.size() > 1 && arg[0] == '-') return true;
    }
    return false;
}

namespace {

// Reads the value of a row that takes one: attached (after '=' or the short
// option's letter) or the next argument. Returns the problem, or "".
std::string take_value(const OptionRow& row, std::string_view shown, std::optional<std::string_view> attached,
                       const std::vector<std::string>& args, std::size_t& i, std::string& value) {
    if (attached) {
        value = *attached;
    } else if (i + 1 < args.size()) {
        value = args[++i];
    } else {
        return "option [" + std::string(shown) + "] needs a " + row.value_name;
    }
    return "";
}

// Applies a long option, "--name" or "--name=value".
std::string apply_long(std::string_view arg, const std::vector<std::string>& args, std::size_t& i,
                       ModernOptions& options) {
    const std::size_t equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    const OptionRow* row = find_option(name);
    if (row == nullptr) return "unknown option [" + std::string(name) + "]";
    std::optional<std::string_view> attached;
    if (equals != std::string_view::npos) attached = arg.substr(equals + 1);
    std::string value;
    if (row->value_name == nullptr) {
        if (attached) return "option [" + std::string(row->long_name) + "] takes no value";
    } else {
        const std::string problem = take_value(*row, name, attached, args, i, value);
        if (!problem.empty()) return problem;
    }
    return row->apply(options, value);
}

// Applies short options as getopt does: "-qr" is -q and -r; a letter that
// takes a value takes the rest of the argument ("-j2", "-fwire") or, when
// nothing is left, the next argument.
std::string apply_short(std::string_view arg, const std::vector<std::string>& args, std::size_t& i,
                        ModernOptions& options) {
    for (std::size_t k = 1; k < arg.size(); ++k) {
        const std::string name{'-', arg[k]};
        const OptionRow* row = find_option(name);
        if (row == nullptr) return "unknown option [" + name + "]";
        std::string value;
        if (row->value_name != nullptr) {
            std::optional<std::string_view> attached;
            if (k + 1 < arg.size()) attached = arg.substr(k + 1);
            const std::string problem = take_value(*row, name, attached, args, i, value);
            if (!problem.empty()) return problem;
            return row->apply(options, value);
        }
        const std::string problem = row->apply(options, value);
        if (!problem.empty()) return problem;
    }
    return "";
}

}  // namespace

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
        parsed.error = arg.starts_with("--") ? apply_long(arg, args, i, parsed.options)
                                             : apply_short(arg, args, i, parsed.options);
        if (!parsed.error.empty()) return parsed;
    }
    parsed.error = combination_error(parsed.options);
    return parsed;
}

std::string modern_options_help() {
    std::string text =
        "\n"
        "Any option, before or after the names, chooses the modern form,\n"
        "which converts many files: each name is a mesh file (STL, OBJ, PLY,\n"
        "OFF, 3MF or KPF, each also gzipped), a folder of mesh files or - for\n"
        "standard input, and the output goes beside each input with its\n"
        "last extension (and .gz) replaced by kpf. Without an option the\n"
        "second name is the form word: add one (-f text) for two files.\n"
        "Short options bundle (-qr) and take values attached (-j2, -fwire).\n"
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
        "any file had a problem (any line in its report besides the usual\n"
        "ones), 2 for a usage error.\n";
    return text;
}

}  // namespace trimora
