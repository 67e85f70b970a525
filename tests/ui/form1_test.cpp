#include "ui/form1.h"

#include <filesystem>

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "support/test_files.h"

namespace catalog::ui {
namespace {

namespace fs = std::filesystem;
using catalog::testing::kHeader;
using catalog::testing::productRecord;
using catalog::testing::readFile;
using catalog::testing::TempDir;
using catalog::testing::writeFile;

const QString kAnchorRow = QStringLiteral("A1\t125\ta.jpg\tAnchor");
const QString kBoltRow = QStringLiteral("B2\t7\tb.jpg\tBolt");
const std::string kListing = kHeader + "A1\t125\ta.jpg\tAnchor\r\nB2\t7\tb.jpg\tBolt\r\n";

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

    void addPage(const std::string& name, std::string_view bytes) {
        writeFile(m_dir / ("data/" + name), bytes);
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
    QListView* list() { return control<QListView>("displaylist"); }
    QPushButton* button() { return control<QPushButton>("collect"); }
    QLineEdit* box() { return control<QLineEdit>("outputfilename"); }
    QLabel* status() { return control<QLabel>("status"); }

    QStringList rows() {
        QStringList shown;
        const QAbstractItemModel* model = list()->model();
        for (int i = 0; i < model->rowCount(); ++i) {
            shown << model->index(i, 0).data().toString();
        }
        return shown;
    }

    void click() { QTest::mouseClick(button(), Qt::LeftButton); }
    bool waitForRunEnd(QSignalSpy& finished) { return !finished.isEmpty() || finished.wait(10000); }
    bool clickAndWait() {
        QSignalSpy finished(&form, &Form1::runFinished);
        click();
        return waitForRunEnd(finished);
    }

    TempDir m_dir;
    Form1 form{m_dir.path().string()};
};

TEST_F(Form1Test, OpensEmptyWithTheDrawnLayout) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Form1"));
    EXPECT_EQ(form.size(), QSize(598, 351));
    EXPECT_EQ(list()->geometry(), QRect(8, 8, 577, 303));
    EXPECT_EQ(button()->geometry(), QRect(472, 320, 113, 25));
    EXPECT_EQ(box()->geometry(), QRect(272, 320, 193, 19));
    EXPECT_EQ(control<QLabel>("Label1")->geometry(), QRect(200, 320, 65, 17));
    EXPECT_EQ(button()->text(), QStringLiteral("Collect"));
    EXPECT_EQ(control<QLabel>("Label1")->text(), QStringLiteral("Save to:"));
    EXPECT_EQ(box()->text(), QStringLiteral("output.txt"));
    EXPECT_EQ(list()->model()->rowCount(), 0);
    EXPECT_EQ(status()->text(), QString());
    EXPECT_FALSE(fs::exists(path("output.txt")));

