#pragma once

#include <string>
#include <string_view>

namespace catalog {

// Windows names are UTF-16 that need not be valid: a lone surrogate is a legal name. Inside the
// program names are UTF-8, extended as WTF-8 so that such a name survives the round trip, and
// sorts in the same byte order as on any other system.
std::string wtf8FromUtf16(std::u16string_view text);
std::u16string utf16FromWtf8(std::string_view text);

}  // namespace catalog
