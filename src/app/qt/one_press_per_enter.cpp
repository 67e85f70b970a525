#include "app/qt/one_press_per_enter.h"

#include <QKeyEvent>
#include <QWidget>

namespace catalog::qt_window {

OnePressPerEnter::OnePressPerEnter(QWidget& widget, std::function<void()> press)
    : QObject(&widget), m_press(std::move(press)) {
    widget.installEventFilter(this);
}

bool OnePressPerEnter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) {
        return QObject::eventFilter(watched, event);
    }
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) {
        return false;
    }
    if (event->type() == QEvent::KeyRelease) {
        m_releasedAt = key.timestamp();
        return false;
    }
    if (key.isAutoRepeat() || (m_releasedAt != 0 && key.timestamp() == m_releasedAt)) {
        return true;
    }
    if (m_press) {
        m_press();
        return true;
    }
    return false;
}

}  // namespace catalog::qt_window
