// Runs the real orvalin executable from a temporary program folder, the way a user would.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// The built executable (build/orvalin).
QString BuiltProgram();

class ProgramRun {
public:
    // Copies the executable into programFolder (so its settings file lives there) and sets HOME
    // to home, so that nothing of the developer's own setup is touched.
    ProgramRun(const QString& programFolder, const QString& home);
    // A program still running when a test ends (a failed test) is killed at once.
    ~ProgramRun();

    QProcessEnvironment& environment() { return env_; }
    // The program runs as the user "nobody" (root reads and writes everything); its program folder
    // and home become open to it.
    void runAsNobody();
    void start(const QStringList& arguments);
    // Waits for the program to end; false when it is still running after timeoutMs.
    bool waitForExit(int timeoutMs);
    void terminate() { process_.terminate(); } // SIGTERM
    bool running() const { return process_.state() != QProcess::NotRunning; }
    int exitCode() const { return process_.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return process_.exitStatus(); }
    // All the program has written so far.
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
