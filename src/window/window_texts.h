#pragma once

#include <cstddef>
#include <exception>
#include <iosfwd>
#include <string>
#include <string_view>

#include "window/row_table.h"

namespace catalog::window {

struct FileManagerFailure;
struct RunFailure;
struct RunOutcome;

// A status line and the longer text its tooltip gives (full paths), UTF-8. What happened and
// what to do come first; a path or name in it is what a narrow window shortens (shownStatus).
struct StatusText {
    std::string text;
    std::string details;
    // The data folder gave no page: the view offers to open it, so that the user can fill it.
    bool offersDataFolder = false;
    // Some pages gave no row or lack a field: the view offers the list of them, with why.
    bool offersPageList = false;
    // The path within `text`, in bytes: where it starts and its length, 0 when there is none.
    std::size_t pathStart = 0;
    std::size_t pathLength = 0;
};

// `text` with `path` after it and `rest` after that, the path marked for shortening.
StatusText withPath(std::string text, std::string_view path, std::string_view rest = {});

// Until the first run: where the pages are read from, the data folder beside `programDirectory`.
StatusText startStatus(const std::string& programDirectory);

// After a run: records written and where, from how many pages, and how many pages gave no row,
// a field not found or several records; or, when the data folder gave no page, what to do.
StatusText statusAfter(const RunOutcome& outcome);
StatusText stoppedStatus();
// The question a run asks before it writes, when it found no page in its data folder and would
// replace a listing with rows with one of the header alone; No is the answer to default to.
std::string emptyRunQuestion(const RunOutcome& outcome);
// When `rows` rows chosen for copying were refused: too large for the clipboard, or for the
// memory left. `lastListing` is the listing the last run wrote, which holds them, or empty.
StatusText copyRefusedStatus(CopyRefusal refusal, std::size_t rows, const std::string& lastListing);
// When `lines` lines of the page list chosen for copying were refused: too large for the
// clipboard, or for the memory left.
std::string linesCopyRefusedText(CopyRefusal refusal, std::size_t lines);
// When there was too little memory to `action` (copy, sort, remove, ...) `rows` rows, or to do
// it at all when `rows` is 0: the table is left as it was, and the window goes on.
StatusText shortOfMemoryStatus(std::string_view action, std::size_t rows = 0);

// The status after a second run: the table keeps the rows of every run until Clear list, while
// the file holds only the last run's, so the status says how many rows of how many runs the
// list holds. The status as it is while the rows are of one run or none.
StatusText withRowsHeld(StatusText status, std::size_t rows, std::size_t runs);

// What a screen reader is told as the window acts on a key or a menu item whose result shows
// only in the table or on the clipboard.
std::string runStartedAnnouncement();
std::string copiedAnnouncement(std::size_t rows, bool withHeader);
std::string removedAnnouncement(std::size_t rows);
std::string clearedAnnouncement();
// The list of pages' own Copy.
std::string linesCopiedAnnouncement(std::size_t lines);

// The table as a screen reader describes it: how many rows, under which titles.
std::string tableDescription(std::size_t rows);

// The message box of a failed run, or of the data folder that could not be opened.
struct FailureText {
    std::string message;  // "The collection run failed.", or what else failed
    std::string details;  // what was attempted on which path, the error number and description
    // The path within `details`, in bytes, which a box breaks only after a separator; a copy
    // gives the details as they are.
    std::size_t pathStart = 0;
    std::size_t pathLength = 0;
};
FailureText failureTextFor(const RunFailure& failure);
// When no file manager could show `page` (the system's own form) in its folder, nor open that
// `folder`: the page by its name, why in the tool's words, and the folder to open by hand.
FailureText pageNotShownText(std::string_view page, std::string_view folder,
                             const FileManagerFailure& failure);

// The details as a box that breaks lines at word boundaries shows them, which a hyphen makes
// too: a zero-width space after each of the path's separators and a word joiner after each
// hyphen, so that the path breaks only after a separator.
std::string breakableDetails(const FailureText& text);
// The details as a box that breaks lines at blanks alone shows them: a line break after the
// path's separator wherever its line would pass `mostCharacters`, a longer name cut in pieces.
std::string detailsInLines(const FailureText& text, std::size_t mostCharacters);

// A failure outside any run (the program's own folder not found, one that reached the toolkit)
// in the batch command's one line; and that line for running out of memory, written without
// taking any.
std::string failureLine(const std::exception& failure);
void writeOutOfMemory(std::ostream& out);

// The one line shown when the window cannot be opened at all (no display): it names the batch
// command, which needs none.
std::string noDisplayMessage(const std::string& reason);

}  // namespace catalog::window
