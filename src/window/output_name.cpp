#include "window/output_name.h"

#include "collect/listing_format.h"
#include "collect/program_paths.h"
#include "collect/protected_output.h"
#include "platform/file_error.h"
#include "platform/file_identity.h"
#include "platform/input_file.h"
#include "platform/output_file.h"
#include "platform/paths.h"
#include "platform/shown_path.h"
#include "window/display_text.h"

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
               " holds a colon after the drive, which Windows takes for a stream hidden inside "
               "a file. Please choose a name without a colon.";
    }
    return std::nullopt;
}

std::string protectedNameText(const std::string& outputName, const std::string& reason) {
    return "\"" + outputName + "\" cannot be used: " + reason +
           ". Please choose another name to save to.";
}

namespace {

// Whether the file at `path` starts as a listing of any form does, reading no more than its
// start. A file that cannot be read is not known to be a listing.
bool startsLikeListingFile(const std::string& path) {
    std::string start(kListingStartBytes, '\0');
    std::size_t got = 0;
    try {
        InputFile file(path);
        for (std::size_t read = 1; read > 0 && got < start.size(); got += read) {
            read = file.read(start.data() + got, start.size() - got);
        }
    } catch (const FileError&) {
        return false;
    }
    return startsLikeListing(std::string_view(start).substr(0, got));
}

// Refused before any question: the run then fails at once with the advice to clear the flag.
bool readOnly(const std::string& path) {
    try {
        refuseReadOnlyOutput(path);
        return false;
    } catch (const FileError&) {
        return true;
    }
}

}  // namespace

std::optional<std::string> replaceQuestion(const std::string& programDirectory,
                                           const std::string& outputName) {
    const std::string path = outputPathIn(programDirectory, outputName);
    if (outputNameRefusal(outputName) ||
        protectedOutputReason(path, dataFolderIn(programDirectory), programDirectory) ||
        !isRegularFile(path) || readOnly(path) || startsLikeListingFile(path)) {
        return std::nullopt;
    }
    return displayText(shownPath(path)) + " exists and is not a listing: replace it?";
}

}  // namespace catalog::window
