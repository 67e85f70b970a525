#pragma once

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <string>

namespace catalog {

// "N of M files read", redrawn in place on a terminal while a long run goes on. Short runs and
// runs whose messages go to a file or a pipe show nothing of it, so scripts read only the
// summary line.
class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    ProgressLine(std::ostream& out, std::string program, bool enabled, Clock::time_point start);

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
    Clock::time_point m_lastDrawn;
    bool m_drawn = false;
};

}  // namespace catalog
