#include "collect/mhtml_text.h"

#include <algorithm>
#include <string>
#include <utility>

#include "collect/ascii_text.h"

namespace catalog {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    text.remove_prefix(std::min(text.find_first_not_of(" \t"), text.size()));
    return text.substr(0, text.find_last_not_of(" \t") + 1);
}

// A header `Name: value` split at its colon; the name as written, the value without the blanks
// around it.
struct Header {
    std::string_view name;
    std::string_view value;
};

std::optional<Header> headerOf(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    return Header{line.substr(0, colon), trimmed(line.substr(colon + 1))};
}

// The `boundary=` parameter of a Content-Type value: quoted, or up to `;`, a blank or the end.
std::optional<std::string_view> boundaryOf(std::string_view value) {
    constexpr std::string_view kName = "boundary=";
    for (std::size_t at = 1; at + kName.size() <= value.size(); ++at) {
        const char before = value[at - 1];
        if ((before != ';' && !isBlank(before)) || !startsWithNoCase(value.substr(at), kName)) {
            continue;
        }
        std::string_view rest = value.substr(at + kName.size());
        if (rest.starts_with('"')) {
            const std::size_t close = rest.find('"', 1);
            return close == std::string_view::npos ? std::nullopt
                                                   : std::optional(rest.substr(1, close - 1));
        }
        return rest.substr(0, rest.find_first_of("; \t\r"));
    }
    return std::nullopt;
}

// The header block's facts as they are met.
struct MessageHeaders {
    bool version = false;
    bool sawType = false;
    // A copy: the header's line is reused for the next one.
    std::optional<std::string> boundary;

    void add(std::string_view line) {
        const std::optional<Header> header = headerOf(line);
        if (!header) {
            return;
        }
        version = version || equalNoCase(header->name, "MIME-Version");
        if (!sawType && equalNoCase(header->name, "Content-Type")) {
            sawType = true;
            if (startsWithNoCase(header->value, "multipart/")) {
                const std::optional<std::string_view> found = boundaryOf(header->value);
                boundary = found ? std::optional<std::string>(*found) : std::nullopt;
            }
        }
    }
};

std::string_view withoutCr(std::string_view line) {
    return line.ends_with('\r') ? line.substr(0, line.size() - 1) : line;
}

// The value of a base64 character, or -1 for any other byte, which is skipped.
int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    return c == '+' ? 62 : c == '/' ? 63 : -1;
}

}  // namespace

std::optional<MhtmlMessage> mhtmlMessage(std::string_view head) {
    head = head.substr(0, kMhtmlHeadBytes);
    const std::size_t start = head.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    MessageHeaders headers;
    // The one of the two headers looked for in hand, its continuation lines joined: only those
    // are copied, as most pages looked at here are plain HTML.
    std::string logical;
    bool wanted = false;
    for (std::size_t at = start;;) {
        const std::size_t end = head.find('\n', at);
        if (end == std::string_view::npos) {
            return std::nullopt;  // no empty line ends a header block here
        }
        const std::string_view line = withoutCr(head.substr(at, end - at));
        at = end + 1;
        if (!line.empty() && isBlank(line.front())) {
            if (wanted) {
                logical.append(line);
            }
            continue;
        }
        if (wanted) {
            headers.add(logical);
        }
        if (!line.empty() && line.find(':') == std::string_view::npos) {
            return std::nullopt;  // no header: a page of HTML, which stops at its first line
        }
        wanted = startsWithNoCase(line, "MIME-Version:") || startsWithNoCase(line, "Content-Type:");
        if (wanted) {
            logical.assign(line);
        }
        if (!line.empty()) {
            continue;
        }
        const std::optional<std::string>& boundary = headers.boundary;
        if (!headers.version || !boundary || boundary->empty() ||
            boundary->size() > MhtmlMessage::kMostBoundary) {
            return std::nullopt;
        }
        MhtmlMessage message;
        std::copy(boundary->begin(), boundary->end(), message.boundary.begin());
        message.boundarySize = static_cast<std::uint8_t>(boundary->size());
        message.bodyFrom = at;
        return message;
    }
}

MhtmlDecoder::MhtmlDecoder(const MhtmlMessage& message) : m_message(message) {}

std::size_t MhtmlDecoder::decode(std::string_view bytes, char* into) {
    char* out = into;
    for (const char byte : bytes) {
        out = step(byte, out);
    }
    return static_cast<std::size_t>(out - into);
}

