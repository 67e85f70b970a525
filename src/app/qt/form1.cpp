#include "app/qt/form1.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <variant>

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QStyle>
#include <QTableView>

#include "app/qt/accessible_roles.h"
#include "app/qt/details_box.h"
#include "app/qt/dimmed_cell_delegate.h"
#include "app/qt/file_manager.h"
#include "app/qt/item_view_keys.h"
#include "app/qt/one_press_per_enter.h"
#include "app/qt/qt_text.h"
#include "app/qt/row_table_model.h"
#include "app/qt/row_table_view.h"
#include "app/qt/shown_colours.h"
#include "app/qt/trouble_pages_dialog.h"
#include "window/control_texts.h"
#include "window/data_folder.h"
#include "window/form1_layout.h"
#include "window/keeping_rows.h"
#include "window/output_name.h"
#include "window/run_steps.h"
#include "window/shown_status.h"

namespace catalog::qt_window {

namespace {

// Often enough for the bar to move smoothly, seldom enough to cost the run nothing.
constexpr int kProgressIntervalMs = 100;
// Rows as high as a line of text and a little air, like the lines of a list box.
constexpr int kRowPadding = 6;
constexpr int kFirstColumnWidth = 100;

// The window layer's layout in Qt's types. Qt scales for the screen itself, so the layout is
// taken at the dots per inch it was drawn for.
QRect toQt(const window::Rect& rect) {
    return {rect.left, rect.top, rect.width, rect.height};
}

QSize toQt(const window::Size& size) {
    return {size.width, size.height};
}

// The sizes drawn for small places (title bar, task switcher) and the large one for the rest.
QIcon programIcon() {
    QIcon icon;
    for (const char* size : {"-16", "-32", "-48", ""}) {
        icon.addFile(QStringLiteral(":/icons/catalog-collector%1.png").arg(QLatin1String(size)));
    }
    return icon;
}

// The rows a selection of whole rows holds, counted from its ranges without an index per row.
std::size_t rowsIn(const QItemSelection& selection) {
    std::size_t rows = 0;
    for (const QItemSelectionRange& range : selection) {
        rows += static_cast<std::size_t>(range.height());
    }
    return rows;
}

// What a column's title needs, the sort arrow included whether or not the header shows one now:
// a column fitted before a sort keeps its title whole after it. The header measures the arrow as
// a square as high as the title, and a margin.
int titleWidth(const QHeaderView& header, int column) {
    const int width = header.sectionSizeHint(column);
    if (header.isSortIndicatorShown()) {
        return width;
    }
    return width + header.sizeHint().height() +
           header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
}

}  // namespace

// Every handler that allocates runs through here, so that running out of memory keeps the rows.
template <typename Handler>
void Form1::keepingRows(std::string_view action, std::size_t rows, Handler handler) {
    window::keepingRows(action, rows, handler,
                        [this](const window::StatusText& status) { showStatus(status); });
}

Form1::Form1(std::string programDirectory, QWidget* parent)
    : QWidget(parent),
      m_programDirectory(std::move(programDirectory)),
      // Called on the run's thread: the end is shown on the window's.
      m_run([this] { QMetaObject::invokeMethod(this, &Form1::showRunEnd, Qt::QueuedConnection); }),
      m_columns(std::vector<int>(window::kColumnCount, kFirstColumnWidth)) {
    setWindowTitle(QStringLiteral("Form1"));
    setWindowIcon(programIcon());
    createControls();
    connectControls();
    setMinimumSize(toQt(window::minimumClientSize(window::kBaseDpi)));
    resize(toQt(window::firstClientSize(window::kBaseDpi)));
    placeControls();
    showStatus(window::startStatus(m_programDirectory));
}

// A run still going is stopped and waited for here, before the controls it reports to go.
Form1::~Form1() {
    letFileManagersRunOn(this);
}

void Form1::createControls() {
    createList();
    m_collect = new QPushButton(fromUtf8(window::collectButtonText(false)), this);
    m_collect->setObjectName(QStringLiteral("collect"));
    m_collect->setToolTip(fromUtf8(window::kCollectTooltip));
    // Enter presses it as Space does, outside a dialog too.
    m_collect->setAutoDefault(true);
    new OnePressPerEnter(*m_collect);

    m_outputfilename = new QLineEdit(fromUtf8(window::kDefaultOutputText), this);
    new OnePressPerEnter(*m_outputfilename);
    m_outputfilename->setObjectName(QStringLiteral("outputfilename"));
    m_outputfilename->setToolTip(fromUtf8(window::kOutputNameTooltip));

    m_label1 = new QLabel(QStringLiteral("Save to:"), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setBuddy(m_outputfilename);  // which names the box for screen readers

    m_status = new QLabel(this);
    // What a screen reader speaks at a run's end (showRunEnd).
    makeAccessibleNotification(*m_status);
    m_status->setTextFormat(Qt::PlainText);  // a typed name such as "<b>x.txt" is text
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(false);  // the window layer breaks its lines, never inside a name
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Beside a status that finds the data folder empty or missing, the user's next step; or
    // beside one that counts pages without a record or lacking a field, the list of them.
    m_openDataFolder = createLink(window::kOpenDataFolderItem, "openDataFolder");
    connect(m_openDataFolder, &QLabel::linkActivated, this, &Form1::openDataFolder);
    m_showPages = createLink(window::kShowPagesLink, "showPages");
    connect(m_showPages, &QLabel::linkActivated, this, &Form1::showPages);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setAccessibleName(fromUtf8(window::kProgressName));
    m_progress->hide();
    m_progressNote = new QLabel(this);
    m_progressNote->setObjectName(QStringLiteral("progressNote"));
    m_progressNote->setTextFormat(Qt::PlainText);  // a page's name is text
    m_progressNote->setAutoFillBackground(true);   // over whatever status lies beneath
    m_progressNote->hide();
    colourLinks();

    setTabOrder(m_displaylist, m_collect);
    setTabOrder(m_collect, m_outputfilename);
    setTabOrder(m_outputfilename, m_openDataFolder);
    setTabOrder(m_openDataFolder, m_showPages);
}

void Form1::createList() {
    m_rows = new RowTableModel(this);
    m_displaylist = new RowTableView(this);
    m_displaylist->setObjectName(QStringLiteral("displaylist"));
    m_displaylist->setAccessibleName(fromUtf8(window::kTableName));
    m_displaylist->setModel(m_rows);
    m_displaylist->setItemDelegate(new DimmedCellDelegate(m_displaylist));
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
    // The window layer stretches the last column itself, as the Windows window must.
    QHeaderView* header = m_displaylist->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    // Its width is known once it is shown and whenever it changes, the vertical scroll bar
    // coming or going included.
    m_displaylist->viewport()->installEventFilter(this);
    addListCommands();
    addKeyboardAccess(*m_displaylist,
                      [this](QMenu& menu) { menu.addActions(m_displaylist->actions()); });
}

// The menu's items with their keys, and Delete, which the menu leaves out.
void Form1::addListCommands() {
    const auto add = [this](std::string_view text, const QKeySequence& keys, auto handler) {
        auto* action = new QAction(fromUtf8(text), m_displaylist);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, handler);
        m_displaylist->addAction(action);
        return action;
    };
    m_rowCommands = {
        add(window::kCopyItem, QKeySequence::Copy, [this] { copySelectedRows(false); }),
        add(window::kCopyWithHeaderItem, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
            [this] { copySelectedRows(true); }),
        add(window::kDetailsItem, QKeySequence(Qt::Key_F2), &Form1::showDetails),
        addSortMenu(),
        add(window::kFitColumnItem, QKeySequence(), &Form1::fitCurrentColumn),
        add(window::kClearListItem, QKeySequence(), &Form1::clearList),
    };
    // Whatever the status says: a user may want to add pages at any time.
    add(window::kOpenDataFolderItem, QKeySequence(), &Form1::openDataFolder);
    auto* remove = new QShortcut(QKeySequence::Delete, m_displaylist);
    remove->setContext(Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, &Form1::removeSelectedRows);
    connect(m_rows, &QAbstractItemModel::rowsInserted, this, &Form1::rowCountChanged);
    connect(m_rows, &QAbstractItemModel::rowsRemoved, this, &Form1::rowCountChanged);
    connect(m_rows, &QAbstractItemModel::modelReset, this, &Form1::rowCountChanged);
    rowCountChanged();
}

// A column chosen here acts as a click on its header; the one the rows are sorted by is checked.
QAction* Form1::addSortMenu() {
    auto* menu = new QMenu(fromUtf8(window::kSortByItem), this);
    auto* group = new QActionGroup(menu);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (std::size_t column = 0; column < window::kColumnCount; ++column) {
        QAction* item = menu->addAction(fromUtf8(window::kColumnTitles[column]));
        item->setCheckable(true);
        group->addAction(item);
        connect(item, &QAction::triggered, this,
                [this, column] { sortByColumn(static_cast<int>(column)); });
        m_sortItems.push_back(item);
    }
    QAction* sortBy = menu->menuAction();
    m_displaylist->addAction(sortBy);
    return sortBy;
}

// An empty table has nothing to copy or clear. A screen reader tells how many rows it holds.
void Form1::rowCountChanged() {
    for (QAction* command : m_rowCommands) {
        command->setEnabled(m_rows->rowCount() > 0);
    }
    m_displaylist->setAccessibleDescription(fromUtf8(
        window::tableDescription(static_cast<std::size_t>(std::max(0, m_rows->rowCount())))));
    if (m_status != nullptr) {
        refreshStatus();  // how many rows of how many runs the list holds
    }
}

// A tab stop after the name box, opened by Enter or Space as by a click (see eventFilter).
QLabel* Form1::createLink(std::string_view text, const char* name) {
    auto* link = new QLabel(this);
    makeAccessibleLink(*link, fromUtf8(text));
    link->setObjectName(QLatin1String(name));
    link->setTextFormat(Qt::RichText);
    link->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                      .arg(QLatin1String(name), fromUtf8(text).toHtmlEscaped()));
    // After the text, which the label's keyboard handling needs to be made at all.
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->installEventFilter(this);
    link->setAlignment(Qt::AlignRight | Qt::AlignTop);
    link->hide();
    return link;
}

