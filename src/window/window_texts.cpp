#include "window/window_texts.h"

#include "collect/collection_run.h"
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
    if (!outcome.missingDataFolder.empty()) {
        return {"No data folder: only the header written to " + oneLine(outcome.outputName),
                "No data folder at " + outcome.missingDataFolder + ": " + outcome.listingPath +
                    " holds only the header"};
    }
    const std::size_t records = outcome.rows ? outcome.rows->listing.rowCount() : 0;
    const std::size_t notFound = outcome.rows ? outcome.rows->recordsWithFieldNotFound : 0;
    std::string text = counted(records, "record") + " written to " + oneLine(outcome.outputName);
    if (notFound > 0) {
        text += " (" + grouped(notFound) + " with a field not found)";
    }
    return {text, outcome.listingPath};
}

StatusText copyRefusedStatus() {
    return {"Too large to copy; the listing file holds these rows",
            "The rows chosen hold more than " + std::to_string(kMostCopyBytes >> 20) +
                " MB: open the listing file instead"};
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
