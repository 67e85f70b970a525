#include "collect/program_paths.h"

#include "platform/paths.h"

namespace catalog {

std::string dataFolderIn(const std::string& programDirectory) {
    return programDirectory + kPathSeparator + "data" + kPathSeparator;
}

std::string outputPathIn(const std::string& programDirectory, std::string_view outputName) {
    if (isFullPathHere(outputName)) {
        return std::string(outputName);
    }
    // Only on Windows can a name from the root lack where it goes: its drive.
    if (!outputName.empty() && isPathSeparator(outputName.front())) {
        return std::string(rootOf(programDirectory)).append(outputName);
    }
    return programDirectory + kPathSeparator + std::string(outputName);
}

}  // namespace catalog
