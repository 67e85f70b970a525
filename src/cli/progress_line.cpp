#include "cli/progress_line.h"

#include <ostream>
#include <string_view>
#include <utility>

#include "collect/collection_run.h"

namespace catalog {

namespace {

constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// The first `count` characters of `text`, never cut inside a UTF-8 sequence: each counts as a
// column, as the program's name and the figures do.
std::string_view firstCharacters(std::string_view text, std::size_t count) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        const bool starts = (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
        if (starts && count-- == 0) {
            return text.substr(0, at);
        }
    }
    return text;
}

}  // namespace

ProgressLine::ProgressLine(std::ostream& out, std::string program, bool enabled,
                           Clock::time_point start, std::function<std::size_t()> columns)
    : m_out(out),
      m_program(std::move(program)),
      m_enabled(enabled),
      m_start(start),
      m_columns(std::move(columns)) {}

void ProgressLine::update(std::size_t done, std::size_t total, Clock::time_point now) {
    if (!m_enabled || now - m_start < kQuietStart ||
        (m_drawn && now - m_lastDrawn < kRedrawInterval)) {
        return;
    }
    // Grouped as the summary groups its counts, so that the two read alike.
    const std::string line =
        m_program + ": " + grouped(done) + " of " + grouped(total) + " files read";
    // The last column stays free: some consoles move to the next line once it is written.
    const std::size_t columns = m_columns();
    m_out << '\r' << firstCharacters(line, columns > 0 ? columns - 1 : 0) << std::flush;
    m_lastDrawn = now;
    m_drawn = true;
}

void ProgressLine::clear() {
    if (m_drawn) {
        m_out << "\r\033[K" << std::flush;
        m_drawn = false;
    }
}

}  // namespace catalog
