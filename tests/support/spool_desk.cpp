#include "spool_desk.h"

#include "test_settings.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <ctime>
#include <utime.h>

void WriteOldFile(const QString& path, const QByteArray& bytes)
{
    WriteFileBytes(path, bytes);
    MakeOld(path);
}

void MakeOld(const QString& path)
{
    struct utimbuf times {};
    times.actime = times.modtime = ::time(nullptr) - 60;
    ::utime(QFile::encodeName(path).constData(), &times);
}

QStringList Pdfs(const QString& programFolder)
{
    QStringList paths;
    const QDir dir(programFolder + "/PDF");
    for (const QString& name : dir.entryList({"*.pdf"}, QDir::Files, QDir::Name))
        paths << dir.filePath(name);
    return paths;
}

Desk::Desk(const QString& printer, const QString& pattern, int interval)
{
    QDir().mkpath(spool);
    run = std::make_unique<ProgramRun>(program, home.path());
    WriteFileBytes(program + "/Orvalin.ini", TestSettingsBytes(printer, spool + "/", pattern, interval));
}

void Desk::stop()
{
    if (run->running()) {
        run->terminate();
        QVERIFY(run->waitForExit(10000));
    }
    QCOMPARE(run->exitCode(), 0);
}
