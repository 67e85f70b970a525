#include "window/output_name.h"

#include "platform/paths.h"

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

}  // namespace catalog::window