std::size_t MhtmlDecoder::finish(char* into) {
    char* out = into;
    if (m_delimiter == Delimiter::Tail && m_closeDashes != 1) {
        out = delimiterFound(out);  // the page's end ends a delimiter line as a line break does
    } else {
        out = release(out);
    }
    if (m_section == Section::Body) {
        if (std::exchange(m_crWaits, false)) {
            out = body('\r', out);
        }
        out = partEnds(out);
    }
    m_section = Section::Epilogue;
    return static_cast<std::size_t>(out - into);
}

char* MhtmlDecoder::step(char byte, char* out) {
    if (m_section == Section::Epilogue) {
        return out;
    }
    if (m_delimiter != Delimiter::None) {
        const std::size_t held = m_heldCount;
        out = delimiterStep(byte, out);
        if (m_heldCount > held || m_delimiter == Delimiter::Dashes) {
            return out;  // taken: held, or a delimiter found and a new line begun
        }
    }
    return plain(byte, out);
}

// Matches a line against `--BOUNDARY`, then `--` and trailing blanks and CRs up to its LF. A
// byte that does not fit releases what was held and is left to plain().
char* MhtmlDecoder::delimiterStep(char byte, char* out) {
    const std::string_view boundary = m_message.boundaryText();
    if (m_delimiter == Delimiter::Dashes) {
        const char wanted = m_matched < 2 ? '-' : boundary[m_matched - 2];
        if (byte != wanted) {
            return release(out);
        }
        hold(byte);
        if (++m_matched == boundary.size() + 2) {
            m_delimiter = Delimiter::Tail;
            m_closeDashes = 0;
            m_padded = false;
        }
        return out;
    }
    if (byte == '\n' && m_closeDashes != 1) {
        return delimiterFound(out);
    }
    const bool dash = byte == '-' && !m_padded && m_closeDashes < 2;
    const bool padding = (isBlank(byte) || byte == '\r') && m_closeDashes != 1 &&
                         m_heldCount - m_lineBreak < kMostHeld;
    if (!dash && !padding) {
        return release(out);
    }
    m_closeDashes += dash ? 1 : 0;
    m_padded = m_padded || padding;
    hold(byte);
    return out;
}

char* MhtmlDecoder::delimiterFound(char* out) {
    if (m_section == Section::Body) {
        out = partEnds(out);
    }
    if (m_closeDashes == 2) {
        m_section = Section::Epilogue;
    } else {
        m_section = Section::Headers;
        m_headers = PartHeaders();
    }
    m_crWaits = false;
    startLine();
    return out;
}

void MhtmlDecoder::startLine() {
    m_heldCount = 0;
    m_lineBreak = 0;
    m_matched = 0;
    m_delimiter = Delimiter::Dashes;
}

// The held bytes were no delimiter: they are the section's, the line break before them too.
char* MhtmlDecoder::release(char* out) {
    const std::size_t count = std::exchange(m_heldCount, 0);
    m_delimiter = Delimiter::None;
    m_matched = 0;
    m_lineBreak = 0;
    for (std::size_t at = 0; at < count; ++at) {
        if (m_section == Section::Body) {
            out = body(m_held[at], out);
        } else if (m_section == Section::Headers) {
            out = plain(m_held[at], out);  // never a line break: those are held in a body only
        }
    }
    return out;
}

char* MhtmlDecoder::plain(char byte, char* out) {
    switch (m_section) {
        case Section::Preamble:
            if (byte == '\n') {
                startLine();
            }
            return out;
        case Section::Headers:
            if (byte != '\n') {
                m_headers.add(byte);
                return out;
            }
            if (m_headers.lineEnds()) {
                m_section = Section::Body;
            }
            startLine();
            return out;
        case Section::Body:
            break;
        case Section::Epilogue:
            return out;
    }
    if (byte == '\n') {
        // The line break belongs to a delimiter line if one follows: held until that is known.
        if (std::exchange(m_crWaits, false)) {
            hold('\r');
        }
        hold('\n');
        m_lineBreak = m_heldCount;
        m_matched = 0;
        m_delimiter = Delimiter::Dashes;
        return out;
    }
    if (std::exchange(m_crWaits, false)) {
        out = body('\r', out);
    }
    if (byte == '\r') {
        m_crWaits = true;
        return out;
    }
    return body(byte, out);
}

void MhtmlDecoder::PartHeaders::add(char byte) {
    if (std::exchange(m_crWaits, false)) {
        take('\r');
    }
    if (byte == '\r') {
        m_crWaits = true;
        return;
    }
    take(byte);
}