// The palette's link colour, or one that reads on a dark palette. Taken from the window's
// palette: the links' own holds the colour they were given.
void Form1::colourLinks() {
    for (QLabel* link : {m_openDataFolder, m_showPages}) {
        QPalette palette = link->palette();
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            palette.setColor(group, QPalette::Link, readableLink(this->palette(), group));
        }
        if (palette != link->palette()) {
            link->setPalette(palette);
        }
    }
}

void Form1::openDataFolder() {
    keepingRows("open the data folder", 0, [this] {
        openFolder(*this,
                   [this](const std::string& folder, const window::FileManagerFailure& failure) {
                       showFailure(window::folderNotOpened(folder, failure));
                   });
    });
}

// The data folder, made first when it is missing; `failed` tells why no file manager opened it.
void Form1::openFolder(
    QWidget& over,
    std::function<void(const std::string& folder, const window::FileManagerFailure& failure)>
        failed) {
    const window::FolderToOpen folder = window::dataFolderToOpen(m_programDirectory);
    if (folder.failure) {
        showFailure(window::failureTextFor(*folder.failure), over);
        return;
    }
    openInFileManager(this, folder.path,
                      [failed = std::move(failed), path = folder.path](
                          const window::FileManagerFailure& failure) { failed(path, failure); });
}

