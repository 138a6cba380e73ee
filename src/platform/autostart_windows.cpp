// The automatic-start entry on Windows: a text value under the machine-wide Run key, named after
// the executable, holding the program's path. Compiled only for WIN32.
#include "autostart.h"

#include "platform/code_pages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char* const RunKeyPath = "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN\\";
constexpr REGSAM KeyAccess = 0x2003F;
constexpr DWORD TextType = REG_SZ;      // 1
constexpr DWORD NumberType = REG_DWORD; // 4

std::string Ansi(const std::string& utf8) { return AnsiCodePage().FromUtf8(utf8); }

// Stores one value in an open key; the status of the platform, or 0 when nothing was stored.
LONG StoreValueData(HKEY key, const std::string& name, DWORD type, const std::string& data)
{
    if (type == TextType) {
        // The length is the character count: no terminating NUL is stored.
        return RegSetValueExA(key, name.c_str(), 0, TextType, reinterpret_cast<const BYTE*>(data.data()),
                              static_cast<DWORD>(data.size()));
    }
    if (type == NumberType) {
        DWORD number = 0;
        try {
            number = static_cast<DWORD>(static_cast<std::int32_t>(std::stol(data)));
        } catch (const std::exception&) {
            return 0;
        }
        return RegSetValueExA(key, name.c_str(), 0, NumberType, reinterpret_cast<const BYTE*>(&number), sizeof number);
    }
    return 0;
}

void WriteRegistryValue(HKEY root, const std::string& keyPath, const std::string& name, const std::string& data,
                        DWORD type)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KeyAccess, &key) != ERROR_SUCCESS)
        return;
    StoreValueData(key, name, type, data);
    RegCloseKey(key);
}

void DeleteRegistryValue(HKEY root, const std::string& keyPath, const std::string& name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KeyAccess, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
}

bool ReadRegistryValue(HKEY root, const std::string& keyPath, const std::string& name, std::string& text)
{
    text.clear();
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KeyAccess, &key) != ERROR_SUCCESS)
        return false;
    std::vector<BYTE> buffer(1024, 0);
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD type = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, buffer.data(), &size) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return false;
    }
    if (type == TextType) {
        // Data stored without a terminator keeps all its characters.
        std::string kept(reinterpret_cast<const char*>(buffer.data()), size);
        if (!kept.empty() && kept.back() == '\0')
            kept.pop_back();
        text = kept;
    } else if (type == NumberType && size == sizeof(std::int32_t)) {
        std::int32_t number = 0;
        std::memcpy(&number, buffer.data(), sizeof number);
        text = std::to_string(number);
    }
    RegCloseKey(key);
    return true;
}

} // namespace

AutoStartEntry ProgramAutoStartEntry()
{
    // The data is the folder, a backslash, the name and ".exe": from a drive root it holds two
    // backslashes in a row, as the Run key has always held it.
    const QString folder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return AutoStartEntry{name.toStdString(), (folder + "\\" + name + ".exe").toStdString()};
}

bool ReadAutoStartEntry(const AutoStartEntry& entry)
{
    std::string text;
    return ReadRegistryValue(HKEY_LOCAL_MACHINE, RunKeyPath, Ansi(entry.Name), text);
}

bool WriteAutoStartEntry(const AutoStartEntry& entry)
{
    WriteRegistryValue(HKEY_LOCAL_MACHINE, RunKeyPath, Ansi(entry.Name), Ansi(entry.Command), TextType);
    return ReadAutoStartEntry(entry);
}

bool DeleteAutoStartEntry(const AutoStartEntry& entry)
{
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, RunKeyPath, Ansi(entry.Name));
    return !ReadAutoStartEntry(entry);
}
