#include "qt_window/form1.h"

#include <algorithm>
#include <climits>

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QUrl>

#include "qt_window/form1_layout.h"
#include "qt_window/qt_text.h"
#include "qt_window/row_table_model.h"
#include "window/column_widths.h"
#include "window/data_folder.h"

namespace catalog::qt_window {

namespace {

// Often enough for the bar to move smoothly, seldom enough to cost the run nothing.
constexpr int kProgressIntervalMs = 100;
// Rows as high as a line of text and a little air, like the lines of a list box.
constexpr int kRowPadding = 6;

int clampedToInt(std::size_t count) {
    return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

}  // namespace

Form1::Form1(std::string programDirectory, QWidget* parent)
    : QWidget(parent),
      m_programDirectory(std::move(programDirectory)),
      // Called on the run's thread: the end is shown on the window's.
      m_run([this] { QMetaObject::invokeMethod(this, &Form1::showRunEnd, Qt::QueuedConnection); }) {
    setWindowTitle(QStringLiteral("Form1"));
    createControls();
    connectControls();
    setMinimumSize(minimumClientSize());
    resize(firstClientSize());
    placeControls();
}

// A run still going is stopped and waited for here, before the controls it reports to go.
Form1::~Form1() = default;

void Form1::createControls() {
    createList();
    addOpenDataFolderAction();
    m_collect = new QPushButton(QStringLiteral("Collect"), this);
    m_collect->setObjectName(QStringLiteral("collect"));

    m_outputfilename = new QLineEdit(fromUtf8(window::kDefaultOutputName), this);
    m_outputfilename->setObjectName(QStringLiteral("outputfilename"));

    m_label1 = new QLabel(QStringLiteral("Save to:"), this);
    m_label1->setObjectName(QStringLiteral("Label1"));

    m_status = new QLabel(this);
    m_status->setTextFormat(Qt::PlainText);  // a typed name such as "<b>x.txt" is text
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    createOpenDataFolderLink();
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->hide();

    setTabOrder(m_displaylist, m_collect);
    setTabOrder(m_collect, m_outputfilename);
}

void Form1::createList() {
    m_rows = new RowTableModel(this);
    m_displaylist = new QTableView(this);
    m_displaylist->setObjectName(QStringLiteral("displaylist"));
    m_displaylist->setModel(m_rows);
    m_displaylist->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_displaylist->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_displaylist->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_displaylist->setWordWrap(false);
    // Tab leaves the list for the button, as it left the list box, instead of going from cell
    // to cell.
    m_displaylist->setTabKeyNavigation(false);
    m_displaylist->verticalHeader()->hide();
    // One height for every row: the view never measures rows to place them.
    m_displaylist->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_displaylist->verticalHeader()->setDefaultSectionSize(m_displaylist->fontMetrics().height() +
                                                           kRowPadding);
    QHeaderView* header = m_displaylist->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);

