#include "app/qt/file_manager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QStringList>

#include "window/data_folder.h"

namespace catalog::qt_window {

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

}  // namespace catalog::qt_window
