#include "command_line.h"

#include "platform/code_pages.h"

#include <QByteArray>
#include <QString>

StartupValues ParseCommandLine(std::string_view commandLine)
{
    const QString cmdLine = QString::fromUtf8(commandLine.data(), static_cast<qsizetype>(commandLine.size())).trimmed();
    QString cmdFile = cmdLine;
    QString orientation = QStringLiteral("0");
    const qsizetype blank = cmdLine.indexOf(QLatin1Char(' '));
    if (blank >= 0) {
        cmdFile = cmdLine.left(blank);
        orientation = cmdLine.mid(blank + 1); // not trimmed again: "FILE  1" gives " 1"
    }
    StartupValues values;
    // Upper-casing follows Unicode, so accented lower-case letters count too. A "/" makes a path
    // whatever its letters: Linux paths are mostly lower case.
    values.PollMode = !cmdFile.contains(QLatin1Char('/')) && cmdFile.toUpper() != cmdFile;
    values.CmdOrientation = (orientation == QLatin1String("0") || orientation == QLatin1String("1"))
                                ? orientation.toStdString()
                                : std::string("0");
    values.CmdLine = ToAnsi(cmdLine);
    values.CmdFile = ToAnsi(cmdFile);
    const QByteArray utf8 = cmdFile.toUtf8();
    values.CmdPath = std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
    return values;
}
