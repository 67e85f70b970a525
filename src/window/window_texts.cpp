#include "window/window_texts.h"

#include <algorithm>
#include <vector>

#include "collect/failure_text.h"
#include "collect/program_paths.h"
#include "collect/readable_numbers.h"
#include "collect/run_summary.h"
#include "platform/paths.h"
#include "platform/wtf8.h"
#include "window/control_texts.h"
#include "window/data_folder.h"
#include "window/display_text.h"
#include "window/failure_status.h"
#include "window/row_cells.h"
#include "window/window_run.h"

namespace catalog::window {

namespace {

// The data folder as the status names it: on one line, without the separator that ends it.
std::string folderShown(const std::string& folder) {
    return std::string(withoutEndSeparator(oneLine(folder)));
}

}  // namespace

StatusText withPath(std::string text, std::string_view path, std::string_view rest) {
    StatusText status;
    status.pathStart = text.size();
    status.pathLength = path.size();
    status.text = std::move(text.append(path).append(rest));
    return status;
}

StatusText startStatus(const std::string& programDirectory) {
    return withPath("Reads the pages in ",
                    folderShown(displayText(dataFolderIn(programDirectory))));
}

StatusText statusAfter(const RunOutcome& outcome) {
    if (outcome.stopped) {
        return stoppedStatus();
    }
    if (outcome.failure) {
        // What to do stays once the failure's box is closed.
        return failureStatus(*outcome.failure);
    }
    if (outcome.keptListing) {
        StatusText status = withPath(
            "Nothing written: no pages were found in ", folderShown(outcome.dataFolder),
            ", and " + oneLine(shownName(outcome.outputName)) + " keeps its rows as you chose");
        status.details = status.text + ".";
        status.offersDataFolder = true;
        return status;
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
    const SummaryWords summary = summaryWords(outcome.counts);
    StatusText status =
        withPath(summary.before, oneLine(shownName(outcome.outputName)), summary.after);
    status.details = outcome.listingPath;
    status.offersPageList = pages.withoutRecord > 0 || pages.withFieldNotFound > 0 ||
                            pages.readThroughWrapping > 0 || outcome.counts.subfoldersWithPages > 0;
    return status;
}

std::string emptyRunQuestion(const RunOutcome& outcome) {
    return "No pages were found in " + folderShown(outcome.dataFolder) + ": replace " +
           oneLine(shownName(outcome.outputName)) +
           ", a listing with rows, with one of the header alone?";
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

StatusText withRowsHeld(StatusText status, std::size_t rows, std::size_t runs) {
    if (runs >= 2) {
        status.text.append("; the list holds " + counted(rows, "row") + " from " +
                           std::to_string(runs) + " runs; " + std::string(kClearListItem) +
                           " empties it");
    }
    return status;
}

std::string runStartedAnnouncement() {
    return "Collecting; the button now reads " + std::string(kStopText) + " (Esc stops the run)";
}

std::string copiedAnnouncement(std::size_t rows, bool withHeader) {
    return "Copied " + counted(rows, "row") + (withHeader ? " with the header" : "");
}

std::string removedAnnouncement(std::size_t rows) {
    return "Removed " + counted(rows, "row") + " from the list; no file was changed";
}

std::string clearedAnnouncement() {
    return "The list is empty; no file was changed";
}

std::string linesCopiedAnnouncement(std::size_t lines) {
    return "Copied " + counted(lines, "line");
}

std::string tableDescription(std::size_t rows) {
    std::string description = counted(rows, "record") + " in columns ";
    for (std::size_t column = 0; column < kColumnCount; ++column) {
        description.append(column == 0                  ? ""
                           : column + 1 == kColumnCount ? " and "
                                                        : ", ")
            .append(kColumnTitles[column]);
    }
    return description;
}

StatusText stoppedStatus() {
    return {"Run stopped", "The run was stopped before its end; nothing was written"};
}

FailureText failureTextFor(const RunFailure& failure) {
    FailureText text;
    text.message = failure.nameRefused        ? "The listing cannot be saved under this name."
                   : failure.folderNotOpened  ? "The data folder could not be opened."
                   : failure.outputUnreadable ? "The file to replace could not be read to tell "
                                                "whether it is a listing; no page was read."
                                              : "The collection run failed.";
    if (!failure.path.empty()) {
        text.details = "Could not " + failure.operation + " \"";
        text.pathStart = text.details.size();
        text.pathLength = failure.path.size();
        text.details.append(failure.path).append("\".\n");
    }
    if (failure.errorNumber == 0) {
        text.details.append(failure.description);
    } else {
        text.details.append("Error " + std::to_string(failure.errorNumber) + ": ")
            .append(failure.description);
    }
    return text;
}

FailureText pageNotShownText(std::string_view page, std::string_view folder,
                             const FileManagerFailure& failure) {
    const auto nameStart = std::find_if(page.rbegin(), page.rend(), isPathSeparator).base();
    // The name as the list shows it, so that the user finds the line again.
    const std::string name = oneLine(printable(std::string(nameStart, page.end())));
    FailureText text;
    text.message = "The page could not be shown in its folder.";
    text.details = "No file manager could be started to show " + name + " (" +
                   fileManagerSaid(failure) + "): open the folder ";
    const std::string shownFolder = displayText(withoutEndSeparator(folder));
    text.pathStart = text.details.size();
    text.pathLength = shownFolder.size();
    text.details.append(shownFolder).append(" yourself.");
    return text;
}

std::string breakableDetails(const FailureText& text) {
    std::string shown = text.details.substr(0, text.pathStart);
    for (const char c : std::string_view(text.details).substr(text.pathStart, text.pathLength)) {
        shown.push_back(c);
        if (isPathSeparator(c)) {
            shown.append("\u200B");
        } else if (c == '-') {
            shown.append("\u2060");
        }
    }
    return shown.append(text.details.substr(text.pathStart + text.pathLength));
}

std::string detailsInLines(const FailureText& text, std::size_t mostCharacters) {
    std::string shown = text.details.substr(0, text.pathStart);
    std::size_t column = characterCount(shown.substr(shown.rfind('\n') + 1));
    const auto breakLine = [&] {
        shown.append("\n");
        column = 0;
    };
    std::vector<std::string_view> names;
    addPieces(names, std::string_view(text.details).substr(text.pathStart, text.pathLength), true);
    for (const std::string_view name : names) {
        if (column > 0 && column + characterCount(name) > mostCharacters) {
            breakLine();
        }
        forEachCharacter(name, [&](std::string_view character) {
            if (column == mostCharacters) {
                breakLine();
            }
            shown.append(character);
            ++column;
            return true;
        });
    }
    return shown.append(text.details.substr(text.pathStart + text.pathLength));
}

std::string noDisplayMessage(const std::string& reason) {
    std::string line = "catalog-collector: cannot open the window";
    if (!reason.empty()) {
        line += " (" + reason + ")";
    }
    line += "; catalog-collector-cli collects the data folder without a display";
    // One line, whatever the toolkit said.
    std::ranges::replace_if(
        line, [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return line;
}

std::string failureLine(const std::exception& failure) {
    return failureText(failure);
}

void writeOutOfMemory(std::ostream& out) {
    catalog::writeOutOfMemory(out);
}

}  // namespace catalog::window
