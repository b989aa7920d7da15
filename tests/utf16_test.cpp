// UTF-8 and UTF-16 names, and the Windows device names, on every platform.
#include "platform/utf16.h"

#include <gtest/gtest.h>

#include <string>

namespace trimora {
namespace {

struct Pair {
    std::string utf8;
    std::u16string utf16;
};

TEST(Utf16, ConvertsBothWays) {
    const Pair pairs[] = {
        {"", u""},
        {"part.stl", u"part.stl"},
        {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE9\x83\xA8\xE5\x93\x81", u"日本語の部品"},
        {"caf\xC3\xA9", u"caf\u00E9"},
        {"\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF", u"\u007F\u0080\u07FF\u0800\uFFFF"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        // A lone surrogate, which a Windows name may hold, keeps its own three bytes.
        {"a\xED\xA0\x80z", std::u16string{u'a', char16_t{0xD800}, u'z'}},
        {"\xED\xB0\x80", std::u16string{char16_t{0xDC00}}},
    };
    for (const Pair& pair : pairs) {
        EXPECT_EQ(utf8_from_utf16(pair.utf16), pair.utf8) << pair.utf8;
        EXPECT_EQ(utf16_from_utf8(pair.utf8), pair.utf16) << pair.utf8;
    }
}

TEST(Utf16, ReplacesBytesThatStartNoSequence) {
    const Pair cases[] = {
        {"\x80", u"\uFFFD"},
        {"a\xFF" "b", u"a\uFFFDb"},
        {"\xC0\xAF", u"\uFFFD\uFFFD"},       // overlong lead byte
        {"\xE0\x80\xAF", u"\uFFFD"},         // overlong three-byte form
        {"\xF4\x90\x80\x80", u"\uFFFD"},     // beyond U+10FFFF
        {"\xE6\x97", u"\uFFFD"},             // cut short by the end, as a 127-byte cut may leave it
        {"\xE6\x97.stl", u"\uFFFD.stl"},     // cut short by an ASCII byte
    };
    for (const Pair& c : cases) EXPECT_EQ(utf16_from_utf8(c.utf8), c.utf16);
}

// Each byte outside a valid sequence becomes U+FFFD on its own; valid text,
// four-byte forms included, stays as it is.
TEST(Utf16, ValidUtf8ReplacesEveryByteOutsideASequence) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF", "caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF"},
        {"a\xFF" "b", "a\xEF\xBF\xBD" "b"},
        {"\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},              // overlong two-byte form
        {"\xE0\x9F\xBF", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // overlong three-byte form
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // a surrogate
        {"\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // past U+10FFFF
        {"\xE6\x97.stl", "\xEF\xBF\xBD\xEF\xBF\xBD.stl"},      // cut short
        {"x\xE6\x97", "x\xEF\xBF\xBD\xEF\xBF\xBD"},            // cut short by the end
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(valid_utf8(in), out) << in;
}

struct DeviceCase {
    const char* path;
    bool device;
};

TEST(WindowsDevicePath, FindsReservedNamesWithAnyExtensionInAnyFolder) {
    const DeviceCase cases[] = {
        {"CON", true},          {"con.stl", true},        {"Con.kpf", true},
        {"PRN", true},          {"aux.stl", true},        {"NUL", true},
        {"nul.tar.gz", true},   {"COM1", true},           {"com9.stl", true},
        {"LPT1", true},         {"lpt9.kpf", true},       {"CONIN$", true},
        {"conout$.stl", true},  {"dir\\CON.stl", true},   {"c:\\a\\b/nul.kpf", true},
        {"c:con", true},        {"CON .stl", true},       {"com\xC2\xB9.stl", true},
        {"\\\\.\\PhysicalDrive0", true},                  {"//./pipe/x", true},
        {"\\\\?\\GLOBALROOT\\Device", true},
        {"COM0", false},        {"COM10", false},         {"LPT", false},
        {"console.stl", false}, {"icon.stl", false},      {"nul_part.stl", false},
        {"CON\\part.stl", false},                         {"part", false},
        {"", false},            {"\\\\?\\C:\\part.stl", false},
        {"\\\\?\\UNC\\server\\share\\part.stl", false},   {"\\\\server\\share\\part.stl", false},
    };
    for (const DeviceCase& c : cases) EXPECT_EQ(is_windows_device_path(c.path), c.device) << c.path;
}

}  // namespace
}  // namespace trimora
