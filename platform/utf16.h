// UTF-8 and UTF-16 texts of names, in plain code so that every platform tests it.
#pragma once

#include <string>
#include <string_view>

namespace trimora {

// The UTF-8 bytes of a UTF-16 text. A lone surrogate, which a Windows name may hold, is written
// as its own three bytes, so that the name comes back unchanged from utf16_from_utf8.
std::string utf8_from_utf16(std::u16string_view text);

// The UTF-16 text of UTF-8 bytes (lone surrogates as above). A byte that starts no valid
// sequence becomes U+FFFD, as does a sequence cut short.
std::u16string utf16_from_utf8(std::string_view text);

// The text with every byte that is not part of a valid UTF-8 sequence
// replaced by U+FFFD (EF BF BD): no overlong forms, no surrogates, nothing
// past U+10FFFF. Valid text comes back unchanged.
std::string valid_utf8(std::string_view text);

// True when the last part of a path names a Windows device (CON, PRN, AUX, NUL, COM1-COM9,
// LPT1-LPT9, CONIN$, CONOUT$), with any extension and in any folder, or when the path is in the
// device namespace (\\.\ or \\?\ followed by a device): opening it would reach the device.
bool is_windows_device_path(std::string_view path);

}  // namespace trimora
