// Where a program finds its data folder and puts its listing unless told otherwise, the same for
// the window and the batch command.
#pragma once

#include <string>
#include <string_view>

namespace catalog {

// The listing's name until the user gives another, in the window and the batch command alike.
inline constexpr std::string_view kDefaultOutputName = "output.txt";

// The data folder and the default listing beside a program, joined as plain text so that an
// output name is used exactly as typed: "sub/x.txt" lands in the folder sub, "/tmp/x" inside
// the program directory. The separator is the system's own ("\" on Windows). A name that says
// where it goes on Windows ("C:\lists\x.txt", "\\server\share\x.txt") is used as it stands.
std::string dataFolderIn(const std::string& programDirectory);
std::string outputPathIn(const std::string& programDirectory, std::string_view outputName);

}  // namespace catalog
