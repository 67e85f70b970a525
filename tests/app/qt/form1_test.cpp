#include "app/qt/form1.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <poll.h>
#include <private/qguiapplication_p.h>
#include <string>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include "app/qt/qt_text.h"
#include "collect/listing.h"
#include "support/test_files.h"
#include "window/contrast.h"
#include "window/control_texts.h"
#include "window/display_text.h"
#include "window/form1_layout.h"
#include "window/output_name.h"
#include "window/row_cells.h"
#include "window/window_texts.h"

// Texts as gtest prints them when an expectation fails.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace catalog::qt_window {
namespace {

namespace fs = std::filesystem;
using catalog::testing::kHeader;
using catalog::testing::productRecord;
using catalog::testing::readFile;
using catalog::testing::TempDir;
using catalog::testing::writeEndlessFile;
using catalog::testing::writeFile;

const QStringList kAnchorRow{"A1", "125", "a.jpg", "Anchor", "a.html"};
const QStringList kBoltRow{"B2", "7", "b.jpg", "Bolt", "b.html"};
const std::string kAnchorLine = "A1\t125\ta.jpg\tAnchor\r\n";
const std::string kBoltLine = "B2\t7\tb.jpg\tBolt\r\n";
const std::string kListing = kHeader + kAnchorLine + kBoltLine;
constexpr int kNameColumn = 3;

// What a screen reader hears while this lives: where the focus is said to go, and the last
// notification shown, by the name it had as it was sent.
class HeardEvents {
public:
    HeardEvents() {
        s_focuses.clear();
        s_announced.clear();
        m_bus.setActive(true);
        m_previous = QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
            QAccessibleInterface* said = event->accessibleInterface();
            if (event->type() == QAccessible::Focus) {
                s_focuses.emplace_back(event->object(), event->child());
            } else if (event->type() == QAccessible::ObjectShow && said &&
                       said->role() == QAccessible::Notification) {
                s_announced = said->text(QAccessible::Name);
            }
        });
    }
    ~HeardEvents() {
        QAccessible::installUpdateHandler(m_previous);
        m_bus.setActive(false);
    }
    HeardEvents(const HeardEvents&) = delete;
    HeardEvents& operator=(const HeardEvents&) = delete;

    bool focusedOn(QAbstractItemView* view, int row, int column) const {
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(view);
        const int cell = table->indexOfChild(table->tableInterface()->cellAt(row, column));
        return std::count(s_focuses.begin(), s_focuses.end(), std::pair<QObject*, int>{view, cell});
    }
    QString lastAnnounced() const { return s_announced; }

private:
    static inline std::vector<std::pair<QObject*, int>> s_focuses;
    static inline QString s_announced;
    QPlatformAccessibility& m_bus = *QGuiApplicationPrivate::platformIntegration()->accessibility();
    QAccessible::UpdateHandler m_previous = nullptr;
};

// One window over a fresh program folder, driven through its controls as a user would.
class Form1Test : public ::testing::Test {
protected:
    Form1Test() {
        fs::create_directory(m_dir.path() / "data");
        addPage("a.html", productRecord("A1", "Anchor", "125", "a.jpg"));
        addPage("b.html", "<p>" + productRecord("B2", "Bolt", "7", "b.jpg"));
        addPage("contact.html", "<p>Call us</p>");
        form.show();
    }
    // A file manager the window started ends before the window does: one still running would
    // be let go of, to outlive the test.
    ~Form1Test() override {
        const auto allEnded = [this] {
            const QList<QProcess*> openers = form.findChildren<QProcess*>();
            return std::none_of(openers.begin(), openers.end(), [](const QProcess* opener) {
                return opener->state() != QProcess::NotRunning;
            });
        };
        if (!QTest::qWaitFor(allEnded, 60 * 1000)) {
            ADD_FAILURE() << "a file manager the window started did not end";
        }
    }

    void addPage(const std::string& name, std::string_view bytes) {
        writeFile(m_dir / ("data/" + name), bytes);
    }
    void addPages(int count, const std::string& prefix) {
        for (int i = 0; i < count; ++i) {
            const std::string reference = prefix + std::to_string(1000 + i);
            addPage(reference + ".html", productRecord(reference, "Page", "1", "p.jpg"));
        }
    }
    std::string path(const std::string& name) const { return m_dir / name; }
    std::string listing(const std::string& name = "output.txt") const {
        return readFile(path(name));
    }

    template <typename Control>
    Control* control(const char* name) {
        auto* found = form.findChild<Control*>(QLatin1String(name));
        if (found == nullptr) {
            ADD_FAILURE() << "no control named " << name;
        }
        return found;
    }
    QTableView* list() { return control<QTableView>("displaylist"); }
    QPushButton* button() { return control<QPushButton>("collect"); }
    QLineEdit* box() { return control<QLineEdit>("outputfilename"); }
    QLabel* label() { return control<QLabel>("Label1"); }
    QLabel* status() { return control<QLabel>("status"); }
    QProgressBar* progress() { return control<QProgressBar>("progress"); }

    int rowCount() { return list()->model()->rowCount(); }
    QVariant data(int row, int column, int role = Qt::DisplayRole) {
        return list()->model()->index(row, column).data(role);
    }
    QStringList row(int index) {
        QStringList cells;
        for (int column = 0; column < list()->model()->columnCount(); ++column) {
            cells << data(index, column).toString();
        }
        return cells;
    }
    QList<QStringList> rows() {
        QList<QStringList> shown;
        for (int i = 0; i < rowCount(); ++i) {
            shown << row(i);
        }
        return shown;
    }
    // The first row whose top edge the list shows.
    int topRow() { return list()->rowAt(0); }

    void click() { QTest::mouseClick(button(), Qt::LeftButton); }
    // Bounded only against a hang: a sanitized build on a busy machine reads the big pages slowly.
    bool waitForRunEnd(QSignalSpy& finished) {
        return !finished.isEmpty() || finished.wait(120 * 1000);
    }
    bool clickAndWait() {
        QSignalSpy finished(&form, &Form1::runFinished);
        click();
        return waitForRunEnd(finished);
    }
    QMessageBox* failure() { return form.findChild<QMessageBox*>(QStringLiteral("failure")); }
    // What Ctrl+C in a message box puts on the clipboard. Offscreen, windows are activated in no
    // fixed order: the list may still have the focus, and its own Ctrl+C would take the key.
    static QString copied(QMessageBox* box) {
        if (QWidget* focused = QApplication::focusWidget();
            focused && !box->isAncestorOf(focused)) {
            focused->clearFocus();
        }
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
        return QGuiApplication::clipboard()->text();
    }
    // The question open now, not one closed and not yet deleted.
    QMessageBox* question(const char* name = "replaceQuestion") {
        for (QMessageBox* box : form.findChildren<QMessageBox*>(QString::fromLatin1(name))) {
            if (box->isVisible()) {
                return box;
            }
        }
        return nullptr;
    }
    QAction* action(const char* text) {
        for (QAction* action : list()->actions()) {
            if (action->text() == QLatin1String(text)) {
                return action;
            }
        }
        ADD_FAILURE() << "no action " << text;
        return nullptr;
    }
    void selectRow(int row) {
        list()->selectionModel()->select(
            list()->model()->index(row, 0),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    void clickHeader(int column) {
        QHeaderView* header = list()->horizontalHeader();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, Qt::NoModifier,
            QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }

    TempDir m_dir;
    Form1 form{m_dir.path().string()};
};

// Opening

TEST_F(Form1Test, OpensEmptyWithTheDrawnLayoutAndTheStatusBelowIt) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Form1"));
    EXPECT_EQ(form.windowIcon().availableSizes(),
              (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {256, 256}}));
    // Each control where the window layer places it at the first size (form1_layout_test).
    const window::Size first = window::firstClientSize(window::kBaseDpi);
    const window::Form1Layout drawn = window::layoutFor(first, window::kBaseDpi);
    const auto at = [](const window::Rect& r) { return QRect(r.left, r.top, r.width, r.height); };
    EXPECT_EQ(form.size(), QSize(first.width, first.height));
    EXPECT_EQ(list()->geometry(), at(drawn.list));
    EXPECT_EQ(button()->geometry(), at(drawn.collect));
    EXPECT_EQ(box()->geometry(), at(drawn.outputName));
    EXPECT_EQ(label()->geometry(), at(drawn.label));
    EXPECT_EQ(status()->geometry(), at(drawn.statusStrip));
    EXPECT_EQ(progress()->geometry(), at(drawn.progress));

