// Differential fuzz target for the field rules and the wildcard matcher.
//
// The fast matcher places literals with backward scans and skips most of the text; here the same
// answers are worked out the slow, obvious way (every start, every reachable end) and must agree
// byte for byte. Any disagreement aborts, so libFuzzer keeps the input as a finding and the
// replay test fails on it.
//
// Input: PATTERN \0 TEXT, where byte 0x01 in PATTERN stands for the wildcard so that the fuzzer
// reaches it in one mutation. Without a \0 the whole input is TEXT. TEXT always goes through the
// four field rules as well, in memory, and as a page cut into its records: scanned as a file too
// large to hold, in blocks (of sizes from one byte up, one of them chosen by the input's last
// byte), its rows made from the last block or its matches read again, which must give the rows
// of the plain cut, each piece matched the plain way, and see the clues to a wrapping the whole
// text holds, where it holds no record. And TEXT as a whole page gives the rows of
// the text the plain reference reads under its wrapping (a single-file save, HTML escapes, UTF-16
// without a mark), and every wrapping decoded in blocks, cut anywhere (a soft line break, a
// reference, a delimiter line), gives the text it gives decoded whole.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "collect/cell_text.h"
#include "collect/field_extraction.h"
#include "collect/legible_text.h"
#include "collect/near_forms.h"
#include "collect/record_reader.h"
#include "collect/record_scan.h"
#include "collect/text_reading.h"
#include "reference/field_rules.h"
#include "reference/streamed_rows.h"
#include "reference/unwrapped_text.h"
#include "reference/wildcard_match.h"

namespace {

using catalog::kWildcard;

struct Span {
    std::size_t start;
    std::size_t end;
    bool operator==(const Span&) const = default;
};

// The pattern as a list of pieces; an empty piece is a wildcard.
std::vector<std::string_view> piecesOf(std::string_view pattern) {
    std::vector<std::string_view> pieces;
    while (!pattern.empty()) {
        if (pattern.substr(0, kWildcard.size()) == kWildcard) {
            pieces.push_back({});
            pattern.remove_prefix(kWildcard.size());
            continue;
        }
        const std::size_t next = pattern.find(kWildcard);
        const std::size_t length = next == std::string_view::npos ? pattern.size() : next;
        pieces.push_back(pattern.substr(0, length));
        pattern.remove_prefix(length);
    }
    return pieces;
}

// Every end a match starting at `start` can reach, in increasing order.
std::vector<std::size_t> endsFrom(const std::vector<std::string_view>& pieces,
                                  std::string_view text, std::size_t start) {
    std::vector<std::size_t> at{start};
    for (const std::string_view piece : pieces) {
        std::vector<std::size_t> next;
        if (piece.empty()) {  // a wildcard reaches everything from the earliest position on
            for (std::size_t q = at.front(); q <= text.size(); ++q) {
                next.push_back(q);
            }
        } else {
            for (const std::size_t p : at) {
                if (text.substr(p, piece.size()) == piece) {
                    next.push_back(p + piece.size());
                }
            }
        }
        if (next.empty()) {
            return {};
        }
        at = std::move(next);
    }
    return at;
}

// The leftmost start at or after `from` with a match, and that match's longest end: what a
// backtracking engine with greedy wildcards finds.
std::optional<Span> firstMatchFrom(const std::vector<std::string_view>& pieces,
                                   std::string_view text, std::size_t from) {
    for (std::size_t start = from; start <= text.size(); ++start) {
        const std::vector<std::size_t> ends = endsFrom(pieces, text, start);
        if (!ends.empty()) {
            return Span{start, ends.back()};
        }
    }
    return std::nullopt;
}

// Collects every match left to right, resuming after each (one byte on after an empty match),
// and keeps the last.
std::optional<Span> plainLastMatch(std::string_view pattern, std::string_view text) {
    const std::vector<std::string_view> pieces = piecesOf(pattern);
    std::optional<Span> last;
    for (std::size_t from = 0; from <= text.size();) {
        const std::optional<Span> match = firstMatchFrom(pieces, text, from);
        if (!match) {
            break;
        }
        last = match;
        from = match->end == match->start ? match->end + 1 : match->end;
    }
    return last;
}

std::string plainWithout(std::string_view text, std::string_view needle) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (!needle.empty() && text.substr(i, needle.size()) == needle) {
            i += needle.size();
        } else {
            out.push_back(text[i++]);
        }
    }
    return out;
}

