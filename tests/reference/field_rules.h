// Reference routines for the tests, the fuzzer and the benchmarks: the field rules applied a
// pattern at a time to a text held whole, as plainly as they are stated.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "collect/field_extraction.h"
#include "collect/listing.h"
#include "collect/stop_flag.h"

namespace catalog {

// The text of the last match of `myPattern` in `myString`, or "String Matching Failed".
std::string TestRegExp(std::string_view myPattern, std::string_view myString);

std::string extractField(const FieldRule& rule, std::string_view record);
// The same value, appended to `out`.
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

// A record's row appended to `out`: reference, price, thumbnail and name, joined by tabs.
// Returns where the fields end. Between fields it throws RunStopped once `stop` is requested.
FieldLengths appendRecordRow(std::string_view record, std::string& out,
                             const StopFlag* stop = nullptr);

// The pieces a page is cut into, one per record marker, as plainly as the cut rule states it:
// between two markers, after the first thumbnail closer, else before the last reference opener,
// else before the last name opener, else right before the later marker.
std::vector<std::string_view> recordPieces(std::string_view page);
// The listing lines of a page: each piece's row, ended by CR LF.
std::string pageRows(std::string_view page);

}  // namespace catalog
