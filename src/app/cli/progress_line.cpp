#include "app/cli/progress_line.h"

#include <ostream>
#include <utility>

#include "collect/failure_text.h"
#include "collect/readable_numbers.h"
#include "platform/wtf8.h"

namespace catalog {

namespace {

constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr std::string_view kLeftOut = "...";

// The first `count` characters of `text`, never cut inside a UTF-8 sequence.
std::string_view firstCharacters(std::string_view text, std::size_t count) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (startsCharacter(text[at]) && count-- == 0) {
            return text.substr(0, at);
        }
    }
    return text;
}

// The last `count` characters of `text`.
std::string_view lastCharacters(std::string_view text, std::size_t count) {
    std::size_t at = text.size();
    for (; at > 0 && count > 0; --at) {
        count -= startsCharacter(text[at - 1]) ? 1 : 0;
    }
    return text.substr(at);
}

// `text` in `count` characters at most, its middle left out: a page's name keeps its start and
// its end, which tell most pages apart.
std::string middleCut(std::string_view text, std::size_t count) {
    if (characterCount(text) <= count) {
        return std::string(text);
    }
    const std::size_t kept = count - kLeftOut.size();
    return std::string(firstCharacters(text, kept - kept / 2))
        .append(kLeftOut)
        .append(lastCharacters(text, kept / 2));
}

}  // namespace

ProgressLine::ProgressLine(std::ostream& out, std::string program, bool enabled,
                           Clock::time_point start, std::function<std::size_t()> columns,
                           bool escapes)
    : m_out(out),
      m_program(std::move(program)),
      m_enabled(enabled),
      m_start(start),
      m_columns(std::move(columns)),
      m_escapes(escapes) {}

void ProgressLine::update(std::size_t done, std::size_t total, Clock::time_point now) {
    m_done = done;
    m_total = total;
    draw(now);
}

void ProgressLine::slowPage(std::string_view name, std::uint64_t read, std::uint64_t size,
                            Clock::time_point now) {
    if (!m_slowPage || name != m_slowName) {
        m_slowName.assign(name);
        m_slowPage = SlowPage{printable(m_slowName), 0, 0};
        m_switched = true;
    }
    m_slowPage->read = read;
    m_slowPage->size = size;
    draw(now);
}

void ProgressLine::slowPageOver() {
    m_switched = m_switched || m_slowPage.has_value();
    m_slowPage.reset();
}

void ProgressLine::draw(Clock::time_point now) {
    if (!m_enabled || now - m_start < kQuietStart ||
        (m_drawn && !m_switched && now - m_lastDrawn < kRedrawInterval)) {
        return;
    }
    // The last column stays free: some consoles move to the next line once it is written.
    const std::size_t columns = m_columns();
    const std::size_t room = columns > 0 ? columns - 1 : 0;
    const std::string shown(firstCharacters(line(room), room));
    // A line shorter than the last, as the count after a page's name, rubs out what is left.
    const std::size_t width = characterCount(shown);
    m_out << '\r' << shown << (width < m_width ? rubOut(m_width - width) : "") << std::flush;
    m_width = width;
    m_lastDrawn = now;
    m_drawn = true;
    m_switched = false;
}

// Grouped as the summary groups its counts, so that the two read alike. A page's name gives up
// its middle before its figures are cut, as they are what moves.
std::string ProgressLine::line(std::size_t room) const {
    const std::string head = m_program + ": ";
    if (!m_slowPage) {
        return head + grouped(m_done) + " of " + grouped(m_total) + " files read";
    }
    const std::string figures =
        ": " + readableBytes(m_slowPage->read) +
        (m_slowPage->size > 0 ? " of " + readableBytes(m_slowPage->size) : " read");
    const std::size_t taken = characterCount(head) + characterCount(figures);
    const bool cut = room >= taken + kLeftOut.size() + 2;
    return head + (cut ? middleCut(m_slowPage->name, room - taken) : m_slowPage->name) + figures;
}

// Blanks leave the cursor after them: the next line drawn starts with a carriage return, and a
// cleared line ends with one.
std::string ProgressLine::rubOut(std::size_t drawn) const {
    return m_escapes ? "\033[K" : std::string(drawn, ' ');
}

void ProgressLine::clear() {
    if (m_drawn) {
        m_out << '\r' << rubOut(m_width) << (m_escapes ? "" : "\r") << std::flush;
        m_drawn = false;
        m_width = 0;
    }
}

}  // namespace catalog
