#include "window/trouble_pages.h"

#include <gtest/gtest.h>

namespace catalog::window {
namespace {

using enum FieldMiss;

FieldMisses misses(FieldMiss id, FieldMiss price, FieldMiss thumbnail, FieldMiss name) {
    return {id, price, thumbnail, name};
}

// In the listing's order: a page without a record, one of three records of which two lack
// fields, one of two records lacking nothing, and two more without a record, named with a line
// break and with a right-to-left override.
std::shared_ptr<const std::vector<PageNote>> runNotes() {
    return std::make_shared<const std::vector<PageNote>>(std::vector<PageNote>{
        {"contact\xE9.html", 0, PageNote::kNoRow, {}, {}, {}},
        {"bundle.html",
         3,
         0,
         {{0, misses(NoOpener, Found, Found, Found)},
          {2, misses(Found, NoCloserAfter, NoOpener, Found)}},
         {},
         {}},
        {"pair.html", 2, 3, {}, {}, {}},
        {"x\ny.html", 0, PageNote::kNoRow, {}, {}, {}},
        {"r\u202etxt.exe", 0, PageNote::kNoRow, {}, {}, {}},
    });
}

TEST(TroublePages, ListsALinePerPageWithoutARecordAndPerRecordLackingAField) {
    const TroublePages pages(runNotes(), "/shop/data/");
    struct Line {
        std::string text;
        std::string path;
    };
    const std::vector<Line> expected{
        {"contact\u00e9.html: no record: no `', 'PRICE' => ` in the page",
         "/shop/data/contact\xE9.html"},
        {"bundle.html (1 of 3): id not found: no `'REFERENCE' => '` in the record",
         "/shop/data/bundle.html"},
        {"bundle.html (3 of 3): price not found: `', 'PRICE' => ` found, but no `, "
         "'MIN_QUANTITY_ORDERABLE' => ` after it; thumbnail not found: no `, 'THUMBNAIL' => '` "
         "in the record",
         "/shop/data/bundle.html"},
        {"x\\ny.html: no record: no `', 'PRICE' => ` in the page", "/shop/data/x\ny.html"},
        {"r\\xe2\\x80\\xaetxt.exe: no record: no `', 'PRICE' => ` in the page",
         "/shop/data/r\u202etxt.exe"},
    };
    ASSERT_EQ(pages.lineCount(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(pages.line(i), expected[i].text) << i;
        EXPECT_EQ(pages.pagePath(i), expected[i].path) << i;
    }
    EXPECT_EQ(TroublePages().lineCount(), 0u);

    // Copied as shown, a line each.
    const LineRange ranges[] = {{3, 4}, {0, 1}};
    EXPECT_EQ(std::get<std::string>(pages.copyText(ranges)),
              "x\\ny.html: no record: no `', 'PRICE' => ` in the page\r\n"
              "contact\u00e9.html: no record: no `', 'PRICE' => ` in the page\r\n");

    // The rows still find what their records lack past the pages without a row.
    const RunRows rows(Listing{}, runNotes());
    ASSERT_NE(rows.recordOf(2), nullptr);
    EXPECT_EQ(rows.recordOf(2)->misses[2], NoOpener);
    EXPECT_EQ(rows.recordOf(1), nullptr);
    EXPECT_EQ(rows.recordOf(3), nullptr);
}

TEST(TroublePages, RefusesToCopyMoreThanTheTable) {
    PageNote page{"big.html", 300'000, 0, {}, {}, {}};
    for (std::uint64_t record = 0; record < page.records; ++record) {
        page.missing.push_back({record, misses(NoOpener, NoOpener, NoOpener, NoOpener)});
    }
    const TroublePages pages(
        std::make_shared<const std::vector<PageNote>>(std::vector<PageNote>{std::move(page)}), "");
    const LineRange all[] = {{0, pages.lineCount()}};
    EXPECT_EQ(std::get<CopyRefusal>(pages.copyText(all)), CopyRefusal::TooLarge);
}

}  // namespace
}  // namespace catalog::window
