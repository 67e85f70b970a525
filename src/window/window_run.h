#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "collect/collection_run.h"
#include "collect/listing_run.h"
#include "collect/run_summary.h"
#include "collect/stop_flag.h"
#include "window/row_table.h"
#include "window/trouble_pages.h"

namespace catalog {
class FileError;
}

namespace catalog::window {

// Why a run ended early, in the terms the user needs, as display text (UTF-8).
struct RunFailure {
    std::string operation;  // "read", "write", ...; empty when no file is to blame
    std::string path;
    int errorNumber = 0;
    std::string description;
    bool nameRefused = false;      // the Save-to name, refused before the run: no file was touched
    bool folderNotOpened = false;  // opening the data folder failed; no run was started
    // The file to replace could not be read to tell whether it is a listing; no run was started.
    bool outputUnreadable = false;
    std::string name{};  // the refused name, quoted, as the description starts with it
};

// A failure of the system's, for the message box.
RunFailure failureOf(const FileError& error);

// What a run leaves for the window.
struct RunOutcome {
    bool stopped = false;         // stopped before its end: nothing shown, nothing written
    std::optional<RunRows> rows;  // shown even when the write then failed
    RunCounts counts;             // of the listing written
    std::string outputName;       // as typed, which is how the user knows the listing
    std::string listingPath;      // where that put it, as shownPath shows it; empty when none
    std::string dataFolder;       // where the pages were looked for
    bool folderMissing = false;   // there was no data folder there
    FolderLeftovers leftovers;    // what it held instead of pages, when it gave none
    TroublePages troublePages;    // the pages that gave no row or lack a field, for a list
    std::optional<RunFailure> failure;
    // Asked before the write, the run waiting for answer(): it found no page, and would replace a
    // listing with rows with one of the header alone. Nothing else is set meanwhile.
    std::optional<std::string> question;
    bool keptListing = false;  // the answer was No: the listing with rows was left as it was
};

// A page that has taken longer than a second to read, as the run last told of it.
struct SlowPage {
    std::string name;  // as the folder gives it
    std::uint64_t read = 0;
    std::uint64_t size = 0;  // 0 where the system does not say

    bool operator==(const SlowPage&) const = default;
};

struct Progress {
    std::size_t done = 0;
    std::size_t total = 0;  // 0 until the folder is listed
    std::optional<SlowPage> slowPage;
};

// One collection run at a time, off the window's thread, for any toolkit: the window starts
// it, polls its progress, and is told when it ends. The run tells its progress here, where the
// window's thread can read it at any time.
class WindowRun : private CollectionClient {
public:
    // `finished` is called on the run's own thread as it ends: the window hands it over to its
    // own thread (a queued call, a posted message) and then takes the outcome.
    explicit WindowRun(std::function<void()> finished);
    // Stops a run under way and waits for it: a closed window leaves the old listing as it was.
    ~WindowRun();
    WindowRun(const WindowRun&) = delete;
    WindowRun& operator=(const WindowRun&) = delete;

    // Reads the data folder beside `programDirectory` and writes the listing there under
    // `outputName` (as typed when the run starts), unless it asks first (RunOutcome::question).
    // Does nothing and returns false while a run is under way.
    bool start(const std::string& programDirectory, const std::string& outputName);
    // Asks the run to stop; it ends within a fraction of a second, writing nothing. Without a
    // run, or asked again, it does nothing.
    void stop();
    // From the start until the outcome is taken: until the window has shown a run's end, the
    // run is under way for it, and a click meant to stop it cannot start another.
    bool running() const;
    Progress progress() const;
    // Goes on with the run that asks a question in its outcome: Yes writes the listing, No
    // writes nothing, and either ends the run, telling `finished` again. Nothing without one.
    void answer(bool replace);
    // The outcome of the run that ended, once, after `finished`. A run that could not even make
    // its outcome for want of memory gives a failure that says so.
    RunOutcome takeOutcome();

    // Where a run reads and writes, and the name as typed.
    struct Target {
        std::string outputName;
        ListingTarget listing;
    };

private:
    void run();
    bool ask(const std::string& question);
    void tell(std::optional<RunOutcome> outcome);
    void filesRead(std::size_t done, std::size_t total) override;
    void slowPage(std::string_view name, std::uint64_t read, std::uint64_t size) override;
    void slowPageOver() override;

    std::function<void()> m_finished;
    StopFlag m_stop;
    std::atomic<std::size_t> m_done{0};
    std::atomic<std::size_t> m_total{0};
    mutable std::mutex m_slowPageMutex;
    std::optional<SlowPage> m_slowPage;  // under m_slowPageMutex
    std::atomic<bool> m_running{false};
    mutable std::mutex m_mutex;
    std::optional<RunOutcome> m_outcome;  // under m_mutex
    bool m_asking = false;                // under m_mutex: the run waits for answer()
    std::optional<bool> m_answer;         // under m_mutex
    std::condition_variable m_answered;
    Target m_target;
    std::jthread m_thread;
};

}  // namespace catalog::window
