#include "collect/run_summary.h"

namespace catalog {

RunCounts countsOf(const Collected& collected) {
    const PageCounts& pages = collected.pageCounts;
    return {collected.files, collected.listing.rowCount(), pages.withoutRecord,
            pages.withFieldNotFound, pages.withSeveralRecords};
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
    add(counts.withoutRecord, "without a record");
    add(counts.withFieldNotFound, "with a field not found");
    add(counts.withSeveralRecords, "with several records");
    return parts.empty() ? text : text + " (" + parts + ")";
}

std::string noPagesAdvice(std::string_view folder, bool folderMissing) {
    if (folderMissing) {
        return "there is no data folder " + std::string(folder) +
               ": make it and put catalog pages into it";
    }
    return "the data folder " + std::string(folder) + " is empty: put catalog pages into it";
}

}  // namespace catalog
