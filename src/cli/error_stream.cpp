#include "cli/error_stream.h"

#include <span>
#include <stdexcept>
#include <string_view>

#include "platform/output_file.h"

namespace catalog {

std::streamsize ErrorStreamBuffer::xsputn(const char* text, std::streamsize count) {
    const std::string_view piece(text, static_cast<std::size_t>(count));
    try {
        writeStandardError(std::span(&piece, 1));
        return count;
    } catch (const std::exception&) {
        return 0;  // nothing is left to say it on
    }
}

ErrorStreamBuffer::int_type ErrorStreamBuffer::overflow(int_type byte) {
    if (traits_type::eq_int_type(byte, traits_type::eof())) {
        return traits_type::not_eof(byte);
    }
    const char one = traits_type::to_char_type(byte);
    return xsputn(&one, 1) == 1 ? byte : traits_type::eof();
}

}  // namespace catalog