// Modal to the window, as the failure's box: no run replaces the pages while it lists them.
void Form1::showPages() {
    keepingRows("list the pages", 0, [this] {
        auto* list = new TroublePagesDialog(
            m_troublePages,
            [this](const std::string& path, QWidget& over) { showPage(path, over); },
            // The window's status tells a screen reader, as it tells of the table's commands.
            [this](const std::string& text) { announce(*m_status, fromUtf8(text)); }, this);
        list->setAttribute(Qt::WA_DeleteOnClose);
        list->setWindowModality(Qt::WindowModal);
        list->show();
    });
}

// In its folder, selected, by the desktop's file manager; where there is none to ask, the
// data folder that holds it is opened instead, and where that fails too the box says that the
// page could not be shown. The page itself is never opened. A box goes over the list the page
// was chosen in, `over`, so that it takes the keys until it is closed; or over the window when
// that list has been closed meanwhile.
void Form1::showPage(const std::string& path, QWidget& over) {
    const QPointer<QWidget> list = &over;
    const auto shownOver = [this, list]() -> QWidget& {
        return list != nullptr ? *list : static_cast<QWidget&>(*this);
    };
    const auto notShown = [this, path, shownOver](const std::string& folder,
                                                  const window::FileManagerFailure& failure) {
        showFailure(window::pageNotShownText(path, folder, failure), shownOver());
    };
    keepingRows("show the page", 0, [&] {
        showInFolder(this, path, [this, notShown, shownOver] {
            keepingRows("show the page", 0, [&] { openFolder(shownOver(), notShown); });
        });
    });
}