    EXPECT_EQ(button()->text(), QStringLiteral("Collect"));
    EXPECT_EQ(button()->toolTip(), fromUtf8(window::kCollectTooltip));
    EXPECT_EQ(box()->toolTip(), fromUtf8(window::kOutputNameTooltip));
    EXPECT_EQ(label()->text(), QStringLiteral("Save to:"));
    EXPECT_EQ(box()->text(), QStringLiteral("output.txt"));
    EXPECT_EQ(rowCount(), 0);
    QStringList titles;
    for (int column = 0; column < list()->model()->columnCount(); ++column) {
        titles << list()->model()->headerData(column, Qt::Horizontal).toString();
    }
    EXPECT_EQ(titles, (QStringList{"id", "price", "thumbnail", "name", "file"}));
    EXPECT_FALSE(list()->verticalHeader()->isVisible());
    EXPECT_EQ(status()->text(), QString::fromStdString("Reads the pages in " + path("data")));
    EXPECT_FALSE(fs::exists(path("output.txt")));

    QWidgetList tabOrder;
    QWidget* next = list();
    do {
        if (next->parentWidget() == &form && (next->focusPolicy() & Qt::TabFocus)) {
            tabOrder << next;
        }
        next = next->nextInFocusChain();
    } while (next != list());
    // The status's links follow, when shown.
    EXPECT_EQ(tabOrder, (QWidgetList{list(), button(), box(), control<QLabel>("openDataFolder"),
                                     control<QLabel>("showPages")}));
}

TEST_F(Form1Test, TabLeavesTheListForTheButton) {
    ASSERT_TRUE(clickAndWait());
    list()->setFocus();
    list()->setCurrentIndex(list()->model()->index(0, 0));
    QTest::keyClick(list(), Qt::Key_Tab);
    EXPECT_TRUE(button()->hasFocus());
}

TEST_F(Form1Test, TabFromTheBoxReachesTheShownLinkWhichEnterOrSpaceOpens) {
    ASSERT_TRUE(clickAndWait());  // a page without a record: the link to the list is shown
    auto* link = control<QLabel>("showPages");
    // One tab stop, marked while it has the focus, both ways.
    box()->setFocus();
    for (const auto& [key, next] : {std::pair<Qt::Key, QWidget*>{Qt::Key_Tab, link},
                                    {Qt::Key_Tab, list()},
                                    {Qt::Key_Backtab, link},
                                    {Qt::Key_Backtab, box()}}) {
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_EQ(QApplication::focusWidget(), next) << key;
        EXPECT_EQ(link->hasSelectedText(), next == link);
    }
    // A screen reader's bridge holds each key and sends it again, no longer spontaneous.
    link->setFocus(Qt::TabFocusReason);
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier);
    QCoreApplication::sendEvent(link, &back);
    EXPECT_EQ(QApplication::focusWidget(), box());
    const auto shownList = [this] {
        QDialog* shown = nullptr;
        for (QDialog* dialog : form.findChildren<QDialog*>(QStringLiteral("pageList"))) {
            shown = dialog->isVisible() ? dialog : shown;
        }
        return shown;
    };
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        box()->setFocus();
        QTest::keyClick(box(), Qt::Key_Tab);
        QTest::keyClick(link, key);
        ASSERT_NE(shownList(), nullptr) << key;
        shownList()->close();
    }
    // A key held down opens it once, not again at each repeat.
    QKeyEvent repeated(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
    QCoreApplication::sendEvent(link, &repeated);
    EXPECT_EQ(shownList(), nullptr);
}

const QStringList kMenuItems{"Copy",       "Copy with header", "Details",         "Sort by",
                             "Fit column", "Clear list",       "Open data folder"};

QMenu* openMenu() {
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

QStringList itemsOf(const QMenu& menu, bool checkedOnly = false) {
    QStringList items;
    for (const QAction* item : menu.actions()) {
        if (!checkedOnly || item->isChecked()) {
            items << item->text();
        }
    }
    return items;
}

// A menu the keyboard opened on `view`: below its current row, its first item active so that
// Enter takes it.
void expectKeyboardMenu(QAbstractItemView* view) {
    ASSERT_NE(openMenu(), nullptr);
    EXPECT_EQ(openMenu()->pos(),
              view->viewport()->mapToGlobal(view->visualRect(view->currentIndex()).bottomLeft()));
    EXPECT_EQ(openMenu()->activeAction(), openMenu()->actions().value(0));
}

// Entered as by Tab: whether `row` is current, as a screen reader hears.
bool enteredAt(QAbstractItemView* view, int row, Qt::FocusReason reason = Qt::TabFocusReason) {
    const HeardEvents heard;
    view->setFocus(reason);
    return view->currentIndex().row() == row &&
           QTest::qWaitFor([&] { return heard.focusedOn(view, row, 0); });
}

// X11's menu key event, which comes at the pointer, opens it from the keyboard too. From the
// mouse: where clicked.
TEST_F(Form1Test, TheListMenuOpensBelowTheCurrentRowFromTheKeyboardWithItsFirstItemActive) {
    ASSERT_TRUE(clickAndWait());
    list()->setFocus();
    list()->setCurrentIndex(list()->model()->index(1, 0));
    const QPoint pointer = list()->viewport()->mapToGlobal(QPoint(200, 5));
    const std::function<void()> opens[] = {
        [this] { QTest::keyClick(list(), Qt::Key_F10, Qt::ShiftModifier); },
        [this] { QTest::keyClick(list(), Qt::Key_Menu); },
        [&] {
            QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, list()->mapFromGlobal(pointer),
                                      pointer);
            QApplication::sendEvent(list(), &menuKey);
        }};
    for (const auto& open : opens) {
        open();
        expectKeyboardMenu(list());
        EXPECT_EQ(itemsOf(*openMenu()), kMenuItems);
        openMenu()->close();
    }
    selectRow(0);
    QTest::keyClick(list(), Qt::Key_Menu);
    QTest::keyClick(openMenu(), Qt::Key_Return);
    EXPECT_EQ(openMenu(), nullptr);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromStdString(kAnchorLine));

    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(200, 5), pointer);
    QApplication::sendEvent(list()->viewport(), &click);
    ASSERT_NE(openMenu(), nullptr);
    EXPECT_EQ(openMenu()->pos(), pointer);
    EXPECT_EQ(openMenu()->activeAction(), nullptr);
    openMenu()->close();
}

// Runs

TEST_F(Form1Test, EachClickAddsTheRowsAgainAndWritesTheListingUnderTheTypedName) {
    ASSERT_TRUE(clickAndWait());
    EXPECT_EQ(rows(), (QList<QStringList>{kAnchorRow, kBoltRow}));
    EXPECT_EQ(listing(), kListing);
    EXPECT_EQ(status()->text(),
              QStringLiteral("2 records written to output.txt from 3 pages (1 without a record)"));
    EXPECT_EQ(status()->toolTip(), literalRichText(QString::fromStdString(path("output.txt"))));

    ASSERT_TRUE(clickAndWait());
    EXPECT_EQ(rows(), (QList<QStringList>{kAnchorRow, kBoltRow, kAnchorRow, kBoltRow}));
    EXPECT_EQ(listing(), kListing);

    fs::remove(path("data/b.html"));
    box()->selectAll();
    QTest::keyClicks(box(), QStringLiteral("second.txt"));
    ASSERT_TRUE(clickAndWait());
    EXPECT_EQ(rowCount(), 5);
    EXPECT_EQ(row(4), kAnchorRow);
    EXPECT_EQ(listing("second.txt"), kHeader + kAnchorLine);
    EXPECT_EQ(listing(), kListing);
}

TEST_F(Form1Test, EnterInTheSaveToBoxStartsARun) {
    box()->setText(QStringLiteral("entered.txt"));
    QSignalSpy finished(&form, &Form1::runFinished);
    QTest::keyClick(box(), Qt::Key_Return);
    ASSERT_TRUE(waitForRunEnd(finished));
    EXPECT_EQ(listing("entered.txt"), kListing);
    EXPECT_EQ(rowCount(), 2);
}

TEST_F(Form1Test, TheButtonAndTheProgressBarFollowTheRun) {
    addPages(297, "P");
    QSignalSpy finished(&form, &Form1::runFinished);
    click();
    EXPECT_EQ(button()->text(), QStringLiteral("Stop"));
    EXPECT_TRUE(progress()->isVisible());
    // Enter in the box while the run goes on starts nothing, and stops nothing.
    QTest::keyClick(box(), Qt::Key_Return);
    ASSERT_TRUE(waitForRunEnd(finished));
    EXPECT_EQ(button()->text(), QStringLiteral("Collect"));
    EXPECT_FALSE(progress()->isVisible());
    EXPECT_EQ(progress()->maximum(), 300);
    EXPECT_EQ(progress()->value(), 300);
    EXPECT_EQ(rowCount(), 299);
    // A second end of this run, or a run that Enter left to start, would be told before the end
    // of the next run: a click starts it only once this run's thread is done. The last run's
    // figures, status and link go as it starts.
    click();
    EXPECT_EQ(progress()->maximum(), 0);
    EXPECT_EQ(status()->text(), QString());
    EXPECT_FALSE(control<QLabel>("showPages")->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([this] { return rowCount() == 2 * 299; }, 60 * 1000));
    EXPECT_EQ(finished.size(), 2);
}