std::string plainField(const catalog::FieldRule& rule, std::string_view record) {
    const std::optional<Span> match = plainLastMatch(rule.pattern, record);
    const std::string value =
        match ? std::string(record.substr(match->start, match->end - match->start))
              : std::string(catalog::kMatchFailed);
    return plainWithout(plainWithout(value, rule.opener), rule.closer);
}

void printEscaped(const char* label, std::string_view bytes) {
    std::fprintf(stderr, "%s (%zu bytes): \"", label, bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && byte != '"' && byte != '\\') {
            std::fputc(byte, stderr);
        } else {
            std::fprintf(stderr, "\\x%02x", byte);
        }
    }
    std::fprintf(stderr, "\"\n");
}

void differ(const char* what, std::string_view pattern, std::string_view text,
            std::string_view fast, std::string_view plain) {
    std::fprintf(stderr, "DIFFERENCE in %s\n", what);
    printEscaped("pattern", pattern);
    printEscaped("text", text);
    printEscaped("fast", fast);
    printEscaped("plain", plain);
    std::abort();
}

std::string describe(const std::optional<Span>& span) {
    return span ? std::to_string(span->start) + ".." + std::to_string(span->end) : "no match";
}

void checkMatcher(std::string_view pattern, std::string_view text) {
    const std::optional<std::string_view> fast = catalog::lastMatch(pattern, text);
    std::optional<Span> fastSpan;
    if (fast) {
        const auto start = static_cast<std::size_t>(fast->data() - text.data());
        fastSpan = Span{start, start + fast->size()};
    }
    const std::optional<Span> plain = plainLastMatch(pattern, text);
    if (fastSpan != plain) {
        differ("lastMatch", pattern, text, describe(fastSpan), describe(plain));
    }
    const std::string expected =
        plain ? std::string(text.substr(plain->start, plain->end - plain->start))
              : std::string(catalog::kMatchFailed);
    const std::string value = catalog::TestRegExp(pattern, text);
    if (value != expected) {
        differ("TestRegExp", pattern, text, value, expected);
    }
}

void checkFieldRules(std::string_view text) {
    const catalog::ProductRecord product = catalog::extractRecord(text);
    const std::string reference = plainField(catalog::kReferenceRule, text);
    const std::string price = plainField(catalog::kPriceRule, text);
    const std::string thumbnail = plainField(catalog::kThumbnailRule, text);
    const std::string name = plainField(catalog::kNameRule, text);
    const std::string_view noPattern = "(field rules)";
    if (product.reference != reference) {
        differ("reference", noPattern, text, product.reference, reference);
    }
    if (product.price != price) {
        differ("price", noPattern, text, product.price, price);
    }
    if (product.thumbnail != thumbnail) {
        differ("thumbnail", noPattern, text, product.thumbnail, thumbnail);
    }
    if (product.name != name) {
        differ("name", noPattern, text, product.name, name);
    }

    // A row is appended after earlier ones; an earlier line ending in part of a closer must
    // neither be touched nor join with the new value to form a marker.
    const std::string earlier = "x', 'PRICE' =";
    std::string row = earlier;
    catalog::appendRecordRow(text, row);
    const std::string plainRow =
        earlier + reference + "\t" + price + "\t" + thumbnail + "\t" + name;
    if (row != plainRow) {
        differ("appendRecordRow", noPattern, text, row, plainRow);
    }
    const bool holds = text.find(catalog::kRecordMarker) != std::string_view::npos;
    if (catalog::holdsRecord(text) != holds) {
        differ("holdsRecord", noPattern, text, holds ? "false" : "true", holds ? "true" : "false");
    }
}

