// The public interface: the tool's conversion, writers, readers and report, called without a console.
#include <trimora/trimora.h>

#include <new>
#include <string_view>
#include <utility>

#include "convert/converter.h"
#include "convert/identity.h"
#include "convert/input_files.h"
#include "mesh/facet_sink.h"
#include "mesh/normals.h"
#include "mesh/run_console.h"
#include "platform/byte_sink.h"
#include "platform/system.h"
#include "platform/text_output.h"
#include "readers/input_kind.h"
#include "readers/mesh_input.h"
#include "report/mesh_report.h"
#include "report/report_text.h"
#include "usage/tool_texts.h"
#include "writers/facet_output.h"

namespace trimora {

namespace {

// The console of a run called from a program: its lines go nowhere, its problem lines are kept.
class DiscardSink final : public ByteSink {
public:
    bool write(const char*, std::size_t) override { return true; }
};

struct QuietConsole {
    explicit QuietConsole(std::vector<std::string>& problems) { console.keep_problems(&problems); }
    DiscardSink discard;
    std::unique_ptr<TextOutput> text = std::make_unique<TextOutput>(discard);
    RunConsole console{*text};
};

// The UTF-8 name of a path, as the tool takes names on every system.
std::string utf8_name(const std::filesystem::path& path) {
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}

// The tool's form of the output: its output code, keywords and consumer; false with the
// problem in result when the options do not go together.
bool form_of(Form form, bool all_edges, FacetForm& facet_form, ConvertResult& result) {
    const int code = form == Form::numb   ? kNumberForm
                     : form == Form::wire ? kWireForm
                     : form == Form::stl  ? kStlForm
                                          : kTextForm;
    facet_form = facet_form_of(code);
    if (all_edges) {
        if (code != kWireForm) {
            result.problems.emplace_back("all_edges needs the wire form");
            result.failure = Failure::bad_option;
            return false;
        }
        facet_form.consumer = FacetConsumer::kAllEdges;
    }
    return true;
}

// The kind a format word names; false with the problem in result for a word that names none.
bool kind_of(const std::optional<std::string>& word, std::optional<InputKind>& kind, ConvertResult& result) {
    if (!word) return true;
    kind = input_kind_from_word(*word);
    if (kind) return true;
    result.problems.push_back("Unknown format: [" + *word + "] (stl obj ply off 3mf kpf, optionally .gz)");
    result.failure = Failure::bad_option;
    return false;
}

std::uint64_t facet_count(int nfacet) {
    // The tool's count is a 32-bit counter that wraps; its bits are the count.
    return static_cast<std::uint32_t>(nfacet);
}

// What stopped a conversion, from what it says of its ends.
Failure failure_of(const ConversionResult& run, bool writes_file) {
    if (!run.input_opened) return Failure::input_not_opened;
    if (writes_file && !run.output_opened) return Failure::output_not_opened;
    if (!run.read_whole) return Failure::input_not_read;
    if (run.write_failed) return Failure::output_not_written;
    return Failure::none;
}

// The result of finishing a writer or reader that was never opened.
ConvertResult never_opened(const char* problem, Failure failure) {
    ConvertResult result;
    result.problems.emplace_back(problem);
    result.failure = failure;
    return result;
}

void fill(ConvertResult& result, const ConversionResult& run, bool writes_file) {
    result.facets = facet_count(run.nfacet);
    result.failure = failure_of(run, writes_file);
    result.format = run.format;
    result.unit = run.unit;
}

// The facet a writer takes for a triangle: a given normal as binary STL holds it, zero for none.
void make_facet(const double* vertices, const double* normal, Facet& facet) {
    for (int i = 0; i < 3; ++i) {
        for (int axis = 0; axis < 3; ++axis) facet.vertices[i][axis] = vertices[3 * i + axis];
    }
    facet.has_normal = normal != nullptr && !(normal[0] == 0.0 && normal[1] == 0.0 && normal[2] == 0.0);
    if (facet.has_normal) unit_normal(normal[0], normal[1], normal[2], facet.normal);
}

}  // namespace

ConvertResult convert_file(const std::filesystem::path& input, const std::filesystem::path& output,
                           const ConvertOptions& options) {
    ConvertResult result;
    FacetForm form = facet_form_of(kTextForm);
    std::optional<InputKind> from;
    if (!form_of(options.form, options.all_edges, form, result) || !kind_of(options.from_format, from, result)) {
        return result;
    }
    const std::string input_name = utf8_name(input);
    const std::string output_name = utf8_name(output);
    QuietConsole quiet(result.problems);
    // The modern form refuses an output that is its own input before converting.
    InputFiles own_input;
    if (file_id_of(input_name.c_str()).known) own_input.add(input_name.c_str(), false);
    if (file_id_of(output_name.c_str()).known && own_input.holds(output_name.c_str())) {
        quiet.console.problem("Output is an input of this run: [%s] (from [%s])\n", output_name.c_str(),
                              input_name.c_str());
        result.failure = Failure::output_not_opened;
        return result;
    }
    try {
        MeshConversion ends{input_name.c_str(), output_name.c_str()};
        ends.from = from;
        fill(result, convert_mesh(ends, form, quiet.console), true);
    } catch (const std::bad_alloc&) {
        quiet.console.problem("Out of memory: [%s]\n", input_name.c_str());
        result.failure = Failure::out_of_memory;
    }
    return result;
}

// The writer's file, its form's sink and the console that keeps its problems.
struct FacetWriter::State {
    ConvertResult result;
    QuietConsole quiet{result.problems};
    FacetForm form = facet_form_of(kTextForm);
    std::string name;
    std::string output;
    std::unique_ptr<TextOutput> file;
    std::unique_ptr<FacetSink> sink;
    int given = 0;
    bool write_failure_reported = false;
    Facet facet{};

