#pragma once

#include <QColor>
#include <QPalette>

namespace catalog::qt_window {

// The colours the window layer chooses for readability (window/contrast.h), from a palette.

// A field not found, on a normal row or on a `selected` one.
QColor dimmedText(const QPalette& palette, QPalette::ColorGroup group, bool selected);
// A link's colour where it reads on the window's background: a dark palette's own link blue
// does not.
QColor readableLink(const QPalette& palette, QPalette::ColorGroup group);

}  // namespace catalog::qt_window
