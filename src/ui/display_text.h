#pragma once

#include <string_view>

#include <QString>

namespace catalog::ui {

// File bytes as the list shows them. Valid UTF-8 is decoded; a byte that starts no valid
// sequence is shown as the character the shops' old Windows pages meant by it (Windows-1252,
// which is Latin-1 outside 0x80-0x9F), so such a page stays legible rather than turning into
// replacement marks. The listing file keeps the bytes; only the display is decoded.
QString displayText(std::string_view bytes);

}  // namespace catalog::ui
