#pragma once

#include <string_view>

#include <QString>

namespace catalog::qt_window {

// The window layer gives every text it composes or decodes as UTF-8.
inline QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Qt guesses whether a tooltip or a label is rich text; a value or a file name such as
// "<b>x.txt" would then be drawn as formatting, hiding its own text. This says so explicitly,
// as rich text that shows the text as it is, line breaks included.
inline QString literalRichText(const QString& text) {
    return QStringLiteral("<p style='white-space:pre-wrap'>") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}

}  // namespace catalog::qt_window
