// The conversion run: naming and opening, header, the one loop over the reader's steps, trailer, closing.
#include "convert/converter.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "convert/identity.h"
#include "convert/input_files.h"
#include "mesh/run_console.h"
#include "platform/system.h"
#include "platform/text_output.h"
#include "readers/mesh_input.h"
#include "textutil/textutil.h"
#include "writers/all_edges_output.h"
#include "writers/facet_output.h"
#include "writers/point_records.h"
#include "writers/stl_output.h"
#include "writers/wire_output.h"

namespace trimora {

namespace {

// The name as a header line may hold it: CR, LF and the end byte would
// split or end the line when the file is read back, so each becomes '?'.
std::string header_name(std::string name) {
    for (char& c : name) {
        if (c == '\r' || c == '\n' || c == '\x1A') c = '?';
    }
    return name;
}

void write_header(TextOutput& file, const char* input_path) {
    file.print("$ File: %s\n", header_name(input_path).c_str());
    // A date of its own: conversions may run side by side.
    write_time_stamp(&file, "$ Date: ");
    file.print("$ Created by: %s - %s - %s\n", kProgramName, kVersion, kReleaseDate);
    file.write_newline();
}

// The name after solid and endsolid: the input's last part without its
// extensions ("part" for "parts/part.obj.gz").
std::string solid_name(const char* input_path) {
    std::string name = input_path;
    const std::size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const std::size_t dot = name.find('.', 1);
    if (dot != std::string::npos) name.resize(dot);
    return name.empty() || name == "-" ? "mesh" : header_name(name);
}

void write_trailer(TextOutput& file, int nfacet) {
    file.write_newline();
    file.print("$ nfacet = %d\n", nfacet);
    file.write_newline();
    file.print("$ End of file\n");
    file.write_newline();
}

// "Cannot open file", with the system's reason in the modern form (the
// legacy line stays as it was); error is the errno of the failure, or 0.
void report_open_failure(RunConsole& console, const char* path, bool legacy, int error) {
    if (legacy || error == 0) {
        console.problem("Cannot open file: [%s]\n", path);
    } else {
        console.problem("Cannot open file: [%s]: %s\n", path, std::generic_category().message(error));
    }
}

// What an output replaces: a regular file, nothing yet, or something written in place.
enum class OldOutput { kFile, kNone, kNotAFile };

OldOutput old_output_of(const char* path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path_from_utf8(path), error);
    if (!std::filesystem::exists(status)) return OldOutput::kNone;
    return std::filesystem::is_regular_file(status) ? OldOutput::kFile : OldOutput::kNotAFile;
}

}  // namespace

std::unique_ptr<FacetSink> make_facet_writer(const FacetForm& form, TextOutput& file, RunConsole& console,
                                             bool legacy) {
    if (form.consumer == FacetConsumer::kAllEdges) return std::make_unique<AllEdgesWriter>(file);
    if (form.consumer == FacetConsumer::kCheck) return std::make_unique<FacetChecker>();
    if (!form.writes_file()) return std::make_unique<NoFacetWriter>();
    switch (form.output_code) {
        case kNumberForm:
        case kTextForm:
            return std::make_unique<FacetLinesWriter>(file, form.normal_keyword, form.vertex_keyword);
        case kWireForm: return std::make_unique<WireWriter>(file, console, !legacy);
        case kStlForm: return std::make_unique<StlWriter>(file);
        default: return std::make_unique<NoFacetWriter>();
    }
}

void write_output_header(TextOutput& file, const FacetForm& form, const char* input_path) {
    if (form.output_code == kStlForm) {
        write_stl_header(file, solid_name(input_path));
    } else {
        write_header(file, input_path);
    }
}

void write_output_trailer(TextOutput& file, const FacetForm& form, const char* input_path, int nfacet) {
    if (form.output_code == kStlForm) {
        write_stl_trailer(file, solid_name(input_path));
    } else {
        write_trailer(file, nfacet);
    }
}

int convert_stl_file(const char* name, const FacetForm& form, RunConsole& console) {
    char input_path[kTextSize];
    char output_path[kTextSize];
    copy_text(kTextSize, input_path, name);
    copy_text(kTextSize, output_path, name);
    replace_extension(kTextSize, input_path, "stl");
    replace_extension(kTextSize, output_path, "kpf");
    MeshConversion ends{input_path, output_path};
    ends.legacy = true;
    return convert_mesh(ends, form, console).status;
}

