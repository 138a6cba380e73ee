#include "temp_folder.h"

#include <QFile>
#include <QFileInfo>

TempFolder::TempFolder() : dir_(QDir::tempPath() + QStringLiteral("/orvalin-test-XXXXXX")) {}

void TempFolder::write(const QString& name, const QByteArray& bytes) const { WriteFileBytes(file(name), bytes); }

QByteArray TempFolder::read(const QString& name) const { return ReadFileBytes(file(name)); }

bool TempFolder::exists(const QString& name) const { return QFileInfo::exists(file(name)); }

QByteArray ReadFileBytes(const QString& path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    return in.readAll();
}

void WriteFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile out(path);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(bytes);
}

QStringList AllFilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}
