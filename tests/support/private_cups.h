// A CUPS scheduler of the test's own, in a temporary folder, listening only on a UNIX socket there,
// with only the queues the test adds. Each queue's backend saves every job's document into a folder
// of its own, with the job's options beside it. While it runs, CUPS_SERVER (for this process and the
// tools it runs) and libcups's cupsSetServer name its socket; stopping restores both.
#pragma once

#include <QMarginsF>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class PrivateCups {
public:
    PrivateCups();
    ~PrivateCups();
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    // Starts cupsd and waits until it answers; false (see lastError) when it does not.
    bool start(int timeoutMs = 30000);
    void stop();
    bool running() const;
    QString socketPath() const;
    QString lastError() const { return error_; }
    // The scheduler's error log, for failure messages.
    QString errorLog() const;

    // A raw queue whose backend saves each job's document into savedJobFolder(name).
    bool addQueue(const QString& name, bool makeDefault = false);
    // A driver queue for A4 paper (and Letter) whose PPD declares these unprintable margins, in
    // points: its jobs go through the system's PDF filter (pdftopdf), as on a real office printer,
    // and are saved like those of a raw queue.
    bool addQueueWithMargins(const QString& name, const QMarginsF& points);
    bool disable(const QString& name); // cupsdisable: the queue is stopped
    bool enable(const QString& name);  // cupsenable
    bool remove(const QString& name);  // lpadmin -x
    QString savedJobFolder(const QString& name) const;
    // The documents the backend has finished saving, oldest job first.
    QStringList savedJobs(const QString& name) const;
    // The options the backend was given with a saved document ("print-scaling=none …").
    QString savedJobOptions(const QString& documentPath) const;
    bool waitForSavedJobs(const QString& name, int count, int timeoutMs) const;
    // Every job the scheduler knows for the queue, pending, done or cancelled; -1 on failure.
    int jobCount(const QString& name) const;

    // Runs a CUPS command-line tool against this scheduler; false on a non-zero exit.
    bool run(const QString& program, const QStringList& arguments);

private:
    bool Fail(const QString& error)
    {
        error_ = error;
        return false;
    }
    QTemporaryDir dir_;
    std::unique_ptr<QProcess> cupsd_;
    QString error_;
    QByteArray savedServer_;
    bool hadServer_ = false;
};