    QWidgetList tabOrder;
    QWidget* next = list();
    do {
        if (next->parentWidget() == &form && (next->focusPolicy() & Qt::TabFocus)) {
            tabOrder << next;
        }
        next = next->nextInFocusChain();
    } while (next != list());
    EXPECT_EQ(tabOrder, (QWidgetList{list(), button(), box()}));
}

TEST_F(Form1Test, EachClickAddsTheRowsAgainAndWritesTheListingUnderTheTypedName) {
    ASSERT_TRUE(clickAndWait());
    EXPECT_EQ(rows(), (QStringList{kAnchorRow, kBoltRow}));
    EXPECT_EQ(listing(), kListing);
    EXPECT_EQ(status()->text(), QStringLiteral("2 records written to output.txt"));

    ASSERT_TRUE(clickAndWait());
    EXPECT_EQ(rows(), (QStringList{kAnchorRow, kBoltRow, kAnchorRow, kBoltRow}));
    EXPECT_EQ(listing(), kListing);

    fs::remove(path("data/b.html"));
    box()->selectAll();
    QTest::keyClicks(box(), QStringLiteral("second.txt"));
    ASSERT_TRUE(clickAndWait());
    EXPECT_EQ(rows().size(), 5);
    EXPECT_EQ(rows().last(), kAnchorRow);
    EXPECT_EQ(listing("second.txt"), kHeader + "A1\t125\ta.jpg\tAnchor\r\n");
    EXPECT_EQ(listing(), kListing);
}

TEST_F(Form1Test, TheButtonAndTheProgressBarFollowTheRun) {
    for (int i = 0; i < 297; ++i) {
        addPage("page" + std::to_string(i) + ".html", "<p>no record</p>");
    }
    QSignalSpy finished(&form, &Form1::runFinished);
    click();
    EXPECT_FALSE(button()->isEnabled());
    EXPECT_TRUE(control<QProgressBar>("progress")->isVisible());
    // A second click while the run goes on starts nothing.
    form.collect_Click();
    ASSERT_TRUE(waitForRunEnd(finished));
    EXPECT_TRUE(button()->isEnabled());
    EXPECT_FALSE(control<QProgressBar>("progress")->isVisible());
    EXPECT_EQ(control<QProgressBar>("progress")->maximum(), 300);
    EXPECT_EQ(control<QProgressBar>("progress")->value(), 300);
    QTest::qWait(50);
    EXPECT_EQ(finished.size(), 1);
    EXPECT_EQ(rows().size(), 2);
}

TEST_F(Form1Test, AFailedRunIsReportedAndTheNextRunStillWorks) {
    ASSERT_TRUE(clickAndWait());
    // Opens like any file, then fails to read with EIO.
    fs::create_symlink("/proc/self/mem", path("data/m.html"));
    ASSERT_TRUE(clickAndWait());

    auto* message = form.findChild<QMessageBox*>(QStringLiteral("failure"));
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(message->isVisible());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(message->informativeText(),
              QStringLiteral("Could not read \"%1\".\nError 5: Input/output error")
                  .arg(QString::fromStdString(path("data/m.html"))));
    EXPECT_EQ(rows().size(), 2);
    EXPECT_EQ(listing(), kListing);
    EXPECT_TRUE(button()->isEnabled());
    message->close();

    fs::remove(path("data/m.html"));
    fs::remove(path("output.txt"));
    ASSERT_TRUE(clickAndWait());
    EXPECT_EQ(rows(), (QStringList{kAnchorRow, kBoltRow, kAnchorRow, kBoltRow}));
    EXPECT_EQ(listing(), kListing);
}

TEST_F(Form1Test, AFailedWriteKeepsTheRowsItFound) {
    fs::create_directory(path("taken"));
    box()->setText(QStringLiteral("taken"));
    ASSERT_TRUE(clickAndWait());
    auto* message = form.findChild<QMessageBox*>(QStringLiteral("failure"));
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(message->informativeText().endsWith(QStringLiteral("Error 21: Is a directory")));
    EXPECT_EQ(rows(), (QStringList{kAnchorRow, kBoltRow}));
}

TEST_F(Form1Test, ShowsBytesThatAreNotUtf8LegiblyAndWritesThemUnchanged) {
    fs::remove(path("data/b.html"));
    addPage("c.html", productRecord("C3", "Caf\xE9 cr\xE8me", "2", "c.jpg"));
    ASSERT_TRUE(clickAndWait());
    EXPECT_EQ(rows().last(), QStringLiteral(u"C3\t2\tc.jpg\tCafé crème"));
    EXPECT_EQ(listing(), kHeader + "A1\t125\ta.jpg\tAnchor\r\nC3\t2\tc.jpg\tCaf\xE9 cr\xE8me\r\n");
}

TEST_F(Form1Test, AMissingDataFolderIsToldInTheStatus) {
    fs::remove_all(path("data"));
    ASSERT_TRUE(clickAndWait());
    EXPECT_EQ(status()->text(), QStringLiteral("No data folder: header only"));
    EXPECT_EQ(status()->toolTip(),
              QStringLiteral("No data folder at %1/data/: %1/output.txt holds only the header")
                  .arg(QString::fromStdString(m_dir.path().string())));
    EXPECT_EQ(listing(), kHeader);
}

TEST_F(Form1Test, ResizingGrowsTheListAndKeepsTheBottomRowInTheCorner) {
    form.resize(800, 500);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.size() == QSize(800, 500); }));
    EXPECT_EQ(list()->geometry(), QRect(8, 8, 779, 452));
    EXPECT_EQ(button()->geometry(), QRect(674, 469, 113, 25));
    EXPECT_EQ(box()->geometry(), QRect(474, 469, 193, 19));
    EXPECT_EQ(control<QLabel>("Label1")->geometry(), QRect(402, 469, 65, 17));
}

TEST_F(Form1Test, ClosingDuringARunStopsItWithoutWriting) {
    for (int i = 0; i < 5000; ++i) {
        addPage("p" + std::to_string(i) + ".html", productRecord("P", "Page", "1", "p.jpg"));
    }
    QSignalSpy finished(&form, &Form1::runFinished);
    click();
    form.close();
    ASSERT_TRUE(waitForRunEnd(finished));
    EXPECT_FALSE(fs::exists(path("output.txt")));
    EXPECT_EQ(rows().size(), 0);
}

}  // namespace
}  // namespace catalog::ui
