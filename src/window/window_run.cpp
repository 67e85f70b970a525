#include "window/window_run.h"

#include <functional>
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
#include "platform/paths.h"
#include "platform/shown_path.h"
#include "window/display_text.h"
#include "window/existing_output.h"
#include "window/output_name.h"
#include "window/window_texts.h"

namespace catalog::window {

namespace {

using Target = WindowRun::Target;

// A failure of the run is its outcome, never an exception: the rows found stay, as they were all
// found before the write.
void guarded(RunOutcome& outcome, const Target& target, const std::function<void()>& step) {
    try {
        step();
    } catch (const RunStopped&) {
        outcome.stopped = true;
        outcome.rows.reset();
        outcome.troublePages = {};
    } catch (const FileError& error) {
        outcome.failure = failureOf(error);
        if (error.path() == target.listingPath) {
            outcome.failure->path = displayText(shownPath(target.listingPath));
        }
        if (const std::string advice = heldPageAdvice(error, "collect again"); !advice.empty()) {
            outcome.failure->description.append(": ").append(displayText(advice));
        }
    } catch (const std::exception& error) {
        outcome.failure = RunFailure{{}, {}, 0, displayText(failureText(error))};
    }
}

RunFailure nameRefusal(const std::string& outputName, const std::string& text) {
    RunFailure failure{{}, {}, 0, displayText(text), true};
    failure.name = displayText("\"" + outputName + "\"");
    return failure;
}

// Asked before the run and again before the write: a link swapped in meanwhile could lead the
// listing onto a program or among the pages.
bool refusedAsProtected(RunOutcome& outcome, const Target& target) {
    const std::optional<std::string> reason =
        protectedOutputReason(target.listingPath, target.dataFolder, target.programDirectory);
    if (reason) {
        outcome.failure =
            nameRefusal(target.outputName, protectedNameText(target.outputName, *reason));
    }
    return reason.has_value();
}

// What the run would replace, or nothing when it cannot be read to tell, which is the failure:
// held open by another program, the write would fail too; unreadable, it may be a listing of
// the user's that a question would not have been asked about.
std::optional<ExistingOutput> lookedAt(RunOutcome& outcome, const Target& target,
                                       bool readWorkbooks = false) {
    try {
        return existingOutput(target.listingPath, readWorkbooks);
    } catch (const FileError& error) {
        outcome.failure = failureOf(error);
        outcome.failure->path = displayText(shownPath(target.listingPath));
        outcome.failure->outputUnreadable = true;
        return std::nullopt;
    }
}

bool refusedBeforeRun(RunOutcome& outcome, Target& target) {
    if (const std::optional<std::string> refusal = outputNameRefusal(target.outputName)) {
        outcome.failure = nameRefusal(target.outputName, *refusal);
        return true;
    }
    if (refusedAsProtected(outcome, target)) {
        return true;
    }
    refuseReadOnlyOutput(target.listingPath);
    const std::optional<ExistingOutput> found = lookedAt(outcome, target);
    target.found = found.value_or(ExistingOutput::None);
    return !found;
}

// A file put at the listing's place during the run, or while the user was asked, is not
// replaced unasked: the question about a file that is not a listing came before the run.
bool refusedAsChanged(RunOutcome& outcome, const Target& target) {
    const std::optional<ExistingOutput> now = lookedAt(outcome, target);
    if (now == ExistingOutput::Other && target.found != ExistingOutput::Other) {
        outcome.failure = RunFailure{{},
                                     {},
                                     0,
                                     displayText(shownPath(target.listingPath)) +
                                         " was put in the listing's place during the run, and "
                                         "is not a listing: collect again to be asked whether "
                                         "to replace it"};
    }
    return !now || outcome.failure.has_value();
}

void collectRows(RunOutcome& outcome, const Target& target, CollectionClient& client,
                 const StopFlag& stop) {
    Collected collected = runCollection(target.dataFolder, client, RunOptions{.stop = &stop});
    outcome.counts = countsOf(collected);
    outcome.counts.format = formatOfName(target.outputName);
    auto notes = std::make_shared<const std::vector<PageNote>>(std::move(collected.notes));
    outcome.rows.emplace(std::move(collected.listing), notes);
    outcome.troublePages = TroublePages(std::move(notes), target.dataFolder);
    outcome.outputName = displayText(nameAsMade(target.outputName));
    outcome.dataFolder = displayText(target.dataFolder);
    outcome.folderMissing = collected.folderMissing;
    outcome.leftovers = collected.leftovers;
}

// A run that found no page replaces a listing with rows only when the user says so: the data
// folder may only be missing for now, or be the wrong one.
std::optional<std::string> questionBeforeWrite(RunOutcome& outcome, const Target& target) {
    if (outcome.counts.pages > 0 ||
        lookedAt(outcome, target, true) != ExistingOutput::ListingWithRows) {
        return std::nullopt;
    }
    return emptyRunQuestion(outcome);
}

void writeOut(RunOutcome& outcome, const Target& target, const StopFlag& stop) {
    stopIfRequested(&stop);  // closed before the write: the earlier listing stays
    if (refusedAsProtected(outcome, target) || refusedAsChanged(outcome, target)) {
        return;
    }
    outcome.counts.cutValues =
        writeListing(target.listingPath, outcome.rows->listing, outcome.counts.format, &stop);
    outcome.listingPath = displayText(shownPath(target.listingPath));
}

// Everything the run does up to the write, which waits when the run asks first.
void collectInto(RunOutcome& outcome, Target& target, CollectionClient& client,
                 const StopFlag& stop) {
    guarded(outcome, target, [&] {
        if (refusedBeforeRun(outcome, target)) {
            return;
        }
        collectRows(outcome, target, client, stop);
        stopIfRequested(&stop);
        outcome.question = questionBeforeWrite(outcome, target);
        if (!outcome.question && !outcome.failure) {
            writeOut(outcome, target, stop);
        }
    });
}

}  // namespace

RunFailure failureOf(const FileError& error) {
    return {error.operation(), displayText(error.path()), error.errorNumber(),
            displayText(failureDescription(error))};
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
        m_target = Target{programDirectory, outputName, dataFolderIn(programDirectory),
                          outputPathIn(programDirectory, outputName)};
        m_thread = std::jthread(&WindowRun::run, this);
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
    // A run that asks is under way until answered.
    m_running.store(outcome && outcome->question);
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
void WindowRun::run() {
    std::optional<RunOutcome> outcome;
    try {
        outcome.emplace();
        collectInto(*outcome, m_target, *this, m_stop);
        if (outcome->question) {
            // The window is told the question alone; the rest waits for the answer.
            RunOutcome asking;
            asking.question = outcome->question;
            {
                const std::lock_guard lock(m_mutex);
                m_waiting = std::move(outcome);
            }
            outcome = std::move(asking);
        }
    } catch (...) {
        outcome.reset();
    }
    tell(std::move(outcome));
}

void WindowRun::tell(std::optional<RunOutcome> outcome) {
    {
        const std::lock_guard lock(m_mutex);
        m_outcome = std::move(outcome);
    }
    m_finished();
}

void WindowRun::answer(bool replace) {
    {
        const std::lock_guard lock(m_mutex);
        m_answered = std::exchange(m_waiting, std::nullopt);
    }
    if (!m_answered) {
        return;
    }
    if (m_thread.joinable()) {
        m_thread.join();  // the run's thread has told its question already
    }
    try {
        m_thread = std::jthread(&WindowRun::finishWrite, this, replace);
    } catch (const std::exception& error) {
        // No thread for the write: the run ends here, having written nothing.
        m_answered->failure = RunFailure{{}, {}, 0, displayText(failureText(error))};
        tell(std::exchange(m_answered, std::nullopt));
    }
}

void WindowRun::finishWrite(bool replace) {
    std::optional<RunOutcome> outcome = std::exchange(m_answered, std::nullopt);
    try {
        outcome->question.reset();
        if (replace) {
            guarded(*outcome, m_target, [&] { writeOut(*outcome, m_target, m_stop); });
        } else {
            outcome->keptListing = true;
        }
    } catch (...) {
        outcome.reset();
    }
    tell(std::move(outcome));
}

}  // namespace catalog::window
