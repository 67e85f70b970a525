#pragma once

#include <functional>

#include <QString>

class QWidget;

namespace catalog::qt_window {

// Shows `text` in a box modal to `parent`'s window, under `title`: read-only, but read and
// selected by the keyboard as by the mouse. Ctrl+C copies what is selected, or with nothing
// selected the whole text as given; Esc or Close closes it.
void showDetailsBox(QWidget& parent, const QString& title, const QString& text);

// From now on Ctrl+C in `widget` copies `text` as given, unless `ownCopy` says that the widget's
// own copy is meant (of a selection).
void copyOnCtrlC(QWidget& widget, QString text, std::function<bool()> ownCopy = {});

}  // namespace catalog::qt_window
