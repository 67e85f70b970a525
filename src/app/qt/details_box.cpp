#include "app/qt/details_box.h"

#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/qt_text.h"
#include "window/control_texts.h"

namespace catalog::qt_window {

namespace {

constexpr QSize kFirstSize(640, 360);

class ExactCopy : public QObject {
public:
    ExactCopy(QWidget& widget, QString text, std::function<bool()> ownCopy)
        : QObject(&widget), m_text(std::move(text)), m_ownCopy(std::move(ownCopy)) {
        widget.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) &&
            !(m_ownCopy && m_ownCopy())) {
            QGuiApplication::clipboard()->setText(m_text);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QString m_text;
    std::function<bool()> m_ownCopy;
};

}  // namespace

void showDetailsBox(QWidget& parent, const QString& title, const QString& text) {
    auto* box = new QDialog(&parent);
    box->setObjectName(QStringLiteral("details"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(title);
    box->setWindowModality(Qt::WindowModal);
    auto* view = new QPlainTextEdit(box);
    view->setObjectName(QStringLiteral("detailsText"));
    view->setAccessibleName(title);
    view->setReadOnly(true);
    // A caret the arrows move, so that every line can be read and selected by the keyboard.
    view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    view->setTabChangesFocus(true);
    view->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    view->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    view->setPlainText(text);
    // With nothing selected, the text as given, line ends and all: a caret alone copies nothing.
    copyOnCtrlC(*view, text, [view] { return view->textCursor().hasSelection(); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, box);
    buttons->button(QDialogButtonBox::Close)->setText(fromUtf8(window::kCloseButton));
    QObject::connect(buttons, &QDialogButtonBox::rejected, box, &QDialog::reject);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(view, 1);
    layout->addWidget(buttons);
    box->resize(kFirstSize);
    box->show();
    view->setFocus();
}

void copyOnCtrlC(QWidget& widget, QString text, std::function<bool()> ownCopy) {
    new ExactCopy(widget, std::move(text), std::move(ownCopy));
}

}  // namespace catalog::qt_window