// The current row's every field whole, why a field was not found, and the file: what only the
// tooltips show otherwise.
void Form1::showDetails() {
    const QModelIndex current = m_displaylist->currentIndex();
    if (!current.isValid()) {
        return;
    }
    keepingRows("show the details of", 1, [&] {
        showDetailsBox(*this, fromUtf8(window::kDetailsTitle),
                       fromUtf8(m_rows->details(current.row())));
    });
}

// As a double click on the divider at the column's right does: the user's width from then on.
void Form1::fitCurrentColumn() {
    const QModelIndex current = m_displaylist->currentIndex();
    if (current.isValid()) {
        m_displaylist->resizeColumnToContents(current.column());
    }
}

void Form1::connectControls() {
    connect(m_collect, &QPushButton::clicked, this, &Form1::collect_Click);
    // Enter in the box only ever starts a run: typing a name never stops one.
    connect(m_outputfilename, &QLineEdit::returnPressed, this, &Form1::startRun);
    auto* stop = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(stop, &QShortcut::activated, this, [this] { m_run.stop(); });
    QHeaderView* header = m_displaylist->horizontalHeader();
    connect(header, &QHeaderView::sectionClicked, this, &Form1::sortByColumn);
    connect(header, &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { columnResized(column, width); });
    m_progressTimer.setInterval(kProgressIntervalMs);
    connect(&m_progressTimer, &QTimer::timeout, this, [this] {
        showProgress(window::shownProgress(m_run.progress()));
        speakProgress();
    });
}

// Right to left, the layout is the mirror image of the drawn one; the tab order stays.
window::Form1Layout Form1::shownLayout() const {
    const window::Form1Layout layout = window::layoutFor({width(), height()}, window::kBaseDpi);
    return layoutDirection() == Qt::RightToLeft ? window::mirrored(layout, width()) : layout;
}

void Form1::placeControls() {
    const window::Form1Layout layout = shownLayout();
    m_displaylist->setGeometry(toQt(layout.list));
    m_collect->setGeometry(toQt(layout.collect));
    m_outputfilename->setGeometry(toQt(layout.outputName));
    m_label1->setGeometry(toQt(layout.label));
    m_progress->setGeometry(toQt(layout.progress));
    m_progressNote->setGeometry(toQt(layout.progressNote));
    placeStatus(toQt(layout.statusStrip));
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeControls();
}

void Form1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LayoutDirectionChange) {
        placeControls();
    }
    if (event->type() == QEvent::PaletteChange) {
        colourLinks();
    }
}

void Form1::collect_Click() {
    if (m_run.running()) {
        m_run.stop();
        return;
    }
    startRun();
}

// Not while a message is still open: one at a time. The name as it stands now: what is typed
// during the run is for the next one.
void Form1::startRun() {
    keepingRows("start a run", 0, [this] {
        const bool boxOpen = (m_failure != nullptr && m_failure->isVisible()) ||
                             (m_question != nullptr && m_question->isVisible());
        if (boxOpen || m_run.running()) {
            return;
        }
        const std::string name = m_outputfilename->text().toUtf8().toStdString();
        if (const std::optional<std::string> question =
                window::replaceQuestion(m_programDirectory, name)) {
            // The file may be the user's own.
            ask(*question, "replaceQuestion", [this, name](bool yes) {
                if (yes) {
                    keepingRows("start a run", 0, [&] { beginRun(name); });
                }
            });
            return;
        }
        beginRun(name);
    });
}

// Modal to the window, as the failure's box, and No unless the user says otherwise.
void Form1::ask(const std::string& question, const char* name,
                std::function<void(bool yes)> answered) {
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), fromUtf8(question),
                                QMessageBox::Yes | QMessageBox::No, this);
    box->setObjectName(QString::fromLatin1(name));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setTextFormat(Qt::PlainText);
    box->setDefaultButton(QMessageBox::No);
    box->setEscapeButton(QMessageBox::No);
    box->setWindowModality(Qt::WindowModal);
    connect(box, &QMessageBox::buttonClicked, this,
            [box, answered = std::move(answered)](QAbstractButton* button) {
                answered(box->standardButton(button) == QMessageBox::Yes);
            });
    m_question = box;
    box->show();
}