TEST_F(Form1Test, AFailedRunIsReportedAndTheNextRunStillWorks) {
    ASSERT_TRUE(clickAndWait());
    // Opens like any file, then fails to read with EIO.
    fs::create_symlink("/proc/self/mem", path("data/m.html"));
    ASSERT_TRUE(clickAndWait());

    ASSERT_NE(failure(), nullptr);
    EXPECT_TRUE(failure()->isVisible());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(copied(failure()),
              QStringLiteral("The collection run failed.\n\nCould not read \"%1\".\nError 5: "
                             "Input/output error")
                  .arg(QString::fromStdString(path("data/m.html"))));
    EXPECT_EQ(rowCount(), 2);
    EXPECT_EQ(listing(), kListing);
    // One message at a time: while it is open, no run starts.
    EXPECT_EQ(failure()->windowModality(), Qt::WindowModal);
    form.collect_Click();
    QTest::keyClick(box(), Qt::Key_Return);
    EXPECT_EQ(button()->text(), QStringLiteral("Collect"));
    failure()->close();

    fs::remove(path("data/m.html"));
    fs::remove(path("output.txt"));
    ASSERT_TRUE(clickAndWait());
    EXPECT_EQ(rows(), (QList<QStringList>{kAnchorRow, kBoltRow, kAnchorRow, kBoltRow}));
    EXPECT_EQ(listing(), kListing);
}

TEST_F(Form1Test, AFailedWriteKeepsTheRowsItFoundAndShowsItsNameAsTyped) {
    // A name that looks like markup is shown as the text it is, never as formatting.
    fs::create_directory(path("<b>taken"));
    box()->setText(QStringLiteral("<b>taken"));
    ASSERT_TRUE(clickAndWait());
    ASSERT_NE(failure(), nullptr);
    EXPECT_TRUE(failure()->informativeText().contains(QStringLiteral("&lt;b&gt;taken")));
    EXPECT_TRUE(failure()->informativeText().contains(QStringLiteral("Error 21: Is a directory")));
    EXPECT_EQ(status()->textFormat(), Qt::PlainText);
    EXPECT_EQ(rows(), (QList<QStringList>{kAnchorRow, kBoltRow}));
}

// A file that is not a listing may be the user's own, and a program or a page must never be
// written over.
TEST_F(Form1Test, AFileThatIsNotAListingIsReplacedOnlyWhenTheUserSaysSo) {
    writeFile(path("notes.txt"), "my notes\n");
    box()->setText(QStringLiteral("notes.txt"));
    click();
    ASSERT_NE(question(), nullptr);
    EXPECT_EQ(
        question()->text(),
        QString::fromStdString(path("notes.txt") + " exists and is not a listing: replace it?"));
    EXPECT_EQ(question()->windowModality(), Qt::WindowModal);
    QTest::keyClick(question(), Qt::Key_Return);  // No, the default
    EXPECT_EQ(question(), nullptr);
    EXPECT_EQ(button()->text(), QStringLiteral("Collect"));
    EXPECT_EQ(listing("notes.txt"), "my notes\n");

    QSignalSpy finished(&form, &Form1::runFinished);
    click();
    ASSERT_NE(question(), nullptr);
    question()->button(QMessageBox::Yes)->click();
    ASSERT_TRUE(waitForRunEnd(finished));
    EXPECT_EQ(listing("notes.txt"), kListing);
    ASSERT_TRUE(clickAndWait());  // a listing now: replaced without a word
    EXPECT_EQ(question(), nullptr);
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);  // not even opened to tell
    EXPECT_FALSE(window::replaceQuestion(m_dir.path().string(), "pipe"));

    writeFile(path("catalog-collector-cli"), "#!/bin/sh\n");
    box()->setText(QStringLiteral("catalog-collector-cli"));
    ASSERT_TRUE(clickAndWait());
    EXPECT_EQ(question(), nullptr);
    ASSERT_NE(failure(), nullptr);
    EXPECT_EQ(failure()->text(), QStringLiteral("The listing cannot be saved under this name."));
    EXPECT_TRUE(failure()->informativeText().contains(QStringLiteral(
        "it is the program catalog-collector-cli, which the listing would replace")));
    EXPECT_EQ(listing("catalog-collector-cli"), "#!/bin/sh\n");
}

// Stands in for the file manager: an xdg-open first in PATH that notes what it is given, as the
// bytes it gets, stays while held, as some file managers do, and ends with `status`.
class FakeFileManager {
public:
    explicit FakeFileManager(int status) : m_path(qgetenv("PATH")) {
        const fs::path script = m_dir.path() / "xdg-open";
        writeFile(script,
                  "#!/bin/sh\nprintf '%s' \"$1\" >\"$0.new\"\nmv \"$0.new\" \"$0.given\"\n"
                  "while [ -e \"$0.held\" ]; do sleep 0.05; done\n"
                  "exit " +
                      std::to_string(status) + "\n");
        fs::permissions(script, fs::perms::owner_all);
        qputenv("PATH", QByteArray::fromStdString(m_dir.path().string()) + ":" + m_path);
    }
    ~FakeFileManager() {
        release();
        qputenv("PATH", m_path);
    }
    FakeFileManager(const FakeFileManager&) = delete;
    FakeFileManager& operator=(const FakeFileManager&) = delete;

    // What it was given the last time, once it has been run; then it waits for the next time.
    std::string awaitGiven() {
        const fs::path given = m_dir.path() / "xdg-open.given";
        if (!QTest::qWaitFor([&] { return fs::exists(given); }, 60 * 1000)) {
            return "(not run)";
        }
        std::string text = readFile(given);
        fs::remove(given);
        return text;
    }
    void hold() { writeFile(m_dir.path() / "xdg-open.held", ""); }
    void release() { fs::remove(m_dir.path() / "xdg-open.held"); }

private:
    TempDir m_dir;
    QByteArray m_path;
};

// The run waits for the answer before its write: No, the default, leaves the listing's rows.
TEST_F(Form1Test, AnEmptyRunReplacesAListingWithRowsOnlyWhenTheUserSaysSo) {
    ASSERT_TRUE(clickAndWait());
    for (const fs::directory_entry& page : fs::directory_iterator(path("data"))) {
        fs::remove(page.path());
    }
    for (const bool yes : {false, true}) {
        QSignalSpy finished(&form, &Form1::runFinished);
        click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return question("writeQuestion") != nullptr; }));
        QMessageBox* asked = question("writeQuestion");
        EXPECT_EQ(asked->text(), QString::fromStdString("No pages were found in " + path("data") +
                                                        ": replace output.txt, a listing with "
                                                        "rows, with one of the header alone?"));
        if (yes) {
            asked->button(QMessageBox::Yes)->click();
        } else {
            QTest::keyClick(asked, Qt::Key_Return);
        }
        ASSERT_TRUE(waitForRunEnd(finished));
        EXPECT_EQ(listing(), yes ? kHeader : kListing);
        EXPECT_EQ(status()->toolTip().contains(QStringLiteral("keeps its rows")), !yes);
    }
}

TEST_F(Form1Test, AnEmptyOrMissingDataFolderIsNamedAndOffersToBeOpened) {
    FakeFileManager fileManager(0);
    auto* link = control<QLabel>("openDataFolder");
    EXPECT_FALSE(link->isVisible());
    for (const fs::directory_entry& page : fs::directory_iterator(path("data"))) {
        fs::remove(page.path());
    }
    ASSERT_TRUE(clickAndWait());
    const QString folder = QString::fromStdString(path("data/"));
    EXPECT_EQ(
        status()->toolTip(),
        literalRichText(QStringLiteral("The data folder is empty: put catalog pages into "
                                       "%1.\n%2 holds only the header.")
                            .arg(folder.chopped(1), QString::fromStdString(path("output.txt")))));
    EXPECT_TRUE(link->isVisible());
    EXPECT_LE(status()->geometry().right(), link->geometry().left());
    emit link->linkActivated(QStringLiteral("data"));
    EXPECT_EQ(fileManager.awaitGiven(), QUrl::fromLocalFile(folder).toEncoded().toStdString());

    // Missing: said so, and made when the user asks to open it, from the list's menu too.
    fs::remove_all(path("data"));
    ASSERT_TRUE(clickAndWait());
    EXPECT_TRUE(status()->toolTip().contains(QStringLiteral("There is no data folder")));
    EXPECT_EQ(listing(), kHeader);
    action("Open data folder")->trigger();
    EXPECT_TRUE(fs::is_directory(path("data")));
    EXPECT_EQ(fileManager.awaitGiven(), QUrl::fromLocalFile(folder).toEncoded().toStdString());
    EXPECT_EQ(failure(), nullptr);

    addPage("a.html", productRecord("A1", "Anchor", "125", "a.jpg"));
    ASSERT_TRUE(clickAndWait());
    EXPECT_FALSE(link->isVisible());
}

