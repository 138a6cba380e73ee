#include "program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

std::filesystem::path ProgramFolder()
{
    return std::filesystem::path(QCoreApplication::applicationDirPath().toStdString());
}

std::string ExecutableName() { return QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString(); }

namespace {

// A program under /usr was installed by the system's packages: even root, who may write there,
// keeps its settings and documents out of it.
bool IsSystemFolder(const std::filesystem::path& folder)
{
    const std::string text = folder.lexically_normal().generic_string();
    return text == "/usr" || text.rfind("/usr/", 0) == 0;
}

} // namespace

std::filesystem::path SettingsFolderFor(const std::filesystem::path& programFolder)
{
    if (!IsSystemFolder(programFolder) && ::access(programFolder.c_str(), W_OK) == 0)
        return programFolder;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/orvalin";
    QDir().mkpath(config);
    return std::filesystem::path(config.toStdString());
}

std::filesystem::path PdfFolderFor(const std::filesystem::path& settingsFolder,
                                   const std::filesystem::path& programFolder)
{
    if (settingsFolder.lexically_normal() == programFolder.lexically_normal())
        return settingsFolder / "PDF";
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return std::filesystem::path(documents.toStdString()) / "Orvalin";
}
