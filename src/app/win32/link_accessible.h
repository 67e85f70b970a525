#pragma once

#include <string>
#include <windows.h>

namespace catalog::win32_window {

// Shows the SysLink control `link` to screen readers as what it is: a link named `name`, its
// words without the markup the control is given them in. Its default action presses the link as
// a click does (NM_CLICK to its parent), on the window's thread, and only while the link is
// shown and its window takes input. For as long as the control lasts; needs COM on the thread.
// Where the system cannot subclass the control, it keeps the system's own object, named by its
// markup.
void makeLinkAccessible(HWND link, std::wstring name);

}  // namespace catalog::win32_window
