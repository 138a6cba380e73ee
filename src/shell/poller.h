// The poller: the poll timer ("Timer"), the extra look when a file being written settles, the
// poll state and the one-shot wait. It looks at the spool folder through the platform and prints
// through one function.
#pragma once

#include "poll_tick.h"

#include <QObject>
#include <QString>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QTimer;

class Poller : public QObject {
    Q_OBJECT
public:
    // Prints one spool file with an orientation (see PollEnvironment::PrintJob).
    using PrintFunction = std::function<bool(const std::filesystem::path& path, const std::string& orientation)>;

    // settings and startup outlive the poller and are read at every tick. A parent widget owns the
    // "Hiba!" boxes.
    Poller(const Settings& settings, const StartupValues& startup, PrintFunction print, QObject* parent = nullptr);

    // The program's own files (settings file, executable) and the built-in printer's folder:
    // never spool files, whatever the pattern.
    void SetOwnFiles(std::vector<std::filesystem::path> files, std::filesystem::path folder);

    // Tray/polling mode: a tick at every interval of the settings.
    void Start();
    // One-shot mode: prints the command line's file at once and then at each tick, until it has
    // printed, ten ticks have passed or the poller has stopped.
    void RunOneShot();
    // No tick starts any more: the program is ending.
    void Stop();
    bool Stopped() const { return stopped_; }

    PollState& State() { return state_; }

    // Runs one poll tick now (the timer's handler).
    void OnPollTimer();

Q_SIGNALS:
    // An error that escaped the tick: the program cannot go on.
    void Failed(const QString& description);

private:
    PollEnvironment MakeEnvironment();
    void EnableTimer(bool enabled);

    const Settings& settings_;
    const StartupValues& startup_;
    PrintFunction print_;
    PollState state_;
    PollEnvironment environment_; // made once: what every tick uses of the desktop
    std::vector<std::filesystem::path> ownFiles_;
    std::filesystem::path ownFolder_;
    std::string searchProblem_; // the last reason the spool folder could not be listed
    bool stopped_ = false;
    QTimer* Timer = nullptr;
    QTimer* settleTimer_ = nullptr; // one extra look when a file being written settles
};

// A line on standard error, for what waits without anyone's help.
void ReportLine(const std::string& text);
