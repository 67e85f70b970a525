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
    return programDirectory + kPathSeparator + std::string(outputName);
}

}  // namespace catalog
