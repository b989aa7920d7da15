// The converter run: naming and opening, header, the code-word line loop, trailer, closing.
#include "convert/converter.h"

#include <cstdio>
#include <memory>

#include "convert/binary_stl.h"
#include "convert/identity.h"
#include "convert/line_blocks.h"
#include "convert/line_loop.h"
#include "platform/same_file.h"
#include "platform/text_input.h"
#include "platform/text_output.h"
#include "report/mesh_report.h"
#include "textutil/textutil.h"
#include "writers/facet_output.h"

namespace trimora {

namespace {

void write_header(TextOutput& file, const char* input_path) {
    file.print("$ File: %s\n", input_path);
    // A date of its own: conversions may run side by side.
    write_time_stamp(&file, "$ Date: ");
    file.print("$ Created by: %s - %s - %s\n", kProgramName, kVersion, kReleaseDate);
    file.write_newline();
}

void write_trailer(TextOutput& file, int nfacet) {
    file.write_newline();
    file.print("$ nfacet = %d\n", nfacet);
    file.write_newline();
    file.print("$ End of file\n");
    file.write_newline();
}

// Opens the input and tells a binary file, by its size for a file and by its
// first bytes for the standard input; false when it cannot be opened.
bool open_input(const StlConversion& ends, TextInput& text, BinaryStlInput& binary) {
    text.count_bytes_in(ends.bytes_read);
    binary.count_bytes_in(ends.bytes_read);
    if (!ends.input_is_standard) {
        if (!text.open(ends.input_path)) return false;
        binary.open(ends.input_path);
        return true;
    }
    unsigned char first[kBinaryPrefixSize];
    std::size_t size = 0;
    while (size < sizeof first) {
        const std::size_t got = std::fread(first + size, 1, sizeof first - size, stdin);
        if (got == 0) break;
        size += got;
    }
    if (ends.bytes_read != nullptr) ends.bytes_read->fetch_add(size, std::memory_order_relaxed);
    if (looks_like_binary_stl(first, size)) {
        binary.attach(stdin, first);
    } else {
        text.attach(stdin, reinterpret_cast<const char*>(first), static_cast<int>(size));
    }
    return true;
}

}  // namespace

int convert_stl_file(const char* name, const FacetForm& form, TextOutput& console) {
    char input_path[kTextSize];
    char output_path[kTextSize];
    copy_text(kTextSize, input_path, name);
    copy_text(kTextSize, output_path, name);
    replace_extension(kTextSize, input_path, "stl");
    replace_extension(kTextSize, output_path, "kpf");
    return convert_stl({input_path, output_path}, form, console);
}

int convert_stl(const StlConversion& ends, const FacetForm& form, TextOutput& console) {
    const char* input_path = ends.input_path;
    const char* output_path = ends.output_path;
    auto input = std::make_unique<TextInput>();
    // A binary file (told by its size) gives whole facets, not lines.
    auto binary = std::make_unique<BinaryStlInput>();
    if (!open_input(ends, *input, *binary)) {
        console.print("Cannot open file: [%s]\n", input_path);
        return 0;
    }
    console.print("File open: [%s]\n", input_path);

    // A name with no room for the extension gives both paths the same text,
    // and links can make two texts one file: never open the input for writing.
    auto file = ends.output_is_standard ? std::make_unique<TextOutput>(stdout)
                                        : std::make_unique<TextOutput>();
    const bool writes_file = form.consumer != FacetConsumer::kMeshReport;
    if (writes_file) {
        if (!ends.output_is_standard &&
            ((!ends.input_is_standard && same_file(input_path, output_path)) ||
             !file->open(output_path))) {
            console.print("Cannot open file: [%s]\n", output_path);
            input->close();
            return 0;
        }
        console.print("File open: [%s]\n", output_path);
    }

    auto out = std::make_unique<FacetOutput>();
    out->output_code = form.output_code;
    out->normal_keyword = form.normal_keyword;
    out->vertex_keyword = form.vertex_keyword;
    out->consumer = form.consumer;
    out->report = form.report;
    out->file = file.get();
    out->console = &console;

    if (writes_file) write_header(*file, input_path);
    LineLoop loop{*out, console};
    bool write_failure_reported = false;
    auto report_write_failure = [&] {
        if (file->failed() && !write_failure_reported) {
            console.print("Cannot write file: [%s]\n", output_path);
            write_failure_reported = true;
        }
    };
    if (binary->is_open()) {
        while (const unsigned char* record = binary->read_record()) {
            count_one(loop.nfacet);
            loop.status = write_binary_facet(*out, record);
            report_write_failure();
        }
    } else {
        read_lines(*input, loop, report_write_failure);
    }
    // A read error ends the loop like the end of the file: the output is then
    // incomplete, and the run must not look like a success.
    const bool read_failed = input->failed() || binary->failed();
    binary->close();
    if (read_failed) console.print("Cannot read file: [%s]\n", input_path);
    if (writes_file) write_trailer(*file, loop.nfacet);

    input->close();
    console.print("File closed: [%s]\n", input_path);
    if (writes_file) {
        file->close();
        report_write_failure();
        console.print("File closed: [%s]\n", output_path);
    }
    // A file read only in part has no figures to give.
    if (form.report != nullptr && !read_failed) form.report->set_facet_count(loop.nfacet);
    console.print("nfacet = %d\n", loop.nfacet);
    return write_failure_reported || read_failed ? 0 : loop.status;
}

}  // namespace trimora
