#include "collect/page_finding.h"

#include <algorithm>

#include "collect/collection_run.h"
#include "collect/field_extraction.h"

namespace catalog {

namespace {

// Appended piece by piece: GCC 12 at -O3 takes "`" + std::string(...) for an overlapping copy.
std::string quoted(std::string_view marker) {
    std::string text;
    text.reserve(marker.size() + 2);
    text.append("`").append(marker).append("`");
    return text;
}

void addPart(std::string& text, const std::string& part) {
    if (!text.empty()) {
        text.append("; ");
    }
    text.append(part);
}

}  // namespace

bool PageFinding::fieldNotFound() const {
    return holdsRecord() && std::any_of(misses.begin(), misses.end(),
                                        [](FieldMiss miss) { return miss != FieldMiss::Found; });
}

void PageCounts::add(const PageFinding& finding) {
    withoutRecord += finding.holdsRecord() ? 0 : 1;
    withFieldNotFound += finding.fieldNotFound() ? 1 : 0;
    withSeveralRecords += finding.severalRecords() ? 1 : 0;
}

PageCounts& PageCounts::operator+=(const PageCounts& other) {
    withoutRecord += other.withoutRecord;
    withFieldNotFound += other.withFieldNotFound;
    withSeveralRecords += other.withSeveralRecords;
    return *this;
}

std::string missReason(std::size_t column, FieldMiss miss) {
    const FieldRule& rule = *kColumnRules.at(column);
    switch (miss) {
        case FieldMiss::NoOpener:
            return "no " + quoted(rule.opener) + " in the page";
        case FieldMiss::NoCloserAfter:
            return quoted(rule.opener) + " found, but no " + quoted(rule.closer) + " after it";
        case FieldMiss::Found:
            break;
    }
    return {};
}

std::string severalRecordsReason(std::uint64_t records) {
    return "the page holds " + grouped(records) +
           " records: each value runs from the first record to the last";
}

std::string explanationOf(const PageFinding& finding) {
    if (!finding.holdsRecord()) {
        return "no record: no " + quoted(kRecordMarker) + " in the page";
    }
    std::string text;
    for (std::size_t column = 0; column < kFieldCount; ++column) {
        if (finding.misses[column] != FieldMiss::Found) {
            addPart(text, std::string(kFieldNames[column]) +
                              " not found: " + missReason(column, finding.misses[column]));
        }
    }
    if (finding.severalRecords()) {
        addPart(text, severalRecordsReason(finding.records));
    }
    return text;
}

}  // namespace catalog
