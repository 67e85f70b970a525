// Reference routines for the tests and the fuzzer: see unwrapped_text.h.
#include "reference/unwrapped_text.h"

#include <cctype>
#include <optional>
#include <vector>

#include "collect/field_extraction.h"

namespace catalog {

namespace {

std::string utf8(std::uint32_t point) {
    std::string out;
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | point >> 6);
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | point >> 12);
        out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | point >> 18);
        out += static_cast<char>(0x80 | (point >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
    return out;
}

std::string utf16(std::string_view bytes, bool bigEndian) {
    std::vector<std::uint32_t> units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(bigEndian ? (a << 8 | b) : (b << 8 | a));
    }
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const std::uint32_t unit = units[i];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            out += utf8(0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00));
        } else {
            out += utf8(unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
        }
    }
    return bytes.size() % 2 == 1 ? out + utf8(0xFFFD) : out;
}

bool digitsOf(std::string_view text, bool hex, std::size_t most, std::uint32_t& value) {
    if (text.empty() || text.size() > most) {
        return false;
    }
    value = 0;
    for (const char c : text) {
        if (!(hex ? std::isxdigit(static_cast<unsigned char>(c))
                  : std::isdigit(static_cast<unsigned char>(c)))) {
            return false;
        }
        value = value * (hex ? 16 : 10) +
                static_cast<std::uint32_t>(std::stoi(std::string(1, c), nullptr, 16));
    }
    return true;
}

// The reference that starts at `at` (an `&`), decoded, and its length; none where there is none.
std::optional<std::pair<std::string, std::size_t>> referenceAt(std::string_view text,
                                                               std::size_t at) {
    for (const auto& [name, as] : {std::pair{"&amp;", "&"},
                                   {"&lt;", "<"},
                                   {"&gt;", ">"},
                                   {"&quot;", "\""},
                                   {"&apos;", "'"}}) {
        if (text.substr(at).starts_with(name)) {
            return std::pair{std::string(as), std::string_view(name).size()};
        }
    }
    if (!text.substr(at).starts_with("&#")) {
        return std::nullopt;
    }
    const std::size_t semicolon = text.find(';', at);
    if (semicolon == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view digits = text.substr(at + 2, semicolon - at - 2);
    const bool hex = !digits.empty() && (digits[0] == 'x' || digits[0] == 'X');
    std::uint32_t value = 0;
    if (!digitsOf(hex ? digits.substr(1) : digits, hex, hex ? 6 : 7, value) || value == 0 ||
        value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return std::nullopt;
    }
    return std::pair{utf8(value), semicolon - at + 1};
}

std::string refs(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const auto reference = text[at] == '&' ? referenceAt(text, at) : std::nullopt;
        if (reference) {
            out += reference->first;
            at += reference->second;
        } else {
            out += text[at++];
        }
    }
    return out;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    return first == std::string_view::npos ? "" : std::string(text.substr(first, last - first + 1));
}

// The lines of `text`, each without its LF; the last one without one too.
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find('\n', at)) != std::string_view::npos; at = end + 1) {
        lines.push_back(text.substr(at, end - at));
    }
    lines.push_back(text.substr(at));
    return lines;
}

std::string_view withoutCr(std::string_view line) {
    return line.ends_with('\r') ? line.substr(0, line.size() - 1) : line;
}

// Header lines with their continuations joined, up to the first empty line; `end` is where the
// text after that line starts, or npos where there is none.
std::vector<std::string> headersOf(std::string_view text, std::size_t& end) {
    std::vector<std::string> headers;
    end = std::string_view::npos;
    std::size_t at = 0;
    for (const std::string_view raw : linesOf(text)) {
        const std::string_view line = withoutCr(raw);
        const std::size_t next = at + raw.size() + 1;
        if (line.empty() && next <= text.size()) {
            end = next;
            break;
        }
        if (!headers.empty() && (line.starts_with(' ') || line.starts_with('\t'))) {
            headers.back() += line;
        } else {
            headers.emplace_back(line);
        }
        at = next;
    }
    return headers;
}

std::optional<std::string> headerValue(const std::vector<std::string>& headers,
                                       std::string_view name) {
    for (const std::string& header : headers) {
        const std::size_t colon = header.find(':');
        if (colon != std::string::npos && lowered(header.substr(0, colon)) == name) {
            return trimmed(std::string_view(header).substr(colon + 1));
        }
    }
    return std::nullopt;
}

std::string quotedPrintable(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '=') {
            if (text.substr(at + 1, 1) == "\n") {
                ++at;
                continue;
            }
            if (text.substr(at + 1, 2) == "\r\n") {
                at += 2;
                continue;
            }
            const std::string_view hex = text.substr(at + 1, 2);
            if (hex.size() == 2 && std::isxdigit(static_cast<unsigned char>(hex[0])) &&
                std::isxdigit(static_cast<unsigned char>(hex[1]))) {
                out += static_cast<char>(std::stoi(std::string(hex), nullptr, 16));
                at += 2;
                continue;
            }
        }
        out += text[at];
    }
    return out;
}

std::string base64(std::string_view text) {
    constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        const std::size_t value = kAlphabet.find(c);
        if (value == std::string_view::npos)
            continue;
        bits = bits << 6 | static_cast<std::uint32_t>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>(bits >> count & 0xFF);
        }
    }
    return out;
}

