#pragma once

#include <windows.h>

namespace catalog::win32_window {

// A control whose new text screen readers read out, after what they are saying, without the
// focus moving there: UI Automation's polite live region, set through MSAA's dynamic annotation
// (needs COM on the thread). Where the system has no such annotation (Wine), the control stays
// unmarked and is announced all the same.
void markPoliteLiveRegion(HWND control);
// Before the control goes: the annotation is the system's, kept apart from the control.
void unmarkLiveRegion(HWND control);
// Once its new text is set.
void announceLiveRegion(HWND control);

}  // namespace catalog::win32_window
