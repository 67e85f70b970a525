#include "app/qt/accessible_roles.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QLabel>
#include <QTimer>

namespace catalog::qt_window {

namespace {

const char* const kRoleProperty = "catalogAccessibleRole";
// The text a notification is announcing, and which announcement that is.
const char* const kAnnouncedProperty = "catalogAnnounced";
const char* const kAnnouncementProperty = "catalogAnnouncement";
// A screen reader asks for the text of what it was told of once the event has crossed the
// accessibility bus: the announced text stands in for the label's name this long.
constexpr int kAnnouncedMs = 3000;

// A label that stands for a link or a notification: the widget's own name, description and
// states, under the role it stands for.
class RoleLabelAccessible : public QAccessibleWidget {
public:
    RoleLabelAccessible(QLabel* label, QAccessible::Role role) : QAccessibleWidget(label, role) {}

    // While it announces, the announcement alone: a screen reader speaks a notification's
    // description after its name.
    QString text(QAccessible::Text kind) const override {
        const QVariant announced = widget()->property(kAnnouncedProperty);
        if (announced.isValid() &&
            (kind == QAccessible::Name || kind == QAccessible::Description)) {
            return kind == QAccessible::Name ? announced.toString() : QString();
        }
        return QAccessibleWidget::text(kind);
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (role() == QAccessible::Link) {
            names.prepend(pressAction());
        }
        return names;
    }

    void doAction(const QString& action) override {
        if (role() == QAccessible::Link && action == pressAction()) {
            // Only as a click could: a hidden link offers nothing (the page list of a run
            // since cleared), a disabled one takes no press, and a box or list open over the
            // window takes every click until it is closed.
            auto* label = static_cast<QLabel*>(widget());
            if (label->isVisible() && label->isEnabled() &&
                QApplication::activeModalWidget() == nullptr) {
                emit label->linkActivated(label->objectName());
            }
            return;
        }
        QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* roleLabelFactory(const QString&, QObject* object) {
    auto* label = qobject_cast<QLabel*>(object);
    const QVariant role = label == nullptr ? QVariant() : label->property(kRoleProperty);
    if (!role.isValid()) {
        return nullptr;
    }
    return new RoleLabelAccessible(label, static_cast<QAccessible::Role>(role.toInt()));
}

// The role is set before the label's interface is first asked for, which the factory then
// makes; Qt keeps it for the label's life.
void giveRole(QLabel& label, QAccessible::Role role) {
    [[maybe_unused]] static const bool installed =
        (QAccessible::installFactory(roleLabelFactory), true);
    label.setProperty(kRoleProperty, static_cast<int>(role));
}

}  // namespace

void makeAccessibleLink(QLabel& label, const QString& name) {
    giveRole(label, QAccessible::Link);
    label.setAccessibleName(name);
}

void makeAccessibleNotification(QLabel& label) {
    giveRole(label, QAccessible::Notification);
}

// Qt 6.4 has no announcement event of its own; a notification shown is what screen readers
// (Orca) speak unasked.
void announce(QLabel& label) {
    label.setProperty(kAnnouncedProperty, QVariant());
    QAccessibleEvent shown(&label, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

void announce(QLabel& label, const QString& text) {
    const int announcement = label.property(kAnnouncementProperty).toInt() + 1;
    label.setProperty(kAnnouncementProperty, announcement);
    label.setProperty(kAnnouncedProperty, text);
    QAccessibleEvent shown(&label, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
    QTimer::singleShot(kAnnouncedMs, &label, [&label, announcement] {
        if (label.property(kAnnouncementProperty).toInt() == announcement) {
            label.setProperty(kAnnouncedProperty, QVariant());
        }
    });
}

}  // namespace catalog::qt_window