std::optional<std::string> boundaryOf(std::string_view head) {
    for (const std::string_view raw : linesOf(head)) {
        const std::string_view line = withoutCr(raw);
        if (line.empty()) {
            break;
        }
        if (line[0] != ' ' && line[0] != '\t' && line.find(':') == std::string_view::npos) {
            return std::nullopt;  // every line of the block is a header or continues one
        }
    }
    std::size_t end = 0;
    const std::vector<std::string> headers = headersOf(head, end);
    const std::optional<std::string> type = headerValue(headers, "content-type");
    if (end == std::string_view::npos || !headerValue(headers, "mime-version") || !type ||
        !lowered(*type).starts_with("multipart/")) {
        return std::nullopt;
    }
    const std::string low = lowered(*type);
    for (std::size_t at = low.find("boundary="); at != std::string::npos;
         at = low.find("boundary=", at + 1)) {
        if (at == 0 || (low[at - 1] != ';' && low[at - 1] != ' ' && low[at - 1] != '\t'))
            continue;
        std::string value = type->substr(at + 9);
        if (value.starts_with('"')) {
            const std::size_t close = value.find('"', 1);
            if (close == std::string::npos)
                return std::nullopt;
            value = value.substr(1, close - 1);
        } else {
            value = value.substr(0, value.find_first_of("; \t\r"));
        }
        if (value.empty() || value.size() > 70)
            return std::nullopt;
        return value;
    }
    return std::nullopt;
}

bool isDelimiter(std::string_view line, const std::string& boundary, bool& close) {
    const std::string dash = "--" + boundary;
    if (line.size() > 1000 || !line.starts_with(dash))
        return false;
    std::string_view rest = line.substr(dash.size());
    close = rest.starts_with("--");
    if (close)
        rest.remove_prefix(2);
    return rest.find_first_not_of(" \t\r") == std::string_view::npos;
}

std::string partText(std::string_view part) {
    std::size_t end = 0;
    const std::vector<std::string> headers = headersOf(part, end);
    std::string_view body = end == std::string_view::npos ? "" : part.substr(end);
    const std::string type = lowered(headerValue(headers, "content-type").value_or("text/plain"));
    if (!type.starts_with("text/html") && !type.starts_with("text/plain"))
        return {};
    const std::string encoding =
        lowered(headerValue(headers, "content-transfer-encoding").value_or(""));
    return encoding == "quoted-printable" ? quotedPrintable(body)
           : encoding == "base64"         ? base64(body)
                                          : std::string(body);
}

std::optional<std::string> mhtml(std::string_view page) {
    const std::size_t skip = page.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    const std::string_view head = page.substr(0, 64 * 1024).substr(skip);
    const std::optional<std::string> boundary = boundaryOf(head);
    if (!boundary)
        return std::nullopt;
    std::size_t bodyFrom = 0;
    headersOf(head, bodyFrom);
    bodyFrom += skip;
    const std::string_view body = page.substr(bodyFrom);
    std::string text;
    std::optional<std::size_t> partFrom;  // none in the preamble
    std::size_t at = 0;
    for (const std::string_view line : linesOf(body)) {
        bool close = false;
        if (isDelimiter(line, *boundary, close)) {
            if (partFrom) {
                std::string_view part = body.substr(*partFrom, at - *partFrom);
                // The line break before the delimiter belongs to it.
                if (part.ends_with('\n'))
                    part.remove_suffix(part.ends_with("\r\n") && part.size() >= 2 ? 2 : 1);
                text += partText(part);
            }
            if (close)
                return text;
            partFrom = at + line.size() + 1;
        }
        at += line.size() + 1;
    }
    if (partFrom && *partFrom <= body.size())
        text += partText(body.substr(*partFrom));
    return text;
}

bool holds(std::string_view text, std::string_view what) {
    return text.find(what) != std::string_view::npos;
}

}  // namespace

WrapClues plainClues(std::string_view text) {
    using std::string_view_literals::operator""sv;
    return {holds(text, "PRICE"), holds(text, "P\0R\0I\0C\0E\0"sv),
            holds(text, "\0P\0R\0I\0C\0E"sv),
            holds(text, "P\0\0\0R\0\0\0"sv) || holds(text, "\0\0\0P\0\0\0R"sv)};
}

std::string unwrappedText(std::string_view page) {
    const bool le =
        page.starts_with("\xFF\xFE") && !page.starts_with(std::string_view("\xFF\xFE\0\0", 4));
    const bool be = page.starts_with("\xFE\xFF");
    const std::string base = le || be ? utf16(page.substr(2), be) : std::string(page);
    if (holds(base, kRecordMarker)) {
        return base;
    }
    const std::optional<std::string> message = le || be ? std::nullopt : mhtml(page);
    const std::string text = message.value_or(base);
    const WrapClues clues = plainClues(text);
    std::vector<std::string> candidates;
    if (message)
        candidates.push_back(text);
    if (clues.price)
        candidates.push_back(refs(text));
    if (!le && !be) {
        for (const bool bigEndian : {false, true}) {
            if (bigEndian ? clues.priceBe : clues.priceLe) {
                candidates.push_back(utf16(text, bigEndian));
                candidates.push_back(refs(candidates.back()));
            }
        }
    }
    for (const std::string& candidate : candidates) {
        if (holds(candidate, kRecordMarker))
            return candidate;
    }
    return base;
}

}  // namespace catalog
