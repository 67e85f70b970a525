#include "ui/window_run.h"

#include <climits>

#include "collect/collection_run.h"
#include "collect/text_files.h"
#include "platform/file_error.h"
#include "ui/display_text.h"

namespace catalog::ui {

namespace {

int progressValue(std::size_t count) {
    return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

// The window's side of a run: progress for the bar, and the window's cancel as the stop.
class WindowClient : public CollectionClient {
public:
    explicit WindowClient(QPromise<WindowRunOutcome>& promise) : m_promise(promise) {}

    // Several threads read, so the first report may come after many files.
    void filesRead(std::size_t done, std::size_t total) override {
        if (!m_rangeSet) {
            m_promise.setProgressRange(0, progressValue(total));
            m_rangeSet = true;
        }
        m_promise.setProgressValue(progressValue(done));
    }

    bool stopRequested() override { return m_promise.isCanceled(); }

private:
    QPromise<WindowRunOutcome>& m_promise;
    bool m_rangeSet = false;
};

// Rows are turned into display text here, off the window's thread, so the window only has to
// insert them.
QStringList displayRows(const Listing& listing) {
    QStringList rows;
    rows.reserve(static_cast<qsizetype>(listing.rowCount()));
    for (std::size_t i = 0; i < listing.rowCount(); ++i) {
        rows.append(displayText(listing.row(i)));
    }
    return rows;
}

RunFailure failureOf(const FileError& error) {
    return {QString::fromStdString(error.operation()), displayText(error.path()),
            error.errorNumber(), QString::fromStdString(error.description())};
}

}  // namespace

void collectInBackground(QPromise<WindowRunOutcome>& promise, const std::string& programDirectory,
                         const std::string& outputName) {
    WindowClient client(promise);
    WindowRunOutcome outcome;
    const std::string dataFolder = dataFolderIn(programDirectory);
    const std::string listingPath = outputPathIn(programDirectory, outputName);
    try {
        const Collected collected = runCollection(dataFolder, client);
        // The rows are shown even when the write then fails, as they were all found before it.
        outcome.rows = displayRows(collected.listing);
        outcome.records = static_cast<qsizetype>(collected.listing.rowCount());
        if (client.stopRequested()) {
            return;  // closed before the write: the earlier listing stays as it was
        }
        WriteTextFile(listingPath, collected.listing.lines());
        outcome.outputName = displayText(outputName);
        outcome.listingPath = displayText(listingPath);
        if (collected.folderMissing) {
            outcome.missingDataFolder = displayText(dataFolder);
        }
    } catch (const RunStopped&) {
        return;
    } catch (const FileError& error) {
        outcome.failure = failureOf(error);
    } catch (const std::exception& error) {
        outcome.failure = RunFailure{{}, {}, 0, QString::fromLocal8Bit(failureText(error))};
    }
    promise.addResult(std::move(outcome));
}

}  // namespace catalog::ui
