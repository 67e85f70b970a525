#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "collect/listing.h"

namespace catalog {

// The value of a field whose pattern finds nothing in a record.
inline constexpr std::string_view kMatchFailed = "String Matching Failed";

// A text is a product record when it holds this marker anywhere.
inline constexpr std::string_view kRecordMarker = "', 'PRICE' => ";

// How one field is cut out of a record: the pattern's last match, then every occurrence of the
// opening marker removed, then every occurrence of the closing marker. Patterns are literal
// bytes and the greedy wildcard "[\s\S]*"; matching is case-sensitive.
struct FieldRule {
    std::string_view pattern;
    std::string_view opener;
    std::string_view closer;
};

inline constexpr FieldRule kNameRule{"', 'NAME' => '[\\s\\S]*', 'PRICE' => ", "', 'NAME' => '",
                                     "', 'PRICE' => "};
inline constexpr FieldRule kPriceRule{"', 'PRICE' => [\\s\\S]*, 'MIN_QUANTITY_ORDERABLE' => ",
                                      "', 'PRICE' => ", ", 'MIN_QUANTITY_ORDERABLE' => "};
inline constexpr FieldRule kReferenceRule{"'REFERENCE' => '[\\s\\S]*', 'NAME' => '",
                                          "'REFERENCE' => '", "', 'NAME' => '"};
inline constexpr FieldRule kThumbnailRule{", 'THUMBNAIL' => '[\\s\\S]*',  }, ",
                                          ", 'THUMBNAIL' => '", "',  }, "};

// The rule of each field, in the listing's column order.
inline constexpr std::array<const FieldRule*, kFieldCount> kColumnRules{
    &kReferenceRule, &kPriceRule, &kThumbnailRule, &kNameRule};

// Removes every non-overlapping occurrence of `marker` from `value` at or after `from`, scanning
// left to right. In time linear in the value, since a marker is a few dozen bytes at most.
void eraseAll(std::string& value, std::string_view marker, std::size_t from = 0);

}  // namespace catalog
