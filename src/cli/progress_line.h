#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>

namespace catalog {

// "N of M files read", redrawn in place on a terminal while a long run goes on. Short runs and
// runs whose messages go to a file or a pipe show nothing of it, so scripts read only the
// summary line. The line is cut to the terminal's width: one that wrapped onto a second line
// could not be rubbed out.
class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    // `columns` gives the terminal's width at each redraw, as the user may resize it meanwhile.
    ProgressLine(std::ostream& out, std::string program, bool enabled, Clock::time_point start,
                 std::function<std::size_t()> columns);

    void update(std::size_t done, std::size_t total, Clock::time_point now);
    // False where nothing is ever drawn (standard error is no terminal): callers then spare
    // reading the clock after every file.
    bool enabled() const { return m_enabled; }
    // Rubs the line out, before the summary or an error takes its place.
    void clear();

private:
    std::ostream& m_out;
    std::string m_program;
    bool m_enabled;
    Clock::time_point m_start;
    std::function<std::size_t()> m_columns;
    Clock::time_point m_lastDrawn;
    bool m_drawn = false;
};

}  // namespace catalog
