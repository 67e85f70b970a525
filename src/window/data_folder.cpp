#include "window/data_folder.h"

#include "collect/collection_run.h"
#include "platform/file_error.h"
#include "platform/folder.h"

namespace catalog::window {

FolderToOpen dataFolderToOpen(const std::string& programDirectory) {
    FolderToOpen folder{dataFolderIn(programDirectory), std::nullopt};
    try {
        makeFolder(folder.path);
    } catch (const FileError& error) {
        folder.failure = failureOf(error);
    }
    return folder;
}

}  // namespace catalog::window
