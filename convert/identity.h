// The tool's identity strings, shown in the banner and in every output header.
#pragma once

namespace trimora {

inline constexpr const char* kProgramName = "TRIMORA";
inline constexpr const char* kVersion = "Version 1.3";
inline constexpr const char* kReleaseDate = "August 2014";

}  // namespace trimora
