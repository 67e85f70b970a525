// Reference routines for the tests, the fuzzer and the benchmarks: see field_rules.h.
#include "reference/field_rules.h"

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

}  // namespace catalog
