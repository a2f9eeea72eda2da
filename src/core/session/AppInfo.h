#pragma once

namespace kb {

inline constexpr const char* kApplicationTitle = "VK72 Configuration Tool ";
inline constexpr const char* kProgramVersion = "2.0";

} // namespace kb
