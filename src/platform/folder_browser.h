// The desktop's folder chooser and open-file dialog behind one small interface (tests script
// "accepted with this folder" or "cancelled"), and BrowseFolder, the string handling around the
// folder chooser.
#pragma once

#include <QString>
#include <QUrl>

#include <optional>
#include <string>

class QWidget;

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // Shows the prompt and opens at startFolder; the chosen item, or nothing when cancelled.
    virtual std::optional<QUrl> BrowseForFolder(QWidget* owner, const QString& prompt, const QString& startFolder,
                                                bool includeFiles) = 0;
    // An open-file dialog with a name filter; the chosen file's full path, or nothing when cancelled.
    virtual std::optional<QString> OpenFile(QWidget* owner, const QString& filter) = 0;
};

// QFileDialog: a directory chooser, and an open-file dialog.
class DesktopFileChooser : public FileChooser {
public:
    std::optional<QUrl> BrowseForFolder(QWidget* owner, const QString& prompt, const QString& startFolder,
                                        bool includeFiles) override;
    std::optional<QString> OpenFile(QWidget* owner, const QString& filter) override;
};

// The file-system path of a chosen item as ANSI text, cut at a NUL; empty when the item is not
// a local file. Throws OrvalinError when the ANSI code page cannot hold the path.
std::string PathFromIDList(const QUrl& item);

// Lets the user choose a folder, starting at initialFolder (ANSI). The chosen folder ends in the
// separator; a root keeps its single one. A cancelled chooser, or an item without a file-system
// path, gives nothing: the caller keeps its folder, rather than being pointed at the root.
// Throws OrvalinError as PathFromIDList does.
std::optional<std::string> BrowseFolder(QWidget* owner, const QString& prompt, const std::string& initialFolder,
                                        FileChooser& chooser, bool includeFiles = false);
