#include "private_cups.h"
#include "temp_folder.h"

#include <cups/cups.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <sys/prctl.h>

#include <csignal>

namespace {

bool WriteText(const QString& path, const QString& text, QFileDevice::Permissions permissions = {})
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0)
        return false;
    file.close();
    return permissions == QFileDevice::Permissions{} || file.setPermissions(permissions);
}

// Without arguments the backend lists its device; with a job it copies the document (argument 6, or
// standard input) into the folder of its device URI, under a name that appears only when the copy
// is complete, and the job's options (argument 5) beside it. cupsd runs it as root only while it is
// mode 0700 and owned by root.
const char* const BackendScript = R"(#!/bin/sh
if [ $# -eq 0 ]; then echo 'direct orvalinsave "Unknown" "Orvalin test backend"'; exit 0; fi
dir="${DEVICE_URI#orvalinsave:}"
name=$(printf 'job-%06d' "$1")
printf '%s\n' "$5" > "$dir/$name.options" || exit 1
if [ -n "$6" ]; then cp "$6" "$dir/$name.part" || exit 1; else cat > "$dir/$name.part" || exit 1; fi
mv "$dir/$name.part" "$dir/$name.pdf"
)";

const char* const FilesConf = "ServerRoot %1/conf\nServerBin %1/bin\nRequestRoot %1/spool\nTempDir %1/spool/tmp\n"
                              "CacheDir %1/cache\nStateDir %1/state\nAccessLog %1/log/access_log\n"
                              "ErrorLog %1/log/error_log\nPageLog %1/log/page_log\nFileDevice No\n";
const char* const CupsdConf = "LogLevel info\nListen %1\nBrowsing No\nBrowseLocalProtocols none\nDefaultAuthType None\n"
                              "WebInterface No\nPreserveJobHistory Yes\n<Location />\n  Order allow,deny\n  Allow all\n"
                              "</Location>\n<Policy default>\n  <Limit All>\n    Order deny,allow\n    Allow all\n"
                              "  </Limit>\n</Policy>\n";
// A driver queue's PPD for A4 and Letter; %1 and %2 are their imageable areas.
const char* const MarginsPpd =
    "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n*LanguageVersion: English\n"
    "*LanguageEncoding: ISOLatin1\n*PCFileName: \"ORVMARG.PPD\"\n*Manufacturer: \"Orvalin\"\n"
    "*Product: \"(Margins)\"\n*ModelName: \"Orvalin margins\"\n*ShortNickName: \"Orvalin margins\"\n"
    "*NickName: \"Orvalin margins\"\n*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: \"3\"\n"
    "*ColorDevice: False\n*DefaultColorSpace: Gray\n*FileSystem: False\n*Throughput: \"1\"\n"
    "*LandscapeOrientation: Plus90\n*TTRasterizer: Type42\n"
    "*cupsFilter2: \"application/vnd.cups-pdf application/pdf 0 -\"\n"
    "*OpenUI *PageSize/Media Size: PickOne\n*OrderDependency: 10 AnySetup *PageSize\n*DefaultPageSize: A4\n"
    "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
    "*PageSize Letter/Letter: \"<</PageSize[612 792]>>setpagedevice\"\n*CloseUI: *PageSize\n"
    "*OpenUI *PageRegion: PickOne\n*OrderDependency: 10 AnySetup *PageRegion\n*DefaultPageRegion: A4\n"
    "*PageRegion A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
    "*PageRegion Letter/Letter: \"<</PageSize[612 792]>>setpagedevice\"\n*CloseUI: *PageRegion\n"
    "*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"%1\"\n*ImageableArea Letter/Letter: \"%2\"\n"
    "*DefaultPaperDimension: A4\n*PaperDimension A4/A4: \"595 842\"\n*PaperDimension Letter/Letter: \"612 792\"\n";

} // namespace

PrivateCups::PrivateCups() : dir_(QDir::tempPath() + QStringLiteral("/orvalin-cups-XXXXXX")) {}

PrivateCups::~PrivateCups() { stop(); }

QString PrivateCups::socketPath() const { return dir_.filePath(QStringLiteral("cups.sock")); }

bool PrivateCups::running() const { return cupsd_ && cupsd_->state() == QProcess::Running; }

QString PrivateCups::errorLog() const
{
    return QString::fromUtf8(ReadFileBytes(dir_.filePath(QStringLiteral("log/error_log"))));
}

