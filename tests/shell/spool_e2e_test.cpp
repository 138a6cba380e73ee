// Spool files through the real executable to the built-in PDF printer or a private CUPS queue,
// and the folders and machines that misbehave.
#include "pdf_probe.h"
#include "private_cups.h"
#include "run_program.h"
#include "temp_folder.h"
#include "test_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>
#include <QTest>

#include <filesystem>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

// Dated back a minute, so that it counts as finished.
void MakeOld(const QString& path)
{
    std::filesystem::last_write_time(path.toStdString(),
                                     std::filesystem::file_time_type::clock::now() - std::chrono::minutes(1));
}

void WriteOldFile(const QString& path, const QByteArray& bytes)
{
    WriteFileBytes(path, bytes);
    MakeOld(path);
}

// The PDFs the built-in printer filed for the program in programFolder, in name order.
QStringList Pdfs(const QString& programFolder) { return PdfFilesIn(programFolder + "/PDF"); }

QStringList PdfTexts(const QStringList& pdfs)
{
    QStringList texts;
    for (const QString& pdf : pdfs)
        texts << PdfText(pdf).trimmed();
    return texts;
}

long ResidentKilobytes(qint64 pid)
{
    const QByteArray status = ReadFileBytes(QStringLiteral("/proc/%1/status").arg(pid));
    const qsizetype at = status.indexOf("VmRSS:");
    return at < 0 ? -1 : status.mid(at + 6).trimmed().split(' ').value(0).toLong();
}

// A temporary home with a program folder and a spool folder, and the real program started there
// with settings for a test: the given printer, the spool folder and pattern, a short poll.
struct Desk {
    TempFolder home;
    QString program = home.file("program"), spool = home.file("spool");
    ProgramRun run{program, home.path()};

    Desk(const QString& printer, const QString& pattern, int interval = 150)
    {
        QDir().mkpath(spool);
        WriteFileBytes(program + "/Orvalin.ini", TestSettingsBytes(printer, spool + "/", pattern, interval));
    }
    void start() { run.start({QStringLiteral("watch")}); }
    // Ends the program with SIGTERM and checks that it ended cleanly.
    void stop()
    {
        if (run.running()) {
            run.process().terminate();
            QVERIFY(run.waitForExit(10000));
        }
        QCOMPARE(run.exitCode(), 0);
    }
};

} // namespace

