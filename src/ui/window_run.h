#pragma once

#include <optional>
#include <string>

#include <QPromise>
#include <QString>
#include <QStringList>

namespace catalog::ui {

// Why a run ended early, in the terms the user needs: what was attempted on which path, and
// the system's error number and its description.
struct RunFailure {
    QString operation;
    QString path;
    int errorNumber = 0;
    QString description;
};

// What a run leaves for the window. Rows are shown even when the write then fails, as they
// were all found before it.
struct WindowRunOutcome {
    QStringList rows;
    qsizetype records = 0;
    QString outputName;         // as typed, which is how the user knows the listing
    QString listingPath;        // where that put it
    QString missingDataFolder;  // the data folder's path when there was none, else empty
    std::optional<RunFailure> failure;
};

// One collection run, off the window's thread, writing the listing under `outputName` (as typed
// when the run started) beside the program. Reports files read as the promise's progress and
// stops, writing nothing, once the promise is cancelled.
void collectInBackground(QPromise<WindowRunOutcome>& promise, const std::string& programDirectory,
                         const std::string& outputName);

}  // namespace catalog::ui
