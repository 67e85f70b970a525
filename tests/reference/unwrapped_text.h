// Reference routines for the tests and the fuzzer: the text a page's rows are read from, worked
// out the plain way, each wrapping decoded whole and the readings tried one after the other.
#pragma once

#include <string>
#include <string_view>

#include "collect/wrap_clues.h"

namespace catalog {

// The clues `text` holds, each looked for in the whole text.
WrapClues plainClues(std::string_view text);

// The text of `page` its rows are read from: as it stands (a UTF-16 page with its mark decoded)
// where that holds a record marker, else the first wrapping's text that holds one, else as it
// stands again.
std::string unwrappedText(std::string_view page);

}  // namespace catalog