class SpoolE2eTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Names in any case, an empty file, a link, an overlong line, a read error, a pausing writer.
    void aFolderOfEveryKind()
    {
        Desk desk("Orvalin PDF", "*.*", 150);
        const QByteArray poison = "first line\r\n" + QByteArray(40000, 'x') + "\r\n";
        WriteOldFile(desk.spool + "/README", "no dot\r\n");
        WriteOldFile(desk.spool + "/A.TXT", "upper case\r\n");
        WriteOldFile(desk.spool + QStringLiteral("/Ωmega.txt"), "no code page holds it\r\n");
        WriteOldFile(desk.spool + "/empty.txt", "");
        WriteOldFile(desk.spool + "/poison.txt", poison);
        WriteOldFile(desk.spool + "/READ-ERROR.txt", "unreadable\r\n");
        QVERIFY(QFile::link("/etc/hostname", desk.spool + "/link.txt"));
        desk.run.environment().insert("LD_PRELOAD",
                                      BuiltProgram().section('/', 0, -2) + "/tests/bin/liborvalin_read_error_shim.so");
        desk.run.environment().insert("ASAN_OPTIONS",
                                      "detect_leaks=0:verify_asan_link_order=0"); // the shim comes first
        desk.start();
        QFile out(desk.spool + "/paused.txt");
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("before the pause\r\n");
        out.flush();
        QTRY_COMPARE_WITH_TIMEOUT(Pdfs(desk.program).size(), 3, 20000);
        QTest::qWait(4000); // twice the settle time without a write, the file still open
        out.write("after the pause\r\n");
        out.close();
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(desk.spool + "/paused.txt"), 20000);
        QTest::qWait(1000);
        const QStringList texts = PdfTexts(Pdfs(desk.program));
        QCOMPARE(QSet<QString>(texts.begin(), texts.end()),
                 (QSet<QString>{"no dot", "upper case", "no code page holds it", "before the pause\nafter the pause"}));
        QCOMPARE(QDir(desk.spool).entryList(QDir::Files | QDir::System, QDir::Name),
                 (QStringList{"READ-ERROR.txt", "empty.txt", "link.txt", "poison.txt"}));
        QCOMPARE(ReadFileBytes(desk.spool + "/poison.txt"), poison);
        QVERIFY(QFileInfo(desk.spool + "/link.txt").isSymLink());
        const QString errors = desk.run.standardError();
        QCOMPARE(errors.count(desk.spool + "/poison.txt"), 1);
        QVERIFY2(errors.count("READ-ERROR.txt cannot be read: Input/output error") == 1, qPrintable(errors));
        // Changed, it is tried again: mended, it prints.
        WriteOldFile(desk.spool + "/poison.txt", "mended\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(desk.spool + "/poison.txt"), 20000);
        QVERIFY(PdfTexts(Pdfs(desk.program)).contains("mended"));
        desk.stop();
    }

    void aThousandFilesAndASecondInstance()
    {
        Desk first("Orvalin PDF", "*.txt", 100);
        Desk second("Orvalin PDF", "*.txt", 100);
        WriteFileBytes(second.program + "/Orvalin.ini",
                       TestSettingsBytes("Orvalin PDF", first.spool + "/", "*.txt", 100));
        for (int i = 0; i < 1000; ++i)
            WriteOldFile(first.spool + QStringLiteral("/f%1.txt").arg(i, 4, 10, QLatin1Char('0')),
                         QStringLiteral("file %1\r\n").arg(i).toUtf8());
        first.start();
        QTRY_VERIFY_WITH_TIMEOUT(Pdfs(first.program).size() >= 100, 60000);
        const long early = ResidentKilobytes(first.run.process().processId());
        second.start();
        QTRY_VERIFY_WITH_TIMEOUT(QDir(first.spool).isEmpty(), 240000);
        const long late = ResidentKilobytes(first.run.process().processId());
        QTest::qWait(1000);
        const QStringList texts = PdfTexts(Pdfs(first.program) + Pdfs(second.program));
        QCOMPARE(QSet<QString>(texts.begin(), texts.end()).size(), texts.size()); // each once
        QCOMPARE(texts.size(), 1000);
        QVERIFY2(late - early < 30 * 1024, qPrintable(QStringLiteral("%1 kB -> %2 kB").arg(early).arg(late)));
        first.stop();
        second.stop();
    }

    // Watching the program folder or the filed documents: the settings (settled like any waiting
    // job), the program and earlier documents are never jobs.
    void orvalinsOwnFilesAreNeverJobs()
    {
        const std::pair<QString, QString> rows[] = {{".", "*.*"}, {".", "*.ini"}, {"PDF", "*.pdf"}};
        for (const auto& [watched, pattern] : rows) {
            Desk desk("Orvalin PDF", pattern, 100);
            const QString earlier = desk.program + "/PDF/Orvalin-20200101-000000.pdf";
            QVERIFY(QDir().mkpath(desk.program + "/PDF"));
            const QByteArray settings =
                TestSettingsBytes("Orvalin PDF", QDir::cleanPath(desk.program + "/" + watched) + "/", pattern, 100);
            WriteOldFile(desk.program + "/Orvalin.ini", settings);
            MakeOld(desk.program + "/orvalin");
            WriteOldFile(earlier, "%PDF-1.4 an earlier document\r\n");
            WriteOldFile(desk.program + "/job.txt", "a job\r\n");
            desk.start();
            QTest::qWait(1500); // fifteen ticks
            QCOMPARE(ReadFileBytes(desk.program + "/Orvalin.ini"), settings);
            QVERIFY(QFile::exists(desk.program + "/orvalin") && QFile::exists(earlier));
            QStringList filed = Pdfs(desk.program);
            filed.removeAll(earlier);
            QCOMPARE(PdfTexts(filed), pattern == "*.*" ? QStringList{"a job"} : QStringList{});
            desk.stop();
        }
    }

    // Each fault is reported once, the job stays, and it prints once the fault is mended.
    void faultsOfTheMachine_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("said");
        QTest::newRow("disk full") << QString("tmpfs") << QString("could not be written");
        QTest::newRow("file-size limit") << QString("fsize") << QString("could not be written");
        QTest::newRow("folder it may not write") << QString("nobody") << QString("cannot be deleted");
        QTest::newRow("folder missing") << QString("missing") << QString("The spool folder cannot be read");
    }
    void faultsOfTheMachine()
    {
        QFETCH(QString, fault);
        QFETCH(QString, said);
        Desk desk("Orvalin PDF", "text.txt", 100);
        QByteArray big;
        for (int i = 0; i < 4000; ++i)
            big += "a line of the job that makes the document large, number " + QByteArray::number(i) + "\r\n";
        WriteOldFile(desk.spool + "/text.txt", big);
        const QByteArray pdfFolder = QFile::encodeName(desk.program + "/PDF");
        bool mounted = false;
        const auto unmount = qScopeGuard([&] {
            if (mounted)
                ::umount(pdfFolder.constData());
        });
        if (fault == "tmpfs"
            && !(QDir().mkpath(desk.program + "/PDF")
                 && (mounted = ::mount("tmpfs", pdfFolder.constData(), "tmpfs", 0, "size=16k") == 0)))
            QSKIP("cannot mount a small tmpfs here");
        if (fault == "fsize")
            desk.run.process().setChildProcessModifier([] {
                struct rlimit limit {};
                limit.rlim_cur = limit.rlim_max = 16 * 1024;
                ::setrlimit(RLIMIT_FSIZE, &limit);
            });
        if (fault == "nobody") {
            QVERIFY(::chmod(QFile::encodeName(desk.spool).constData(), 0755) == 0);
            desk.run.runAsNobody();
        }
        if (fault == "missing")
            QVERIFY(QDir(desk.spool).removeRecursively());
        desk.start();
        QTRY_VERIFY_WITH_TIMEOUT(desk.run.standardError().contains(said), 30000);
        QTest::qWait(1500);          // fifteen ticks
        QVERIFY(desk.run.running()); // no SIGXFSZ
        QVERIFY2(desk.run.standardError().count(said) == 1, qPrintable(desk.run.standardError()));
        QCOMPARE(Pdfs(desk.program).size(), fault == "nobody" ? 1 : 0);
        if (fault != "missing")
            QCOMPARE(ReadFileBytes(desk.spool + "/text.txt"), big);
        if (fault == "fsize")
            return desk.stop();
        // Mended: the job (a new one where the old one printed) prints, whole.
        if (fault == "missing")
            QVERIFY(QDir().mkpath(desk.spool));
        if (fault != "tmpfs")
            WriteOldFile(desk.spool + "/text.txt", big);
        // Busy while a try runs; the macro evaluates once more after success.
        QTRY_VERIFY_WITH_TIMEOUT(!mounted || (mounted = ::umount(pdfFolder.constData()) != 0, !mounted), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(Pdfs(desk.program).size(), fault == "nobody" ? 2 : 1, 30000);
        QVERIFY(PdfText(Pdfs(desk.program).last()).contains("number 0\n"));
        desk.stop();
    }

    void aStoppedQueueKeepsTheFilesUntilItIsBack()
    {
        PrivateCups cups;
        QVERIFY2(cups.start(), qPrintable(cups.lastError()));
        QVERIFY(cups.addQueue("office", true));
        QVERIFY(cups.disable("office"));
        Desk desk("office", "text.txt", 300);
        desk.run.environment().insert("CUPS_SERVER", cups.socketPath());
        WriteOldFile(desk.spool + "/text.txt", "Through CUPS\r\n");
        desk.start();
        QTRY_VERIFY_WITH_TIMEOUT(desk.run.standardError().contains("Hiba!"), 20000);
        QTest::qWait(1500); // one outage, one report, however many ticks it lasts
        QCOMPARE(desk.run.standardError().count("Hiba!"), 1);
        QVERIFY(QFile::exists(desk.spool + "/text.txt"));
        QCOMPARE(cups.savedJobs("office").size(), 0);
        QVERIFY(cups.enable("office"));
        QVERIFY(cups.waitForSavedJobs("office", 1, 30000));
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(desk.spool + "/text.txt"), 10000);
        QTest::qWait(1500);
        QCOMPARE(cups.savedJobs("office").size(), 1);
        QVERIFY(PdfText(cups.savedJobs("office").first()).contains("Through CUPS"));
        QVERIFY(Pdfs(desk.program).isEmpty());
        desk.stop();
    }
};

QTEST_MAIN(SpoolE2eTest)
#include "spool_e2e_test.moc"
