#include "collect/run_summary.h"

#include <algorithm>

#include "collect/cell_text.h"
#include "collect/readable_numbers.h"
#include "platform/paths.h"

namespace catalog {

RunCounts countsOf(const Collected& collected) {
    return {collected.files, collected.listing.rowCount(), collected.pageCounts,
            collected.subfoldersWithPages};
}

namespace {

// The blanks a name may begin or end with unseen: the space, the tab, and the wide and
// no-break spaces.
bool blankAtEitherEnd(std::string_view text) {
    static constexpr std::string_view kBlanks[] = {
        " ",      "\t",     "\u00A0", "\u1680", "\u2000", "\u2001", "\u2002", "\u2003", "\u2004",
        "\u2005", "\u2006", "\u2007", "\u2008", "\u2009", "\u200A", "\u202F", "\u205F", "\u3000"};
    return std::ranges::any_of(kBlanks, [text](std::string_view blank) {
        return text.starts_with(blank) || text.ends_with(blank);
    });
}

}  // namespace

std::string shownName(std::string_view name) {
    return blankAtEitherEnd(name) ? std::string("\"").append(name).append("\"") : std::string(name);
}

std::string summaryOf(const RunCounts& counts, std::string_view destination) {
    const SummaryWords words = summaryWords(counts);
    return words.before + shownName(destination) + words.after;
}

SummaryWords summaryWords(const RunCounts& counts) {
    SummaryWords words{
        counted(counts.rows, "record") + " written to ",
        std::string(formatWords(counts.format)) + " from " + counted(counts.pages, "page")};
    std::string parts;
    const auto add = [&parts](std::size_t count, const char* what) {
        if (count > 0) {
            parts += (parts.empty() ? "" : ", ") + grouped(count) + " " + what;
        }
    };
    add(counts.worthTelling.withoutRecord, "without a record");
    add(counts.worthTelling.withFieldNotFound, "with a field not found");
    add(counts.worthTelling.withSeveralRecords, "with several records");
    add(counts.worthTelling.readThroughWrapping, "read through a wrapping");
    add(counts.subfoldersWithPages,
        counts.subfoldersWithPages == 1 ? "subfolder with pages" : "subfolders with pages");
    if (!parts.empty()) {
        words.after += " (" + parts + ")";
    }
    if (counts.cutValues > 0) {
        words.after += "; " + counted(counts.cutValues, "value") + " cut to " +
                       grouped(kMostCellUnits) + " characters";
    }
    return words;
}

std::string noPagesAdvice(bool folderMissing, const FolderLeftovers& leftovers) {
    if (folderMissing) {
        return "there is no data folder: put catalog pages into a new folder ";
    }
    if (leftovers.subfolders == 0 && leftovers.rest == 0) {
        return "the data folder is empty: put catalog pages into ";
    }
    if (leftovers.subfolders == 0) {
        return "the data folder holds no pages, only pipes, devices or links that lead nowhere: "
               "put catalog pages into ";
    }
    // Pages put into subfolders are the likeliest reason, so the count says whether it is this.
    return "the data folder holds no pages (it has " + counted(leftovers.subfolders, "subfolder") +
           ", and pages in subfolders are not read): put catalog pages into ";
}

// The root keeps its separator ("/", "C:\", "\\"): without it, it would name another folder.
std::string_view withoutEndSeparator(std::string_view folder) {
    if (folder.size() > 1 && isPathSeparator(folder.back()) &&
        !isPathSeparator(folder[folder.size() - 2]) && folder[folder.size() - 2] != ':') {
        folder.remove_suffix(1);
    }
    return folder;
}

}  // namespace catalog
