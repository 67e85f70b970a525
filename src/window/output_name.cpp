#include "window/output_name.h"

#include "collect/program_paths.h"
#include "platform/file_error.h"
#include "platform/output_file.h"
#include "platform/paths.h"
#include "platform/shown_path.h"
#include "window/display_text.h"
#include "window/existing_output.h"

namespace catalog::window {

ListingTarget listingTarget(const std::string& programDirectory, const std::string& outputName) {
    return ListingTarget{.path = outputPathIn(programDirectory, outputName),
                         .devicesRefused = true,
                         .dataFolder = dataFolderIn(programDirectory),
                         .programDirectory = programDirectory,
                         .format = formatOfName(outputName)};
}

std::string refusalText(const OutputRefusal& refusal, const std::string& outputName) {
    const std::string quoted = "\"" + outputName + "\"";
    switch (refusal.kind) {
        case OutputRefusal::Kind::Device:
            return quoted +
                   " is the name of a device on Windows, not of a file: the listing would be "
                   "written nowhere. Please choose another name to save to.";
        case OutputRefusal::Kind::Stream:
            return quoted +
                   " holds a colon, which names a stream hidden inside a file on Windows. Please "
                   "choose a name without a colon.";
        case OutputRefusal::Kind::Protected:
            break;
    }
    return quoted + " cannot be used: " + refusal.reason +
           ". Please choose another name to save to.";
}

std::optional<std::string> replaceQuestion(const std::string& programDirectory,
                                           const std::string& outputName) {
    const ListingTarget target = listingTarget(programDirectory, outputName);
    if (refusalOf(target)) {
        return std::nullopt;
    }
    // A read-only file, or one that cannot be read to tell, is not asked about: the run refuses
    // it before it starts, saying why.
    try {
        refuseReadOnlyOutput(target.path);
        if (existingOutput(target.path) != ExistingOutput::Other) {
            return std::nullopt;
        }
    } catch (const FileError&) {
        return std::nullopt;
    }
    return displayText(shownPath(target.path)) + " exists and is not a listing: replace it?";
}

}  // namespace catalog::window
