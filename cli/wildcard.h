// Wildcard names: * and ? matched by the tool itself where no shell expands them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace trimora {

// True when the name holds * or ?.
bool has_wildcard(std::string_view name);

// True when the whole name matches the pattern: * stands for any run of
// characters, ? for any one character (byte), everything else for itself.
bool matches_wildcard(std::string_view pattern, std::string_view name);

// The names of the entries of the pattern's folder whose names match its
// last part, folder part kept, sorted by name; the folder part itself is
// taken as written. Empty when nothing matches.
std::vector<std::string> expand_wildcard(const std::string& pattern);

}  // namespace trimora
