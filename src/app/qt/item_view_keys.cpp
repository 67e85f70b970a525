#include "app/qt/item_view_keys.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QTimer>

namespace catalog::qt_window {

namespace {

// Shift+F10 or the menu key.
bool opensMenu(const QKeyEvent& key) {
    return (key.key() == Qt::Key_F10 && key.modifiers() == Qt::ShiftModifier) ||
           (key.key() == Qt::Key_Menu && key.modifiers() == Qt::NoModifier);
}

class KeyboardAccess : public QObject {
public:
    KeyboardAccess(QAbstractItemView& view, std::function<void(QMenu&)> fillMenu)
        : QObject(&view), m_view(view), m_fillMenu(std::move(fillMenu)) {
        m_view.setContextMenuPolicy(Qt::DefaultContextMenu);
        m_view.installEventFilter(this);
        m_view.viewport()->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
                if (watched == &m_view && opensMenu(static_cast<const QKeyEvent&>(*event))) {
                    showMenu(belowCurrentRow(), true);
                    return true;
                }
                break;
            case QEvent::ContextMenu: {
                const auto& menu = static_cast<const QContextMenuEvent&>(*event);
                const bool byKeyboard = menu.reason() == QContextMenuEvent::Keyboard;
                showMenu(byKeyboard ? belowCurrentRow() : menu.globalPos(), byKeyboard);
                return true;
            }
            case QEvent::FocusIn:
                if (watched == &m_view) {
                    entered(static_cast<const QFocusEvent&>(*event).reason());
                }
                break;
            default:
                break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // Below the current row when the view shows it, else at the view's corner.
    QPoint belowCurrentRow() const {
        const QModelIndex current = m_view.currentIndex();
        QPoint at = current.isValid() ? m_view.visualRect(current).bottomLeft() : QPoint();
        if (!m_view.viewport()->rect().contains(at)) {
            at = {};
        }
        return m_view.viewport()->mapToGlobal(at);
    }

    // One menu at a time: the menu key may bring both its key and the desktop's menu event.
    void showMenu(const QPoint& at, bool byKeyboard) {
        if (m_menu != nullptr && m_menu->isVisible()) {
            return;
        }
        auto* menu = new QMenu(&m_view);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        m_fillMenu(*menu);
        m_menu = menu;
        menu->popup(at);
        if (!byKeyboard) {
            return;
        }
        for (QAction* item : menu->actions()) {
            if (item->isEnabled() && !item->isSeparator()) {
                menu->setActiveAction(item);
                break;
            }
        }
    }

    // After the toolkit's own focus event for the view, which names the view alone.
    void entered(Qt::FocusReason reason) {
        const QAbstractItemModel* model = m_view.model();
        if (reason != Qt::MouseFocusReason && !m_view.currentIndex().isValid() &&
            model != nullptr && model->rowCount() > 0) {
            m_view.selectionModel()->setCurrentIndex(model->index(0, 0),
                                                     QItemSelectionModel::NoUpdate);
        }
        QTimer::singleShot(0, this, [this] { readCurrentCell(); });
    }

    void readCurrentCell() {
        const QModelIndex current = m_view.currentIndex();
        if (!QAccessible::isActive() || !m_view.hasFocus() || !current.isValid()) {
            return;
        }
        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(&m_view);
        QAccessibleInterface* cell =
            view == nullptr || view->tableInterface() == nullptr
                ? nullptr
                : view->tableInterface()->cellAt(current.row(), current.column());
        if (cell == nullptr) {
            return;
        }
        QAccessibleEvent focus(&m_view, QAccessible::Focus);
        focus.setChild(view->indexOfChild(cell));
        QAccessible::updateAccessibility(&focus);
    }

    QAbstractItemView& m_view;
    std::function<void(QMenu&)> m_fillMenu;
    QPointer<QMenu> m_menu;
};

}  // namespace

void addKeyboardAccess(QAbstractItemView& view, std::function<void(QMenu&)> fillMenu) {
    new KeyboardAccess(view, std::move(fillMenu));
}

}  // namespace catalog::qt_window