// A line that begins with a blank continues the header before it.
void MhtmlDecoder::PartHeaders::take(char byte) {
    if (!std::exchange(m_lineBegun, true) && !isBlank(byte)) {
        headerEnds();
    }
    if (!m_inValue) {
        m_inValue = byte == ':';
        if (!m_inValue) {
            m_nameLong = m_nameLong || m_nameSize == kMostName;
            m_name[m_nameSize] = byte;
            m_nameSize += m_nameSize < kMostName ? 1 : 0;
        }
        return;
    }
    if (isBlank(byte)) {
        m_blanks += m_valueSize > 0 ? 1 : 0;  // those before the value are no part of it
        return;
    }
    const std::size_t blanks = std::exchange(m_blanks, 0);
    if (m_valueSize + blanks + 1 > kMostValue) {
        m_valueLong = true;
        return;
    }
    std::fill_n(m_value.begin() + m_valueSize, blanks, ' ');
    m_valueSize = static_cast<std::uint8_t>(m_valueSize + blanks);
    m_value[m_valueSize++] = byte;
}

bool MhtmlDecoder::PartHeaders::lineEnds() {
    m_crWaits = false;
    if (std::exchange(m_lineBegun, false)) {
        return false;
    }
    headerEnds();
    return true;
}

// The header in hand is whole: the part's type and transfer encoding, the first of each.
void MhtmlDecoder::PartHeaders::headerEnds() {
    const std::string_view name(m_name.data(), m_nameSize);
    const std::string_view value(m_value.data(), m_valueSize);
    const bool named = m_inValue && !m_nameLong;
    if (named && !m_sawType && equalNoCase(name, "Content-Type")) {
        m_sawType = true;
        m_text = startsWithNoCase(value, "text/html") || startsWithNoCase(value, "text/plain");
    } else if (named && !m_sawEncoding && equalNoCase(name, "Content-Transfer-Encoding")) {
        m_sawEncoding = true;
        const std::string_view whole = m_valueLong ? std::string_view() : value;
        m_encoding = equalNoCase(whole, "quoted-printable") ? Encoding::QuotedPrintable
                     : equalNoCase(whole, "base64")         ? Encoding::Base64
                                                            : Encoding::Plain;
    }
    m_nameSize = 0;
    m_valueSize = 0;
    m_nameLong = false;
    m_valueLong = false;
    m_inValue = false;
    m_blanks = 0;
}

char* MhtmlDecoder::body(char byte, char* out) {
    if (!m_headers.text()) {
        return out;
    }
    switch (m_headers.encoding()) {
        case Encoding::Plain:
            *out++ = byte;
            return out;
        case Encoding::QuotedPrintable:
            return quotedPrintable(byte, out);
        case Encoding::Base64:
            return base64(byte, out);
    }
    return out;
}

// `=` then LF or CR LF is removed, `=` then two hex digits is that byte, any other `=` stays.
char* MhtmlDecoder::quotedPrintable(char byte, char* out) {
    switch (m_pending) {
        case kNothingPending:
            if (byte == '=') {
                m_pending = kEquals;
            } else {
                *out++ = byte;
            }
            return out;
        case kEquals:
            if (byte == '\n') {
                m_pending = kNothingPending;
                return out;
            }
            if (byte == '\r' || hexValue(byte) >= 0) {
                m_pending = byte == '\r' ? kEqualsCr : kEqualsHex;
                m_pendingByte = byte;
                return out;
            }
            break;
        case kEqualsCr:
        case kEqualsHex:
            if (m_pending == kEqualsCr ? byte == '\n' : hexValue(byte) >= 0) {
                if (m_pending == kEqualsHex) {
                    *out++ = static_cast<char>(hexValue(m_pendingByte) * 16 + hexValue(byte));
                }
                m_pending = kNothingPending;
                return out;
            }
            break;
    }
    out = givePending(out);
    return quotedPrintable(byte, out);
}

// What a quoted-printable `=` began stands as it is.
char* MhtmlDecoder::givePending(char* out) {
    if (m_pending != kNothingPending) {
        *out++ = '=';
    }
    if (m_pending == kEqualsCr || m_pending == kEqualsHex) {
        *out++ = m_pendingByte;
    }
    m_pending = kNothingPending;
    return out;
}

char* MhtmlDecoder::base64(char byte, char* out) {
    const int value = base64Value(byte);
    if (value < 0) {
        return out;
    }
    m_bits = (m_bits << 6 | static_cast<std::uint32_t>(value)) & 0xFFF;
    m_bitCount += 6;
    if (m_bitCount >= 8) {
        m_bitCount -= 8;
        *out++ = static_cast<char>(m_bits >> m_bitCount & 0xFF);
    }
    return out;
}

// A part's text ends: a quoted-printable `=` left stands, base64's leftover bits go.
char* MhtmlDecoder::partEnds(char* out) {
    out = givePending(out);
    m_bits = 0;
    m_bitCount = 0;
    return out;
}

}  // namespace catalog
