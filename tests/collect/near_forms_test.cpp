#include "collect/near_forms.h"

#include <string>

#include <gtest/gtest.h>

#include "collect/field_extraction.h"

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

}  // namespace
}  // namespace catalog
