#include "collect/field_extraction.h"

#include "collect/byte_search.h"
#include "collect/wildcard_match.h"

namespace catalog {

std::string TestRegExp(std::string_view myPattern, std::string_view myString) {
    const auto match = lastMatch(myPattern, myString);
    return std::string(match ? *match : kMatchFailed);
}

std::string extractField(const FieldRule& rule, std::string_view record) {
    std::string value = TestRegExp(rule.pattern, record);
    eraseAll(value, rule.opener);
    eraseAll(value, rule.closer);
    return value;
}

bool holdsRecord(std::string_view text) {
    return findFirst(text, kRecordMarker) != kNotFound;
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

}  // namespace catalog
