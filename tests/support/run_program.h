// Runs the real orvalin executable from a temporary program folder, the way a user would.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// The built executable (build/orvalin).
QString BuiltProgram();

// The executable copied into programFolder (so its settings file lives there), HOME at home and no
// print scheduler, so that nothing of the developer's own setup is touched. Still running when a test ends (a failed
// test), it is killed at once.
class ProgramRun {
public:
    ProgramRun(const QString& programFolder, const QString& home);
    ~ProgramRun()
    {
        process_.kill(); // nothing when it has ended
        process_.waitForFinished(5000);
    }

    QProcessEnvironment& environment() { return env_; }
    // The program runs as the user "nobody" (root reads and writes everything); its program folder
    // and home become open to it.
    void runAsNobody();
    void start(const QStringList& arguments);
    // Waits for the program to end; false when it is still running after timeoutMs.
    bool waitForExit(int timeoutMs);
    bool running() const { return process_.state() != QProcess::NotRunning; }
    int exitCode() const { return process_.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return process_.exitStatus(); }
    // All that the program has written so far.
    QString standardError() { return Drain(), stderr_; }
    QString standardOutput() { return Drain(), stdout_; }
    QProcess& process() { return process_; }

private:
    void Drain();
    QString program_, home_;
    QProcessEnvironment env_;
    QProcess process_;
    QString stderr_, stdout_;
};
