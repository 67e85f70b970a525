#pragma once

#include <functional>

#include <QObject>

class QWidget;

namespace catalog::qt_window {

// Enter or Return held down on a widget: it acts on the first press, not again at each repeat.
// X11 repeats a key as a release and a press at the same instant, which the toolkit marks as a
// repeat only when it finds both already arrived: a press at the very time of the release before
// it is taken for a repeat too.
class OnePressPerEnter : public QObject {
public:
    // `press`, when given, is what the first press does: a dialog's button that is not its
    // default (Enter in the dialog's list must not close it) takes no Enter of its own.
    explicit OnePressPerEnter(QWidget& widget, std::function<void()> press = {});

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_press;
    quint64 m_releasedAt = 0;
};

}  // namespace catalog::qt_window
