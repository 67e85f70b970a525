#include "collect/near_forms.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "collect/collection_run.h"
#include "collect/field_extraction.h"
#include "platform/paths.h"
#include "support/test_files.h"

namespace catalog {
namespace {

constexpr std::string_view kRecord =
    "array ( 'REFERENCE' => 'NH-1', 'NAME' => 'Bolt', 'PRICE' => 7.25, "
    "'MIN_QUANTITY_ORDERABLE' => 1, 'THUMBNAIL' => 'img/b.jpg',  }, \n";

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string utf16(std::string_view text, bool bigEndian) {
    std::string encoded;
    for (const char c : text) {
        encoded.append(bigEndian ? std::string{'\0', c} : std::string{c, '\0'});
    }
    return encoded;
}

// What the search says of `page` for `wanted`, fed in blocks of `block` bytes.
std::string explained(const std::string& page, std::string_view wanted, std::size_t block) {
    NearFormSearch search({wanted});
    for (std::size_t at = 0; at < page.size(); at += block) {
        search.feed(std::string_view(page).substr(at, block));
    }
    const std::vector<NearForm> found = search.finish();
    return found.empty() ? "" : found.front().explanation;
}

TEST(NearFormsTest, NamesEachNearFormOfAMissingTextAndNothingInAFinePage) {
    const std::string record(kRecord);
    const std::string thumbnailOpener(kThumbnailRule.opener);
    const std::string thumbnailCloser(kThumbnailRule.closer);
    const struct {
        std::string page;
        std::string_view wanted;
        std::string explanation;
    } cases[] = {
        {record, kRecordMarker, ""},
        {"<p>no record</p>", kRecordMarker, ""},
        {replaced(record, ">", "&gt;"), kRecordMarker,
         "the page holds the record with `>` written as `&gt;`, as a browser saves a page's "
         "text: save the page as 'HTML only' or its source"},
        {replaced(replaced(record, "'", "&#039;"), ">", "&gt;"), kRecordMarker,
         "the page holds the record with `'` written as `&#039;` and `>` written as `&gt;`, as "
         "HTML escapes them: save the page's source, or ask for the records unescaped"},
        {replaced(record, "'PRICE' =>", "'PRICE'  =>"), kRecordMarker,
         "`', 'PRICE'  => ` has two blanks before `=>` where the record format has one"},
        {replaced(record, "PRICE", "price"), kRecordMarker,
         "`', 'price' => ` has its key in lower case where the record format has it in capitals"},
        {replaced(replaced(record, "'", "\""), "PRICE", "Price"), kRecordMarker,
         "`\", \"Price\" => ` has double quotes where the record format has single ones, and its "
         "key in mixed case where the record format has it in capitals"},
        {replaced(record, "', '", "',\n  '"), kRecordMarker,
         "the page holds the record one pair a line, as PHP's var_export writes it, where the "
         "record format has a whole record on one line: ask for the page with each record on "
         "one line"},
        {utf16(record, false), kRecordMarker,
         "the page is UTF-16 text without a byte order mark (every other byte is zero): save it "
         "as UTF-8, or as UTF-16 with its mark (Notepad's \"Unicode\")"},
        {utf16(record, true), kRecordMarker,
         "the page is UTF-16 text without a byte order mark (every other byte is zero): save it "
         "as UTF-8, or as UTF-16 with its mark (Notepad's \"Unicode\")"},
        {replaced(record, thumbnailOpener, ", 'THUMBNAIL' =>'"), kThumbnailRule.opener,
         "`, 'THUMBNAIL' =>'` has no blank before `'` where the record format has one"},
        {replaced(record, thumbnailCloser, "', },\n"), kThumbnailRule.closer,
         "`', },` has one blank before `}` where the record format has two, and no blank at its "
         "end where it has one"},
        {"<script>var o = {\n  theme: 'dark',\n}, p = { mode: 'x', }, q;</script>" +
             replaced(record, thumbnailCloser, "',  },-->"),
         kThumbnailRule.closer, "`',  },` has no blank at its end where the record format has one"},
    };
    // Whole, and in blocks one of which ends within the near form, wherever it lies.
    for (const auto& c : cases) {
        EXPECT_EQ(explained(c.page, c.wanted, c.page.size()), c.explanation) << c.page;
        for (std::size_t padding = 1900; padding <= 2050; ++padding) {
            EXPECT_EQ(explained(std::string(padding, ' ') + c.page + std::string(2000, ' '),
                                c.wanted, 200),
                      c.explanation)
                << padding << ": " << c.page;
        }
    }
}

// A record's piece holds the near forms of the texts that lead up to its marker and of those that
// follow it; a record that lacks a text whose near form only another part of the page holds is
// told so, not told of that form as its own.
TEST(NearFormsTest, TellsEachRecordOfTheNearFormItsOwnPieceHolds) {
    const auto record = [](std::string_view reference) {
        return testing::productRecord(reference, "Bolt", "7", "b.jpg");
    };
    const auto with = [](std::string text, std::string_view from, std::string_view to) {
        return text.replace(text.find(from), from.size(), to);
    };
    const std::string lowerId =
        "the page holds `'reference' => '` in another record, with its key "
        "in lower case where the record format has it in capitals";
    const struct {
        std::string page;
        std::vector<std::string> lines;
    } cases[] = {
        {with(record("A1"), "',  }, ", "") + with(record("A2"), "',  }, ", "', }, "),
         {"p.html (1 of 2): thumbnail not found: `, 'THUMBNAIL' => '` found, but no `',  }, ` "
          "after it, though the page holds `', }, ` in another record, with one blank before `}` "
          "where the record format has two",
          "p.html (2 of 2): thumbnail not found: `', }, ` has one blank before `}` where the "
          "record format has two"}},
        {record("A1") + with(record("A2"), "'REFERENCE'", "'ID'") +
             with(record("A3"), "REFERENCE", "reference"),
         {"p.html (2 of 3): id not found: no `'REFERENCE' => '` in the record, though " + lowerId,
          "p.html (3 of 3): id not found: `'reference' => '` has its key in lower case where the "
          "record format has it in capitals"}},
        {with(record("A1"), "REFERENCE", "Reference") +
             with(record("A2"), "REFERENCE", "reference"),
         {"p.html (1 of 2): id not found: `'Reference' => '` has its key in mixed case where the "
          "record format has it in capitals",
          "p.html (2 of 2): id not found: `'reference' => '` has its key in lower case where the "
          "record format has it in capitals"}},
        {with(record("A1"), "'REFERENCE'", "'ID'") + "<p>'reference' => 'A2'</p>",
         {"p.html: id not found: no `'REFERENCE' => '` in the record, though the page holds "
          "`'reference' => '` outside its records, with its "
          "key in lower case where the record format has it in capitals"}},
    };
    for (const auto& c : cases) {
        const testing::TempDir dir;
        testing::writeFile(dir / "p.html", c.page);
        CollectionClient client;
        const Collected collected = runCollection(dir.path().string() + kPathSeparator, client);
        ASSERT_EQ(collected.notes.size(), 1u) << c.page;
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < explanationLineCount(collected.notes[0]); ++i) {
            lines.push_back(explanationLine(collected.notes[0], i));
        }
        EXPECT_EQ(lines, c.lines) << c.page;
    }
}

}  // namespace
}  // namespace catalog
