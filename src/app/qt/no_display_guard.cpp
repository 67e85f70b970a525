#include "app/qt/no_display_guard.h"

#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <vector>

#include <QByteArray>
#include <QString>

#include "window/window_texts.h"

namespace catalog::qt_window {

namespace {

// A message held until the start is known to have succeeded, with copies of its context's
// texts, which may not outlive the call.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QByteArray file;
    QByteArray function;
    int line;
    QString text;
};

std::mutex g_mutex;
std::vector<HeldMessage> g_held;

// The platform plugin says why it failed ("could not connect to display :99") before Qt's
// closing advice does; the first of its lines is the reason worth a line.
std::string reasonFor(const QString& fatal) {
    QString reason = fatal;
    for (const HeldMessage& message : g_held) {
        if (message.category.startsWith("qt.qpa")) {
            reason = message.text;
            break;
        }
    }
    return reason.section(QLatin1Char('\n'), 0, 0).trimmed().toStdString();
}

void holdOrExit(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    const std::lock_guard lock(g_mutex);
    if (type == QtFatalMsg) {
        std::cerr << window::noDisplayMessage(reasonFor(text)) << std::endl;
        std::_Exit(1);
    }
    g_held.push_back({type, context.category, context.file, context.function, context.line, text});
}

}  // namespace

NoDisplayGuard::NoDisplayGuard() : m_previous(qInstallMessageHandler(holdOrExit)) {}

NoDisplayGuard::~NoDisplayGuard() {
    qInstallMessageHandler(m_previous);
    const std::lock_guard lock(g_mutex);
    for (const HeldMessage& message : g_held) {
        const QMessageLogContext context(message.file.constData(), message.line,
                                         message.function.constData(),
                                         message.category.constData());
        m_previous(message.type, context, message.text);
    }
    g_held.clear();
}

}  // namespace catalog::qt_window
