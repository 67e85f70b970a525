#include "app/qt/file_manager.h"

#include <string>
#include <string_view>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include "platform/system_error.h"

namespace catalog::qt_window {

namespace {

constexpr std::string_view kOpener = "xdg-open";

// What xdg-open's end says, when it failed.
std::string endOf(int status, QProcess::ExitStatus how) {
    return how == QProcess::NormalExit ? "ended with status " + std::to_string(status) : "crashed";
}

}  // namespace

void showInFolder(QObject* owner, const std::string& path, std::function<void()> otherwise) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        otherwise();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    // The URL holds the path's own bytes, percent-encoded: a name that is not UTF-8 is found too.
    // No startup id: the file manager is not started from a launcher that made one.
    call << QStringList{QString::fromLatin1(QByteArray::fromStdString(window::fileUrlOf(path)))}
         << QString();
    // Not waited for: a file manager started for the call may take seconds to answer.
    auto* answer = new QDBusPendingCallWatcher(bus.asyncCall(call), owner);
    QObject::connect(answer, &QDBusPendingCallWatcher::finished, owner,
                     [otherwise = std::move(otherwise)](QDBusPendingCallWatcher* watcher) {
                         watcher->deleteLater();
                         if (watcher->isError()) {
                             otherwise();
                         }
                     });
}

// Run as a process of its own, not through QDesktopServices: that only says whether it started,
// and takes the path as text, which loses a name that is not UTF-8. It is waited for in the
// background: some file managers stay in the foreground until closed. The QProcess goes once its
// process ends; one still running when the window goes is let go of (letFileManagersRunOn).
void openInFileManager(QObject* owner, const std::string& folder,
                       std::function<void(const window::FileManagerFailure&)> failed) {
    const QString program = QString::fromLatin1(kOpener);
    const auto fail = [failed](int errorNumber, std::string description) {
        failed({std::string(kOpener), errorNumber, std::move(description)});
    };
    if (QStandardPaths::findExecutable(program).isEmpty()) {
        const int missing = errorNumberOf(Condition::NoSuchFile);
        fail(missing, describeSystemError(missing));
        return;
    }
    auto* opener = new QProcess(owner);
    QObject::connect(opener, &QProcess::finished, opener, &QObject::deleteLater);
    QObject::connect(opener, &QProcess::errorOccurred, opener,
                     [opener](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             opener->deleteLater();  // no end follows
                         }
                     });
    QObject::connect(opener, &QProcess::finished, owner,
                     [fail](int status, QProcess::ExitStatus how) {
                         if (how != QProcess::NormalExit || status != 0) {
                             fail(0, endOf(status, how));
                         }
                     });
    QObject::connect(
        opener, &QProcess::errorOccurred, owner, [opener, fail](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart) {
                fail(0, "could not be started: " + opener->errorString().toStdString());
            }
        });
    opener->start(program,
                  {QString::fromLatin1(QByteArray::fromStdString(window::fileUrlOf(folder)))});
}

// A QProcess ends its process when destroyed, as a child is with its parent: the file manager
// is the user's, and runs on.
void letFileManagersRunOn(QObject* owner) {
    for (QProcess* opener : owner->findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        if (opener->state() != QProcess::NotRunning) {
            opener->setParent(nullptr);
        }
    }
}

}  // namespace catalog::qt_window
