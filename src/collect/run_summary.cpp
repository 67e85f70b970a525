#include "collect/run_summary.h"

namespace catalog {

RunCounts countsOf(const Collected& collected) {
    RunCounts counts{collected.files, collected.listing.rowCount()};
    for (const PageNote& note : collected.notes) {
        counts.withoutRecord += note.finding.holdsRecord() ? 0 : 1;
        counts.withFieldNotFound += note.finding.fieldNotFound() ? 1 : 0;
        counts.withSeveralRecords += note.finding.severalRecords() ? 1 : 0;
    }
    return counts;
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