bool PrivateCups::start(int timeoutMs)
{
    if (!dir_.isValid())
        return Fail(QStringLiteral("cannot create a temporary folder"));
    const QString root = dir_.path();
    QDir folder(root);
    // The scheduler drops to user lp for some helpers; they must be able to reach its folders.
    QFile::setPermissions(root, QFile::permissions(root) | QFileDevice::ReadOther | QFileDevice::ExeOther
                                    | QFileDevice::ReadGroup | QFileDevice::ExeGroup);
    for (const char* sub : {"conf", "spool/tmp", "cache", "state", "log", "bin/backend", "jobs"})
        folder.mkpath(QString::fromLatin1(sub));
    // Filters and helper programs are the system's; the backends are only ours.
    for (const char* sub : {"filter", "daemon", "cgi-bin", "monitor", "notifier", "driver"})
        QFile::link(QStringLiteral("/usr/lib/cups/") + QLatin1String(sub),
                    folder.filePath(QStringLiteral("bin/") + QLatin1String(sub)));
    const QString filesConf = folder.filePath(QStringLiteral("conf/cups-files.conf"));
    const QString cupsdConf = folder.filePath(QStringLiteral("conf/cupsd.conf"));
    if (!WriteText(folder.filePath(QStringLiteral("bin/backend/orvalinsave")), QString::fromUtf8(BackendScript),
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)
        || !WriteText(filesConf, QString::fromUtf8(FilesConf).arg(root))
        || !WriteText(cupsdConf, QString::fromUtf8(CupsdConf).arg(socketPath())))
        return Fail(QStringLiteral("cannot write the configuration"));

    cupsd_ = std::make_unique<QProcess>();
    cupsd_->setProcessChannelMode(QProcess::MergedChannels);
    cupsd_->setStandardOutputFile(folder.filePath(QStringLiteral("log/cupsd.out")));
    // The scheduler ends with the test process, even when the test crashes.
    cupsd_->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    cupsd_->start(QStringLiteral("/usr/sbin/cupsd"),
                  QStringList{QStringLiteral("-f"), QStringLiteral("-c"), cupsdConf, QStringLiteral("-s"), filesConf});
    if (!cupsd_->waitForStarted(10000))
        return Fail(QStringLiteral("cupsd did not start: ") + cupsd_->errorString());

    hadServer_ = qEnvironmentVariableIsSet("CUPS_SERVER");
    savedServer_ = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER", QFile::encodeName(socketPath()));
    cupsSetServer(QFile::encodeName(socketPath()).constData());

    for (const QDeadlineTimer deadline(timeoutMs); !deadline.hasExpired(); QThread::msleep(100)) {
        if (!running())
            return Fail(QStringLiteral("cupsd ended at start: ") + errorLog());
        if (QFileInfo::exists(socketPath()) && run(QStringLiteral("lpstat"), {QStringLiteral("-r")}))
            return true;
    }
    return Fail(QStringLiteral("cupsd does not answer: ") + errorLog());
}

void PrivateCups::stop()
{
    if (!cupsd_)
        return;
    cupsd_->terminate();
    if (!cupsd_->waitForFinished(15000)) {
        cupsd_->kill();
        cupsd_->waitForFinished(5000);
    }
    cupsd_.reset();
    if (hadServer_)
        qputenv("CUPS_SERVER", savedServer_);
    else
        qunsetenv("CUPS_SERVER");
    cupsSetServer(nullptr);
}

bool PrivateCups::run(const QString& program, const QStringList& arguments)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), socketPath());
    tool.setProcessEnvironment(env);
    tool.start(program, arguments);
    const bool finished = tool.waitForFinished(30000);
    if (!finished) {
        tool.kill();
        tool.waitForFinished(5000);
    }
    if (finished && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0)
        return true;
    return Fail(program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) + QStringLiteral(": ")
                + (finished ? QString::fromUtf8(tool.readAll()) : QStringLiteral("did not finish")));
}

QString PrivateCups::savedJobFolder(const QString& name) const { return dir_.filePath(QStringLiteral("jobs/") + name); }

bool PrivateCups::addQueue(const QString& name, bool makeDefault)
{
    QDir().mkpath(savedJobFolder(name));
    return run(QStringLiteral("lpadmin"), {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                                           QStringLiteral("orvalinsave:") + savedJobFolder(name)})
           && (!makeDefault || run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), name}));
}

bool PrivateCups::addQueueWithMargins(const QString& name, const QMarginsF& points)
{
    // The imageable area of each size: lower-left and upper-right corners in points.
    const auto area = [&](double width, double height) {
        return QStringLiteral("%1 %2 %3 %4")
            .arg(points.left())
            .arg(points.bottom())
            .arg(width - points.right())
            .arg(height - points.top());
    };
    const QString ppdFile = dir_.filePath(name + QStringLiteral(".ppd"));
    if (!WriteText(ppdFile, QString::fromUtf8(MarginsPpd).arg(area(595, 842), area(612, 792))))
        return Fail(QStringLiteral("cannot write the PPD"));
    QDir().mkpath(savedJobFolder(name));
    // lpadmin may give a new driver queue the machine's own default paper; A4 is asked for.
    return run(QStringLiteral("lpadmin"),
               QStringList{QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                           QStringLiteral("orvalinsave:") + savedJobFolder(name), QStringLiteral("-P"), ppdFile})
           && run(QStringLiteral("lpadmin"),
                  QStringList{QStringLiteral("-p"), name, QStringLiteral("-o"), QStringLiteral("PageSize=A4")});
}

bool PrivateCups::disable(const QString& name) { return run(QStringLiteral("cupsdisable"), {name}); }
bool PrivateCups::enable(const QString& name) { return run(QStringLiteral("cupsenable"), {name}); }
bool PrivateCups::remove(const QString& name) { return run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name}); }

QStringList PrivateCups::savedJobs(const QString& name) const
{
    const QDir jobs(savedJobFolder(name));
    QStringList paths;
    for (const QString& file : jobs.entryList({QStringLiteral("job-*.pdf")}, QDir::Files, QDir::Name))
        paths << jobs.filePath(file);
    return paths;
}

QString PrivateCups::savedJobOptions(const QString& documentPath) const
{
    return QString::fromUtf8(ReadFileBytes(documentPath.chopped(4) + QStringLiteral(".options"))).trimmed();
}

bool PrivateCups::waitForSavedJobs(const QString& name, int count, int timeoutMs) const
{
    for (const QDeadlineTimer deadline(timeoutMs); savedJobs(name).size() < count; QThread::msleep(100))
        if (deadline.hasExpired())
            return false;
    return true;
}

int PrivateCups::jobCount(const QString& name) const
{
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, name.toUtf8().constData(), 0, CUPS_WHICHJOBS_ALL);
    cupsFreeJobs(count < 0 ? 0 : count, jobs);
    return count;
}
