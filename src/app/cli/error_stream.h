#pragma once

#include <streambuf>
#include <string>
#include <string_view>

namespace catalog {

// The program's own text, whose lines end in "\n", with the lines ending as the system's text
// files end theirs (kTextLineEnd).
std::string withTextLineEnds(std::string_view text);

// Standard error as the batch command writes its messages: each piece goes out through
// writeStandardError as it comes, unbuffered as std::cerr is, so that a Windows console shows
// it as characters; its lines end as the system's text files end theirs. A write that fails
// sets the stream's badbit.
class ErrorStreamBuffer : public std::streambuf {
protected:
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int_type overflow(int_type byte) override;
};

}  // namespace catalog
