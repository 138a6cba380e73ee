#include "autostart_xdg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <system_error>

namespace {

QString QPath(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return QString::fromUtf8(reinterpret_cast<const char*>(utf8.data()), static_cast<qsizetype>(utf8.size()));
}

// One argument of an Exec line: quoted when it holds a reserved character, with the characters
// that stay special inside quotes escaped.
std::string ExecArgument(const std::string& argument)
{
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    if (!argument.empty() && argument.find_first_of(reserved) == std::string::npos)
        return argument;
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// The string escapes of a desktop entry value (applied after the Exec quoting), and "%%" for a
// percent sign, which would otherwise start a field code.
std::string EscapedValue(const std::string& value)
{
    std::string escaped;
    for (const char c : value) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '%':
            escaped += "%%";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

// An entry marked Hidden counts as deleted, as the desktop treats it.
bool IsHidden(const QByteArray& content)
{
    for (const QByteArray& line : content.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0 && line.left(equals).trimmed() == "Hidden" && line.mid(equals + 1).trimmed() == "true")
            return true;
    }
    return false;
}

} // namespace

AutoStartEntry ProgramAutoStartEntry()
{
    const QString program = QCoreApplication::applicationFilePath();
    return AutoStartEntry{QFileInfo(program).completeBaseName().toStdString(), program.toStdString()};
}

std::filesystem::path AutoStartFile(const AutoStartEntry& entry)
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty() || entry.Name.empty())
        return {};
    const QString file = config + "/autostart/" + QString::fromStdString(entry.Name) + ".desktop";
    const QByteArray utf8 = file.toUtf8();
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string DesktopEntryText(const AutoStartEntry& entry)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Orvalin\n"
           "Exec="
           + EscapedValue(ExecArgument(entry.Command) + " " + AutoStartModeWord)
           + "\n"
             "Terminal=false\n"
             "X-GNOME-Autostart-enabled=true\n";
}

bool ReadAutoStartEntry(const AutoStartEntry& entry)
{
    const std::filesystem::path path = AutoStartFile(entry);
    if (path.empty())
        return false;
    QFile file(QPath(path));
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    return !IsHidden(file.readAll());
}

bool WriteAutoStartEntry(const AutoStartEntry& entry)
{
    const std::filesystem::path path = AutoStartFile(entry);
    if (path.empty() || !QDir().mkpath(QPath(path.parent_path())))
        return false;
    const std::string text = DesktopEntryText(entry);
    QSaveFile file(QPath(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(text.data(), static_cast<qint64>(text.size()));
    return file.commit();
}

bool DeleteAutoStartEntry(const AutoStartEntry& entry)
{
    const std::filesystem::path path = AutoStartFile(entry);
    if (path.empty())
        return false;
    std::error_code ec;
    return std::filesystem::remove(path, ec) && !ec;
}
