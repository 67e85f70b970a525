#pragma once

#include <string>
#include <vector>

namespace catalog {

// The program's arguments after its name, in UTF-8: on Windows from the wide command line, so
// that any name can be passed; on POSIX as given.
std::vector<std::string> programArguments(int argc, char** argv);

// Makes the console show the program's UTF-8 messages as such (Windows: the UTF-8 output code
// page). Call once at start-up.
void prepareConsole();

// Whether standard error is a terminal or console, where a progress line can be redrawn.
bool standardErrorIsTerminal();

}  // namespace catalog
