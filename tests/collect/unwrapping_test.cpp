// Pages whose records lie under a wrapping their saving tool added give the rows of the text
// under it, whether read whole or streamed, and the same rows as the plain reference.
#include <string>

#include <gtest/gtest.h>

#include "collect/page_finding.h"
#include "collect/record_reader.h"
#include "platform/folder.h"
#include "reference/field_rules.h"
#include "reference/streamed_rows.h"
#include "reference/unwrapped_text.h"
#include "support/test_files.h"

namespace catalog {
namespace {

using namespace std::string_literals;
using testing::productRecord;

const std::string kRecord = productRecord("LD-1", "Step ladder", "49.90", "ld-1.jpg");
const std::string kRow = "LD-1\t49.90\tld-1.jpg\tStep ladder\r\n";

std::string utf16(std::string_view ascii, bool bigEndian) {
    std::string bytes;
    for (const char c : ascii) {
        bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return bytes;
}

std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        out += c == '\'' ? "&#039;" : c == '>' ? "&gt;" : std::string(1, c);
    }
    return out;
}

// A browser's single-file save of `html`, quoted-printable: `=` as `=3D`, lines broken by a
// trailing `=` every 40 characters, and an image part after it.
std::string mhtml(std::string_view html, std::string_view encoding = "quoted-printable") {
    std::string body;
    for (std::size_t at = 0; at < html.size(); ++at) {
        body += html[at] == '=' ? "=3D"s : std::string(1, html[at]);
        body += at % 40 == 39 ? "=\r\n" : "";
    }
    return "From: <Saved by Blink>\r\nMIME-Version: 1.0\r\nContent-Type: multipart/related;\r\n"
           "\ttype=\"text/html\";\r\n\tboundary=\"----Boundary--x\"\r\n\r\n"
           "------Boundary--x\r\nContent-Type: text/html\r\nContent-Transfer-Encoding: " +
           std::string(encoding) + "\r\n\r\n" + body +
           "\r\n------Boundary--x\r\nContent-Type: image/png\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\niVBORw0KGgo=\r\n------Boundary--x--\r\n";
}

struct Wrapped {
    const char* what;
    std::string page;
    std::string rows;
    std::string said;  // how the page was read, as the programs say it
};

TEST(Unwrapping, ReadsTheRecordsUnderTheWrappingTheirToolAdded) {
    const std::string ampName = productRecord("T-1", "Tile &amp; grout", "9.50", "t.jpg");
    const Wrapped pages[] = {
        {"MHTML", mhtml("<!-- " + kRecord + " -->"), kRow,
         "read as the text inside a browser's single-file save (MHTML)"},
        {"escaped MHTML", mhtml(escaped(kRecord)), kRow,
         "read as the text inside a browser's single-file save (MHTML), with its HTML escapes "
         "decoded (`&#039;` as `'`)"},
        {"escaped dump", "<pre>" + escaped(ampName) + "</pre>",
         "T-1\t9.50\tt.jpg\tTile & grout\r\n",
         "read with its HTML escapes decoded (`&#039;` as `'`)"},
        {"UTF-16 without mark", utf16("list\r\n" + kRecord, false), kRow,
         "read as UTF-16 without a byte order mark"},
        {"UTF-16 BE without mark", utf16(kRecord, true), kRow,
         "read as UTF-16 without a byte order mark"},
        {"mark then zero", "\xFF\xFE\0\0"s + utf16(kRecord, false), kRow,
         "read as UTF-16 (its mark followed by a zero character)"},
        {"marked and escaped", "\xFE\xFF"s + utf16(escaped(kRecord), true), kRow,
         "read with its HTML escapes decoded (`&#039;` as `'`)"},
        {"as it stands", kRecord + "&#039;=3D", kRow, ""},
        {"no clue", "\x89PNG\r\n\x1A\n\0\0PRIC"s, "", ""},
        {"PRICE but no marker", "&#039;PRICE&#039; =&gt; 4", "", ""},
    };
    testing::TempDir dir;
    const Folder folder = Folder::open((dir.path() / "").string());
    RecordReader reader;
    for (const Wrapped& page : pages) {
        StringSink whole;
        const PageFinding finding = reader.appendRows(page.page, whole, nullptr);
        EXPECT_EQ(whole.rows, page.rows) << page.what;
        EXPECT_EQ(readingDescription(finding.reading), page.said) << page.what;
        EXPECT_EQ(pageRows(unwrappedText(page.page)), page.rows) << page.what;
        testing::writeFile(dir / "page", page.page);
        StringSink streamed;
        EXPECT_EQ(readingDescription(
                      reader.appendRows(folder, "page", streamed, nullptr, nullptr).reading),
                  page.said)
            << page.what;
        EXPECT_EQ(streamed.rows, page.rows) << page.what;
    }
    RecordReader asTheyStand(false);
    StringSink none;
    EXPECT_FALSE(asTheyStand.appendRows(mhtml(kRecord), none, nullptr).holdsRecord());
}

// Pages far larger than the reader's buffer, records across its reuse and across the wrapping's
// own cuts (soft line breaks, references, base64 quanta), streamed, give the reference's rows.
TEST(Unwrapping, StreamedPagesGiveTheRowsOfTheTextUnderTheWrapping) {
    std::string many;
    for (int i = 0; many.size() < 3u << 20; ++i) {
        many += productRecord(testing::numbered("R", i), "N&amp;" + testing::numbered("", i), "1.5",
                              "x.jpg") +
                "\n";
    }
    std::string base64;
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t at = 0; at < many.size(); at += 3) {
        std::uint32_t bits = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            bits =
                bits << 8 | (at + k < many.size() ? static_cast<unsigned char>(many[at + k]) : 0);
        }
        for (int k = 0; k < 4; ++k) {
            base64 += at * 4 / 3 + k > (many.size() * 4 + 2) / 3
                          ? '='
                          : alphabet[bits >> (18 - 6 * k) & 63];
        }
        base64 += at % 57 == 54 ? "\r\n" : "";
    }
    const std::string pages[] = {mhtml(many), escaped(many), utf16(escaped(many), false),
                                 mhtml(base64, "base64")};
    testing::TempDir dir;
    const Folder folder = Folder::open((dir.path() / "").string());
    RecordReader reader;
    for (const std::string& page : pages) {
        testing::writeFile(dir / "page", page);
        StringSink streamed;
        reader.appendRows(folder, "page", streamed, nullptr, nullptr);
        const std::string expected = pageRows(unwrappedText(page));
        ASSERT_FALSE(expected.empty());
        EXPECT_TRUE(streamed.rows == expected) << page.substr(0, 40);
    }
}

}  // namespace
}  // namespace catalog
