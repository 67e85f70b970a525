#pragma once

#include <string>
#include <string_view>

#include "collect/listing.h"
#include "collect/stop_flag.h"

namespace catalog {

// The value of a field whose pattern finds nothing in a record.
inline constexpr std::string_view kMatchFailed = "String Matching Failed";

// A text is a product record when it holds this marker anywhere.
inline constexpr std::string_view kRecordMarker = "', 'PRICE' => ";

// The text of the last match of `myPattern` in `myString`, or "String Matching Failed". Patterns
// are literal bytes and the greedy wildcard "[\s\S]*"; matching is case-sensitive.
std::string TestRegExp(std::string_view myPattern, std::string_view myString);

// How one field is cut out of a record: the pattern's last match, then every occurrence of the
// opening marker removed, then every occurrence of the closing marker.
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

std::string extractField(const FieldRule& rule, std::string_view record);
// The same value, appended to `out`: a run builds its rows in place, so a value of many
// megabytes is copied once.
void appendField(const FieldRule& rule, std::string_view record, std::string& out);

struct ProductRecord {
    std::string reference;
    std::string price;
    std::string thumbnail;
    std::string name;
};

bool holdsRecord(std::string_view text);

// The four fields of a record text; values keep every byte, line breaks and tabs included.
ProductRecord extractRecord(std::string_view record);

// A record's row appended to `out`: reference, price, thumbnail and name, joined by tabs. The
// fields are pure functions of the text, so making them in column order gives the same row
// as extracting name, price, reference and thumbnail in that order. Returns where the fields
// end. Between fields it throws RunStopped once `stop` is requested: matching a large record
// takes a while.
FieldLengths appendRecordRow(std::string_view record, std::string& out,
                             const StopFlag* stop = nullptr);

}  // namespace catalog