// In a folder whose path fills both lines, the words stay whole and the path gives up its
// middle names; the tooltip keeps the whole path.
TEST_F(Form1Test, ALongPathGivesUpItsMiddleAndWhatToDoStaysInSight) {
    const std::string program =
        path("users/J\u00fcrgen " + std::string(200, 'a') + "/shop-office/Katalog");
    fs::create_directories(program + "/data");
    Form1 other(program);
    other.show();
    QSignalSpy finished(&other, &Form1::runFinished);
    other.collect_Click();
    ASSERT_TRUE(waitForRunEnd(finished));
    const auto* shown = other.findChild<QLabel*>(QStringLiteral("status"));
    // Its lines joined again: a line ends at a blank, or after a separator.
    const QString text = shown->text()
                             .replace(QStringLiteral("/\n"), QStringLiteral("/"))
                             .replace(QLatin1Char('\n'), QLatin1Char(' '));
    EXPECT_TRUE(
        text.startsWith(QStringLiteral("The data folder is empty: put catalog pages into ")))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral(u"/\u2026/shop-office/Katalog/data")))
        << text.toStdString();
    EXPECT_TRUE(shown->toolTip().contains(fromUtf8(program + "/data.")));
}

// A failure's box breaks a long path only after a separator, never at a hyphen inside a name.
TEST_F(Form1Test, AFailureBoxBreaksAPathAtItsSeparators) {
    const std::string folder = "shop-office/" + std::string(30, 'b') + "-" + std::string(30, 'c');
    box()->setText(fromUtf8(folder + "/missing/out.txt"));
    ASSERT_TRUE(clickAndWait());
    ASSERT_NE(failure(), nullptr);
    const auto* details =
        failure()->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
    ASSERT_NE(details, nullptr);
    QTextDocument laidOut;
    laidOut.setDefaultFont(details->font());
    laidOut.setDefaultTextOption(QTextOption(Qt::AlignLeft));  // wrapped at word boundaries
    laidOut.setHtml(details->text());
    laidOut.setTextWidth(details->contentsRect().width());
    laidOut.size();  // lays it out
    int breaks = 0;
    for (QTextBlock block = laidOut.begin(); block.isValid(); block = block.next()) {
        const QTextLayout& layout = *block.layout();
        for (int line = 0; line + 1 < layout.lineCount(); ++line, ++breaks) {
            const QTextLine shown = layout.lineAt(line);
            const QString end = block.text().mid(shown.textStart() + shown.textLength() - 2, 2);
            EXPECT_TRUE(end == QStringLiteral(u"/\u200B") || end.endsWith(QLatin1Char(' ')))
                << block.text().mid(shown.textStart(), shown.textLength()).toStdString();
        }
    }
    EXPECT_GT(breaks, 0);
    // Read as the text it is, without the marks that let it break or the markup.
    const QString read = details->accessibleName();
    EXPECT_FALSE(read.contains(QChar(0x200B)) || read.contains(QChar(0x2060)) ||
                 read.contains(QLatin1Char('<')))
        << read.toStdString();
    EXPECT_TRUE(copied(failure()).endsWith(read)) << read.toStdString();
}

// The folder's own bytes reach the file manager; when it fails, the user is told where the
// folder is, under a heading that says what failed.
TEST_F(Form1Test, AFolderNameThatIsNotUtf8ReachesTheFileManagerAndItsFailureIsTold) {
    FakeFileManager fileManager(4);
    const std::string program = path("caf\xE9");
    fs::create_directory(program);
    Form1 other(program);
    other.show();
    other.findChild<QTableView*>(QStringLiteral("displaylist"))
        ->actions()
        .back()
        ->trigger();  // Open data folder
    EXPECT_EQ(fileManager.awaitGiven(), "file://" + path("caf%E9/data/"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return other.findChild<QMessageBox*>() != nullptr; }));
    QMessageBox* box = other.findChild<QMessageBox*>();
    EXPECT_EQ(box->text(), QStringLiteral("The data folder could not be opened."));
    const QString text = copied(box);
    EXPECT_TRUE(text.contains(fromUtf8(window::displayText(program + "/data/"))))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("ended with status 4")));
}

// A file manager that stays in the foreground is the user's: closing the window leaves it open.
TEST_F(Form1Test, AFileManagerOutlivesTheWindowThatOpenedIt) {
    FakeFileManager fileManager(0);
    fileManager.hold();
    QPointer<QProcess> opener;
    {
        Form1 other(path(""));
        other.show();
        other.findChild<QTableView*>(QStringLiteral("displaylist"))
            ->actions()
            .back()
            ->trigger();  // Open data folder
        EXPECT_NE(fileManager.awaitGiven(), "(not run)");
        opener = other.findChild<QProcess*>();
    }
    ASSERT_FALSE(opener.isNull());
    // Qt tells the process as running once its event loop has heard so.
    EXPECT_TRUE(QTest::qWaitFor([&] { return opener->state() == QProcess::Running; }, 20 * 1000));
    fileManager.release();
    // It ends of itself, and its QProcess goes then.
    EXPECT_TRUE(QTest::qWaitFor([&] { return opener.isNull(); }, 20 * 1000));
}

// A line for each page without a record and each record lacking a field, as --explain prints
// them; Enter shows the page in its folder (here, with no file manager on the session bus, the
// folder is opened), and Clear list takes the link away with the rows.
TEST_F(Form1Test, ShowPagesListsThePagesThatGaveNoRowOrLackAFieldAndCopiesThem) {
    FakeFileManager fileManager(0);
    addPage("c.html", "'REFERENCE' => 'C3', 'NAME' => 'Cap', 'PRICE' => 1, ");
    auto* link = control<QLabel>("showPages");
    ASSERT_TRUE(clickAndWait());
    ASSERT_TRUE(link->isVisible());
    EXPECT_LE(status()->geometry().right(), link->geometry().left());
    emit link->linkActivated(QStringLiteral("showPages"));
    auto* dialog = form.findChild<QDialog*>(QStringLiteral("pageList"));
    ASSERT_NE(dialog, nullptr);
    dialog->activateWindow();  // as the desktop's window manager would
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == dialog; }));
    EXPECT_EQ(
        dialog->windowTitle(),
        QStringLiteral("Pages that gave no row, lack a field or were read through a wrapping"));
    auto* lines = dialog->findChild<QListView*>(QStringLiteral("pageLines"));
    const QStringList expected{
        "c.html: price not found: `', 'PRICE' => ` found, but no `, 'MIN_QUANTITY_ORDERABLE' "
        "=> ` after it; thumbnail not found: no `, 'THUMBNAIL' => '` in the record",
        "contact.html: no record: no `', 'PRICE' => ` in the page"};
    QStringList shown;
    for (int line = 0; line < lines->model()->rowCount(); ++line) {
        shown << lines->model()->index(line, 0).data().toString();
    }
    EXPECT_EQ(shown, expected);
    auto* selected = dialog->findChild<QPlainTextEdit*>(QStringLiteral("selectedLine"));
    EXPECT_EQ(selected->toPlainText(), QString());

    lines->setFocus();
    QTest::keyClick(lines, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected.join("\r\n") + "\r\n");
    lines->setCurrentIndex(lines->model()->index(1, 0));
    EXPECT_EQ(selected->toPlainText(), expected[1]);
    // Enter presses the button with the focus, once for a key held down.
    auto* copy = dialog->findChild<QPushButton*>(QStringLiteral("copy"));
    copy->setFocus();
    QTest::keyClick(copy, Qt::Key_Return);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected[1] + "\r\n");
    QGuiApplication::clipboard()->clear();
    QKeyEvent repeated(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"),
                       true);
    QCoreApplication::sendEvent(copy, &repeated);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString());

    lines->setFocus();
    QTest::keyClick(lines, Qt::Key_Return);
    EXPECT_EQ(fileManager.awaitGiven(),
              QUrl::fromLocalFile(QString::fromStdString(path("data/"))).toEncoded().toStdString());
    EXPECT_TRUE(dialog->isVisible());
    // The selected line, whole, follows the keys, and is the next stop after the list.
    QTest::keyClick(lines, Qt::Key_Up);
    EXPECT_EQ(selected->toPlainText(), expected[0]);
    EXPECT_EQ(selected->accessibleName(), QStringLiteral("Selected line"));
    QTest::keyClick(lines, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), selected);
    QTest::keyClick(dialog->findChild<QPushButton*>(QStringLiteral("close")), Qt::Key_Enter);
    EXPECT_FALSE(dialog->isVisible());

    action("Clear list")->trigger();
    EXPECT_FALSE(link->isVisible());
}

