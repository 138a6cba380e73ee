#include "folder_browser.h"

#include "code_pages.h"
#include "common/errors.h"
#include "folders.h"

#include <QFileDialog>
#include <QStringList>

std::optional<QUrl> DesktopFileChooser::BrowseForFolder(QWidget* owner, const QString& prompt,
                                                        const QString& startFolder, bool includeFiles)
{
    QFileDialog dialog(owner, prompt);
    dialog.setObjectName(QStringLiteral("folderChooser"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(includeFiles ? QFileDialog::ExistingFile : QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, !includeFiles);
    // The chooser opens at the start folder, so confirming at once returns it.
    if (!startFolder.isEmpty())
        dialog.setDirectory(startFolder);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QList<QUrl> chosen = dialog.selectedUrls();
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.first();
}

std::optional<QString> DesktopFileChooser::OpenFile(QWidget* owner, const QString& filter)
{
    QFileDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("fileChooser"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.first();
}

std::string PathFromIDList(const QUrl& item)
{
    if (!item.isLocalFile())
        return {};
    const QString path = item.toLocalFile();
    if (!AnsiCanHold(path))
        throw OrvalinError("The folder name " + path.toStdString()
                           + " holds characters that the settings file cannot store.");
    return CutAtNull(ToAnsi(path));
}

std::optional<std::string> BrowseFolder(QWidget* owner, const QString& prompt, const std::string& initialFolder,
                                        FileChooser& chooser, bool includeFiles)
{
    const std::string start = BrowseStartFolder(initialFolder);
    const std::optional<QUrl> item = chooser.BrowseForFolder(owner, prompt, FromAnsi(start), includeFiles);
    if (!item)
        return std::nullopt;
    const std::string path = PathFromIDList(*item);
    if (path.empty())
        return std::nullopt;
    return WithTrailingSeparator(path);
}
