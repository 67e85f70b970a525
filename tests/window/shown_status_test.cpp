#include "window/shown_status.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "platform/paths.h"

namespace catalog::window {
namespace {

// `path` with the system's separator for each "/".
std::string native(std::string path) {
    std::replace(path.begin(), path.end(), '/', kPathSeparator);
    return path;
}

std::size_t characters(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// A strip of `lines` lines that take `width` characters each: lines break at blanks and after
// the path's separators; the path gives up its middle names, then characters, and only then the
// words their end.
TEST(ShownStatus, ShortensThePathInItsMiddleBeforeTheWords) {
    const std::string words = "The data folder is empty: put catalog pages into ";
    const std::string path =
        native("/home/users/J\u00fcrgen " + std::string(40, 'a') + "/Katalog/data");
    const std::size_t w = characters(words);
    const struct {
        std::string before, path, after;
        int lines;
        std::size_t width;
        std::string shown;
    } cases[] = {
        {words, path, "", 1, 1000, words + path},
        {words, path, "", 1, w + 26, words + native("/home/users/\u2026/Katalog/data")},
        {words, path, "", 1, w + 25, words + native("/home/\u2026/Katalog/data")},
        {words, path, "", 1, w + 19, words + native("/home/\u2026/data")},
        {words, path, "", 1, w + 7, words + native("/ho\u2026ata")},
        {words, path, "", 1, w - 10, words.substr(0, w - 11) + "\u2026"},
        {words, native("/home/shop-office/Katalog/data"), "", 3, 40,
         "The data folder is empty: put catalog\npages into " +
             native("/home/shop-office/Katalog/\ndata")},
        {"Run stopped", "", "", 1, 8, "Run sto\u2026"},
        {"2 records written to ", native("lists/out.txt"), " from 3 pages", 1, 43,
         "2 records written to list\u2026.txt from 3 pages"},
    };
    for (const auto& c : cases) {
        StatusText status;
        status.text = c.before + c.path + c.after;
        status.pathStart = c.before.size();
        status.pathLength = c.path.size();
        const StatusStrip strip{c.lines, [&](std::string_view line) {
                                    return characters(std::string(line)) <= c.width;
                                }};
        EXPECT_EQ(shownStatus(status, strip), c.shown) << c.width;
    }
}

}  // namespace
}  // namespace catalog::window
