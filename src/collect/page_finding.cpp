#include "collect/page_finding.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "collect/field_extraction.h"
#include "collect/readable_numbers.h"

namespace catalog {

namespace {

std::string named(std::string name, const std::string& explanation) {
    return name.append(": ").append(explanation);
}

const NearForm* nearFormOf(std::string_view text, std::span<const NearForm> near) {
    const auto found = std::ranges::find(near, text, &NearForm::text);
    return found == near.end() ? nullptr : &*found;
}

// Everything worth telling of one record on one line: the fields not found and why.
std::string explanationOf(const RecordNote& record, std::span<const NearForm> near) {
    std::string text;
    for (std::size_t column = 0; column < kFieldCount; ++column) {
        if (record.misses[column] != FieldMiss::Found) {
            text.append(text.empty() ? "" : "; ")
                .append(kFieldNames[column])
                .append(" not found: ")
                .append(missReason(record, column, near));
        }
    }
    return text;
}

// The near form the record holds of what the field in `column` lacks, or none.
const NearForm* ownNearForm(const RecordNote& record, std::size_t column,
                            std::span<const NearForm> near) {
    const std::size_t own = record.nearForms[column];
    const bool held =
        own < near.size() && near[own].text == missingText(column, record.misses[column]);
    return held ? &near[own] : nullptr;
}

std::string plainMissReason(std::size_t column, FieldMiss miss) {
    const FieldRule& rule = *kColumnRules.at(column);
    if (miss == FieldMiss::NoOpener) {
        return "no " + quoted(rule.opener) + " in the record";
    }
    return miss == FieldMiss::NoCloserAfter
               ? quoted(rule.opener) + " found, but no " + quoted(rule.closer) + " after it"
               : std::string();
}

// What a file that gave no row is, and what to do with it.
struct KindText {
    FileKind kind;
    std::string_view text;
};

constexpr KindText kKindTexts[] = {
    {FileKind::Png, "holds no text (a PNG image)"},
    {FileKind::Jpeg, "holds no text (a JPEG image)"},
    {FileKind::Gif, "holds no text (a GIF image)"},
    {FileKind::WebP, "holds no text (a WebP image)"},
    {FileKind::Pdf, "holds no text (a PDF document)"},
    {FileKind::NoText, "holds no text"},
    {FileKind::Gzip, "compressed (gzip): unpack it into the data folder"},
    {FileKind::Zip, "compressed (zip): unpack it into the data folder"},
    {FileKind::SevenZip, "compressed (7z): unpack it into the data folder"},
    {FileKind::Xz, "compressed (xz): unpack it into the data folder"},
    {FileKind::Bzip2, "compressed (bzip2): unpack it into the data folder"},
    {FileKind::Zstd, "compressed (zstd): unpack it into the data folder"},
    {FileKind::Rar, "compressed (RAR): unpack it into the data folder"},
    {FileKind::OfficeDocument, "an office document (zip): save it as text or HTML"},
    {FileKind::Utf32, "UTF-32 text, which is not read: save it as UTF-8 or UTF-16"},
};

std::string_view kindExplanation(FileKind kind) {
    const auto* found = std::ranges::find(kKindTexts, kind, &KindText::kind);
    return found == std::end(kKindTexts) ? std::string_view() : found->text;
}

std::string subfolderExplanation(std::size_t pages) {
    return "a subfolder: its " + counted(pages, "page") +
           (pages == 1 ? " with records is not read; move it into the data folder"
                       : " with records are not read; move them into the data folder");
}

// The line of a subfolder, or of a page whose kind says more than the text it lacks; a near
// form of the record marker says more still.
std::optional<std::string> toldByKind(const PageNote& note) {
    if (note.kind == FileKind::Subfolder) {
        return named(note.file, subfolderExplanation(note.kindCount));
    }
    if (note.kind == FileKind::MoreSubfolders) {
        return "and " + grouped(note.kindCount) + " more";
    }
    if (note.kind == FileKind::Text || note.records > 0 ||
        nearFormOf(kRecordMarker, note.nearForms) != nullptr) {
        return std::nullopt;
    }
    return named(note.file, std::string(kindExplanation(note.kind)));
}

}  // namespace

// Appended piece by piece: GCC 12 at -O3 takes "`" + std::string(...) for an overlapping copy.
std::string quoted(std::string_view marker) {
    std::string text;
    text.reserve(marker.size() + 2);
    text.append("`").append(marker).append("`");
    return text;
}

bool anyMissing(const FieldMisses& misses) {
    return std::ranges::any_of(misses, [](FieldMiss miss) { return miss != FieldMiss::Found; });
}

void PageCounts::add(const PageFinding& finding) {
    withoutRecord += finding.holdsRecord() ? 0 : 1;
    withFieldNotFound += finding.fieldNotFound() ? 1 : 0;
    withSeveralRecords += finding.records > 1 ? 1 : 0;
    readThroughWrapping += finding.reading.wrapped() ? 1 : 0;
}

PageCounts& PageCounts::operator+=(const PageCounts& other) {
    withoutRecord += other.withoutRecord;
    withFieldNotFound += other.withFieldNotFound;
    withSeveralRecords += other.withSeveralRecords;
    readThroughWrapping += other.readThroughWrapping;
    return *this;
}

std::string recordName(std::string_view file, std::uint64_t record, std::uint64_t records) {
    std::string name(file);
    if (records > 1) {
        name += " (" + grouped(record + 1) + " of " + grouped(records) + ")";
    }
    return name;
}

std::string_view missingText(std::size_t column, FieldMiss miss) {
    const FieldRule& rule = *kColumnRules.at(column);
    return miss == FieldMiss::NoOpener ? rule.opener : rule.closer;
}

std::string missReason(const RecordNote& record, std::size_t column,
                       std::span<const NearForm> near) {
    if (const NearForm* own = ownNearForm(record, column, near)) {
        return own->explanation;
    }
    std::string reason = plainMissReason(column, record.misses[column]);
    if (const NearForm* elsewhere = nearFormOf(missingText(column, record.misses[column]), near)) {
        reason.append(", though ").append(elsewhere->elsewhere);
    }
    return reason;
}

std::string readingDescription(const TextReading& reading) {
    std::string text;
    const auto add = [&text](std::string_view how) {
        text.append(text.empty() ? "read " : ", ").append(how);
    };
    if (reading.mhtml) {
        add("as the text inside a browser's single-file save (MHTML)");
    }
    if (reading.unmarked != PageEncoding::Bytes) {
        add(reading.zeroAfterMark ? "as UTF-16 (its mark followed by a zero character)"
                                  : "as UTF-16 without a byte order mark");
    }
    if (reading.refs) {
        add("with its HTML escapes decoded (`&#039;` as `'`)");
    }
    return text;
}

std::size_t explanationLineCount(const PageNote& note) {
    const std::size_t wrapping = note.reading.wrapped() ? 1 : 0;
    return note.records == 0 ? 1 : wrapping + note.missing.size();
}

std::string explanationLine(const PageNote& note, std::size_t line) {
    if (std::optional<std::string> told = toldByKind(note)) {
        return std::move(*told);
    }
    if (note.reading.wrapped() && note.records > 0) {
        if (line == 0) {
            return named(note.file, readingDescription(note.reading));
        }
        --line;
    }
    if (note.records == 0) {
        const NearForm* form = nearFormOf(kRecordMarker, note.nearForms);
        return named(note.file, form ? "no record: " + form->explanation
                                     : "no record: no " + quoted(kRecordMarker) + " in the page");
    }
    const RecordNote& record = note.missing.at(line);
    return named(recordName(note.file, record.record, note.records),
                 explanationOf(record, note.nearForms));
}

}  // namespace catalog