    void report_write_failure() {
        if (file->failed() && !write_failure_reported) {
            quiet.console.problem("Cannot write file: [%s]\n", output.c_str());
            write_failure_reported = true;
        }
    }
    void take(const double* vertices, const double* normal) {
        make_facet(vertices, normal, facet);
        count_one(given);
        sink->take_facet(facet);
    }
};

FacetWriter::FacetWriter() = default;
FacetWriter::~FacetWriter() = default;
FacetWriter::FacetWriter(FacetWriter&&) noexcept = default;
FacetWriter& FacetWriter::operator=(FacetWriter&&) noexcept = default;

bool FacetWriter::open(const std::filesystem::path& output, const WriteOptions& options) {
    state_ = std::make_unique<State>();
    State& state = *state_;
    if (!form_of(options.form, options.all_edges, state.form, state.result)) return false;
    state.name = options.name;
    state.output = utf8_name(output);
    auto file = std::make_unique_for_overwrite<TextOutput>();
    if (!file->open(state.output.c_str())) {
        state.quiet.console.problem("Cannot open file: [%s]\n", state.output.c_str());
        state.result.failure = Failure::output_not_opened;
        return false;
    }
    state.file = std::move(file);
    state.sink = make_facet_writer(state.form, *state.file, state.quiet.console);
    write_output_header(*state.file, state.form, state.name.c_str());
    return true;
}

void FacetWriter::write(const double vertices[3][3]) {
    if (state_ && state_->sink) state_->take(&vertices[0][0], nullptr);
}

void FacetWriter::write(const double vertices[3][3], const double normal[3]) {
    if (state_ && state_->sink) state_->take(&vertices[0][0], normal);
}

void FacetWriter::write(const Triangle& triangle) {
    if (state_ && state_->sink) state_->take(&triangle.vertices[0][0], triangle.has_normal ? triangle.normal : nullptr);
}

void FacetWriter::write_many(const double* vertices, std::size_t count, const double* normals) {
    if (!state_ || !state_->sink) return;
    State& state = *state_;
    for (std::size_t i = 0; i < count; ++i) {
        state.take(vertices + 9 * i, normals != nullptr ? normals + 3 * i : nullptr);
    }
    state.report_write_failure();
}

ConvertResult FacetWriter::finish() {
    if (!state_) return never_opened("The writer was not opened", Failure::output_not_opened);
    State& state = *state_;
    if (state.sink) {
        state.report_write_failure();
        // As the tool says of an input that gives no facet.
        if (state.given == 0) state.quiet.console.problem("No facet to convert in [%s]\n", state.name.c_str());
        write_output_trailer(*state.file, state.form, state.name.c_str(), state.given);
        if (!state.file->close() && !state.write_failure_reported) {
            state.quiet.console.problem("Cannot write file: [%s]\n", state.output.c_str());
            state.write_failure_reported = true;
        }
        state.sink.reset();
        state.file.reset();
        state.result.facets = facet_count(state.given);
        if (state.write_failure_reported) state.result.failure = Failure::output_not_written;
    }
    ConvertResult result = std::move(state.result);
    state_.reset();
    return result;
}

ConvertResult write_facets(const std::filesystem::path& output, const double* vertices, std::size_t count,
                           const double* normals, const WriteOptions& options) {
    FacetWriter writer;
    if (writer.open(output, options)) writer.write_many(vertices, count, normals);
    return writer.finish();
}

// The input, its reader and what the reading has said so far.
struct FacetReader::State {
    std::string name;
    MeshInput input;
    ConvertResult result;
    int given = 0;
    bool opened = false;
    bool ended = false;
};

FacetReader::FacetReader() = default;
FacetReader::~FacetReader() = default;
FacetReader::FacetReader(FacetReader&&) noexcept = default;
FacetReader& FacetReader::operator=(FacetReader&&) noexcept = default;

bool FacetReader::open(const std::filesystem::path& input, const std::optional<std::string>& from_format) {
    state_ = std::make_unique<State>();
    State& state = *state_;
    std::optional<InputKind> from;
    if (!kind_of(from_format, from, state.result)) return false;
    state.name = utf8_name(input);
    InputRequest request;
    request.path = state.name.c_str();
    request.name = state.name;
    request.from = from;
    if (!state.input.open(request)) {
        state.result.problems.push_back("Cannot open file: [" + state.name + "]");
        state.result.failure = Failure::input_not_opened;
        return false;
    }
    state.opened = true;
    return true;
}

bool FacetReader::next(Triangle& triangle) {
    if (!state_ || !state_->opened || state_->ended) return false;
    State& state = *state_;
    MeshReader& reader = state.input.reader();
    for (;;) {
        const ReadStep step = reader.next();
        if (step == ReadStep::kFacet) {
            count_one(state.given);
            const Facet& facet = reader.facet();
            for (int i = 0; i < 3; ++i) {
                for (int axis = 0; axis < 3; ++axis) triangle.vertices[i][axis] = facet.vertices[i][axis];
            }
            facet_normal(facet, triangle.normal);
            triangle.has_normal = facet.has_normal;
            return true;
        }
        if (step == ReadStep::kProblem) {
            state.result.problems.push_back(reader.problem());
            continue;
        }
        state.ended = true;
        state.result.facets = facet_count(reader.facet_count(state.given));
        state.result.format = reader.format_name();
        if (state.input.kind().gzip) state.result.format += ".gz";
        state.result.unit = reader.unit();
        if (!reader.read_to_end()) {
            state.result.failure = Failure::input_not_read;
        } else if (state.given == 0) {
            state.result.problems.push_back("No facet to convert in [" + state.name + "]");
        }
        return false;
    }
}

ConvertResult FacetReader::finish() {
    if (!state_) return never_opened("The reader was not opened", Failure::input_not_opened);
    Triangle rest;
    while (next(rest)) {
    }
    ConvertResult result = std::move(state_->result);
    state_.reset();
    return result;
}

ReadResult read_facets(const std::filesystem::path& input, const std::optional<std::string>& from_format) {
    ReadResult read;
    FacetReader reader;
    try {
        if (reader.open(input, from_format)) {
            Triangle triangle;
            while (reader.next(triangle)) {
                read.vertices.insert(read.vertices.end(), &triangle.vertices[0][0], &triangle.vertices[0][0] + 9);
                read.normals.insert(read.normals.end(), triangle.normal, triangle.normal + 3);
            }
        }
        read.result = reader.finish();
    } catch (const std::bad_alloc&) {
        read = ReadResult{};
        read.result.problems.push_back("Out of memory: [" + utf8_name(input) + "]");
        read.result.failure = Failure::out_of_memory;
    }
    return read;
}

MeshInfo mesh_report(const std::filesystem::path& input, const std::optional<std::string>& from_format) {
    MeshInfo info;
    info.file = utf8_name(input);
    std::optional<InputKind> from;
    if (!kind_of(from_format, from, info.result)) return info;
    QuietConsole quiet(info.result.problems);
    try {
        MeshReport report;
        MeshConversion ends{info.file.c_str(), info.file.c_str(), false, false, nullptr, &report};
        ends.from = from;
        FacetForm form = facet_form_of(kTextForm);
        form.consumer = FacetConsumer::kMeshReport;
        const ConversionResult run = convert_mesh(ends, form, quiet.console);
        fill(info.result, run, false);
        // A file that could not be read to its end has no figures to give.
        if (!run.read_whole) return info;
        report.set_facet_count(run.nfacet);
        MeshFigures figures = report.figures();
        figures.format = run.format;
        figures.unit = run.unit;
        info.format = figures.format;
        info.unit = figures.unit;
        info.facets = facet_count(figures.facets);
        info.vertices = figures.vertices;
        info.edges = figures.edges;
        info.boundary_edges = figures.boundary_edges;
        info.nonmanifold_edges = figures.nonmanifold_edges;
        info.degenerate_facets = figures.degenerate_facets;
        for (int axis = 0; axis < 3; ++axis) {
            info.min[axis] = figures.min[axis];
            info.max[axis] = figures.max[axis];
        }
        info.area = figures.area;
        info.volume = figures.volume;
        info.closed = figures.closed;
        info.json = render_report(info.file.c_str(), figures, ReportStyle::kJsonLine);
    } catch (const std::bad_alloc&) {
        quiet.console.problem("Out of memory: [%s]\n", info.file.c_str());
        info.result.failure = Failure::out_of_memory;
        info.json.clear();
    }
    return info;
}

const char* version() {
    // The number after "Version ", as the banner shows it.
    constexpr std::string_view prefix = "Version ";
    return kVersion + prefix.size();
}

}  // namespace trimora
