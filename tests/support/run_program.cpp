#include "run_program.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

QString BuiltProgram() { return qEnvironmentVariable("ORVALIN_BUILD_DIR") + QStringLiteral("/orvalin"); }

ProgramRun::ProgramRun(const QString& programFolder, const QString& home)
    : program_(programFolder + QStringLiteral("/orvalin")), home_(home), env_(QProcessEnvironment::systemEnvironment())
{
    QDir().mkpath(programFolder);
    QFile::remove(program_);
    if (!QFile::copy(BuiltProgram(), program_))
        qFatal("cannot copy %s", qPrintable(BuiltProgram()));
    env_.insert(QStringLiteral("HOME"), home);
    env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env_.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    // No scheduler: the built-in printer is the only one, unless a test names its own.
    env_.insert(QStringLiteral("CUPS_SERVER"), home + QStringLiteral("/no-cups.sock"));
}

void ProgramRun::runAsNobody()
{
    for (const QString& folder : {home_, QFileInfo(program_).absolutePath()})
        ::chmod(QFile::encodeName(folder).constData(), 0777);
    process_.setChildProcessModifier([] {
        constexpr uid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(126);
    });
}

void ProgramRun::start(const QStringList& arguments)
{
    process_.setProcessEnvironment(env_);
    process_.setWorkingDirectory(QFileInfo(program_).absolutePath());
    process_.start(program_, arguments);
    process_.waitForStarted(10000);
}

bool ProgramRun::waitForExit(int timeoutMs)
{
    const bool done = process_.waitForFinished(timeoutMs);
    Drain();
    return done;
}

void ProgramRun::Drain()
{
    stderr_ += QString::fromLocal8Bit(process_.readAllStandardError());
    stdout_ += QString::fromLocal8Bit(process_.readAllStandardOutput());
}
