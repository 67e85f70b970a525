#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace catalog {

// The program's arguments after its name, in UTF-8: on Windows from the wide command line, so
// that any name can be passed; on POSIX as given.
std::vector<std::string> programArguments(int argc, char** argv);

// On POSIX a standard descriptor that was closed (`>&-`) is taken by /dev/null, opened the other
// way round: writing to it still fails as it would have, but no file the program opens can get
// its number, where the program's messages would then land. (A Windows console needs nothing:
// text is written to it as characters, see writeStandardError.) Call once at start-up.
void prepareConsole();

// How the lines of the program's own texts for people (help, version) end on standard output,
// as the system's text files end theirs. Files written keep their CR LF everywhere.
#ifdef _WIN32
inline constexpr std::string_view kTextLineEnd = "\r\n";
#else
inline constexpr std::string_view kTextLineEnd = "\n";
#endif

// Whether standard error is a terminal or console, where a progress line can be redrawn.
bool standardErrorIsTerminal();

// Whether a terminal or console follows escape sequences, such as the one that rubs out the rest
// of a line. A terminal does; a Windows console before Windows 10 shows them as text, and so
// does Wine's console window even once it has agreed to follow them, so on Windows a line is
// rubbed out with blanks.
#ifdef _WIN32
inline constexpr bool kConsoleTakesEscapes = false;
#else
inline constexpr bool kConsoleTakesEscapes = true;
#endif

// The width in columns of the terminal or console on standard error, at the time of asking;
// 80 where it cannot say, as a terminal's usual width.
std::size_t standardErrorColumns();

}  // namespace catalog
