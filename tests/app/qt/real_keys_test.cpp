// The keys a user presses, as the X server delivers them: typed by xdotool through the XTEST
// extension into the window on a display real_keys_test.sh starts. The toolkit translates these
// itself, with the modifiers the keyboard holds, as no synthesized event does.
#include <filesystem>
#include <initializer_list>
#include <string>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
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

namespace fs = std::filesystem;
using catalog::testing::productRecord;
using catalog::testing::TempDir;
using catalog::testing::writeEndlessFile;
using catalog::testing::writeFile;

constexpr int kWaitMs = 60 * 1000;

// `xdotool ARGS`: keys go to whichever window has the keyboard, as a user's would.
bool xdotool(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

bool press(const char* keys) {
    return xdotool({QStringLiteral("key"), QLatin1String(keys)});
}

// Sees the presses a key held down repeats, and its release, as the widget gets them; `keys`
// tells, when a test fails, what came: P a press, R a release, r when marked as a repeat.
class KeyWatch : public QObject {
public:
    explicit KeyWatch(QWidget& widget) { widget.installEventFilter(this); }

    int repeats = 0;
    bool released = false;
    std::string keys;

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            const bool repeated = static_cast<QKeyEvent*>(event)->isAutoRepeat();
            repeats += event->type() == QEvent::KeyPress && repeated ? 1 : 0;
            released = released || (event->type() == QEvent::KeyRelease && !repeated);
            keys += event->type() == QEvent::KeyPress ? 'P' : 'R';
            keys += repeated ? "r " : " ";
        }
        return false;
    }
};

class RealKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            GTEST_SKIP() << "needs an X display: run through real_keys_test.sh";
        }
        fs::create_directory(m_dir.path() / "data");
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
    bool focusReaches(QWidget* widget) {
        return QTest::qWaitFor([widget] { return QApplication::focusWidget() == widget; }, kWaitMs);
    }

    TempDir m_dir;
    Form1 form{m_dir.path().string()};
};

TEST_F(RealKeysTest, ShiftTabFromAStatusLinkGoesBackToTheBox) {
    QSignalSpy finished(&form, &Form1::runFinished);
    control<QPushButton>("collect")->click();
    ASSERT_TRUE(finished.wait(kWaitMs));
    auto* box = control<QLineEdit>("outputfilename");
    auto* link = control<QLabel>("showPages");
    ASSERT_TRUE(link->isVisible());
    auto* button = control<QPushButton>("collect");
    button->setFocus();
    ASSERT_TRUE(focusReaches(button));
    ASSERT_TRUE(press("Tab"));
    ASSERT_TRUE(focusReaches(box));
    ASSERT_TRUE(press("Tab"));
    ASSERT_TRUE(focusReaches(link));
    // Back the way it came, control by control.
    for (QWidget* previous :
         std::initializer_list<QWidget*>{box, button, control<QTableView>("displaylist")}) {
        ASSERT_TRUE(press("shift+Tab"));
        EXPECT_TRUE(focusReaches(previous)) << previous->objectName().toStdString();
    }
}

// The menu key's menu, which X11 asks for at the pointer, opens below the current row with its
// first item active.
TEST_F(RealKeysTest, TheMenuKeyOpensTheListMenuBelowTheCurrentRow) {
    QSignalSpy finished(&form, &Form1::runFinished);
    control<QPushButton>("collect")->click();
    ASSERT_TRUE(finished.wait(kWaitMs));
    auto* list = control<QTableView>("displaylist");
    list->setFocus();
    ASSERT_TRUE(focusReaches(list));
    list->setCurrentIndex(list->model()->index(1, 0));
    ASSERT_TRUE(xdotool({"mousemove", "5", "5"}));
    ASSERT_TRUE(press("Menu"));
    ASSERT_TRUE(
        QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, kWaitMs));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    // Within the pixel by which the window manager may place the window after the menu did.
    const QPoint below =
        list->viewport()->mapToGlobal(list->visualRect(list->currentIndex()).bottomLeft());
    EXPECT_LE((menu->pos() - below).manhattanLength(), 1) << menu->pos().y() << " " << below.y();
    ASSERT_NE(menu->activeAction(), nullptr);
    EXPECT_EQ(menu->activeAction()->text(), QStringLiteral("Copy"));
    ASSERT_TRUE(press("Escape"));
    EXPECT_TRUE(
        QTest::qWaitFor([] { return QApplication::activePopupWidget() == nullptr; }, kWaitMs));
}

TEST_F(RealKeysTest, EnterOnTheButtonStartsARunAndStopsItAndAHeldKeyActsOnce) {
    writeEndlessFile(m_dir / "data/endless.html", "<p>");
    auto* button = control<QPushButton>("collect");
    button->setFocus();
    ASSERT_TRUE(focusReaches(button));
    QSignalSpy finished(&form, &Form1::runFinished);
    // Held until the keyboard repeats it: the repeats neither stop the run nor start another.
    const KeyWatch watch(*button);
    ASSERT_TRUE(xdotool({"keydown", "Return"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch.repeats >= 2; }, kWaitMs));
    ASSERT_TRUE(xdotool({"keyup", "Return"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch.released; }, kWaitMs));
    EXPECT_TRUE(finished.isEmpty()) << watch.keys;
    EXPECT_EQ(button->text(), QStringLiteral("Stop"));
    ASSERT_TRUE(press("Return"));
    ASSERT_TRUE(finished.wait(kWaitMs));
    EXPECT_EQ(button->text(), QStringLiteral("Collect"));
    EXPECT_EQ(finished.size(), 1);
}

}  // namespace
}  // namespace catalog::qt_window
