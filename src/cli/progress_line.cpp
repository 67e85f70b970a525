#include "cli/progress_line.h"

#include <ostream>

namespace catalog {

namespace {

constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

}  // namespace

ProgressLine::ProgressLine(std::ostream& out, std::string program, bool enabled,
                           Clock::time_point start)
    : m_out(out), m_program(std::move(program)), m_enabled(enabled), m_start(start) {}

void ProgressLine::update(std::size_t done, std::size_t total, Clock::time_point now) {
    if (!m_enabled || now - m_start < kQuietStart ||
        (m_drawn && now - m_lastDrawn < kRedrawInterval)) {
        return;
    }
    m_out << '\r' << m_program << ": " << done << " of " << total << " files read" << std::flush;
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