// Where no file manager can show a page, the box says so, why in xdg-open's words, and which
// folder to open by hand.
TEST_F(Form1Test, APageNoFileManagerCanShowIsNamedWithTheFolderToOpen) {
    FakeFileManager fileManager(4);
    ASSERT_TRUE(clickAndWait());
    emit control<QLabel>("showPages")->linkActivated(QStringLiteral("showPages"));
    auto* lines = form.findChild<QListView*>(QStringLiteral("pageLines"));
    ASSERT_NE(lines, nullptr);
    lines->setCurrentIndex(lines->model()->index(0, 0));
    QTest::keyClick(lines, Qt::Key_Return);
    EXPECT_NE(fileManager.awaitGiven(), "(not run)");
    ASSERT_TRUE(QTest::qWaitFor([&] { return failure() != nullptr; }));
    EXPECT_EQ(copied(failure()).toStdString(),
              "The page could not be shown in its folder.\n\nNo file manager could be started "
              "to show contact.html (xdg-open: ended with status 4): open the folder " +
                  path("data") + " yourself.");
    // Over the list it came from, which it blocks, so that the keys go to it; Esc closes it.
    auto* list = form.findChild<QDialog*>(QStringLiteral("pageList"));
    EXPECT_EQ(failure()->parentWidget(), list);
    EXPECT_EQ(failure()->windowModality(), Qt::WindowModal);
    QTest::keyClick(failure(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return failure() == nullptr; }));
    EXPECT_TRUE(list->isVisible());
}

// As the table's, and a Copy is told to a screen reader.
TEST_F(Form1Test, ThePageListIsEnteredAtItsFirstLineAndItsMenuWorksFromTheKeyboard) {
    ASSERT_TRUE(clickAndWait());
    emit control<QLabel>("showPages")->linkActivated(QStringLiteral("showPages"));
    auto* dialog = form.findChild<QDialog*>(QStringLiteral("pageList"));
    auto* lines = dialog->findChild<QListView*>(QStringLiteral("pageLines"));
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == dialog; }));
    EXPECT_TRUE(enteredAt(lines, 0));
    const HeardEvents heard;
    QTest::keyClick(lines, Qt::Key_F10, Qt::ShiftModifier);
    expectKeyboardMenu(lines);
    QTest::keyClick(openMenu(), Qt::Key_Return);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("contact.html: no record: no `', 'PRICE' => ` in the page\r\n"));
    EXPECT_EQ(heard.lastAnnounced(), fromUtf8(window::linesCopiedAnnouncement(1)));
}

// A page of 150,000 records that lack every field, under a long name: more lines than are
// copied at once.
TEST_F(Form1Test, ShowPagesRefusesToCopyMoreThanTheTableAndSaysSo) {
    std::string records;
    for (int i = 0; i < 150'000; ++i) {
        records += "', 'PRICE' => ";
    }
    addPage(std::string(200, 'm') + ".html", records);
    ASSERT_TRUE(clickAndWait());
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    emit control<QLabel>("showPages")->linkActivated(QStringLiteral("showPages"));
    auto* dialog = form.findChild<QDialog*>(QStringLiteral("pageList"));
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QPushButton*>(QStringLiteral("copy"))->click();
    EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("message"))->text(),
              QStringLiteral("Too large to copy: more than 64 MB; catalog-collector-cli --explain "
                             "prints every line"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
}

// Tells when a file is first read.
class ReadWatch {
public:
    explicit ReadWatch(const std::string& file) {
        ::inotify_add_watch(m_fd, file.c_str(), IN_ACCESS);
    }
    ~ReadWatch() { ::close(m_fd); }

    bool await() const {
        pollfd ready{m_fd, POLLIN, 0};
        return ::poll(&ready, 1, 60'000) == 1;
    }

private:
    const int m_fd = ::inotify_init1(IN_CLOEXEC);
};

// As Space does; a key held down acts once, not again at each repeat: one marked as such, or
// one as X11 sends it, a release and an unmarked press at the same instant.
TEST_F(Form1Test, EnterOnTheFocusedButtonStartsARunAndStopsIt) {
    writeEndlessFile(path("data/endless.html"), "<p>");
    QSignalSpy finished(&form, &Form1::runFinished);
    QSignalSpy pressed(button(), &QPushButton::clicked);
    button()->setFocus();
    QTest::keyClick(button(), Qt::Key_Return);
    for (const auto& [type, marked] : {std::pair{QEvent::KeyPress, true},
                                       {QEvent::KeyRelease, false},
                                       {QEvent::KeyPress, false}}) {
        QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), marked);
        key.setTimestamp(1000);
        QCoreApplication::sendEvent(button(), &key);
    }
    EXPECT_EQ(pressed.size(), 1);
    QTest::keyClick(button(), Qt::Key_Enter);
    ASSERT_TRUE(waitForRunEnd(finished));
    EXPECT_EQ(pressed.size(), 2);
    EXPECT_EQ(status()->text(), fromUtf8(window::stoppedStatus().text));
    // Enter held in the name box starts no run at each repeat either.
    QKeyEvent repeated(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"),
                       true);
    QCoreApplication::sendEvent(box(), &repeated);
    EXPECT_EQ(button()->text(), QStringLiteral("Collect"));
}

TEST_F(Form1Test, TheButtonDuringARunAndEscStopItWithoutWriting) {
    writeEndlessFile(path("data/endless.html"), "<p>");
    QTest::keyClick(list(), Qt::Key_Escape);  // no run to stop
    for (const bool byEsc : {false, true}) {
        QSignalSpy finished(&form, &Form1::runFinished);
        click();
        if (byEsc) {
            QTest::keyClick(list(), Qt::Key_Escape);
        } else {
            click();
        }
        ASSERT_TRUE(waitForRunEnd(finished));
        EXPECT_EQ(status()->text(), fromUtf8(window::stoppedStatus().text));
        EXPECT_EQ(button()->text(), QStringLiteral("Collect"));
    }
    EXPECT_FALSE(fs::exists(path("output.txt")));
    EXPECT_EQ(rowCount(), 0);
}

TEST_F(Form1Test, ClosingDuringARunStopsItPromptlyWithoutWriting) {
    addPages(20, "P");
    // Only a stop inside it ends the run within the wait below.
    writeEndlessFile(path("data/endless.html"), "<p>");
    const ReadWatch watch(path("data/endless.html"));

    QSignalSpy finished(&form, &Form1::runFinished);
    click();
    ASSERT_TRUE(watch.await());
    form.close();
    ASSERT_TRUE(waitForRunEnd(finished));
    EXPECT_EQ(status()->text(), fromUtf8(window::stoppedStatus().text));
    EXPECT_FALSE(fs::exists(path("output.txt")));
    EXPECT_EQ(rowCount(), 0);
}

// Cells

TEST_F(Form1Test, ShowsBytesThatAreNotUtf8LegiblyAndWritesThemUnchanged) {
    fs::remove(path("data/b.html"));
    addPage("c.html", productRecord("C3", "Caf\xE9 cr\xE8me", "2", "c.jpg"));
    ASSERT_TRUE(clickAndWait());
    EXPECT_EQ(data(1, kNameColumn).toString(), QStringLiteral(u"Café crème"));
    EXPECT_EQ(listing(), kHeader + kAnchorLine + "C3\t2\tc.jpg\tCaf\xE9 cr\xE8me\r\n");
}

TEST_F(Form1Test, ALongValueShowsItsStartOnOneLineAndMoreInItsTooltip) {
    const std::string name = "Long\nname " + std::string(1 << 20, 'x');
    addPage("c.html", productRecord("C3", name, "2", "c.jpg"));
    ASSERT_TRUE(clickAndWait());
    const QString cell = data(2, kNameColumn).toString();
    EXPECT_TRUE(cell.startsWith(QStringLiteral("Long")));
    EXPECT_FALSE(cell.contains(QLatin1Char('\n')));
    EXPECT_LE(cell.size(), static_cast<qsizetype>(window::kMostCellCharacters) + 1);
    const QString tooltip = data(2, kNameColumn, Qt::ToolTipRole).toString();
    EXPECT_TRUE(tooltip.startsWith(literalRichText(QStringLiteral("Long\nname xxx")).chopped(4)));
    EXPECT_GT(tooltip.size(), cell.size());
    EXPECT_LT(tooltip.size(), static_cast<qsizetype>(name.size()));
}

TEST_F(Form1Test, AFieldNotFoundIsDimmedAndCounted) {
    addPage("c.html", "{ 'REFERENCE' => 'C3', 'NAME' => 'Clamp', 'PRICE' => 2, }");
    ASSERT_TRUE(clickAndWait());
    const int thumbnail = 2;
    EXPECT_EQ(data(2, thumbnail).toString(), QStringLiteral("String Matching Failed"));
    const QColor dimmed = data(2, thumbnail, Qt::ForegroundRole).value<QBrush>().color();
    EXPECT_NE(dimmed, QGuiApplication::palette().color(QPalette::Active, QPalette::Text));
    EXPECT_FALSE(data(2, kNameColumn, Qt::ForegroundRole).isValid());
    EXPECT_FALSE(data(0, thumbnail, Qt::ForegroundRole).isValid());
    // On two lines, which break at a blank.
    EXPECT_TRUE(status()
                    ->text()
                    .replace(QLatin1Char('\n'), QLatin1Char(' '))
                    .contains(QStringLiteral("1 with a field not found")))
        << status()->text().toStdString();
}

