#include "window/window_texts.h"

#include "collect/collection_run.h"
#include "collect/run_summary.h"
#include "platform/paths.h"
#include "window/display_text.h"
#include "window/row_cells.h"
#include "window/window_run.h"

namespace catalog::window {

namespace {

// `text` with `path` after it and `rest` after that, the path marked for shortening.
StatusText withPath(std::string text, std::string_view path, std::string_view rest = {}) {
    StatusText status;
    status.pathStart = text.size();
    status.pathLength = path.size();
    status.text = std::move(text.append(path).append(rest));
    return status;
}

// The data folder as the status names it: on one line, without the separator that ends it.
std::string folderShown(const std::string& folder) {
    return std::string(withoutEndSeparator(oneLine(folder)));
}

// A box wraps at word boundaries, which a hyphen makes too: the path gets a zero-width space
// after each separator and a word joiner after each hyphen, so that it breaks only at the first.
std::string breakableAtSeparators(std::string_view path) {
    std::string shown;
    for (const char c : path) {
        shown.push_back(c);
        if (c == '/' || c == kPathSeparator) {
            shown.append("\u200B");
        } else if (c == '-') {
            shown.append("\u2060");
        }
    }
    return shown;
}

}  // namespace

StatusText startStatus(const std::string& programDirectory) {
    return withPath("Reads the pages in ",
                    folderShown(displayText(dataFolderIn(programDirectory))));
}

StatusText statusAfter(const RunOutcome& outcome) {
    if (outcome.stopped) {
        return stoppedStatus();
    }
    if (outcome.failure) {
        const char* text = outcome.failure->nameRefused ? "Name refused; nothing written"
                                                        : "Failed; nothing written";
        return {text, failureTextFor(*outcome.failure).details};
    }
    if (outcome.counts.pages == 0) {
        StatusText status =
            withPath(capitalized(noPagesAdvice(outcome.folderMissing, outcome.leftovers)),
                     folderShown(outcome.dataFolder));
        status.details = status.text + ".\n" + outcome.listingPath + " holds only the header.";
        status.offersDataFolder = true;
        return status;
    }
    const PageCounts& pages = outcome.counts.worthTelling;
    // The summary's words around the name, which is the part to shorten.
    const std::string summary = summaryOf(outcome.counts, "");
    const std::size_t destination = summary.find(" from ");
    StatusText status =
        withPath(summary.substr(0, destination), oneLine(shownName(outcome.outputName)),
                 std::string_view(summary).substr(destination));
    status.details = outcome.listingPath;
    status.offersPageList = pages.withoutRecord > 0 || pages.withFieldNotFound > 0;
    return status;
}

StatusText copyRefusedStatus(CopyRefusal refusal, std::size_t rows,
                             const std::string& lastListing) {
    if (refusal == CopyRefusal::NoMemory) {
        return shortOfMemoryStatus("copy", rows);
    }
    const std::string limit = std::to_string(kMostCopyBytes >> 20) + " MB";
    const std::string details =
        "The rows chosen hold more than " + limit + ", the most that is copied at once";
    if (lastListing.empty()) {
        return {"Too large to copy: more than " + limit, details};
    }
    return {"Too large to copy: more than " + limit + "; the listing file holds these rows",
            details + ": open " + lastListing + " instead"};
}

std::string linesCopyRefusedText(CopyRefusal refusal, std::size_t lines) {
    if (refusal == CopyRefusal::NoMemory) {
        return "Not enough memory to copy " + counted(lines, "line");
    }
    return "Too large to copy: more than " + std::to_string(kMostCopyBytes >> 20) +
           " MB; catalog-collector-cli --explain prints every line";
}

StatusText shortOfMemoryStatus(std::string_view action, std::size_t rows) {
    // Put together piece by piece: GCC 12 at -O3 takes " " + std::string for an overlapping copy.
    std::string text = "Not enough memory to ";
    text.append(action);
    if (rows > 0) {
        text.append(" ").append(counted(rows, "row"));
    }
    return {text.append("; the rows are kept"),
            "Too little memory was left for this, and the table is as it was. With fewer rows or "
            "more memory free it can be done."};
}

StatusText stoppedStatus() {
    return {"Run stopped", "The run was stopped before its end; nothing was written"};
}

FailureText failureTextFor(const RunFailure& failure) {
    std::string attempt;
    std::string shownAttempt;
    if (!failure.path.empty()) {
        const std::string tried = "Could not " + failure.operation + " \"";
        attempt = tried + failure.path + "\".\n";
        shownAttempt = tried + breakableAtSeparators(failure.path) + "\".\n";
    }
    const std::string error =
        failure.errorNumber == 0
            ? failure.description
            : "Error " + std::to_string(failure.errorNumber) + ": " + failure.description;
    const char* message = failure.nameRefused       ? "The listing cannot be saved under this name."
                          : failure.folderNotOpened ? "The data folder could not be opened."
                                                    : "The collection run failed.";
    return {message, attempt + error, shownAttempt + error};
}

std::string noDisplayMessage(const std::string& reason) {
    std::string line = "catalog-collector: cannot open the window";
    if (!reason.empty()) {
        line += " (" + reason + ")";
    }
    line += "; catalog-collector-cli collects the data folder without a display";
    for (char& c : line) {
        if (c == '\n' || c == '\r') {
            c = ' ';  // one line, whatever the toolkit said
        }
    }
    return line;
}

}  // namespace catalog::window
