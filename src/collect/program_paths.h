// Where a program finds its data folder and puts its listing unless told otherwise, the same for
// the window and the batch command.
#pragma once

#include <string>
#include <string_view>

namespace catalog {

// The listing's name until the user gives another, in the window and the batch command alike.
inline constexpr std::string_view kDefaultOutputName = "output.txt";

// The data folder and the default listing beside a program, joined as plain text so that an output
// name is used exactly as typed: "sub/x.txt" lands in the folder sub. The separator is the system's
// own ("\" on Windows). A full path ("/home/shop/lists/x.txt", on Windows "C:\lists\x.txt" or
// "\\server\share\x.txt") is used as it stands; on Windows a name from the root ("\lists\x.txt",
// "/lists/x.txt") goes on the program's drive, or on its share, as Windows reads such a name.
std::string dataFolderIn(const std::string& programDirectory);
std::string outputPathIn(const std::string& programDirectory, std::string_view outputName);

}  // namespace catalog
