#pragma once

#include <QtGlobal>

namespace catalog::qt_window {

// Held while the application object is made. When no display can be opened, Qt ends the
// program there with an abort and a page of advice about its plugins; under this guard it ends
// instead with one line that names the batch command, which needs no display, and status 1.
// Messages of a start that succeeds are passed on as usual when the guard goes.
class NoDisplayGuard {
public:
    NoDisplayGuard();
    ~NoDisplayGuard();
    NoDisplayGuard(const NoDisplayGuard&) = delete;
    NoDisplayGuard& operator=(const NoDisplayGuard&) = delete;

private:
    QtMessageHandler m_previous;
};

}  // namespace catalog::qt_window
