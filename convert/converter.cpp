// The converter run: naming and opening, header, the code-word line loop, trailer, closing.
#include "convert/converter.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "convert/binary_stl.h"
#include "convert/identity.h"
#include "convert/line_blocks.h"
#include "convert/coordinate.h"
#include "convert/line_loop.h"
#include "platform/system.h"
#include "platform/text_input.h"
#include "platform/text_output.h"
#include "readers/mesh_input.h"
#include "textutil/textutil.h"
#include "writers/all_edges_output.h"
#include "writers/facet_output.h"
#include "writers/stl_output.h"
#include "writers/wire_output.h"

namespace trimora {

namespace {

void write_header(TextOutput& file, const char* input_path) {
    file.print("$ File: %s\n", input_path);
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
    return name.empty() || name == "-" ? "mesh" : name;
}

void write_trailer(TextOutput& file, int nfacet) {
    file.write_newline();
    file.print("$ nfacet = %d\n", nfacet);
    file.write_newline();
    file.print("$ End of file\n");
    file.write_newline();
}

// Opens an input through a byte source: standard input, gzip, or a format a
// reader reads. STL bytes are read as text or binary, told by their first
// bytes as for a pipe; false when the input cannot be opened.
bool open_mesh_input(const StlConversion& ends, MeshInput& mesh, TextInput& text,
                     BinaryStlInput& binary) {
    mesh.file().count_bytes_in(ends.bytes_read);
    if (ends.input_is_standard) {
        // Closed when the tool started: only the null device stands in its place.
        if (standard_stream_closed_at_start(stdin)) return false;
        mesh.attach(stdin, nullptr, 0, ends.kind, ends.input_path);
    } else if (!mesh.open(ends.input_path, ends.kind, ends.input_path)) {
        return false;
    }
    if (ends.kind.format != MeshFormat::kStl) return true;
    unsigned char first[kBinaryPrefixSize];
    std::size_t size = 0;
    for (std::size_t got = 1; size < sizeof first && got > 0; size += got) {
        got = mesh.source().read(first + size, sizeof first - size);
    }
    if (looks_like_binary_stl(first, size)) {
        binary.attach(mesh.source(), first);
    } else {
        text.attach(mesh.source(), reinterpret_cast<const char*>(first), static_cast<int>(size));
    }
    return true;
}

// Opens an STL file and tells a binary one by its size; false when it cannot be opened.
bool open_input(const StlConversion& ends, TextInput& text, BinaryStlInput& binary) {
    text.count_bytes_in(ends.bytes_read);
    binary.count_bytes_in(ends.bytes_read);
    if (!text.open(ends.input_path)) return false;
    binary.open(ends.input_path);
    return true;
}

// True when the output is the input itself: the same text, or one file on disk
// through a hard or symbolic link, or standard input redirected from it.
bool output_is_input(const StlConversion& ends) {
    if (!ends.input_is_standard && std::strcmp(ends.input_path, ends.output_path) == 0) return true;
    const FileId input = ends.input_is_standard ? file_id_of_stream(stdin) : file_id_of(ends.input_path);
    return input.known && input == file_id_of(ends.output_path);
}

// The writer of an output form, writing to file; the mesh report is the
// caller's own sink.
std::unique_ptr<FacetSink> make_writer(const FacetForm& form, TextOutput& file, TextOutput& console) {
    if (form.consumer == FacetConsumer::kAllEdges) return std::make_unique<AllEdgesWriter>(file);
    if (form.consumer == FacetConsumer::kMeshReport) return std::make_unique<NoFacetWriter>();
    switch (form.output_code) {
        case kNumberForm:
        case kTextForm:
            return std::make_unique<FacetLinesWriter>(file, form.normal_keyword, form.vertex_keyword);
        case kWireForm: return std::make_unique<WireWriter>(file, console);
        case kStlForm: return std::make_unique<StlWriter>(file);
        default: return std::make_unique<NoFacetWriter>();
    }
}

// Hands each facet of the reader to the sink as a complete one, and prints
// each problem; a facet without a normal of its own gets its vertices'.
void read_mesh(MeshReader& reader, LineLoop& loop, const std::function<void()>& after_facet) {
    for (;;) {
        switch (reader.next()) {
            case ReadStep::kFacet: {
                count_one(loop.nfacet);
                count_one(loop.line_number);
                loop.facet = reader.facet();
                loop.vertex_count = 3;
                loop.status = finish_facet(loop.sink, loop.console, loop.vertex_count, loop.line_number,
                                           loop.facet);
                after_facet();
                break;
            }
            case ReadStep::kProblem:
                loop.console.print("%s\n", reader.problem().c_str());
                loop.status = 0;
                break;
            case ReadStep::kEnd: return;
        }
    }
}

long line_ends_in(const char* name) {
    long count = 0;
    for (; *name != '\0'; ++name) count += *name == '\n' ? 1 : 0;
    return count;
}

}  // namespace

int convert_stl_file(const char* name, const FacetForm& form, TextOutput& console) {
    char input_path[kTextSize];
    char output_path[kTextSize];
    copy_text(kTextSize, input_path, name);
    copy_text(kTextSize, output_path, name);
    replace_extension(kTextSize, input_path, "stl");
    replace_extension(kTextSize, output_path, "kpf");
    StlConversion ends{input_path, output_path};
    ends.keeps_output_read_in_part = true;
    return convert_stl(ends, form, console).status;
}

ConversionResult convert_stl(const StlConversion& ends, const FacetForm& form, TextOutput& console) {
    const char* input_path = ends.input_path;
    const char* output_path = ends.output_path;
    ConversionResult result;
    const long lines_before = console.lines_written();
    // Written before they are read: no need to clear them.
    auto input = std::make_unique_for_overwrite<TextInput>();
    // A binary file (told by its size) gives whole facets, not lines.
    auto binary = std::make_unique_for_overwrite<BinaryStlInput>();
    // Only an STL file on disk is read directly; everything else through a byte source.
    std::unique_ptr<MeshInput> mesh;
    if (ends.input_is_standard || ends.kind.format != MeshFormat::kStl || ends.kind.gzip) {
        mesh = std::make_unique<MeshInput>();
    }
    if (mesh ? !open_mesh_input(ends, *mesh, *input, *binary) : !open_input(ends, *input, *binary)) {
        console.print("Cannot open file: [%s]\n", input_path);
        result.problem_lines = 1;
        return result;
    }
    console.print("File open: [%s]\n", input_path);

    // A name with no room for the extension gives both paths the same text,
    // and links can make two texts one file: never open the input for writing.
    auto file = ends.output_is_standard ? std::make_unique<TextOutput>(stdout)
                                        : std::make_unique_for_overwrite<TextOutput>();
    const bool writes_file = form.consumer != FacetConsumer::kMeshReport;
    if (writes_file) {
        if (!ends.output_is_standard && (output_is_input(ends) || !file->open(output_path))) {
            console.print("Cannot open file: [%s]\n", output_path);
            input->close();
            result.problem_lines = 1;
            return result;
        }
        console.print("File open: [%s]\n", output_path);
    }

    // The run's one sink, chosen here: the caller's report, or a writer made for this run.
    std::unique_ptr<FacetSink> writer;
    if (writes_file || ends.report == nullptr) writer = make_writer(form, *file, console);
    FacetSink& sink = writer ? *writer : *ends.report;
    const bool stl_output = writes_file && form.output_code == kStlForm;
    if (stl_output) {
        write_stl_header(*file, solid_name(input_path));
    } else if (writes_file) {
        write_header(*file, input_path);
    }
    LineLoop loop{sink, console};
    bool write_failure_reported = false;
    auto report_write_failure = [&] {
        if (file->failed() && !write_failure_reported) {
            console.print("Cannot write file: [%s]\n", output_path);
            write_failure_reported = true;
        }
    };
    const bool by_reader = mesh && ends.kind.format != MeshFormat::kStl;
    if (by_reader) {
        read_mesh(mesh->reader(), loop, report_write_failure);
    } else if (binary->is_open()) {
        while (const unsigned char* record = binary->read_record()) {
            // Each record is a whole facet, numbered as a line would be.
            count_one(loop.nfacet);
            count_one(loop.line_number);
            read_binary_facet(record, loop.facet);
            loop.vertex_count = 3;
            loop.status = finish_facet(sink, console, loop.vertex_count, loop.line_number, loop.facet);
            report_write_failure();
        }
    } else {
        read_lines(*input, loop, report_write_failure,
                   ends.line_block_size > 0 ? ends.line_block_size : kLineBlockSize);
    }
    // A read error ends the loop like the end of the file: the output is then
    // incomplete, and the run must not look like a success.
    // A reader has said why itself.
    const bool read_failed = by_reader ? !mesh->reader().read_to_end() : input->failed() || binary->failed();
    // The counted facets are converted; what follows them is a problem of the file.
    const bool data_after = !read_failed && binary->data_after_records();
    result.format = by_reader ? mesh->reader().format_name() : binary->is_open() ? "stl-binary" : "stl-ascii";
    if (ends.kind.gzip) result.format += ".gz";
    if (by_reader) result.unit = mesh->reader().unit();
    binary->close();
    if (read_failed && !by_reader) console.print("Cannot read file: [%s]\n", input_path);
    if (data_after) console.print("Data after the last record: [%s]\n", input_path);
    if (stl_output) {
        write_stl_trailer(*file, solid_name(input_path));
    } else if (writes_file) {
        write_trailer(*file, loop.nfacet);
    }

    input->close();
    console.print("File closed: [%s]\n", input_path);
    if (writes_file) {
        if (read_failed && !ends.keeps_output_read_in_part) {
            file->discard();
        } else {
            file->close();
        }
        report_write_failure();
        console.print("File closed: [%s]\n", output_path);
    }
    console.print("nfacet = %d\n", loop.nfacet);
    result.status = write_failure_reported || read_failed || data_after ? 0 : loop.status;
    result.nfacet = loop.nfacet;
    result.read_whole = !read_failed;
    // Open and close lines of the input and of a file written, and the
    // count; a name may hold line ends of its own.
    const long usual_lines = 3 + 2 * line_ends_in(input_path) +
                             (writes_file ? 2 + 2 * line_ends_in(output_path) : 0);
    result.problem_lines = console.lines_written() - lines_before - usual_lines;
    return result;
}

}  // namespace trimora
