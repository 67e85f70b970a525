#pragma once

class QString;
class QWidget;

namespace catalog::qt_window {

// Shows `text` in a box modal to `parent`'s window, under `title`: read-only, but read and
// selected by the keyboard as by the mouse. Ctrl+C copies what is selected, or with nothing
// selected the whole text as given; Esc or Close closes it.
void showDetailsBox(QWidget& parent, const QString& title, const QString& text);

}  // namespace catalog::qt_window