void Form1::beginRun(const std::string& name) {
    if (m_run.start(m_programDirectory, name)) {
        showRunStep(window::runStarted());
        m_spokenProgress.reset();
        speakProgress();
        announce(*m_status, fromUtf8(window::runStartedAnnouncement()));
        m_progressTimer.start();
    }
}

// Closing mid-run stops the run before its write: the earlier listing stays as it was.
void Form1::closeEvent(QCloseEvent* event) {
    m_run.stop();
    QWidget::closeEvent(event);
}

void Form1::showRunEnd() {
    m_progressTimer.stop();
    const window::Progress last = m_run.progress();
    window::RunOutcome outcome = m_run.takeOutcome();
    if (outcome.question) {
        // The run waits for the answer; the window closed meanwhile leaves the listing as it was.
        ask(*outcome.question, "writeQuestion", [this](bool yes) { m_run.answer(yes); });
        return;
    }
    showRunStep(window::runEnded(std::move(outcome), last));
    emit runFinished();
}

void Form1::showRunStep(window::RunStep step) {
    m_collect->setText(fromUtf8(step.collectCaption));
    showProgress(step.progress);
    m_progress->setVisible(step.progressShown);
    m_troublePages = std::move(step.troublePages);
    if (step.lastListing) {
        m_lastListing = std::move(*step.lastListing);
    }
    showStatus(step.status);
    if (step.rows) {
        keepingRows("show", step.rows->rowCount(), [&] { showRows(std::move(*step.rows)); });
    }
    if (step.announce) {
        announce(*m_status);
    }
    if (step.failure) {
        showFailure(*step.failure);
    }
}

void Form1::showProgress(const window::ShownProgress& shown) {
    m_progress->setRange(0, shown.maximum);
    m_progress->setValue(shown.value);
    showProgressNote(shown.note);
}

// The status, hidden by the bar, still tells a screen reader how far the run is, when asked.
void Form1::speakProgress() {
    const std::optional<std::string> name =
        m_spokenProgress.next(m_run.progress(), std::chrono::steady_clock::now());
    if (name) {
        m_status->setAccessibleName(fromUtf8(*name));
        m_status->setAccessibleDescription(fromUtf8(*name));
    }
}

// A long name gives up its middle: its end and the figures after it stay.
void Form1::showProgressNote(const std::string& note) {
    m_progressNote->setVisible(!note.empty());
    if (!note.empty()) {
        m_progressNote->setText(m_progressNote->fontMetrics().elidedText(
            fromUtf8(note), Qt::ElideMiddle, m_progressNote->contentsRect().width()));
    }
}

void Form1::showRows(window::RunRows rows) {
    const std::vector<std::size_t> places = m_rows->append(std::move(rows));
    if (places.empty()) {
        return;
    }
    fitColumns(places);
    // The view lays new rows out later, and would meanwhile keep the scroll within the old ones.
    m_displaylist->doItemsLayout();
    const auto top = static_cast<int>(*std::min_element(places.begin(), places.end()));
    m_displaylist->scrollTo(m_rows->index(top, 0), QAbstractItemView::PositionAtTop);
}

void Form1::fitColumns(const std::vector<std::size_t>& newRows) {
    QHeaderView& header = *m_displaylist->horizontalHeader();
    std::vector<int> titleWidths;
    for (int column = 0; column < header.count(); ++column) {
        titleWidths.push_back(titleWidth(header, column));
    }
    const window::ColumnsToFit columns{.titleWidths = std::move(titleWidths),
                                       .rows = newRows,
                                       // The grid line takes a pixel of the column.
                                       .valueMargins = m_displaylist->showGrid() ? 1 : 0,
                                       .viewWidth = m_displaylist->viewport()->width()};
    m_columns.fit(columns, [this](auto row, auto column) {
        const QModelIndex cell = m_rows->index(static_cast<int>(row), static_cast<int>(column));
        return m_displaylist->sizeHintForIndex(cell).width();
    });
    showColumnWidths();
}

void Form1::showColumnWidths() {
    const std::vector<int> widths = m_columns.shown(m_displaylist->viewport()->width());
    m_showingColumnWidths = true;
    QHeaderView& header = *m_displaylist->horizontalHeader();
    for (int column = 0; column < header.count(); ++column) {
        header.resizeSection(column, widths[static_cast<std::size_t>(column)]);
    }
    m_showingColumnWidths = false;
}

