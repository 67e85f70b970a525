#include "window/column_widths.h"

#include <algorithm>
#include <numeric>
#include <ranges>
#include <span>

namespace catalog::window {

namespace {

// Enough rows to be typical, few enough that measuring them is instant.
constexpr std::size_t kRowsMeasured = 100;
// A column takes its widest value unless that is more than half again as wide as nine values
// in ten: then the widest is an odd one, and the nine decide.
constexpr double kShareOfRowsTypical = 0.9;
constexpr double kMostOverTypical = 1.5;

// What the values of `column` in `rows` need: the widest, unless it is an odd one.
int valuesWidth(const ValueWidth& valueWidth, std::size_t column,
                std::span<const std::size_t> rows) {
    std::vector<int> widths(rows.size());
    std::ranges::transform(rows, widths.begin(),
                           [&](std::size_t row) { return valueWidth(row, column); });
    std::ranges::sort(widths);
    const int typical = widths[static_cast<std::size_t>(static_cast<double>(widths.size() - 1) *
                                                        kShareOfRowsTypical)];
    const int widest = widths.back();
    return widest <= typical * kMostOverTypical ? widest : typical;
}

// `widths` none wider than `cap` but for what `least` keeps.
std::vector<int> capped(const std::vector<int>& widths, const std::vector<int>& least, int cap) {
    std::vector<int> shown;
    for (std::size_t column = 0; column < widths.size(); ++column) {
        shown.push_back(std::max(least[column], std::min(widths[column], cap)));
    }
    return shown;
}

int total(const std::vector<int>& widths) {
    return std::accumulate(widths.begin(), widths.end(), 0);
}

}  // namespace

std::vector<int> columnWidths(const ColumnsToFit& columns, const ValueWidth& valueWidth) {
    const std::span<const std::size_t> measured(columns.rows.data(),
                                                std::min(columns.rows.size(), kRowsMeasured));
    std::vector<int> widths;
    for (std::size_t column = 0; column < columns.titleWidths.size(); ++column) {
        int wanted = columns.titleWidths[column];
        if (!measured.empty()) {
            wanted =
                std::max(wanted, valuesWidth(valueWidth, column, measured) + columns.valueMargins);
        }
        widths.push_back(std::min(wanted, columns.viewWidth));
    }
    return widths;
}

std::vector<int> sharedWidths(std::vector<int> widths, const std::vector<int>& least, int room,
                              int share) {
    if (widths.empty() || total(widths) <= room) {
        return widths;
    }
    // A column keeps its title, and gives up nothing below its share.
    std::vector<int> kept;
    for (std::size_t column = 0; column < widths.size(); ++column) {
        kept.push_back(std::min(widths[column], std::max(share, least[column])));
    }
    // The widest cap under which the columns fit, found by halving; none fitting, each column
    // keeps what it keeps.
    const auto tooWide = std::ranges::partition_point(
        std::views::iota(1, std::max(1, *std::ranges::max_element(widths))),
        [&](int cap) { return total(capped(widths, kept, cap)) <= room; });
    return capped(widths, kept, *tooWide - 1);
}

}  // namespace catalog::window
