#pragma once

namespace catalog {

// What separates a folder from the names inside it in paths the program builds itself. Paths
// typed by the user are used as typed; on Windows "/" works there as well as "\".
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

}  // namespace catalog
