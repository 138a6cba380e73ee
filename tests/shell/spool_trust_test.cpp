// The real program on folders that misbehave: a writer that pauses with the file open, a file that
// cannot be printed among good ones, names in any case, two instances on one folder, the program's
// own files in the watched folder, and the faults of a real machine (a full disk, a file-size
// limit, a folder it may not write, a read error).
#include "pdf_probe.h"
#include "spool_desk.h"
#include "test_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QSet>
#include <QTest>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

// Every text the filed PDFs hold, one entry per PDF.
QStringList PdfTexts(const QStringList& pdfs)
{
    QStringList texts;
    for (const QString& pdf : pdfs)
        texts << PdfText(pdf).trimmed();
    return texts;
}

// A line longer than any line that can be printed: the job fails on what the file holds.
QByteArray PoisonBytes() { return "first line\r\n" + QByteArray(40000, 'x') + "\r\n"; }

} // namespace

class SpoolTrustTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        qputenv("CUPS_SERVER", QFile::encodeName(QDir::tempPath() + "/orvalin-no-cups.sock"));
    }

    // A writer that pauses longer than the settle time with the file open is waited for, and a
    // file whose content fails the job is reported once and left as it is while the others print.
    void aPausingWriterAndAPoisonFileAmongGoodOnes()
    {
        Desk desk("Orvalin PDF", "*.txt", 150);
        WriteOldFile(desk.spool + "/a.txt", "good a\r\n");
        WriteOldFile(desk.spool + "/b.txt", PoisonBytes());
        WriteOldFile(desk.spool + "/c.txt", "good c\r\n");
        desk.start();
        QFile out(desk.spool + "/paused.txt");
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("before the pause\r\n");
        out.flush();
        QTRY_COMPARE_WITH_TIMEOUT(Pdfs(desk.program).size(), 2, 20000);
        QTest::qWait(4000); // twice the settle time without a write, the file still open
        out.write("after the pause\r\n");
        out.close();
        QTRY_COMPARE_WITH_TIMEOUT(Pdfs(desk.program).size(), 3, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(desk.spool + "/paused.txt"), 10000);
        QTest::qWait(1000);
        const QStringList texts = PdfTexts(Pdfs(desk.program));
        QCOMPARE(texts.size(), 3);
        QVERIFY(texts.contains("good a") && texts.contains("good c"));
        QVERIFY(texts.contains("before the pause\nafter the pause"));
        QCOMPARE(ReadFileBytes(desk.spool + "/b.txt"), PoisonBytes());
        const QString errors = desk.run->standardError();
        QCOMPARE(errors.count(desk.spool + "/b.txt"), 1);
        // Once it changes it is tried again: mended, it prints.
        WriteOldFile(desk.spool + "/b.txt", "mended b\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(desk.spool + "/b.txt"), 20000);
        QVERIFY(PdfTexts(Pdfs(desk.program)).contains("mended b"));
        desk.stop();
    }

    // A read error (a failing disk, injected with a preloaded library) is the fault of its file:
    // reported once, the file left as it is, the others printed.
    void aFileThatCannotBeReadIsReportedOnce()
    {
        Desk desk("Orvalin PDF", "*.txt", 100);
        WriteOldFile(desk.spool + "/a.txt", "good a\r\n");
        WriteOldFile(desk.spool + "/READ-ERROR.txt", "unreadable\r\n");
        WriteOldFile(desk.spool + "/c.txt", "good c\r\n");
        desk.run->environment().insert("LD_PRELOAD", BuiltProgram().section('/', 0, -2) + "/tests/bin/liborvalin_read_error_shim.so");
        // The sanitizer's runtime wants to come first; here the shim does.
        desk.run->environment().insert("ASAN_OPTIONS", "detect_leaks=0:verify_asan_link_order=0");
        desk.start();
        QTRY_COMPARE_WITH_TIMEOUT(Pdfs(desk.program).size(), 2, 20000);
        QTest::qWait(1500); // fifteen ticks
        QCOMPARE(Pdfs(desk.program).size(), 2);
        QCOMPARE(ReadFileBytes(desk.spool + "/READ-ERROR.txt"), QByteArray("unreadable\r\n"));
        QVERIFY2(desk.run->standardError().count("READ-ERROR.txt cannot be read: Input/output error") == 1,
                 qPrintable(desk.run->standardError()));
        desk.stop();
    }

    void namesMatchWhateverTheirCase()
    {
        Desk desk("Orvalin PDF", "*.*", 150);
        WriteOldFile(desk.spool + "/README", "no dot\r\n");
        WriteOldFile(desk.spool + "/A.TXT", "upper case\r\n");
        WriteOldFile(desk.spool + QStringLiteral("/Ωmega.txt"), "no code page holds it\r\n");
        desk.start();
        QTRY_VERIFY_WITH_TIMEOUT(QDir(desk.spool).isEmpty(), 20000);
        const QStringList texts = PdfTexts(Pdfs(desk.program));
        QCOMPARE(texts.size(), 3);
        QVERIFY(texts.contains("no dot") && texts.contains("upper case") && texts.contains("no code page holds it"));
        desk.stop();
    }

    void twoInstancesPrintEachFileOnce()
    {
        constexpr int count = 200;
        Desk first("Orvalin PDF", "*.txt", 100);
        Desk second("Orvalin PDF", "*.txt", 100);
        WriteFileBytes(second.program + "/Orvalin.ini", TestSettingsBytes("Orvalin PDF", first.spool + "/", "*.txt", 100));
        for (int i = 0; i < count; ++i)
            WriteOldFile(first.spool + QStringLiteral("/f%1.txt").arg(i, 3, 10, QLatin1Char('0')),
                         QStringLiteral("file %1\r\n").arg(i).toUtf8());
        first.start();
        second.start();
        QTRY_VERIFY_WITH_TIMEOUT(QDir(first.spool).isEmpty(), 240000);
        QTest::qWait(1000);
        const QStringList texts = PdfTexts(Pdfs(first.program) + Pdfs(second.program));
        QCOMPARE(texts.size(), count);
        QCOMPARE(QSet<QString>(texts.begin(), texts.end()).size(), count);
        first.stop();
        second.stop();
    }

    void orvalinsOwnFilesAreNeverJobs_data()
    {
        QTest::addColumn<QString>("watched"); // relative to the program folder
        QTest::addColumn<QString>("pattern");
        QTest::newRow("settings and program") << "." << "*.*";
        QTest::newRow("settings by its own pattern") << "." << "*.ini";
        QTest::newRow("filed documents") << "PDF" << "*.pdf";
    }
    void orvalinsOwnFilesAreNeverJobs()
    {
        QFETCH(QString, watched);
        QFETCH(QString, pattern);
        Desk desk("Orvalin PDF", pattern, 100);
        const QString folder = QDir::cleanPath(desk.program + "/" + watched);
        QVERIFY(QDir().mkpath(desk.program + "/PDF"));
        const QByteArray settings = TestSettingsBytes("Orvalin PDF", folder + "/", pattern, 100);
        WriteOldFile(desk.program + "/Orvalin.ini", settings); // settled, like any waiting job
        MakeOld(desk.program + "/orvalin");
        WriteOldFile(desk.program + "/PDF/Orvalin-20200101-000000.pdf", "%PDF-1.4 an earlier document\r\n");
        WriteOldFile(desk.program + "/job.txt", "a job\r\n");
        desk.start();
        QTest::qWait(1500); // fifteen ticks
        QCOMPARE(ReadFileBytes(desk.program + "/Orvalin.ini"), settings);
        QVERIFY(QFile::exists(desk.program + "/orvalin"));
        QVERIFY(QFile::exists(desk.program + "/PDF/Orvalin-20200101-000000.pdf"));
        // Only an ordinary job in the program's folder prints.
        QStringList filed = Pdfs(desk.program);
        filed.removeAll(desk.program + "/PDF/Orvalin-20200101-000000.pdf");
        QCOMPARE(PdfTexts(filed), pattern == "*.*" ? QStringList{"a job"} : QStringList{});
        desk.stop();
    }

    void aMissingFolderIsReportedOnceAndWatched()
    {
        Desk desk("Orvalin PDF", "text.txt", 100);
        QVERIFY(QDir(desk.spool).removeRecursively());
        desk.start();
        QTRY_VERIFY_WITH_TIMEOUT(desk.run->standardError().contains("The spool folder cannot be read"), 20000);
        QTest::qWait(1000);
        QCOMPARE(desk.run->standardError().count("The spool folder cannot be read"), 1);
        QVERIFY(desk.run->running());
        QVERIFY(QDir().mkpath(desk.spool));
        WriteOldFile(desk.spool + "/text.txt", "after all\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(desk.spool + "/text.txt"), 20000);
        QCOMPARE(Pdfs(desk.program).size(), 1);
        desk.stop();
    }

    // A folder the program may read but not write: the file is printed once, reported once, and
    // left until it changes.
    void aFileThatCannotBeDeletedIsPrintedOnce()
    {
        Desk desk("Orvalin PDF", "text.txt", 100);
        WriteOldFile(desk.spool + "/text.txt", "keep me\r\n");
        QVERIFY(::chmod(QFile::encodeName(desk.spool).constData(), 0755) == 0);
        desk.run->runAsNobody();
        desk.start();
        QTRY_COMPARE_WITH_TIMEOUT(Pdfs(desk.program).size(), 1, 20000);
        QTest::qWait(1500); // fifteen ticks
        QCOMPARE(Pdfs(desk.program).size(), 1);
        QCOMPARE(desk.run->standardError().count("cannot be deleted"), 1);
        WriteOldFile(desk.spool + "/text.txt", "a new job\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(Pdfs(desk.program).size(), 2, 20000);
        desk.stop();
    }

    // Writes that fail during the job: the document never counts, the spool file stays, the
    // failure is reported once, and the program goes on.
    void aFailedWriteOfTheDocumentKeepsTheJob_data()
    {
        QTest::addColumn<bool>("fullDisk"); // otherwise a file-size limit
        QTest::newRow("disk full") << true;
        QTest::newRow("file-size limit") << false;
    }
    void aFailedWriteOfTheDocumentKeepsTheJob()
    {
        QFETCH(bool, fullDisk);
        Desk desk("Orvalin PDF", "text.txt", 100);
        QByteArray big;
        for (int i = 0; i < 4000; ++i)
            big += "a line of the job that makes the document large, number " + QByteArray::number(i) + "\r\n";
        WriteOldFile(desk.spool + "/text.txt", big);
        const QString pdfFolder = desk.program + "/PDF";
        QVERIFY(QDir().mkpath(pdfFolder));
        bool mounted = false;
        const auto unmount = qScopeGuard([&] {
            if (mounted)
                ::umount(QFile::encodeName(pdfFolder).constData());
        });
        if (fullDisk) {
            mounted = ::mount("tmpfs", QFile::encodeName(pdfFolder).constData(), "tmpfs", 0, "size=16k") == 0;
            if (!mounted)
                QSKIP("cannot mount a small tmpfs here");
        } else {
            desk.run->process().setChildProcessModifier([] {
                struct rlimit limit {};
                limit.rlim_cur = limit.rlim_max = 16 * 1024;
                ::setrlimit(RLIMIT_FSIZE, &limit);
            });
        }
        desk.start();
        QTRY_VERIFY_WITH_TIMEOUT(desk.run->standardError().contains("Hiba!"), 30000);
        QTest::qWait(1500);
        QVERIFY(desk.run->running()); // no SIGXFSZ
        QVERIFY2(desk.run->standardError().count("Hiba!") == 1, qPrintable(desk.run->standardError()));
        QVERIFY2(desk.run->standardError().contains("could not be written"), qPrintable(desk.run->standardError()));
        QCOMPARE(ReadFileBytes(desk.spool + "/text.txt"), big);
        QVERIFY(Pdfs(desk.program).isEmpty());
        if (fullDisk) {
            // Room again: the waiting job prints, whole.
            // Busy while a try runs; the macro evaluates once more after success.
            QTRY_VERIFY_WITH_TIMEOUT(!mounted || (mounted = ::umount(QFile::encodeName(pdfFolder).constData()) != 0, !mounted), 10000);
            QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(desk.spool + "/text.txt"), 30000);
            QVERIFY(PdfPageCount(Pdfs(desk.program).value(0)) >= 1); // a whole document
            QVERIFY(PdfText(Pdfs(desk.program).value(0)).contains("number 0\n"));
        }
        desk.stop();
    }
};

QTEST_MAIN(SpoolTrustTest)
#include "spool_trust_test.moc"
