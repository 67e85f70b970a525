#include "collect/run_summary.h"

namespace catalog {

RunCounts countsOf(const Collected& collected) {
    return {collected.files, collected.listing.rowCount(), collected.pageCounts};
}

std::string summaryOf(const RunCounts& counts, std::string_view destination) {
    std::string text = counted(counts.rows, "record") + " written to " + std::string(destination) +
                       " from " + counted(counts.pages, "page");
    std::string parts;
    const auto add = [&parts](std::size_t count, const char* what) {
        if (count > 0) {
            parts += (parts.empty() ? "" : ", ") + grouped(count) + " " + what;
        }
    };
    add(counts.worthTelling.withoutRecord, "without a record");
    add(counts.worthTelling.withFieldNotFound, "with a field not found");
    add(counts.worthTelling.withSeveralRecords, "with several records");
    return parts.empty() ? text : text + " (" + parts + ")";
}

std::string noPagesAdvice(std::string_view folder, bool folderMissing,
                          const FolderLeftovers& leftovers) {
    if (folderMissing) {
        return "there is no data folder " + std::string(folder) +
               ": make it and put catalog pages into it";
    }
    if (leftovers.subfolders == 0 && leftovers.rest == 0) {
        return "the data folder " + std::string(folder) + " is empty: put catalog pages into it";
    }
    if (leftovers.subfolders == 0) {
        return "the data folder " + std::string(folder) +
               " holds no pages, only pipes, devices or links that lead nowhere: put catalog "
               "pages into it";
    }
    // Pages put into subfolders are the likeliest reason, so the count says whether it is this.
    return "the data folder " + std::string(folder) + " holds no pages (it has " +
           counted(leftovers.subfolders, "subfolder") +
           ", and pages in subfolders are not read): put catalog pages into it";
}

}  // namespace catalog