// A width the window did not set is the user's, dragged on the header.
void Form1::columnResized(int column, int width) {
    if (m_showingColumnWidths) {
        return;
    }
    keepingRows("fit the columns", 0, [&] {
        m_columns.sizedByUser(static_cast<std::size_t>(column), width);
        showColumnWidths();
    });
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_displaylist->viewport() && event->type() == QEvent::Resize) {
        keepingRows("fit the columns", 0, [this] { showColumnWidths(); });
    }
    if (watched == m_openDataFolder || watched == m_showPages) {
        return linkEvent(static_cast<QLabel&>(*watched), *event);
    }
    return QWidget::eventFilter(watched, event);
}

// A link is one tab stop, marked while it has the focus, and opened by Enter or Space as by a
// click. A label reached by Tab marks its link only at a second Tab, and a Shift+Tab there finds
// the same link again: the window gives that Tab at once, and moves on at the user's. The user's
// is told from the window's own by a flag, not by being spontaneous: a screen reader's bridge
// sends every key again, no longer spontaneous.
bool Form1::linkEvent(QLabel& link, QEvent& event) {
    if (event.type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<const QFocusEvent&>(event).reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
            QKeyEvent tab(QEvent::KeyPress,
                          reason == Qt::TabFocusReason ? Qt::Key_Tab : Qt::Key_Backtab,
                          Qt::NoModifier);
            const QScopedValueRollback marking(m_markingLink, true);
            QCoreApplication::sendEvent(&link, &tab);
        }
        return false;
    }
    if (event.type() != QEvent::KeyPress) {
        return false;
    }
    const auto& key = static_cast<const QKeyEvent&>(event);
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter || key.key() == Qt::Key_Space) {
        if (key.isAutoRepeat()) {
            return true;  // once for a key held down
        }
        if (&link == m_openDataFolder) {
            openDataFolder();
        } else {
            showPages();
        }
        return true;
    }
    const bool moving = (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab) &&
                        (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
    if (moving && !m_markingLink) {
        focusNextPrevChild(key.key() == Qt::Key_Tab && key.modifiers() == Qt::NoModifier);
        return true;
    }
    return false;
}

// The rows take their new places; the header shows by which column and which way.
void Form1::sortByColumn(int column) {
    keepingRows("sort", m_rows->rowCount(), [&] {
        const window::SortState sort = m_rows->sortByColumn(column);
        QHeaderView& header = *m_displaylist->horizontalHeader();
        const bool sorted = sort.direction != window::SortDirection::None;
        header.setSortIndicatorShown(sorted);
        for (std::size_t item = 0; item < m_sortItems.size(); ++item) {
            m_sortItems[item]->setChecked(sorted && sort.column == item);
        }
        if (sorted) {
            header.setSortIndicator(static_cast<int>(sort.column),
                                    sort.direction == window::SortDirection::Ascending
                                        ? Qt::AscendingOrder
                                        : Qt::DescendingOrder);
        }
    });
}

void Form1::showStatus(const window::StatusText& status) {
    m_toldStatus = status;
    refreshStatus();
}

// The status as told, and after a second run how many rows of how many runs the list holds, so
// that the list and the file never seem to disagree.
void Form1::refreshStatus() {
    const window::StatusText& status = m_toldStatus;
    m_statusText = status.text.empty()
                       ? status
                       : window::withRowsHeld(status, m_rows->rowCount(), m_rows->runCount());
    const QString details =
        fromUtf8(m_statusText.details.empty() ? m_statusText.text : m_statusText.details);
    // No tooltip rather than an empty one: a screen reader would take its markup for a text.
    m_status->setToolTip(details.isEmpty() ? QString() : literalRichText(details));
    // Whole, whatever the window's width shortens, and without the tooltip's markup; during a
    // run, how far it is (speakProgress), whatever rows are removed meanwhile.
    if (!m_progressTimer.isActive()) {
        m_status->setAccessibleName(fromUtf8(m_statusText.text));
        m_status->setAccessibleDescription(details);
    }
    m_openDataFolder->setVisible(status.offersDataFolder);
    m_showPages->setVisible(status.offersPageList);
    placeStatus(toQt(shownLayout().statusStrip));
}

