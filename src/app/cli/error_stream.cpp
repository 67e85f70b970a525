#include "app/cli/error_stream.h"

#include <new>
#include <span>
#include <stdexcept>

#include "platform/console.h"
#include "platform/output_file.h"

namespace catalog {

std::string withTextLineEnds(std::string_view text) {
    std::string lines;
    for (const char& c : text) {
        lines.append(c == '\n' ? kTextLineEnd : std::string_view(&c, 1));
    }
    return lines;
}

// Where the line ends are "\n" already, nothing is copied: the message that memory ran out
// comes here too.
std::streamsize ErrorStreamBuffer::xsputn(const char* text, std::streamsize count) {
    std::string_view piece(text, static_cast<std::size_t>(count));
    try {
        std::string lines;
        if (kTextLineEnd != "\n" && piece.find('\n') != std::string_view::npos) {
            try {
                lines = withTextLineEnds(piece);
                piece = lines;
            } catch (const std::bad_alloc&) {
                // Said as it stands, its lines ending in "\n".
            }
        }
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
