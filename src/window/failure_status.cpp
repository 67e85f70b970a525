#include "window/failure_status.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "collect/run_summary.h"
#include "platform/paths.h"
#include "platform/system_error.h"
#include "window/display_text.h"
#include "window/row_cells.h"
#include "window/window_run.h"

namespace catalog::window {

namespace {

// A sentence of the status around its path.
struct Said {
    std::string before;
    std::string path;
    std::string after;
};

// What the program added to the system's words, which says what to do already: "notes.txt is
// read-only: clear its read-only flag, ...". Empty when there is nothing.
std::string programDetail(const RunFailure& failure) {
    const std::string words = displayText(describeSystemError(failure.errorNumber)) + ": ";
    return failure.description.starts_with(words) ? failure.description.substr(words.size())
                                                  : std::string();
}

// The folder that holds `path`, or nothing when the path names none.
std::string_view folderOf(std::string_view path) {
    const auto end = std::find_if(path.rbegin(), path.rend(), isPathSeparator).base();
    const std::string_view folder = path.substr(0, static_cast<std::size_t>(end - path.begin()));
    return folder.size() > 1 ? withoutEndSeparator(folder) : folder;
}

Said writeFailure(const RunFailure& failure, const std::string& path, const std::string& words) {
    switch (kindOfError(failure.errorNumber)) {
        case ErrorKind::NotFound:
            if (const std::string_view folder = folderOf(path); !folder.empty()) {
                return {"the folder ", std::string(folder),
                        " does not exist: make it, or save to another folder"};
            }
            break;
        case ErrorKind::DiskFull:
            return {"the disk holding ", path,
                    " is full" + words + ": free some space on it, or save to another disk"};
        case ErrorKind::ReadOnlyDisk:
            return {"", path, " lies on a disk that takes no writes: save to another disk"};
        case ErrorKind::IsFolder:
            return {"", path, " is a folder: type the name of a file to save to"};
        case ErrorKind::NoPermission:
            return {"", path,
                    " cannot be written" + words +
                        ": get permission to write it, or save to another folder"};
        default:
            break;
    }
    return {"could not write ", path, words + ": save to another name or folder"};
}

// A failure told by the system's words alone.
Said systemFailure(const RunFailure& failure, const std::string& path, const std::string& words) {
    const std::string failed = "could not " + failure.operation + " ";
    if (isShortage(failure.errorNumber)) {
        return {failed, path, words + ": close other programs to free memory, and collect again"};
    }
    if (failure.operation == "write") {
        return writeFailure(failure, path, words);
    }
    // A page: the others are read, and the listing written, once it is out of the way.
    if (failure.operation == "read" || failure.operation == "open") {
        return {failed, path,
                words + ": make it readable, or move it out of the data folder, and collect again"};
    }
    return {failed, path, words + ": check it, and collect again"};
}

Said saidOf(const RunFailure& failure) {
    const std::string path = oneLine(failure.path);
    const std::string words = " (" + oneLine(failure.description) + ")";
    if (kindOfError(failure.errorNumber) == ErrorKind::HeldOpen) {
        const bool output = failure.outputUnreadable || failure.operation == "write";
        return {"", path,
                std::string(" is open in another program: close it there") +
                    (output ? ", or save to another name" : " and collect again")};
    }
    if (failure.outputUnreadable) {
        return {"", path,
                " cannot be read to tell whether it is a listing" + words +
                    ": make it readable, or save to another name"};
    }
    if (const std::string detail = programDetail(failure); !detail.empty()) {
        // Its own words say what to do, but for a folder in the way.
        const bool advises = detail.find_first_of(":;") != std::string::npos;
        return {"could not " + failure.operation + " ", path,
                ": " + oneLine(detail) + (advises ? "" : ": save to another name")};
    }
    return systemFailure(failure, path, words);
}

}  // namespace

StatusText failureStatus(const RunFailure& failure) {
    StatusText status;
    if (failure.nameRefused) {
        // The refusal starts with the name and ends with what to do.
        const std::string description = oneLine(failure.description);
        const std::size_t name = !failure.name.empty() && description.starts_with(failure.name)
                                     ? failure.name.size()
                                     : 0;
        status = withPath("Name refused; nothing written: ", description.substr(0, name),
                          description.substr(name));
    } else if (failure.path.empty()) {
        status.text = "Failed; nothing written: " + oneLine(failure.description);
    } else {
        const Said said = saidOf(failure);
        status = withPath("Failed; nothing written: " + said.before, said.path, said.after);
    }
    status.details = failureTextFor(failure).details;
    return status;
}

}  // namespace catalog::window