// What screen readers hear, read as the accessibility bus reads it: every control by its name,
// the links as links they press, a field not found with why, and the status at a run's end.
TEST_F(Form1Test, ScreenReadersHearEachControlByNameAndTheRunsEnd) {
    static std::vector<std::pair<QObject*, QAccessible::Event>> events;
    QPlatformAccessibility& bus = *QGuiApplicationPrivate::platformIntegration()->accessibility();
    bus.setActive(true);
    const QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(
        [](QAccessibleEvent* event) { events.emplace_back(event->object(), event->type()); });
    addPage("c.html", "{ 'REFERENCE' => 'C3', 'NAME' => 'Clamp', 'PRICE' => 2, }");
    const bool ended = clickAndWait();
    QAccessible::installUpdateHandler(previous);
    bus.setActive(false);
    ASSERT_TRUE(ended);
    const auto heard = [](QObject* control) {
        QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(control);
        EXPECT_NE(heard, nullptr);
        return heard;
    };
    auto* showPages = control<QLabel>("showPages");
    const struct {
        QObject* control;
        QAccessible::Role role;
        const char* name;
    } named[] = {{list(), QAccessible::Table, "Products found"},
                 {box(), QAccessible::EditableText, "Save to:"},
                 {progress(), QAccessible::ProgressBar, "Pages read"},
                 {showPages, QAccessible::Link, "Show pages"},
                 {control<QLabel>("openDataFolder"), QAccessible::Link, "Open data folder"}};
    for (const auto& [control, role, name] : named) {
        EXPECT_EQ(heard(control)->role(), role) << name;
        EXPECT_EQ(heard(control)->text(QAccessible::Name), QLatin1String(name));
    }
    EXPECT_EQ(heard(list())->text(QAccessible::Description),
              QStringLiteral("3 records in columns id, price, thumbnail, name and file"));
    QAccessibleInterface* cell = heard(list())->tableInterface()->cellAt(2, 2);
    EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("String Matching Failed"));
    EXPECT_TRUE(cell->text(QAccessible::Description).startsWith("The field was not found: "));
    EXPECT_EQ(heard(list())->tableInterface()->cellAt(0, 1)->text(QAccessible::Description), "");

    // The whole status, the path its tooltip gives as plain text, spoken as the run ended.
    EXPECT_TRUE(heard(status())->text(QAccessible::Name).startsWith("3 records written to"));
    EXPECT_EQ(heard(status())->text(QAccessible::Description),
              QString::fromStdString(path("output.txt")));
    EXPECT_NE(std::find(events.begin(), events.end(),
                        std::pair{static_cast<QObject*>(status()), QAccessible::ObjectShow}),
              events.end());

    EXPECT_TRUE(heard(showPages)->state().focusable);
    // A hidden link takes no press: a run with pages offers no data folder to open.
    heard(control<QLabel>("openDataFolder"))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(form.findChildren<QProcess*>().isEmpty() && failure() == nullptr);
    // Pressed once, as a click: the list it opens takes the second press, as it takes clicks.
    for (int press = 0; press < 2; ++press) {
        heard(showPages)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }
    EXPECT_EQ(form.findChildren<QDialog*>(QStringLiteral("pageList")).size(), 1);
}

// How far the run is, for a screen reader that asks: never the tooltip's empty markup. Not
// announced: only the run's start is.
TEST_F(Form1Test, DuringARunTheStatusIsNamedByHowFarTheRunIs) {
    writeEndlessFile(path("data/endless.html"), "<p>");
    const HeardEvents heard;
    QSignalSpy finished(&form, &Form1::runFinished);
    click();
    EXPECT_TRUE(status()->accessibleName().startsWith(QStringLiteral("Collecting")));
    EXPECT_EQ(status()->accessibleDescription(), status()->accessibleName());
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(status());
    EXPECT_FALSE(spoken->text(QAccessible::Description).contains(QLatin1Char('<')));
    EXPECT_EQ(status()->toolTip(), QString());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return status()->accessibleName().contains(QStringLiteral("of 4 pages")); },
        60 * 1000));
    EXPECT_EQ(heard.lastAnnounced(), fromUtf8(window::runStartedAnnouncement()));
    click();
    ASSERT_TRUE(waitForRunEnd(finished));
}

// Each action whose result shows only in the table or on the clipboard is told; the status
// shows what it showed, and names how many rows of how many runs the list holds, sorted or not.
TEST_F(Form1Test, CopyDeleteAndClearListAreToldAndTheStatusNamesTheRowsTheListHolds) {
    ASSERT_TRUE(clickAndWait());
    const QString oneRun = status()->accessibleName();
    ASSERT_TRUE(clickAndWait());
    const HeardEvents heard;
    clickHeader(1);
    list()->setFocus();
    selectRow(1);
    const struct {
        std::function<void()> act;
        std::string told;
        const char* holds;
    } actions[] = {
        {[this] { QTest::keyClick(list(), Qt::Key_C, Qt::ControlModifier); },
         window::copiedAnnouncement(1, false), "4 rows from 2 runs"},
        {[this] { action("Copy with header")->trigger(); }, window::copiedAnnouncement(1, true),
         "4 rows from 2 runs"},
        {[this] { QTest::keyClick(list(), Qt::Key_Delete); }, window::removedAnnouncement(1),
         "3 rows from 2 runs"},
    };
    for (const auto& [act, told, holds] : actions) {
        act();
        EXPECT_EQ(heard.lastAnnounced(), fromUtf8(told));
        const QString named = oneRun + "; the list holds " + holds + "; Clear list empties it";
        EXPECT_EQ(status()->accessibleName(), named);
        EXPECT_EQ(status()->text().simplified(), named);
    }
    action("Clear list")->trigger();
    EXPECT_EQ(heard.lastAnnounced(), fromUtf8(window::clearedAnnouncement()));
    EXPECT_FALSE(status()->accessibleName().contains(QStringLiteral("the list holds")));
}

// The first row when none is current, else the current one.
TEST_F(Form1Test, EnteringTheTableReadsItsCurrentRowTheFirstUntilTheUserMoves) {
    ASSERT_TRUE(clickAndWait());
    EXPECT_TRUE(enteredAt(list(), 0));
    QTest::keyClick(list(), Qt::Key_Down);
    button()->setFocus();
    EXPECT_TRUE(enteredAt(list(), 1, Qt::BacktabFocusReason));
}

double contrast(const QColor& text, const QColor& background) {
    return window::contrastRatio({text.red(), text.green(), text.blue()},
                                 {background.red(), background.green(), background.blue()});
}

// The colour a cell's text is drawn in, and its contrast: of its pixels within the grid lines and
// margins, the one that stands out most from its background, the corner's.
std::pair<QColor, double> inkOf(QTableView& view, int row, int column) {
    const QRect cell = view.visualRect(view.model()->index(row, column)).adjusted(3, 3, -3, -3);
    const QImage image = view.viewport()->grab(cell).toImage();
    std::pair<QColor, double> ink{image.pixelColor(0, 0), 1.0};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const double shown = contrast(image.pixelColor(x, y), image.pixelColor(0, 0));
            ink = shown > ink.second ? std::pair{image.pixelColor(x, y), shown} : ink;
        }
    }
    return ink;
}

// Readable (4.5:1, less a rounding step of the drawn pixels), yet unlike the values beside it, on
// a normal row and on a selected one, on the default palette and on a dark one as a desktop's
// dark theme gives, whose links keep the toolkit's blue; and the links read on both.
TEST_F(Form1Test, AFieldNotFoundIsDimmedYetReadableAndTheLinksReadOnADarkPalette) {
    addPage("c.html", "{ 'REFERENCE' => 'C3', 'NAME' => 'Clamp', 'PRICE' => 2, }");
    ASSERT_TRUE(clickAndWait());
    const QPalette light = QApplication::palette();
    QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x35, 0x35, 0x35));  // white text
    dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    for (const QPalette& palette : {light, dark}) {
        QApplication::setPalette(palette);
        for (const int selected : {0, 2}) {
            selectRow(selected);
            SCOPED_TRACE(palette.color(QPalette::Base).name().toStdString() +
                         (selected == 2 ? " selected" : ""));
            const auto [dimmed, dimmedContrast] = inkOf(*list(), 2, 2);
            const auto [found, foundContrast] = inkOf(*list(), 2, kNameColumn);
            EXPECT_GE(dimmedContrast, window::kLeastContrast - 0.1) << dimmed.name().toStdString();
            EXPECT_NE(dimmed, found);
            if (foundContrast >= window::kLeastContrast + 1) {
                EXPECT_LT(dimmedContrast, foundContrast);
            }
        }
        for (const char* name : {"showPages", "openDataFolder"}) {
            const QPalette& colours = control<QLabel>(name)->palette();
            EXPECT_GE(contrast(colours.color(QPalette::Link), colours.color(QPalette::Window)),
                      window::kLeastContrast)
                << name;
        }
    }
    QApplication::setPalette(light);
}

