#include "app/qt/trouble_pages_dialog.h"

#include <algorithm>
#include <vector>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/item_view_keys.h"
#include "app/qt/one_press_per_enter.h"
#include "app/qt/qt_text.h"
#include "app/qt/trouble_pages_model.h"
#include "window/control_texts.h"

namespace catalog::qt_window {

namespace {

// The lines measured for the list's width: enough to take in the usual lines, few enough to
// open at once whatever their number.
constexpr int kMeasuredLines = 1000;
constexpr QSize kFirstSize(760, 420);
// The selected line's box holds a long line whole, wrapped, without taking the list's room.
constexpr int kSelectedLineRows = 4;

// Enter in the list shows a page: no button may take it to close the list. Enter on a button
// presses it.
QPushButton* button(std::string_view text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(fromUtf8(text), parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    new OnePressPerEnter(*button, [button] { button->click(); });
    return button;
}

}  // namespace

TroublePagesDialog::TroublePagesDialog(
    window::TroublePages pages,
    std::function<void(const std::string& path, QWidget& over)> showPage,
    std::function<void(const std::string& text)> announce, QWidget* parent)
    : QDialog(parent), m_showPage(std::move(showPage)), m_announce(std::move(announce)) {
    setObjectName(QStringLiteral("pageList"));
    setWindowTitle(fromUtf8(window::kPageListTitle));
    createList(std::move(pages));
    createSelectedLine();
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("message"));
    m_message->setTextFormat(Qt::PlainText);
    QPushButton* copy = button(window::kCopyItem, "copy", this);
    QPushButton* close = button(window::kCloseButton, "close", this);
    connect(copy, &QPushButton::clicked, this, &TroublePagesDialog::copyLines);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    // Ctrl+C in the list, and Copy in its menu, as in the table.
    m_copy = new QAction(fromUtf8(window::kCopyItem), m_lines);
    m_copy->setShortcut(QKeySequence::Copy);
    m_copy->setShortcutContext(Qt::WidgetShortcut);
    connect(m_copy, &QAction::triggered, this, &TroublePagesDialog::copyLines);
    m_lines->addAction(m_copy);
    addKeyboardAccess(*m_lines, [this](QMenu& menu) { menu.addAction(m_copy); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_message, 1);
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lines, 1);
    layout->addWidget(m_selectedLabel);
    layout->addWidget(m_selectedLine);
    layout->addLayout(buttons);
    setTabOrder(m_lines, m_selectedLine);
    setTabOrder(m_selectedLine, copy);
    setTabOrder(copy, close);
    resize(kFirstSize);
}

void TroublePagesDialog::createList(window::TroublePages pages) {
    m_model = new TroublePagesModel(std::move(pages), this);
    m_lines = new QListView(this);
    m_lines->setObjectName(QStringLiteral("pageLines"));
    m_lines->setAccessibleName(fromUtf8(window::kPageListTitle));
    m_lines->setModel(m_model);
    // Lines of one height are placed without being measured, however many there are.
    m_lines->setUniformItemSizes(true);
    m_lines->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lines->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lines->setWordWrap(false);
    m_lines->setTextElideMode(Qt::ElideNone);
    connect(m_lines, &QListView::activated, this, &TroublePagesDialog::showPageOf);
    fitLineWidth();
}

// Read-only, but its text can be selected and copied, by keyboard too; Tab leaves it.
void TroublePagesDialog::createSelectedLine() {
    m_selectedLine = new QPlainTextEdit(this);
    m_selectedLine->setObjectName(QStringLiteral("selectedLine"));
    m_selectedLine->setAccessibleName(fromUtf8(window::kSelectedLineName));
    m_selectedLine->setReadOnly(true);
    m_selectedLine->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                            Qt::TextSelectableByKeyboard);
    m_selectedLine->setTabChangesFocus(true);
    m_selectedLine->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // A name without blanks longer than the box still breaks, rather than scroll sideways.
    m_selectedLine->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    const QMargins frame = m_selectedLine->contentsMargins();
    m_selectedLine->setFixedHeight(
        kSelectedLineRows * m_selectedLine->fontMetrics().lineSpacing() + frame.top() +
        frame.bottom() + 2 * static_cast<int>(m_selectedLine->document()->documentMargin()));
    m_selectedLabel = new QLabel(fromUtf8(window::kSelectedLineLabel), this);
    m_selectedLabel->setBuddy(m_selectedLine);
    connect(m_lines->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TroublePagesDialog::showSelectedLine);
    connect(m_lines->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TroublePagesDialog::showSelectedLine);
}

// The current line when it is selected, else the first selected; nothing when none is.
void TroublePagesDialog::showSelectedLine() {
    const QItemSelectionModel& selection = *m_lines->selectionModel();
    int shown = -1;
    if (selection.isSelected(m_lines->currentIndex())) {
        shown = m_lines->currentIndex().row();
    } else {
        for (const QItemSelectionRange& range : selection.selection()) {
            shown = shown < 0 ? range.top() : std::min(shown, range.top());
        }
    }
    m_selectedLine->setPlainText(
        shown < 0 ? QString() : fromUtf8(m_model->pages().line(static_cast<std::size_t>(shown))));
}

// The widest of the first lines, so that the list scrolls far enough to read them whole.
void TroublePagesDialog::fitLineWidth() {
    const int measured = std::min(m_model->rowCount(), kMeasuredLines);
    if (measured == 0) {
        return;
    }
    QSize size = m_lines->sizeHintForIndex(m_model->index(0));
    for (int line = 1; line < measured; ++line) {
        size.setWidth(
            std::max(size.width(), m_lines->sizeHintForIndex(m_model->index(line)).width()));
    }
    m_model->setLineSize(size);
}

void TroublePagesDialog::copyLines() {
    std::vector<window::LineRange> ranges;
    for (const QItemSelectionRange& range : m_lines->selectionModel()->selection()) {
        ranges.push_back(
            {static_cast<std::size_t>(range.top()), static_cast<std::size_t>(range.bottom()) + 1});
    }
    const window::LinesCopy copy =
        window::copyLines(m_model->pages(), std::move(ranges), [](const std::string& text) {
            QGuiApplication::clipboard()->setText(fromUtf8(text));
            return true;
        });
    m_message->setText(copy.copied ? QString() : fromUtf8(copy.message));
    if (copy.copied) {
        m_announce(copy.message);
    }
}

void TroublePagesDialog::showPageOf(const QModelIndex& line) {
    if (line.isValid()) {
        m_showPage(m_model->pages().pagePath(static_cast<std::size_t>(line.row())), *this);
    }
}

}  // namespace catalog::qt_window
