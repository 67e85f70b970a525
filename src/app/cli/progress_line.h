#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace catalog {

// "N of M files read", redrawn in place on a terminal while a long run goes on; while one page
// takes long to read, "NAME: 1.2 GB of 60 GB" instead. Short runs and runs whose messages go to
// a file or a pipe show nothing of it, so scripts read only the summary line. The line is cut to
// the terminal's width: one that wrapped onto a second line could not be rubbed out.
class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    // `columns` gives the terminal's width at each redraw, as the user may resize it meanwhile.
    // Without `escapes` (a console that shows them as text) what is left of a longer line is
    // rubbed out with blanks.
    ProgressLine(std::ostream& out, std::string program, bool enabled, Clock::time_point start,
                 std::function<std::size_t()> columns, bool escapes);

    void update(std::size_t done, std::size_t total, Clock::time_point now);
    // The page `name` (its bytes as the folder gives them) is slow: `read` of its `size` bytes
    // (0: not known) are read. Shown instead of the count until slowPageOver().
    void slowPage(std::string_view name, std::uint64_t read, std::uint64_t size,
                  Clock::time_point now);
    void slowPageOver();
    // False where nothing is ever drawn (standard error is no terminal): callers then spare
    // reading the clock after every file.
    bool enabled() const { return m_enabled; }
    // Rubs the line out, before the summary or an error takes its place.
    void clear();

private:
    struct SlowPage {
        std::string name;  // printable
        std::uint64_t read = 0;
        std::uint64_t size = 0;
    };

    void draw(Clock::time_point now);
    std::string line(std::size_t columns) const;
    // What rubs out the rest of the line from the cursor on, `drawn` characters of it.
    std::string rubOut(std::size_t drawn) const;

    std::ostream& m_out;
    std::string m_program;
    bool m_enabled;
    Clock::time_point m_start;
    std::function<std::size_t()> m_columns;
    bool m_escapes;
    std::size_t m_done = 0;
    std::size_t m_total = 0;
    std::optional<SlowPage> m_slowPage;
    std::string m_slowName;  // as the folder gives it, to know when another page is slow
    // What the line shows changed (the count, a page, another page): it is drawn at once.
    bool m_switched = false;
    Clock::time_point m_lastDrawn;
    bool m_drawn = false;
    std::size_t m_width = 0;  // the characters drawn last
};

}  // namespace catalog
