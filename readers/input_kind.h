// What an input is: its format and whether it is compressed, told by its name, the --from word and its bytes.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "readers/mesh_reader.h"

namespace trimora {

// What an input holds: its format, and whether it is gzip-compressed around it.
struct InputKind {
    MeshFormat format;
    bool gzip = false;
};

// The kind of a file by its name's last extension, in any case, after a last
// ".gz" is taken off: "part.OBJ.gz" is gzip OBJ, ".shp" is KPF. Nothing for
// any other extension or none.
std::optional<InputKind> input_kind_from_name(std::string_view name);

// The kind named by a format word (stl, obj, ply, off, 3mf, kpf), in any
// case, optionally followed by ".gz"; nothing for another word.
std::optional<InputKind> input_kind_from_word(std::string_view word);

// The format words, in the order a usage text lists them.
std::span<const char* const> format_words();

// The word of a format: "stl", "obj", ...
const char* format_word(MeshFormat format);

// What is known of an input before it is read.
struct InputFacts {
    std::string_view name;      // as given; its extension tells the kind of a named file
    bool standard = false;      // standard input, which has no name to go by
    // What --from names: the kind of standard input and of names whose
    // extension tells none; STL when it names nothing either.
    std::optional<InputKind> from{};
    // The input's first bytes (at least two when it has them), and whether
    // they count: the two-word command line goes by the name alone.
    std::string_view first{};
    bool by_content = false;
};

// The kind of the input: the one place where its name, the --from word and
// its first bytes decide it. Bytes that start as gzip does are decompressed
// whatever the name says. Whether STL is ASCII or binary its reader tells
// (stl_is_binary).
InputKind decide_input_kind(const InputFacts& facts);

// Whether text starts with a UTF-16 byte-order mark, either byte order.
bool starts_with_utf16_mark(std::string_view first);

}  // namespace trimora
