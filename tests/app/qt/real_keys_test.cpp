// Keys as the X server delivers them, typed by xdotool into the window on the display
// real_keys_test.sh starts: the toolkit translates them itself, as no synthesized event shows.
#include <filesystem>
#include <initializer_list>

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include "app/qt/form1.h"
#include "support/test_files.h"

namespace catalog::qt_window {
namespace {

using catalog::testing::productRecord;
using catalog::testing::TempDir;
using catalog::testing::writeEndlessFile;
using catalog::testing::writeFile;

constexpr int kWaitMs = 60 * 1000;

// Keys go to whichever window has the keyboard, as a user's would.
bool xdotool(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

// The presses a key held down repeats, and its release, as the widget it watches gets them.
struct KeyWatch : QObject {
    int repeats = 0;
    bool released = false;

    bool eventFilter(QObject*, QEvent* event) override {
        const bool press = event->type() == QEvent::KeyPress;
        const bool repeated = (press || event->type() == QEvent::KeyRelease) &&
                              static_cast<QKeyEvent*>(event)->isAutoRepeat();
        repeats += press && repeated ? 1 : 0;
        released = released || (event->type() == QEvent::KeyRelease && !repeated);
        return false;
    }
};

class RealKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            GTEST_SKIP() << "needs an X display: run through real_keys_test.sh";
        }
        std::filesystem::create_directory(m_dir.path() / "data");
        writeFile(m_dir / "data/a.html", productRecord("A1", "Anchor", "125", "a.jpg"));
        writeFile(m_dir / "data/contact.html", "<p>Call us</p>");
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form, kWaitMs));
    }

    template <typename Control>
    Control* control(const char* name) {
        return form.findChild<Control*>(QLatin1String(name));
    }
    QPushButton* button() { return control<QPushButton>("collect"); }
    QTableView* list() { return control<QTableView>("displaylist"); }
    // A run that fills the list and shows the link to the pages without a record.
    void collect() {
        QSignalSpy finished(&form, &Form1::runFinished);
        button()->click();
        ASSERT_TRUE(finished.wait(kWaitMs));
    }
    bool focusReaches(QWidget* widget) {
        return QTest::qWaitFor([widget] { return QApplication::focusWidget() == widget; }, kWaitMs);
    }

    TempDir m_dir;
    Form1 form{m_dir.path().string()};
};

// Back the way Tab came, control by control.
TEST_F(RealKeysTest, ShiftTabFromAStatusLinkGoesBackToTheBox) {
    collect();
    auto* box = control<QWidget>("outputfilename");
    button()->setFocus();
    ASSERT_TRUE(focusReaches(button()));
    for (const auto& [keys, next] : {std::pair<const char*, QWidget*>{"Tab", box},
                                     {"Tab", control<QWidget>("showPages")},
                                     {"shift+Tab", box},
                                     {"shift+Tab", button()},
                                     {"shift+Tab", list()}}) {
        ASSERT_TRUE(xdotool({"key", keys}));
        ASSERT_TRUE(focusReaches(next)) << keys << " to " << next->objectName().toStdString();
    }
}

// X11 asks for the menu key's menu at the pointer, away from the row.
TEST_F(RealKeysTest, TheMenuKeyOpensTheListMenuBelowTheCurrentRow) {
    collect();
    list()->setFocus();
    ASSERT_TRUE(focusReaches(list()));
    list()->setCurrentIndex(list()->model()->index(1, 0));
    ASSERT_TRUE(xdotool({"mousemove", "5", "5"}) && xdotool({"key", "Menu"}));
    const auto menu = [] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu() != nullptr; }, kWaitMs));
    // Within the pixel by which the window manager may place the window after the menu did.
    const QPoint below =
        list()->viewport()->mapToGlobal(list()->visualRect(list()->currentIndex()).bottomLeft());
    EXPECT_LE((menu()->pos() - below).manhattanLength(), 1)
        << menu()->pos().y() << " " << below.y();
    EXPECT_EQ(menu()->activeAction(), menu()->actions().value(0));
    ASSERT_TRUE(xdotool({"key", "Escape"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return menu() == nullptr; }, kWaitMs));
}

// Held until the keyboard repeats it, Enter neither stops the run it started nor starts another.
TEST_F(RealKeysTest, EnterOnTheButtonStartsARunAndStopsItAndAHeldKeyActsOnce) {
    writeEndlessFile(m_dir / "data/endless.html", "<p>");
    button()->setFocus();
    ASSERT_TRUE(focusReaches(button()));
    QSignalSpy finished(&form, &Form1::runFinished);
    KeyWatch watch;
    button()->installEventFilter(&watch);
    ASSERT_TRUE(xdotool({"keydown", "Return"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch.repeats >= 2; }, kWaitMs));
    ASSERT_TRUE(xdotool({"keyup", "Return"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch.released; }, kWaitMs));
    EXPECT_TRUE(finished.isEmpty());
    EXPECT_EQ(button()->text(), QStringLiteral("Stop"));
    ASSERT_TRUE(xdotool({"key", "Return"}));
    ASSERT_TRUE(finished.wait(kWaitMs));
    EXPECT_EQ(finished.size(), 1);
}

}  // namespace
}  // namespace catalog::qt_window
