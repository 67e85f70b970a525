// Reference routines for the tests, the fuzzer and the benchmarks: see field_rules.h.
#include "reference/field_rules.h"

#include <string_view>

#include "reference/wildcard_match.h"

namespace catalog {

std::string TestRegExp(std::string_view myPattern, std::string_view myString) {
    const auto match = lastMatch(myPattern, myString);
    return std::string(match ? *match : kMatchFailed);
}

void appendField(const FieldRule& rule, std::string_view record, std::string& out) {
    const std::size_t start = out.size();
    const auto match = lastMatch(rule.pattern, record);
    out.append(match ? *match : kMatchFailed);
    eraseAll(out, rule.opener, start);
    eraseAll(out, rule.closer, start);
}

std::string extractField(const FieldRule& rule, std::string_view record) {
    std::string value;
    appendField(rule, record, value);
    return value;
}

bool holdsRecord(std::string_view text) {
    return text.find(kRecordMarker) != std::string_view::npos;
}

ProductRecord extractRecord(std::string_view record) {
    // Extracted in this order, shown in column order.
    ProductRecord product;
    product.name = extractField(kNameRule, record);
    product.price = extractField(kPriceRule, record);
    product.reference = extractField(kReferenceRule, record);
    product.thumbnail = extractField(kThumbnailRule, record);
    return product;
}

FieldLengths appendRecordRow(std::string_view record, std::string& out, const StopFlag* stop) {
    FieldLengths lengths{};
    const FieldRule* const firstRules[] = {&kReferenceRule, &kPriceRule, &kThumbnailRule};
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        stopIfRequested(stop);
        const std::size_t start = out.size();
        appendField(*firstRules[i], record, out);
        lengths[i] = out.size() - start;
        out.push_back('\t');
    }
    stopIfRequested(stop);
    appendField(kNameRule, record, out);
    return lengths;
}

// Where the piece of the record whose marker ends at `from` ends, when the next marker starts at
// `to`: only occurrences wholly between the two count.
std::size_t cutBetween(std::string_view page, std::size_t from, std::size_t to) {
    const std::string_view gap = page.substr(from, to - from);
    if (const std::size_t closer = gap.find(kThumbnailRule.closer); closer != gap.npos) {
        return from + closer + kThumbnailRule.closer.size();
    }
    for (const std::string_view opener : {kReferenceRule.opener, kNameRule.opener}) {
        if (const std::size_t last = gap.rfind(opener); last != gap.npos) {
            return from + last;
        }
    }
    return to;
}

std::vector<std::string_view> recordPieces(std::string_view page) {
    std::vector<std::size_t> markers;
    for (std::size_t at = page.find(kRecordMarker); at != page.npos;
         at = page.find(kRecordMarker, at + kRecordMarker.size())) {
        markers.push_back(at);
    }
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (std::size_t i = 0; i < markers.size(); ++i) {
        const std::size_t end =
            i + 1 < markers.size()
                ? cutBetween(page, markers[i] + kRecordMarker.size(), markers[i + 1])
                : page.size();
        pieces.push_back(page.substr(start, end - start));
        start = end;
    }
    return pieces;
}

std::string pageRows(std::string_view page) {
    std::string rows;
    for (const std::string_view piece : recordPieces(page)) {
        appendRecordRow(piece, rows);
        rows.append(kLineEnd);
    }
    return rows;
}

}  // namespace catalog
