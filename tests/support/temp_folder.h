// A temporary folder for one test, removed with everything in it when the test ends.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <filesystem>
#include <string>

class TempFolder {
public:
    TempFolder();
    QString path() const { return dir_.path(); }
    std::filesystem::path fsPath() const { return std::filesystem::path(dir_.path().toStdString()); }
    // The path of a file inside the folder.
    QString file(const QString& name) const { return dir_.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;
    bool exists(const QString& name) const;

private:
    QTemporaryDir dir_;
};

// Reads a whole file; empty when it cannot be read.
QByteArray ReadFileBytes(const QString& path);
void WriteFileBytes(const QString& path, const QByteArray& bytes);
// The names of every file of a folder, hidden ones included.
QStringList AllFilesIn(const QString& folder);
