#include "window/window_texts.h"

#include "collect/collection_run.h"
#include "collect/run_summary.h"
#include "window/display_text.h"
#include "window/row_cells.h"
#include "window/window_run.h"

namespace catalog::window {

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
        const std::string advice = capitalized(
            noPagesAdvice(oneLine(outcome.dataFolder), outcome.folderMissing, outcome.leftovers));
        return {advice, advice + ".\n" + outcome.listingPath + " holds only the header.", true};
    }
    const PageCounts& pages = outcome.counts.worthTelling;
    return {summaryOf(outcome.counts, oneLine(outcome.outputName)), outcome.listingPath, false,
            pages.withoutRecord > 0 || pages.withFieldNotFound > 0};
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
    std::string details;
    if (!failure.path.empty()) {
        details = "Could not " + failure.operation + " \"" + failure.path + "\".\n";
    }
    if (failure.errorNumber == 0) {
        details += failure.description;
    } else {
        details += "Error " + std::to_string(failure.errorNumber) + ": " + failure.description;
    }
    if (failure.nameRefused) {
        return {"The listing cannot be saved under this name.", details};
    }
    if (failure.folderNotOpened) {
        return {"The data folder could not be opened.", details};
    }
    return {"The collection run failed.", details};
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
