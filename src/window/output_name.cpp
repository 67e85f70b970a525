#include "window/output_name.h"

#include "collect/program_paths.h"
#include "collect/protected_output.h"
#include "platform/file_error.h"
#include "platform/output_file.h"
#include "platform/paths.h"
#include "platform/shown_path.h"
#include "window/display_text.h"
#include "window/existing_output.h"

namespace catalog::window {

std::optional<std::string> outputNameRefusal(const std::string& outputName) {
    const std::string quoted = "\"" + outputName + "\"";
    if (kWindowsNameRules && isWindowsDeviceName(outputName)) {
        return quoted +
               " is the name of a device on Windows, not of a file: the listing would be "
               "written nowhere. Please choose another name to save to.";
    }
    if (namesFileStream(outputName)) {
        return quoted +
               " holds a colon, which names a stream hidden inside a file on Windows. Please "
               "choose a name without a colon.";
    }
    return std::nullopt;
}

std::string protectedNameText(const std::string& outputName, const std::string& reason) {
    return "\"" + outputName + "\" cannot be used: " + reason +
           ". Please choose another name to save to.";
}

namespace {

// Refused before any question: the run then fails at once with the advice to clear the flag.
bool readOnly(const std::string& path) {
    try {
        refuseReadOnlyOutput(path);
        return false;
    } catch (const FileError&) {
        return true;
    }
}

// A file that cannot be read is not asked about: the run refuses it before it starts, saying why.
bool isOtherFile(const std::string& path) {
    try {
        return existingOutput(path) == ExistingOutput::Other;
    } catch (const FileError&) {
        return false;
    }
}

}  // namespace

std::optional<std::string> replaceQuestion(const std::string& programDirectory,
                                           const std::string& outputName) {
    const std::string path = outputPathIn(programDirectory, outputName);
    if (outputNameRefusal(outputName) ||
        protectedOutputReason(path, dataFolderIn(programDirectory), programDirectory) ||
        readOnly(path) || !isOtherFile(path)) {
        return std::nullopt;
    }
    return displayText(shownPath(path)) + " exists and is not a listing: replace it?";
}

}  // namespace catalog::window
