#pragma once

#include <string>

#include <QString>

namespace catalog::qt_window {

// The window layer gives every text it composes or decodes as UTF-8.
inline QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace catalog::qt_window