// The list

TEST_F(Form1Test, AfterARunTheListShowsItsFirstNewRowAtTheTop) {
    addPages(60, "P");
    ASSERT_TRUE(clickAndWait());
    EXPECT_EQ(topRow(), 0);
    ASSERT_TRUE(clickAndWait());
    EXPECT_EQ(topRow(), 62);
}

TEST_F(Form1Test, EachRunFitsTheColumnsNotDraggedAndTheLastReachesTheEdge) {
    EXPECT_EQ(list()->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    const QString longName(150, QLatin1Char('w'));
    addPage("c.html", productRecord("C3", longName.toStdString(), "2", "c.jpg"));
    ASSERT_TRUE(clickAndWait());
    const QFontMetrics metrics = list()->fontMetrics();
    EXPECT_GT(list()->columnWidth(0), metrics.horizontalAdvance(QStringLiteral("A1")));
    EXPECT_GT(list()->columnWidth(kNameColumn),
              metrics.horizontalAdvance(QStringLiteral("Anchor")));
    // One odd value does not push the other columns out of sight.
    EXPECT_LT(list()->columnWidth(kNameColumn), metrics.horizontalAdvance(longName));
    EXPECT_EQ(list()->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(list()->horizontalHeader()->length(), list()->viewport()->width());

    list()->setColumnWidth(0, 30);
    list()->setColumnWidth(kNameColumn, 2 * list()->viewport()->width());
    const int priceWidth = list()->columnWidth(1);
    addPage("d.html", productRecord("D4", "Dowel", "1234567890.99", "d.jpg"));
    addPage("e.html", productRecord("E5", "Eyelet", "1234567890.99", "e.jpg"));
    ASSERT_TRUE(clickAndWait());
    EXPECT_EQ(list()->columnWidth(0), 30);
    EXPECT_EQ(list()->columnWidth(kNameColumn), 2 * list()->viewport()->width());
    EXPECT_GT(list()->columnWidth(1), priceWidth);
    EXPECT_GT(list()->horizontalScrollBar()->maximum(), 0);
}

TEST_F(Form1Test, AColumnFittedBeforeASortKeepsItsTitleWholeBesideTheArrow) {
    ASSERT_TRUE(clickAndWait());
    for (int column = 0; column < list()->model()->columnCount(); ++column) {
        clickHeader(column);
        EXPECT_GE(list()->columnWidth(column), list()->horizontalHeader()->sectionSizeHint(column))
            << column;
    }
}

TEST_F(Form1Test, AClickOnAHeaderSortsTheRowsTheNextRunJoinsAndCopyFollows) {
    ASSERT_TRUE(clickAndWait());
    const QHeaderView* header = list()->horizontalHeader();
    EXPECT_FALSE(header->isSortIndicatorShown());
    clickHeader(1);
    EXPECT_EQ(rows(), (QList<QStringList>{kBoltRow, kAnchorRow}));
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorSection(), 1);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    ASSERT_TRUE(clickAndWait());
    EXPECT_EQ(rows(), (QList<QStringList>{kBoltRow, kBoltRow, kAnchorRow, kAnchorRow}));
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(list(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QString::fromStdString(kBoltLine + kBoltLine + kAnchorLine + kAnchorLine));

    clickHeader(1);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(row(0), kAnchorRow);
    clickHeader(1);
    EXPECT_FALSE(header->isSortIndicatorShown());
    EXPECT_EQ(rows(), (QList<QStringList>{kAnchorRow, kBoltRow, kAnchorRow, kBoltRow}));
}

// What a click on a header does, from the menu: sorted, reversed, and back to the order
// collected; the column sorted by is checked. The header itself is no tab stop.
TEST_F(Form1Test, SortByInTheMenuActsAsAClickOnTheColumnsHeader) {
    ASSERT_TRUE(clickAndWait());
    QMenu* sortBy = action("Sort by")->menu();
    ASSERT_NE(sortBy, nullptr);
    EXPECT_EQ(itemsOf(*sortBy), (QStringList{"id", "price", "thumbnail", "name", "file"}));
    const QHeaderView* header = list()->horizontalHeader();
    for (const auto& [order, sorted] :
         {std::pair{Qt::AscendingOrder, QList<QStringList>{kBoltRow, kAnchorRow}},
          std::pair{Qt::DescendingOrder, QList<QStringList>{kAnchorRow, kBoltRow}}}) {
        sortBy->actions()[1]->trigger();
        EXPECT_EQ(rows(), sorted);
        EXPECT_EQ(header->sortIndicatorOrder(), order);
        EXPECT_EQ(itemsOf(*sortBy, true), QStringList{"price"});
    }
    clickHeader(kNameColumn);
    EXPECT_EQ(itemsOf(*sortBy, true), QStringList{"name"});
    sortBy->actions()[kNameColumn]->trigger();
    sortBy->actions()[kNameColumn]->trigger();
    EXPECT_FALSE(header->isSortIndicatorShown());
    EXPECT_EQ(itemsOf(*sortBy, true), QStringList());
    EXPECT_EQ(header->focusPolicy(), Qt::NoFocus);
}

// As a double click on the divider at its right: the current cell's column fits its values and
// keeps that width as the user's when the next run fits the others.
TEST_F(Form1Test, FitColumnFitsTheCurrentCellsColumnAsTheDividersDoubleClickDoes) {
    ASSERT_TRUE(clickAndWait());
    list()->setColumnWidth(0, 10);
    const int idWidth = list()->columnWidth(0);
    list()->resizeColumnToContents(kNameColumn);  // what the double click calls
    const int fitted = list()->columnWidth(kNameColumn);
    list()->setColumnWidth(kNameColumn, 10);
    list()->setCurrentIndex(list()->model()->index(1, kNameColumn));
    action("Fit column")->trigger();
    EXPECT_EQ(list()->columnWidth(kNameColumn), fitted);
    EXPECT_GE(fitted, list()->fontMetrics().horizontalAdvance(QStringLiteral("Anchor")));
    EXPECT_EQ(list()->columnWidth(0), idWidth);
    addPage("c.html", productRecord("C3", "A much longer name than any before", "2", "c.jpg"));
    ASSERT_TRUE(clickAndWait());
    EXPECT_EQ(list()->columnWidth(kNameColumn), fitted);
}

// Every field whole, why one was not found, and the file, by F2: in a box modal to the window,
// read by the keyboard; Ctrl+C copies it and Esc closes it.
TEST_F(Form1Test, DetailsShowsTheCurrentRowWhole) {
    addPage("c.html", "{ 'REFERENCE' => 'C3', 'NAME' => 'Clamp', 'PRICE' => 2, }");
    ASSERT_TRUE(clickAndWait());
    list()->setFocus();
    list()->setCurrentIndex(list()->model()->index(2, 1));
    QTest::keyClick(list(), Qt::Key_F2);
    auto* box = form.findChild<QDialog*>(QStringLiteral("details"));
    ASSERT_TRUE(box != nullptr && box->isVisible());
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(box->parentWidget(), &form);
    auto* text = box->findChild<QPlainTextEdit*>(QStringLiteral("detailsText"));
    const QString shown = text->toPlainText();
    for (const char* part : {"id: C3", "name: Clamp", "thumbnail: String Matching Failed",
                             "The field was not found", "c.html"}) {
        EXPECT_TRUE(shown.contains(QLatin1String(part))) << part << " in " << shown.toStdString();
    }
    EXPECT_TRUE(text->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    box->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == box; }));
    text->setFocus();
    QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), shown);
    QTest::keyClick(text, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return form.findChild<QDialog*>(QStringLiteral("details")) == nullptr; }));
}

TEST_F(Form1Test, DeleteRemovesTheSelectedRowsAndClearListEveryRowLeavingTheFiles) {
    ASSERT_TRUE(clickAndWait());
    const QString statusText = status()->text();
    ASSERT_TRUE(clickAndWait());
    list()->setFocus();
    selectRow(1);
    QTest::keyClick(list(), Qt::Key_Delete);
    EXPECT_EQ(rows(), (QList<QStringList>{kAnchorRow, kAnchorRow, kBoltRow}));
    QTest::keyClick(list(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(list(), Qt::Key_Delete);
    EXPECT_EQ(rowCount(), 0);
    QTest::keyClick(list(), Qt::Key_Delete);  // nothing left to remove
    EXPECT_EQ(status()->text(), statusText);  // of the last run, the rows of none held

    // Clear list leaves the window as it opened: no scroll bar, and the start status.
    addPages(40, "P");
    ASSERT_TRUE(clickAndWait());
    list()->horizontalHeader()->resizeSection(kNameColumn, 2 * list()->width());  // dragged
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return list()->horizontalScrollBar()->isVisible() &&
               list()->verticalScrollBar()->isVisible();
    }));
    const std::string written = listing();
    action("Clear list")->trigger();
    EXPECT_EQ(rowCount(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return !list()->horizontalScrollBar()->isVisible() &&
               !list()->verticalScrollBar()->isVisible();
    }));
    EXPECT_EQ(status()->text(), QString::fromStdString("Reads the pages in " + path("data")));
    EXPECT_EQ(listing(), written);
}