// What the plain matcher says a record's piece lacks, field by field.
catalog::FieldMisses plainMisses(std::string_view piece) {
    catalog::FieldMisses misses{};
    for (std::size_t column = 0; column < catalog::kColumnRules.size(); ++column) {
        const catalog::FieldRule& rule = *catalog::kColumnRules[column];
        misses[column] = piece.find(rule.opener) == std::string_view::npos
                             ? catalog::FieldMiss::NoOpener
                         : plainLastMatch(rule.pattern, piece) ? catalog::FieldMiss::Found
                                                               : catalog::FieldMiss::NoCloserAfter;
    }
    return misses;
}

// The page cut plainly into its records, each piece's row made by the plain matcher.
std::string plainRows(std::string_view text, std::vector<catalog::FieldMisses>& misses) {
    std::string rows;
    for (const std::string_view piece : catalog::recordPieces(text)) {
        rows.append(plainField(catalog::kReferenceRule, piece)).append("\t");
        rows.append(plainField(catalog::kPriceRule, piece)).append("\t");
        rows.append(plainField(catalog::kThumbnailRule, piece)).append("\t");
        rows.append(plainField(catalog::kNameRule, piece)).append(catalog::kLineEnd);
        misses.push_back(plainMisses(piece));
    }
    return rows;
}

// The page as a streamed file, fed in blocks of every size up from one byte and one chosen by
// the input, must give the plain rows, and say of each record what the plain matcher says.
void checkStreaming(std::string_view text, unsigned char chooser) {
    std::vector<catalog::FieldMisses> misses;
    const std::string plain = plainRows(text, misses);
    const std::size_t blockSizes[] = {
        1, 2, 3, 29, 30, 31, 64, std::size_t{chooser} + 1, text.size() + 1};
    for (const std::size_t blockSize : blockSizes) {
        const catalog::StreamedRows streamed = catalog::streamedRows(text, blockSize);
        const std::string what = "streamed rows, blocks of " + std::to_string(blockSize);
        if (streamed.rows != plain) {
            differ(what.c_str(), "(field rules)", text, streamed.rows, plain);
        }
        if (streamed.misses != misses) {
            differ((what + ": misses").c_str(), "(field rules)", text, "", "");
        }
        const catalog::WrapClues& seen = streamed.clues;
        const catalog::WrapClues plainly = catalog::plainClues(text);
        if (streamed.records == 0 &&
            (seen.price != plainly.price || seen.priceLe != plainly.priceLe ||
             seen.priceBe != plainly.priceBe || seen.priceUtf32 != plainly.priceUtf32)) {
            differ((what + ": clues to a wrapping").c_str(), "(field rules)", text, "", "");
        }
    }
}

}  // namespace

// What a search for the near forms of every text of the record format says of `text`, fed in
// blocks of `block` bytes.
std::vector<std::string> nearForms(std::string_view text, std::size_t block) {
    catalog::NearFormSearch search({catalog::kReferenceRule.opener, catalog::kNameRule.opener,
                                    catalog::kRecordMarker, catalog::kPriceRule.closer,
                                    catalog::kThumbnailRule.opener,
                                    catalog::kThumbnailRule.closer});
    for (std::size_t at = 0; at < text.size(); at += block) {
        search.feed(text.substr(at, block));
    }
    std::vector<std::string> said;
    for (const catalog::NearForm& form : search.finish()) {
        said.push_back(std::string(form.text).append(": ").append(form.explanation));
    }
    return said;
}

// Wherever the blocks cut a page, its near forms are those of the page read whole. The search
// keeps a window of some kilobytes, which the fuzzer's inputs are shorter than: they come after
// as much again.
void checkNearForms(std::string_view text, std::size_t block) {
    const std::string page = std::string(1500, 'x').append(text);
    if (nearForms(page, page.size() + 1) != nearForms(page, block)) {
        std::fprintf(stderr, "near forms differ in blocks of %zu\n", block);
        std::abort();
    }
}

