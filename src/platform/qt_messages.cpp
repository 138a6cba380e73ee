#include "qt_messages.h"

#include <QString>
#include <QtGlobal>

#include <cstring>

namespace {

QtMessageHandler previousHandler = nullptr;

void FilteringHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (IsQtStartupNotice(message.toUtf8().constData()))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

bool IsQtStartupNotice(const char* message)
{
    // Qt then uses a private folder of its own making, which is all the program needs.
    if (std::strncmp(message, "QStandardPaths: XDG_RUNTIME_DIR not set", 39) == 0)
        return true;
    return std::strstr(message, "No such signal QPlatformNativeInterface::systemTrayWindowChanged") != nullptr;
}

void FilterQtStartupNotices() { previousHandler = qInstallMessageHandler(FilteringHandler); }
