#include "collect/subfolder_pages.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "collect/collection_run.h"
#include "collect/run_summary.h"
#include "platform/paths.h"
#include "support/test_files.h"

namespace catalog {
namespace {

namespace fs = std::filesystem;
using testing::numbered;
using testing::productRecord;
using testing::TempDir;
using testing::writeFile;

// Each subfolder whose pages give rows is named, by name, up to twenty, then counted; a
// browser's folder of a page's images and styles, which gives none, is not; and the summary
// counts them all. Their rows are not in the listing.
TEST(SubfolderPages, NamesTheSubfoldersWhosePagesGiveRows) {
    TempDir dir;
    const fs::path data = dir.path();
    writeFile(data / "top.html", productRecord("T", "Top", "1", "t.jpg"));
    fs::create_directory(data / "shop_files");
    writeFile(data / "shop_files" / "style.css", "body { color: black; }");
    writeFile(data / "shop_files" / "logo.png", std::string("\x89PNG\r\n\x1A\n\0\0", 10));
    for (int i = 0; i < 22; ++i) {
        const fs::path folder = data / numbered("archive-", 10 + i);
        fs::create_directory(folder);
        writeFile(folder / "a.html", productRecord("A", "Archived", "1", "a.jpg"));
        writeFile(folder / "b.html", i == 0 ? productRecord("B", "Archived", "2", "b.jpg") : "");
        fs::create_directory(folder / "deeper");
    }

    CollectionClient client;
    const Collected collected = runCollection((data / "").string(), client);
    EXPECT_EQ(collected.listing.rowCount(), 1u);
    EXPECT_EQ(collected.subfoldersWithPages, 22u);
    EXPECT_NE(summaryOf(countsOf(collected), "out.txt").find("(22 subfolders with pages)"),
              std::string::npos);
    std::vector<std::string> expected{"archive-10" + std::string(1, kPathSeparator) +
                                      ": a subfolder: its 2 pages with records are not read; "
                                      "move them into the data folder"};
    for (int i = 11; i < 30; ++i) {
        expected.push_back(numbered("archive-", i) + kPathSeparator +
                           ": a subfolder: its 1 page with records is not read; move it into "
                           "the data folder");
    }
    expected.emplace_back("and 2 more");
    std::vector<std::string> lines;
    for (const PageNote& note : collected.notes) {
        lines.push_back(explanationLine(note, 0));
    }
    EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace catalog
