#pragma once

class QLabel;
class QString;

namespace catalog::qt_window {

// A screen reader takes every QLabel for static text. Two kinds of the window's labels are more:
// a status link is pressed like a link, from the keyboard or by the screen reader; and the status
// line is what a screen reader speaks when a run ends.

// `label`, which shows one link, is a link to screen readers, named by `name`, whose press
// action activates it as a click does.
void makeAccessibleLink(QLabel& label, const QString& name);
// `label` is a notification to screen readers: a text they speak when it is announced.
void makeAccessibleNotification(QLabel& label);
// Tells screen readers to speak `label`'s accessible name, as they do for a notification shown.
void announce(QLabel& label);
// Tells screen readers to speak `text` as `label`'s, which shows and names what it did before:
// for a moment its accessible name is `text`, long enough for a screen reader to ask for it.
void announce(QLabel& label, const QString& text);

}  // namespace catalog::qt_window
