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
#include "collect/listing_run.h"
#include "collect/program_paths.h"
#include "platform/file_error.h"
#include "platform/memory_reserve.h"
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
    } catch (const OutputRefusal& refusal) {
        const std::string text = refusalText(refusal, target.outputName);
        outcome.failure = RunFailure{{}, {}, 0, displayText(text), true};
        outcome.failure->name = displayText("\"" + target.outputName + "\"");
    } catch (const FileError& error) {
        outcome.failure = failureOf(error);
        if (error.path() == target.listing.path) {
            outcome.failure->path = displayText(shownPath(target.listing.path));
        }
        if (const std::string advice = heldPageAdvice(error, "collect again"); !advice.empty()) {
            outcome.failure->description.append(": ").append(displayText(advice));
        }
    } catch (const std::exception& error) {
        outcome.failure = RunFailure{{}, {}, 0, displayText(failureText(error))};
    }
}

// What the run would replace, or nothing when it cannot be read to tell, which is the failure:
// held open by another program, the write would fail too; unreadable, it may be a listing of
// the user's that a question would not have been asked about.
std::optional<ExistingOutput> lookedAt(RunOutcome& outcome, const Target& target,
                                       bool readWorkbooks = false) {
    try {
        return existingOutput(target.listing.path, readWorkbooks);
    } catch (const FileError& error) {
        outcome.failure = failureOf(error);
        outcome.failure->path = displayText(shownPath(target.listing.path));
        outcome.failure->outputUnreadable = true;
        return std::nullopt;
    }
}

// The window's say on the way to the listing: what stood at its place before the run, the
// question before an empty run's write, and a file put in that place meanwhile.
class WindowSteps : public ListingSteps {
public:
    WindowSteps(RunOutcome& outcome, const Target& target,
                const std::function<bool(const std::string&)>& ask)
        : m_outcome(outcome), m_target(target), m_ask(ask) {}

    bool checked() override {
        const std::optional<ExistingOutput> found = lookedAt(m_outcome, m_target);
        m_found = found.value_or(ExistingOutput::None);
        return found.has_value();
    }

    // A run that found no page replaces a listing with rows only when the user says so: the
    // data folder may only be missing for now, or be the wrong one.
    bool mayWrite(const Collected& collected) override {
        m_collected = true;
        m_outcome.counts = countsOf(collected);
        m_outcome.counts.format = m_target.listing.format;
        m_outcome.outputName = displayText(nameAsMade(m_target.outputName));
        m_outcome.dataFolder = displayText(m_target.listing.dataFolder);
        if (m_outcome.counts.pages > 0 ||
            lookedAt(m_outcome, m_target, true) != ExistingOutput::ListingWithRows) {
            return !m_outcome.failure;
        }
        m_outcome.keptListing = !m_ask(emptyRunQuestion(m_outcome));
        return !m_outcome.keptListing;
    }

    // A file put at the listing's place during the run, or while the user was asked, is not
    // replaced unasked: the question about a file that is not a listing came before the run.
    bool writing() override {
        const std::optional<ExistingOutput> now = lookedAt(m_outcome, m_target);
        if (now == ExistingOutput::Other && m_found != ExistingOutput::Other) {
            m_outcome.failure =
                RunFailure{{},
                           {},
                           0,
                           displayText(shownPath(m_target.listing.path)) +
                               " was put in the listing's place during the run, and is not a "
                               "listing: collect again to be asked whether to replace it"};
        }
        return now && !m_outcome.failure;
    }

    bool collected() const { return m_collected; }

private:
    RunOutcome& m_outcome;
    const Target& m_target;
    const std::function<bool(const std::string&)>& m_ask;
    ExistingOutput m_found = ExistingOutput::None;  // at the listing's place before the run
    bool m_collected = false;
};

// The rows are the window's once the run has found them all, even when the write then failed.
void keepRows(RunOutcome& outcome, const Target& target, Collected& collected) {
    outcome.folderMissing = collected.folderMissing;
    outcome.leftovers = collected.leftovers;
    auto notes = std::make_shared<const std::vector<PageNote>>(std::move(collected.notes));
    outcome.rows.emplace(std::move(collected.listing), notes);
    outcome.troublePages = TroublePages(std::move(notes), target.listing.dataFolder);
}

void collectInto(RunOutcome& outcome, const Target& target, CollectionClient& client,
                 const StopFlag& stop, const std::function<bool(const std::string&)>& ask) {
    WindowSteps steps(outcome, target, ask);
    Collected collected;
    guarded(outcome, target, [&] {
        const std::optional<std::size_t> cutValues =
            collectAndWrite(target.listing, client, RunOptions{.stop = &stop}, steps, collected);
        if (cutValues) {
            outcome.counts.cutValues = *cutValues;
            outcome.listingPath = displayText(shownPath(target.listing.path));
        }
    });
    if (steps.collected() && !outcome.stopped) {
        keepRows(outcome, target, collected);
    }
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
        m_target = Target{outputName, listingTarget(programDirectory, outputName)};
        m_thread = std::jthread(&WindowRun::run, this);
    } catch (...) {
        m_running.store(false);
        throw;
    }
    return true;
}

void WindowRun::stop() {
    m_stop.request();
    // Taken, so that a run about to wait for an answer sees the stop or is woken by it.
    { const std::lock_guard lock(m_mutex); }
    m_answered.notify_all();
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
        collectInto(*outcome, m_target, *this, m_stop,
                    [this](const std::string& question) { return ask(question); });
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

// The window is told the question alone, and the run waits on its thread for the answer; a
// stop (a closed window) ends the wait, and the run with it.
bool WindowRun::ask(const std::string& question) {
    RunOutcome asking;
    asking.question = question;
    std::unique_lock lock(m_mutex);
    m_answer.reset();
    m_asking = true;
    lock.unlock();
    tell(std::move(asking));
    lock.lock();
    m_answered.wait(lock, [this] { return m_answer || m_stop.requested(); });
    m_asking = false;
    return m_answer.value_or(true);
}

void WindowRun::answer(bool replace) {
    {
        const std::lock_guard lock(m_mutex);
        if (!m_asking) {
            return;
        }
        m_answer = replace;
    }
    m_answered.notify_all();
}

}  // namespace catalog::window
