#include "window/window_run.h"

#include <memory>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "collect/collection_run.h"
#include "collect/failure_text.h"
#include "collect/held_page.h"
#include "collect/program_paths.h"
#include "collect/protected_output.h"
#include "collect/text_files.h"
#include "platform/file_error.h"
#include "platform/memory_reserve.h"
#include "platform/output_file.h"
#include "platform/shown_path.h"
#include "window/display_text.h"
#include "window/output_name.h"

namespace catalog::window {

namespace {

// Everything the run does, the write included; a failure is the outcome, never an exception.
void collectInto(RunOutcome& outcome, const std::string& programDirectory,
                 const std::string& outputName, CollectionClient& client, const StopFlag& stop) {
    if (const std::optional<std::string> refusal = outputNameRefusal(outputName)) {
        outcome.failure = RunFailure{{}, {}, 0, displayText(*refusal), true};
        return;
    }
    const std::string dataFolder = dataFolderIn(programDirectory);
    const std::string listingPath = outputPathIn(programDirectory, outputName);
    // Asked before the run and again before the write: a link swapped in meanwhile could lead
    // the listing onto a program or among the pages.
    const auto protectedOutput = [&] {
        if (const std::optional<std::string> reason =
                protectedOutputReason(listingPath, dataFolder, programDirectory)) {
            outcome.failure =
                RunFailure{{}, {}, 0, displayText(protectedNameText(outputName, *reason)), true};
            return true;
        }
        return false;
    };
    if (protectedOutput()) {
        return;
    }
    try {
        refuseReadOnlyOutput(listingPath);
        Collected collected = runCollection(dataFolder, client, RunOptions{.stop = &stop});
        // The rows are shown even when the write then fails, as they were all found before it.
        outcome.counts = countsOf(collected);
        outcome.counts.format = formatOfName(outputName);
        auto notes = std::make_shared<const std::vector<PageNote>>(std::move(collected.notes));
        outcome.rows.emplace(std::move(collected.listing), notes);
        outcome.troublePages = TroublePages(std::move(notes), dataFolder);
        stopIfRequested(&stop);  // closed before the write: the earlier listing stays
        if (protectedOutput()) {
            return;
        }
        outcome.counts.cutValues =
            writeListing(listingPath, outcome.rows->listing, outcome.counts.format, &stop);
        outcome.outputName = displayText(outputName);
        outcome.listingPath = displayText(shownPath(listingPath));
        outcome.dataFolder = displayText(dataFolder);
        outcome.folderMissing = collected.folderMissing;
        outcome.leftovers = collected.leftovers;
    } catch (const RunStopped&) {
        outcome.stopped = true;
        outcome.rows.reset();
        outcome.troublePages = {};
    } catch (const FileError& error) {
        outcome.failure = failureOf(error);
        if (error.path() == listingPath) {
            outcome.failure->path = displayText(shownPath(listingPath));
        }
        if (const std::string advice = heldPageAdvice(error, "collect again"); !advice.empty()) {
            outcome.failure->description.append(": ").append(displayText(advice));
        }
    } catch (const std::exception& error) {
        outcome.failure = RunFailure{{}, {}, 0, displayText(failureText(error))};
    }
}

}  // namespace

RunFailure failureOf(const FileError& error) {
    return {error.operation(), displayText(error.path()), error.errorNumber(),
            displayText(error.description())};
}

WindowRun::WindowRun(std::function<void()> finished) : m_finished(std::move(finished)) {}

WindowRun::~WindowRun() {
    stop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

bool WindowRun::start(const std::string& programDirectory, const std::string& outputName) {
    if (m_running.exchange(true)) {
        return false;
    }
    if (m_thread.joinable()) {
        m_thread.join();  // the last run has told its end already; its thread is finishing
    }
    // A run that ran out of memory may have spent the reserve that lets the next one say so.
    keepMemoryForFailures();
    m_stop.clear();
    m_done.store(0);
    m_total.store(0);
    {
        const std::lock_guard lock(m_slowPageMutex);
        m_slowPage.reset();
    }
    try {
        m_thread = std::jthread(&WindowRun::run, this, programDirectory, outputName);
    } catch (...) {
        m_running.store(false);
        throw;
    }
    return true;
}

void WindowRun::stop() {
    m_stop.request();
}

bool WindowRun::running() const {
    return m_running.load();
}

void WindowRun::filesRead(std::size_t done, std::size_t total) {
    m_total.store(total);
    m_done.store(done);
}

// Told after every block of the page: its name is copied only when it changes.
void WindowRun::slowPage(std::string_view name, std::uint64_t read, std::uint64_t size) {
    const std::lock_guard lock(m_slowPageMutex);
    if (!m_slowPage || m_slowPage->name != name) {
        m_slowPage = SlowPage{std::string(name), read, size};
    }
    m_slowPage->read = read;
    m_slowPage->size = size;
}

void WindowRun::slowPageOver() {
    const std::lock_guard lock(m_slowPageMutex);
    m_slowPage.reset();
}

Progress WindowRun::progress() const {
    Progress progress{m_done.load(), m_total.load(), std::nullopt};
    const std::lock_guard lock(m_slowPageMutex);
    progress.slowPage = m_slowPage;
    return progress;
}

RunOutcome WindowRun::takeOutcome() {
    std::optional<RunOutcome> outcome;
    {
        const std::lock_guard lock(m_mutex);
        outcome = std::exchange(m_outcome, std::nullopt);
    }
    m_running.store(false);
    if (outcome) {
        return std::move(*outcome);
    }
    // The run found no memory even for its outcome; some is likely free again now that it is
    // over.
    RunOutcome outOfMemory;
    outOfMemory.failure = RunFailure{{}, {}, 0, failureText(std::bad_alloc())};
    return outOfMemory;
}

// Nothing thrown may leave the thread: out of it, an exception would end the process. Should
// even the outcome's texts find no memory, the outcome says only that.
void WindowRun::run(std::string programDirectory, std::string outputName) {
    std::optional<RunOutcome> outcome;
    try {
        outcome.emplace();
        collectInto(*outcome, programDirectory, outputName, *this, m_stop);
    } catch (...) {
        outcome.reset();
    }
    {
        const std::lock_guard lock(m_mutex);
        m_outcome = std::move(outcome);
    }
    m_finished();
}

}  // namespace catalog::window
