#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <QPromise>
#include <QString>
#include <QStringList>

namespace catalog::ui {

// The output name as the user last left it. The box lives on the window's thread and the run
// on its own, so the run reads this copy, kept current as the user types.
class OutputName {
public:
    void set(std::string name);
    std::string get() const;

private:
    mutable std::mutex m_mutex;
    std::string m_name;
};

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

// One collection run, off the window's thread. Reports files read as the promise's progress
// and stops, writing nothing, once the promise is cancelled.
void collectInBackground(QPromise<WindowRunOutcome>& promise, const std::string& programDirectory,
                         const std::shared_ptr<const OutputName>& outputName);

}  // namespace catalog::ui