    auto* copy = new QAction(QStringLiteral("Copy"), m_displaylist);
    copy->setObjectName(QStringLiteral("copy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &Form1::copySelectedRows);
    m_displaylist->addAction(copy);
    m_displaylist->setContextMenuPolicy(Qt::ActionsContextMenu);
}

// Shown beside a status that finds the data folder empty or missing, the user's next step.
void Form1::createOpenDataFolderLink() {
    m_openDataFolder = new QLabel(this);
    m_openDataFolder->setObjectName(QStringLiteral("openDataFolder"));
    m_openDataFolder->setTextFormat(Qt::RichText);
    m_openDataFolder->setText(QStringLiteral("<a href=\"data\">%1</a>")
                                  .arg(fromUtf8(window::kOpenDataFolder).toHtmlEscaped()));
    m_openDataFolder->setAlignment(Qt::AlignRight | Qt::AlignTop);
    m_openDataFolder->hide();
    connect(m_openDataFolder, &QLabel::linkActivated, this, &Form1::openDataFolder);
}

// In the table's context menu whatever the status says: a user may want to add pages at any
// time.
void Form1::addOpenDataFolderAction() {
    auto* open = new QAction(fromUtf8(window::kOpenDataFolder), m_displaylist);
    open->setObjectName(QStringLiteral("openDataFolderAction"));
    connect(open, &QAction::triggered, this, &Form1::openDataFolder);
    m_displaylist->addAction(open);
}

void Form1::openDataFolder() {
    const window::FolderToOpen folder = window::dataFolderToOpen(m_programDirectory);
    if (folder.failure) {
        showFailure(*folder.failure);
        return;
    }
    const QString path = QFile::decodeName(QByteArray::fromStdString(folder.path));
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        showStatus(window::folderNotOpenedStatus(folder.path));
    }
}

void Form1::connectControls() {
    connect(m_collect, &QPushButton::clicked, this, &Form1::collect_Click);
    connect(m_outputfilename, &QLineEdit::returnPressed, this, &Form1::collect_Click);
    m_progressTimer.setInterval(kProgressIntervalMs);
    connect(&m_progressTimer, &QTimer::timeout, this, &Form1::showProgress);
}

void Form1::placeControls() {
    const Form1Layout layout = layoutFor(size());
    m_displaylist->setGeometry(layout.list);
    m_collect->setGeometry(layout.collect);
    m_outputfilename->setGeometry(layout.outputName);
    m_label1->setGeometry(layout.label);
    m_progress->setGeometry(layout.progress);
    placeStatus(layout.statusStrip);
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeControls();
}

void Form1::collect_Click() {
    // The name as it stands now: what is typed during the run is for the next one.
    if (!m_run.start(m_programDirectory, m_outputfilename->text().toUtf8().toStdString())) {
        return;
    }
    m_collect->setEnabled(false);
    showStatus({});
    m_progress->setRange(0, 0);
    m_progress->setValue(0);
    m_progress->show();
    m_progressTimer.start();
}

// Closing mid-run stops the run before its write: the earlier listing stays as it was.
void Form1::closeEvent(QCloseEvent* event) {
    m_run.stop();
    QWidget::closeEvent(event);
}

// Until the folder is listed the total is unknown and the bar only shows that work goes on.
void Form1::showProgress() {
    const window::Progress progress = m_run.progress();
    if (progress.total == 0) {
        return;
    }
    m_progress->setRange(0, clampedToInt(progress.total));
    m_progress->setValue(clampedToInt(progress.done));
}

void Form1::showRunEnd() {
    m_progressTimer.stop();
    showProgress();
    m_progress->hide();
    m_collect->setEnabled(true);
    window::RunOutcome outcome = m_run.takeOutcome();
    // The status counts the rows, so it is made before they move into the table.
    showStatus(window::statusAfter(outcome));
    if (outcome.rows) {
        showRows(std::move(*outcome.rows));
    }
    if (outcome.failure) {
        showFailure(*outcome.failure);
    }
    emit runFinished();
}

void Form1::showRows(window::RunRows rows) {
    const int first = m_rows->append(std::move(rows));
    if (first == m_rows->rowCount()) {
        return;
    }
    fitColumnsToContents(first);
    // The view lays new rows out later, and would meanwhile keep the scroll within the old ones.
    m_displaylist->doItemsLayout();
    m_displaylist->scrollTo(m_rows->index(first, 0), QAbstractItemView::PositionAtTop);
}

// Once, on the first rows: from then on the widths are the user's to drag.
void Form1::fitColumnsToContents(int firstRow) {
    if (m_columnsFitted) {
        return;
    }
    m_columnsFitted = true;
    QHeaderView& header = *m_displaylist->horizontalHeader();
    std::vector<int> titleWidths;
    for (int column = 0; column < header.count(); ++column) {
        titleWidths.push_back(header.sectionSizeHint(column));
    }
    const window::ColumnsToFit columns{.titleWidths = std::move(titleWidths),
                                       .firstRow = static_cast<std::size_t>(firstRow),
                                       .rowCount = static_cast<std::size_t>(m_rows->rowCount()),
                                       // The grid line takes a pixel of the column.
                                       .valueMargins = m_displaylist->showGrid() ? 1 : 0,
                                       .viewWidth = m_displaylist->viewport()->width()};
    const std::vector<int> widths = window::columnWidths(columns, [this](auto row, auto column) {
        const QModelIndex cell = m_rows->index(static_cast<int>(row), static_cast<int>(column));
        return m_displaylist->sizeHintForIndex(cell).width();
    });
    for (int column = 0; column < header.count(); ++column) {
        header.resizeSection(column, widths[static_cast<std::size_t>(column)]);
    }
}

void Form1::showStatus(const window::StatusText& status) {
    m_statusText = fromUtf8(status.text);
    m_status->setToolTip(
        literalRichText(fromUtf8(status.details.empty() ? status.text : status.details)));
    m_openDataFolder->setVisible(status.offersDataFolder);
    placeStatus(layoutFor(size()).statusStrip);
}

// The link, when shown, takes the strip's right end; the status the rest.
void Form1::placeStatus(const QRect& strip) {
    QRect text = strip;
    if (m_openDataFolder->isVisible()) {
        const int linkWidth = m_openDataFolder->sizeHint().width();
        m_openDataFolder->setGeometry(strip.right() - linkWidth + 1, strip.top(), linkWidth,
                                      strip.height());
        text.setRight(strip.right() - linkWidth -
                      m_openDataFolder->fontMetrics().averageCharWidth());
    }
    m_status->setGeometry(text);
    elideStatus();
}

// The status reads whole at the window's first size; a window made narrower cuts it in the
// middle, and the tooltip keeps the whole of it.
void Form1::elideStatus() {
    const QFontMetrics metrics = m_status->fontMetrics();
    const QRect box = m_status->contentsRect();
    const auto fits = [&](const QString& text) {
        return metrics.boundingRect(box, Qt::TextWordWrap, text).height() <= box.height();
    };
    const int lines = std::max(1, box.height() / metrics.lineSpacing());
    QString shown = m_statusText;
    for (int width = box.width() * lines; !fits(shown) && width > 0;
         width -= 4 * metrics.averageCharWidth()) {
        shown = metrics.elidedText(m_statusText, Qt::ElideMiddle, width);
    }
    m_status->setText(shown);
}

// Not modal and not waited on: the window stays usable for the next run, and can be closed.
void Form1::showFailure(const window::RunFailure& failure) {
    const window::FailureText text = window::failureTextFor(failure);
    auto* box = new QMessageBox(QMessageBox::Critical, windowTitle(), fromUtf8(text.message),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("failure"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setTextFormat(Qt::PlainText);
    box->setInformativeText(literalRichText(fromUtf8(text.details)));
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void Form1::copySelectedRows() {
    const QItemSelection selection = m_displaylist->selectionModel()->selection();
    if (selection.isEmpty()) {
        return;
    }
    const std::optional<QString> text = m_rows->copyText(selection);
    if (!text) {
        showStatus(window::copyRefusedStatus());
        return;
    }
    QGuiApplication::clipboard()->setText(*text);
}

}  // namespace catalog::qt_window