// The text `page` gives under `reading`, decoded in blocks of `block` bytes.
std::string decodedInBlocks(std::string_view page, const catalog::TextReading& reading,
                            std::size_t block) {
    const std::optional<catalog::MhtmlMessage> message = catalog::mhtmlMessage(page);
    if (reading.mhtml && !message) {
        return {};
    }
    catalog::PageDecoder decoder(reading, message);
    catalog::DecodeScratch scratch;
    const std::string_view bytes = page.substr(catalog::textStart(reading, message));
    std::string text;
    std::vector<char> room(std::max(decoder.maxDecoded(block), decoder.mostFinished()));
    for (std::size_t at = 0; at < bytes.size(); at += block) {
        text.append(room.data(), decoder.decode(bytes.substr(at, block), room.data(), scratch));
    }
    return text.append(room.data(), decoder.finish(room.data(), scratch));
}

void checkUnwrapping(std::string_view page, unsigned char chooser) {
    catalog::RecordReader reader;
    catalog::StringSink sink;
    reader.appendRows(page, sink, nullptr);
    const std::string plain = catalog::pageRows(catalog::unwrappedText(page));
    if (sink.rows != plain) {
        differ("rows of a wrapped page", "(unwrapping)", page, sink.rows, plain);
    }
    using enum catalog::PageEncoding;
    const catalog::TextReading readings[] = {{Bytes, false, Bytes, true},
                                             {Bytes, false, Utf16LittleEndian, true},
                                             {Bytes, true, Bytes, false},
                                             {Bytes, true, Bytes, true},
                                             {Bytes, true, Utf16BigEndian, true}};
    for (const catalog::TextReading& reading : readings) {
        const std::string whole = decodedInBlocks(page, reading, page.size() + 1);
        for (const std::size_t block : {std::size_t{1}, std::size_t{2}, std::size_t{chooser} + 1}) {
            const std::string cut = decodedInBlocks(page, reading, block);
            if (cut != whole) {
                differ(("wrapping decoded in blocks of " + std::to_string(block)).c_str(),
                       "(unwrapping)", page, cut, whole);
            }
        }
    }
}

// A CSV value written in parts reads as written whole; a cell's XML is UTF-8 that XML 1.0 holds,
// its own marks escaped.
void checkSpreadsheetCells(std::string_view value, unsigned char chooser) {
    const catalog::CsvField field = catalog::csvFieldOf(value);
    std::string whole;
    catalog::appendCsvPart(whole, value, field);
    for (const std::size_t most : {std::size_t{1}, std::size_t{2}, std::size_t{chooser} + 1}) {
        std::string parts;
        for (std::size_t at = 0; at < value.size();) {
            const std::size_t end = catalog::partEnd(value, at, most);
            catalog::appendCsvPart(parts, value.substr(at, end - at), field);
            at = end;
        }
        if (parts != whole) {
            differ(("CSV value in parts of " + std::to_string(most)).c_str(), "(csv)", value, parts,
                   whole);
        }
    }
    std::string xml;
    catalog::appendCellXml(xml, value);
    const bool wellFormed = catalog::legibleText(xml) == xml &&
                            xml.find("\xEF\xBF\xBE") == std::string::npos &&
                            xml.find("\xEF\xBF\xBF") == std::string::npos &&
                            std::none_of(xml.begin(), xml.end(), [](char c) {
                                return c == '<' || (c >= 0 && c < 0x20 && c != '\t' && c != '\n');
                            });
    if (!wellFormed) {
        differ("a cell's XML", "(xlsx)", value, xml, "");
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    std::string_view text = input;
    if (split != std::string_view::npos) {
        std::string pattern;
        for (const char c : input.substr(0, split)) {
            if (c == '\x01') {
                pattern.append(kWildcard);
            } else {
                pattern.push_back(c);
            }
        }
        text = input.substr(split + 1);
        checkMatcher(pattern, text);
    }
    checkFieldRules(text);
    const std::size_t last = input.empty() ? 0 : static_cast<unsigned char>(input.back());
    checkStreaming(text, last);
    checkNearForms(text, last + 1);
    checkUnwrapping(text, static_cast<unsigned char>(last));
    checkSpreadsheetCells(text, static_cast<unsigned char>(last));
    return 0;
}
