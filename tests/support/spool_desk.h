// A desk for end-to-end spool tests: a temporary home with a program folder and a spool folder,
// the real program started there with test settings, and its filed PDFs.
#pragma once

#include "run_program.h"
#include "temp_folder.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

// Files dated back a minute, so that they count as finished.
void WriteOldFile(const QString& path, const QByteArray& bytes);
void MakeOld(const QString& path);

// The PDFs the built-in printer filed for the program in programFolder, in name order.
QStringList Pdfs(const QString& programFolder);

struct Desk {
    TempFolder home;
    QString program = home.file("program");
    QString spool = home.file("spool");
    std::unique_ptr<ProgramRun> run;

    // Settings for a test: the given printer, the spool folder and pattern, a short poll.
    Desk(const QString& printer, const QString& pattern, int interval = 150);
    void start(const QStringList& arguments = {QStringLiteral("watch")}) { run->start(arguments); }
    // Ends the program with SIGTERM and checks that it ended cleanly.
    void stop();
};