// The link, when shown, takes the strip's end (its right, or its left right to left); the
// status the rest.
void Form1::placeStatus(const QRect& strip) {
    QRect text = strip;
    // A status offers one link at most.
    if (QLabel* link = m_openDataFolder->isVisible() ? m_openDataFolder
                       : m_showPages->isVisible()    ? m_showPages
                                                     : nullptr) {
        const int linkWidth = link->sizeHint().width();
        const int gap = link->fontMetrics().averageCharWidth();
        if (layoutDirection() == Qt::RightToLeft) {
            link->setGeometry(strip.left(), strip.top(), linkWidth, strip.height());
            text.setLeft(strip.left() + linkWidth + gap);
        } else {
            link->setGeometry(strip.right() - linkWidth + 1, strip.top(), linkWidth,
                              strip.height());
            text.setRight(strip.right() - linkWidth - gap);
        }
    }
    m_status->setGeometry(text);
    elideStatus();
}

// The status reads whole at the window's first size; a window made narrower shortens its path
// in the middle, and the tooltip keeps the whole of it.
void Form1::elideStatus() {
    const QFontMetrics metrics = m_status->fontMetrics();
    const QRect box = m_status->contentsRect();
    const window::StatusStrip strip{
        std::max(1, box.height() / metrics.lineSpacing()), [&](std::string_view line) {
            return metrics.horizontalAdvance(fromUtf8(line)) <= box.width();
        }};
    m_status->setText(fromUtf8(window::shownStatus(m_statusText, strip)));
}

// Modal to the window but not waited on: the window can still be closed, and it takes no
// other click until the box is closed.
void Form1::showFailure(const window::RunFailure& failure) {
    showFailure(window::failureTextFor(failure), *this);
}

// Over `over`, the window or a list open over it, modal to that, so that Esc and every other
// key go to the box until it is closed.
void Form1::showFailure(const window::FailureText& text, QWidget& over) {
    auto* box = new QMessageBox(QMessageBox::Critical, windowTitle(), fromUtf8(text.message),
                                QMessageBox::Ok, &over);
    box->setObjectName(QStringLiteral("failure"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setTextFormat(Qt::PlainText);
    box->setInformativeText(literalRichText(fromUtf8(window::breakableDetails(text))));
    // Read as the text it is: without the marks that let the box break a path, or the markup.
    if (auto* details = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        details->setAccessibleName(fromUtf8(text.details));
    }
    // Ctrl+C copies the path without the marks that let the box break it, which QMessageBox
    // would copy along with its markup.
    copyOnCtrlC(*box, fromUtf8(text.message + "\n\n" + text.details));
    box->setWindowModality(Qt::WindowModal);
    m_failure = box;
    box->show();
}

void Form1::copySelectedRows(bool withHeader) {
    const QItemSelection selection = m_displaylist->selectionModel()->selection();
    if (selection.isEmpty()) {
        return;
    }
    const std::size_t rows = rowsIn(selection);
    keepingRows("copy", rows, [&] {
        const std::variant<std::string, window::CopyRefusal> text =
            m_rows->copyText(selection, withHeader);
        if (const auto* refusal = std::get_if<window::CopyRefusal>(&text)) {
            showStatus(window::copyRefusedStatus(*refusal, rows, m_lastListing));
            return;
        }
        QGuiApplication::clipboard()->setText(fromUtf8(std::get<std::string>(text)));
        announce(*m_status, fromUtf8(window::copiedAnnouncement(rows, withHeader)));
    });
}

// Neither touches a file, and the status still tells of the last run.
void Form1::removeSelectedRows() {
    const QItemSelection selection = m_displaylist->selectionModel()->selection();
    const std::size_t rows = rowsIn(selection);
    if (rows == 0) {
        return;
    }
    keepingRows("remove", rows, [&] {
        m_rows->remove(selection);
        announce(*m_status, fromUtf8(window::removedAnnouncement(rows)));
    });
}

// The page list goes with the rows, and its link: what it lists is no longer shown. The window
// is then as it opened: the columns at their first widths, which need no scroll bar, and the
// start status.
void Form1::clearList() {
    keepingRows("clear", m_rows->rowCount(), [this] {
        m_rows->clear();
        m_troublePages = {};
        m_columns = window::TableColumns(std::vector<int>(window::kColumnCount, kFirstColumnWidth));
        showColumnWidths();
        showStatus(window::startStatus(m_programDirectory));
        announce(*m_status, fromUtf8(window::clearedAnnouncement()));
    });
}

}  // namespace catalog::qt_window
