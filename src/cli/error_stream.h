#pragma once

#include <streambuf>

namespace catalog {

// Standard error as the batch command writes its messages: each piece goes out through
// writeStandardError as it comes, unbuffered as std::cerr is, so that a Windows console shows
// it as characters. A write that fails sets the stream's badbit.
class ErrorStreamBuffer : public std::streambuf {
protected:
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int_type overflow(int_type byte) override;
};

}  // namespace catalog
