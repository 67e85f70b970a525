#include "ui/window_run.h"

#include <climits>

#include "collect/collection_run.h"
#include "collect/file_error.h"
#include "ui/display_text.h"

namespace catalog::ui {

void OutputName::set(std::string name) {
    const std::lock_guard lock(m_mutex);
    m_name = std::move(name);
}

std::string OutputName::get() const {
    const std::lock_guard lock(m_mutex);
    return m_name;
}

namespace {

int progressValue(std::size_t count) {
    return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

// The window's side of a run: rows are turned into display text here, off the window's thread,
// so the window only has to insert them.
class WindowClient : public CollectionClient {
public:
    WindowClient(QPromise<WindowRunOutcome>& promise, const std::string& programDirectory,
                 const OutputName& outputName)
        : m_promise(promise), m_programDirectory(programDirectory), m_outputName(outputName) {}

    void appendRow(std::string_view row) override { m_rows.append(displayText(row)); }

    ListingTarget listingTarget() override {
        m_nameUsed = m_outputName.get();
        return ListingTarget::file(outputPathIn(m_programDirectory, m_nameUsed));
    }

    // Several threads read, so the first report may come after many files.
    void filesRead(std::size_t done, std::size_t total) override {
        if (!m_rangeSet) {
            m_promise.setProgressRange(0, progressValue(total));
            m_rangeSet = true;
        }
        m_promise.setProgressValue(progressValue(done));
    }

    bool stopRequested() override { return m_promise.isCanceled(); }

    QStringList takeRows() { return std::move(m_rows); }
    const std::string& nameUsed() const { return m_nameUsed; }

private:
    QPromise<WindowRunOutcome>& m_promise;
    const std::string& m_programDirectory;
    const OutputName& m_outputName;
    QStringList m_rows;
    std::string m_nameUsed;
    bool m_rangeSet = false;
};

RunFailure failureOf(const FileError& error) {
    return {QString::fromStdString(error.operation()), displayText(error.path()),
            error.errorNumber(), QString::fromStdString(error.description())};
}

}  // namespace

void collectInBackground(QPromise<WindowRunOutcome>& promise, const std::string& programDirectory,
                         const std::shared_ptr<const OutputName>& outputName) {
    WindowClient client(promise, programDirectory, *outputName);
    WindowRunOutcome outcome;
    const std::string dataFolder = dataFolderIn(programDirectory);
    try {
        const RunSummary summary = runCollection(dataFolder, client);
        outcome.records = static_cast<qsizetype>(summary.records);
        outcome.outputName = displayText(client.nameUsed());
        outcome.listingPath = displayText(summary.target.path);
        if (summary.dataFolderMissing) {
            outcome.missingDataFolder = displayText(dataFolder);
        }
    } catch (const RunStopped&) {
        return;
    } catch (const FileError& error) {
        outcome.failure = failureOf(error);
    } catch (const std::exception& error) {
        outcome.failure = RunFailure{{}, {}, 0, QString::fromLocal8Bit(failureText(error))};
    }
    outcome.rows = client.takeRows();
    promise.addResult(std::move(outcome));
}

}  // namespace catalog::ui
