// Draws the window in one of the states a user meets, for the README and for review:
//   window-snapshot PROGRAM_DIR OUTPUT.png [STATE]
// STATE is one of
//   start     before the first run: the status says where the pages are read from
//   rows      after a run (the default): rows, status, and the link to the pages that gave trouble
//   pages     the list that link opens, its widest line selected and shown whole below it
//   menu      the list's context menu, a row selected
//   cleared   after a run, then Clear list
//   no-pages  after a run that found no page (PROGRAM_DIR's data folder empty or missing)
//   failure   the message box of a failed run (PROGRAM_DIR set up to make it fail)
//   reading   a run in hand, while a slow page is read (PROGRAM_DIR's data holds a huge page)
//   stopped   that run, stopped by a second click
//   dark      after a run, on a dark palette, a row with a field not found selected
//   rtl       after a run, right to left (as -reverse or a right-to-left locale lays it out)
//   wide      after a run, in a window 1280 pixels wide
// PROGRAM_DIR holds the data folder to collect; the listing is written there too.
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include "app/qt/form1.h"
#include "window/control_texts.h"

namespace {

using catalog::qt_window::Form1;

template <typename T>
T* child(QObject& parent, const char* name) {
    return parent.findChild<T*>(QLatin1String(name));
}

void click(Form1& form) {
    child<QPushButton>(form, "collect")->click();
}

// Calls `then` once `ready` holds, looking again every tenth of a second.
void whenReady(QObject& context, std::function<bool()> ready, std::function<void()> then) {
    auto* timer = new QTimer(&context);
    QObject::connect(timer, &QTimer::timeout, &context, [timer, ready, then] {
        if (ready()) {
            timer->stop();
            then();
        }
    });
    timer->start(100);
}

// The list as "Show pages" opens it, or nothing when the run offered none.
QWidget* pageList(Form1& form) {
    auto* link = child<QLabel>(form, "showPages");
    if (link == nullptr || !link->isVisible()) {
        return nullptr;
    }
    emit link->linkActivated(QStringLiteral("showPages"));
    auto* list = child<QDialog>(form, "pageList");
    auto* lines = child<QListView>(*list, "pageLines");
    QModelIndex widest = lines->model()->index(0, 0);
    for (int line = 1; line < lines->model()->rowCount(); ++line) {
        const QModelIndex at = lines->model()->index(line, 0);
        if (at.data().toString().size() > widest.data().toString().size()) {
            widest = at;
        }
    }
    lines->setCurrentIndex(widest);
    return list;
}

// The context menu as the list would open it, its items enabled as they would be.
QWidget* listMenu(Form1& form) {
    auto* list = child<QTableView>(form, "displaylist");
    list->selectRow(0);
    auto* menu = new QMenu(&form);
    menu->addActions(list->actions());
    menu->adjustSize();
    return menu;
}

QWidget* afterRun(Form1& form, std::string_view state) {
    if (state == "pages") {
        return pageList(form);
    }
    if (state == "menu") {
        return listMenu(form);
    }
    if (state == "failure") {
        return child<QMessageBox>(form, "failure");
    }
    if (state == "cleared") {
        auto* list = child<QTableView>(form, "displaylist");
        for (QAction* action : list->actions()) {
            if (action->text() == QString::fromUtf8(catalog::window::kClearListItem)) {
                action->trigger();
            }
        }
    }
    return &form;
}

class Snapshot {
public:
    Snapshot(Form1& form, QString picture) : m_form(form), m_picture(std::move(picture)) {}

    int status() const { return m_status; }

    // Drawn once laid out and painted, as a user would see it.
    void take(QWidget* drawn) {
        QTimer::singleShot(0, &m_form, [this, drawn] {
            m_status = drawn != nullptr && drawn->grab().save(m_picture) ? 0 : 1;
            QApplication::quit();
        });
    }

    void start(std::string_view state) {
        if (state == "start") {
            take(&m_form);
            return;
        }
        if (state == "reading" || state == "stopped") {
            startReading(state == "stopped");
            return;
        }
        const std::string wanted(state);
        QObject::connect(&m_form, &Form1::runFinished, &m_form,
                         [this, wanted] { take(afterRun(m_form, wanted)); });
        QTimer::singleShot(0, &m_form, [this] { click(m_form); });
    }

private:
    // The slow page's note shows after a second of reading it.
    void startReading(bool stop) {
        QTimer::singleShot(0, &m_form, [this] { click(m_form); });
        auto* note = child<QLabel>(m_form, "progressNote");
        whenReady(
            m_form, [note] { return note->isVisible(); },
            [this, stop] {
                if (!stop) {
                    take(&m_form);
                    return;
                }
                QObject::connect(&m_form, &Form1::runFinished, &m_form, [this] { take(&m_form); });
                click(m_form);
            });
    }

    Form1& m_form;
    QString m_picture;
    int m_status = 1;
};

}  // namespace

// A dark palette as a desktop's dark theme gives it, the toolkit's link blue kept.
QPalette darkPalette() {
    QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::AlternateBase, QColor(0x42, 0x42, 0x42));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    return dark;
}

// The states that are the run's rows seen another way: set up before the window opens.
std::string_view prepare(std::string_view state) {
    if (state == "dark") {
        QApplication::setPalette(darkPalette());
    } else if (state == "rtl") {
        QApplication::setLayoutDirection(Qt::RightToLeft);
    } else if (state != "wide") {
        return state;
    }
    return "rows";
}

// A row with a field not found, selected and current in the focused table, when there is one.
void selectDimmedRow(Form1& form) {
    auto* list = child<QTableView>(form, "displaylist");
    const QAbstractItemModel& rows = *list->model();
    for (int row = 0; row < rows.rowCount(); ++row) {
        for (int column = 0; column < rows.columnCount(); ++column) {
            if (rows.index(row, column).data(Qt::ForegroundRole).isValid()) {
                list->setFocus();
                list->selectRow(row);
                list->setCurrentIndex(rows.index(row, column));
                return;
            }
        }
    }
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fputs("usage: window-snapshot PROGRAM_DIR OUTPUT.png [STATE]\n", stderr);
        return 2;
    }
    const std::string_view asked = argc == 4 ? argv[3] : "rows";
    const std::string_view state = prepare(asked);
    Form1 form(argv[1]);
    if (asked == "wide") {
        form.resize(1280, form.height());
    }
    if (asked == "dark") {
        QObject::connect(&form, &Form1::runFinished, &form, [&form] { selectDimmedRow(form); });
    }
    form.show();
    Snapshot snapshot(form, QString::fromLocal8Bit(argv[2]));
    snapshot.start(state);
    QApplication::exec();
    if (snapshot.status() != 0) {
        std::fprintf(stderr, "window-snapshot: cannot draw %s as %s\n", std::string(state).c_str(),
                     argv[2]);
    }
    return snapshot.status();
}
