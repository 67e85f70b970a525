#pragma once

#include <functional>

class QAbstractItemView;
class QMenu;

namespace catalog::qt_window {

// What a keyboard and a screen reader need from a list or a table beyond the toolkit's own:
// - its menu, filled by `fillMenu` as it opens, opens from the right button where it is
//   clicked, and from Shift+F10 or the menu key below the current row (X11 places the menu
//   key's at the pointer), with its first item active so that Enter takes it;
// - entering it by the keyboard makes the first row current when none is (as the first arrow
//   key would), and a screen reader reads the current row's cell as the view takes the focus.
void addKeyboardAccess(QAbstractItemView& view, std::function<void(QMenu&)> fillMenu);

}  // namespace catalog::qt_window