ConversionResult convert_mesh(const MeshConversion& ends, const FacetForm& form, RunConsole& console) {
    const char* input_path = ends.input_path;
    const char* output_path = ends.output_path;
    const long problems_before = console.problems();
    ConversionResult result;
    auto input = std::make_unique<MeshInput>();
    InputRequest request;
    request.path = input_path;
    request.standard = ends.input_is_standard;
    request.name = input_path;
    request.from = ends.from;
    request.line_block_size = ends.line_block_size;
    request.bytes_read = ends.bytes_read;
    request.legacy = ends.legacy;
    errno = 0;
    if (!input->open(request)) {
        report_open_failure(console, input_path, ends.legacy, errno);
        result.problem_lines = console.problems() - problems_before;
        return result;
    }
    console.print("File open: [%s]\n", input_path);
    result.input_opened = true;

    // A name with no room for the extension gives both paths the same text,
    // and links can make two texts one file: never open the input for writing.
    auto file = ends.output_is_standard ? std::make_unique<TextOutput>(stdout)
                                        : std::make_unique_for_overwrite<TextOutput>();
    const bool writes_file = form.writes_file();
    const OldOutput old_output =
        !writes_file || ends.output_is_standard ? OldOutput::kNotAFile : old_output_of(output_path);
    if (writes_file) {
        InputFiles own_input;
        own_input.add(input_path, ends.input_is_standard);
        errno = 0;
        if (!ends.output_is_standard &&
            (own_input.holds(output_path) || !file->open(output_path, make_record_writer))) {
            report_open_failure(console, output_path, ends.legacy, errno);
            result.problem_lines = console.problems() - problems_before;
            return result;
        }
        console.print("File open: [%s]\n", output_path);
        result.output_opened = true;
    }

    // The run's one sink, chosen here: the caller's report, or a writer made for this run.
    std::unique_ptr<FacetSink> writer;
    if (writes_file || ends.report == nullptr) writer = make_facet_writer(form, *file, console, ends.legacy);
    FacetSink& sink = writer ? *writer : *ends.report;
    if (writes_file) write_output_header(*file, form, input_path);

    // The one loop: each facet to the sink, each problem to the console. The
    // status is the last facet's or problem's: a problem makes it 0, a facet
    // makes it the sink's result.
    MeshReader& reader = input->reader();
    int status = 1;
    int given = 0;
    bool write_failure_reported = false;
    auto report_write_failure = [&] {
        if (file->failed() && !write_failure_reported) {
            console.problem("Cannot write file: [%s]\n", output_path);
            write_failure_reported = true;
        }
    };
    for (ReadStep step; (step = reader.next()) != ReadStep::kEnd;) {
        if (step == ReadStep::kFacet) {
            count_one(given);
            status = sink.take_facet(reader.facet());
            report_write_failure();
        } else {
            console.problem_line(reader.problem());
            status = 0;
        }
    }
    sink.end_of_facets();
    const int nfacet = reader.facet_count(given);
    // A reader has said why it could not read to the end.
    const bool read_failed = !reader.read_to_end();
    // An empty file, a picture, a cloud of points: a run that converts
    // nothing must not pass for one that converted a mesh.
    if (given == 0 && !read_failed && !ends.legacy) {
        console.problem("No facet to convert in [%s]\n", input_path);
        status = 0;
    }
    result.format = reader.format_name();
    if (input->kind().gzip) result.format += ".gz";
    result.unit = reader.unit();
    if (writes_file) write_output_trailer(*file, form, input_path, nfacet);

    console.print("File closed: [%s]\n", input_path);
    if (writes_file) {
        bool put_in_place = false;
        if (read_failed && !ends.legacy) {
            file->discard();
        } else {
            put_in_place = file->close();
        }
        report_write_failure();
        console.print("File closed: [%s]\n", output_path);
        // A file that is not put in place leaves the old one, or none: said in one line.
        if (!put_in_place && !ends.legacy && old_output == OldOutput::kFile) {
            console.print("Old output kept: [%s]\n", output_path);
        } else if (!put_in_place && !ends.legacy && old_output == OldOutput::kNone) {
            console.print("No output written: [%s]\n", output_path);
        }
    }
    console.print("nfacet = %d\n", nfacet);
    result.status = write_failure_reported || read_failed ? 0 : status;
    result.nfacet = nfacet;
    result.read_whole = !read_failed;
    result.write_failed = write_failure_reported;
    result.problem_lines = console.problems() - problems_before;
    return result;
}

}  // namespace trimora