TEST_F(Form1Test, CopyAndClearListAreDisabledWhileTheTableIsEmpty) {
    const auto enabled = [this] {
        QStringList items;
        for (const QAction* item : list()->actions()) {
            if (item->isEnabled()) {
                items << item->text();
            }
        }
        return items;
    };
    const QStringList whenEmpty{"Open data folder"};
    EXPECT_EQ(enabled(), whenEmpty);
    ASSERT_TRUE(clickAndWait());
    EXPECT_EQ(enabled(), kMenuItems);
    list()->setFocus();
    list()->selectAll();
    QTest::keyClick(list(), Qt::Key_Delete);
    EXPECT_EQ(enabled(), whenEmpty);
    ASSERT_TRUE(clickAndWait());
    action("Clear list")->trigger();
    EXPECT_EQ(enabled(), whenEmpty);
}

TEST_F(Form1Test, SelectedRowsAreCopiedAsListingLinesWithTheTitlesIfAsked) {
    ASSERT_TRUE(clickAndWait());
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(list()->selectionModel()->selectedRows().size(), 2);
    QTest::keyClick(list(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QString::fromStdString(kAnchorLine + kBoltLine));
    QTest::keyClick(list(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QString::fromStdString("id\tprice\tthumbnail\tname\r\n" + kAnchorLine + kBoltLine));

    QStringList menu;
    for (const QAction* item : list()->actions()) {
        menu << item->text();
    }
    EXPECT_EQ(menu, kMenuItems);
    selectRow(1);
    action("Copy")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromStdString(kBoltLine));
    action("Copy with header")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QString::fromStdString("id\tprice\tthumbnail\tname\r\n" + kBoltLine));
}

// As `ulimit -v` would: the address space the process takes now and `more` bytes.
void limitAddressSpace(std::size_t more) {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    const rlim_t most = pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)) + more;
    const rlimit limit{most, most};
    ASSERT_EQ(::setrlimit(RLIMIT_AS, &limit), 0);
}

// The toolkit does not recover from an allocation of its own that fails: the memory a copy
// takes is asked for before it starts.
TEST_F(Form1Test, ACopyWithoutTheMemoryForItKeepsTheRowsAndSaysSo) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' runtime needs more address space than the limit leaves";
#endif
    addPage("c.html", productRecord("C3", std::string(std::size_t{40} << 20, 'n'), "2", "c.jpg"));
    ASSERT_TRUE(clickAndWait());
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            list()->setFocus();
            list()->selectAll();
            // Room for the rows' bytes twice over, not for every copy of them a copy makes.
            limitAddressSpace(std::size_t{80} << 20);
            QTest::keyClick(list(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
            const bool told = status()->text() ==
                              QStringLiteral("Not enough memory to copy 3 rows; the rows are kept");
            std::exit(told && rowCount() == 3 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// Sizes

// Whatever the palette or the selection, the focus shows: on the empty table as the window
// opens, and on the current cell of a selected row, at its left edge where no text is drawn.
TEST_F(Form1Test, TheFocusShowsOnTheEmptyTableAndOnTheCurrentCellOfASelectedRow) {
    const auto drawn = [this](const QRect& area) {
        return list()->viewport()->grab(area).toImage();
    };
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    button()->setFocus();
    const QImage elsewhere = drawn(list()->viewport()->rect());
    list()->setFocus();
    EXPECT_NE(drawn(list()->viewport()->rect()), elsewhere);

    ASSERT_TRUE(clickAndWait());
    list()->setFocus();
    selectRow(1);
    list()->selectionModel()->setCurrentIndex(list()->model()->index(1, 1),
                                              QItemSelectionModel::NoUpdate);
    const auto edge = [&](int column) {
        const QRect cell = list()->visualRect(list()->model()->index(1, column));
        return drawn(QRect(cell.left() + 1, cell.top(), 1, cell.height()));
    };
    EXPECT_NE(edge(1), edge(0));
    button()->setFocus();
    EXPECT_EQ(edge(1), edge(0));
}

// Right to left, each control takes the mirror image of its place; Tab goes as before.
TEST_F(Form1Test, RightToLeftMirrorsEveryControlsPlace) {
    ASSERT_TRUE(clickAndWait());  // the link to the page list shown
    std::vector<std::pair<QWidget*, QRect>> places;
    for (QWidget* widget : std::initializer_list<QWidget*>{
             list(), button(), box(), label(), status(), progress(), control<QLabel>("showPages"),
             control<QLabel>("progressNote")}) {
        places.emplace_back(widget, widget->geometry());
    }
    form.setLayoutDirection(Qt::RightToLeft);
    for (const auto& [widget, place] : places) {
        EXPECT_EQ(widget->geometry(),
                  place.translated(form.width() - place.right() - 1 - place.left(), 0))
            << widget->objectName().toStdString();
    }
    box()->setFocus();
    QTest::keyClick(box(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control<QLabel>("showPages"));
    form.setLayoutDirection(Qt::LeftToRight);
}

TEST_F(Form1Test, ResizingGrowsTheListAndKeepsTheBottomRowAndTheStatusInTheCorner) {
    const QSize first = form.size();
    const QList<QWidget*> corner{button(), box(), label(), status()};
    QList<QPoint> fromCorner;
    for (QWidget* control : corner) {
        fromCorner << form.rect().bottomRight() - control->geometry().bottomRight();
    }
    const QRect listBefore = list()->geometry();

    form.resize(first + QSize(202, 149));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.size() == first + QSize(202, 149); }, 60 * 1000));
    EXPECT_EQ(list()->geometry(), listBefore.adjusted(0, 0, 202, 149));
    for (int i = 0; i < corner.size(); ++i) {
        EXPECT_EQ(form.rect().bottomRight() - corner[i]->geometry().bottomRight(), fromCorner[i])
            << corner[i]->objectName().toStdString();
    }
    EXPECT_EQ(status()->x(), list()->x());
}

TEST_F(Form1Test, TheLongestStatusReadsWholeAtTheFirstSize) {
    // A million records from more pages, with every kind of page among them, under the default
    // name.
    window::RunOutcome outcome;
    outcome.outputName = "output.txt";
    outcome.counts = {1'200'000, 1'000'000, 200'000, 1'000'000, 1'000'000};
    form.show();
    const QString longest = fromUtf8(window::statusAfter(outcome).text);
    ASSERT_TRUE(longest.contains(QStringLiteral("1,000,000 with several")))
        << longest.toStdString();
    // Beside the link to the list of the pages it counts.
    ASSERT_TRUE(window::statusAfter(outcome).offersPageList);
    const QLabel* link = control<QLabel>("showPages");
    const QRect box = status()->contentsRect().adjusted(
        0, 0, -link->sizeHint().width() - link->fontMetrics().averageCharWidth(), 0);
    EXPECT_LE(status()->fontMetrics().boundingRect(box, Qt::TextWordWrap, longest).height(),
              box.height());
}

TEST_F(Form1Test, TheMinimumSizeKeepsEveryControlWhole) {
    const QList<QWidget*> controls{list(), label(), box(), button(), status()};
    QList<QSize> sizes;
    for (QWidget* control : controls) {
        sizes << control->size();
    }
    form.resize(1, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.size() == form.minimumSize(); }));
    for (int i = 0; i < controls.size(); ++i) {
        const QRect place = controls[i]->geometry();
        EXPECT_TRUE(form.rect().contains(place)) << controls[i]->objectName().toStdString();
        for (int j = 0; j < i; ++j) {
            EXPECT_FALSE(place.intersects(controls[j]->geometry()))
                << controls[i]->objectName().toStdString() << " and "
                << controls[j]->objectName().toStdString();
        }
    }
    // The bottom row keeps its size, the status its height; the list still shows rows below
    // its header.
    for (int i = 1; i < controls.size() - 1; ++i) {
        EXPECT_EQ(controls[i]->size(), sizes[i]) << controls[i]->objectName().toStdString();
    }
    EXPECT_EQ(status()->height(), sizes.last().height());
    EXPECT_GT(list()->viewport()->height(), 3 * list()->verticalHeader()->defaultSectionSize());
}

}  // namespace
}  // namespace catalog::qt_window
