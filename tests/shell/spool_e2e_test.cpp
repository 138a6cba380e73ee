// The whole road of a spool file through the real executable: dropped into the watched folder,
// found by the poll, printed to the built-in PDF printer or to a private CUPS queue, deleted.
#include "pdf_probe.h"
#include "private_cups.h"
#include "spool_desk.h"
#include "test_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

long ResidentKilobytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Whether the process holds the file open (the job is reading it).
bool HasOpen(qint64 pid, const QString& path)
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        if (fd.symLinkTarget() == path)
            return true;
    }
    return false;
}

} // namespace

class SpoolE2eTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // No scheduler: the built-in printer is the only one, unless a test starts its own.
        qputenv("CUPS_SERVER", QFile::encodeName(QDir::tempPath() + "/orvalin-no-cups.sock"));
    }

    void aSingleFileIsPrintedAndDeleted()
    {
        Desk desk("Orvalin PDF", "text.txt");
        WriteOldFile(desk.spool + "/text.txt", "Hello printer\r\nSecond line\r\n");
        desk.start();
        QTRY_COMPARE_WITH_TIMEOUT(Pdfs(desk.program).size(), 1, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(desk.spool + "/text.txt"), 10000);
        const QString pdf = Pdfs(desk.program).first();
        QCOMPARE(PdfPageCount(pdf), 1);
        QVERIFY(PdfText(pdf).contains("Hello printer"));
        QVERIFY(PdfText(pdf).contains("Second line"));
        QTest::qWait(1000);
        QCOMPARE(Pdfs(desk.program).size(), 1); // printed once
        desk.stop();
    }

    void aBatchSkipsEmptyFilesAndOtherNames()
    {
        Desk desk("Orvalin PDF", "job?.txt");
        WriteOldFile(desk.spool + "/job1.txt", "first\r\n");
        WriteOldFile(desk.spool + "/job2.txt", "");
        WriteOldFile(desk.spool + "/job3.txt", "third\r\n");
        WriteOldFile(desk.spool + "/job10.txt", "not matched\r\n");
        WriteOldFile(desk.spool + "/other.dat", "not matched\r\n");
        QVERIFY(QFile::link("/etc/hostname", desk.spool + "/job4.txt")); // a planted link
        desk.start();
        QTRY_COMPARE_WITH_TIMEOUT(Pdfs(desk.program).size(), 2, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(desk.spool + "/job3.txt"), 10000);
        QTest::qWait(1000);
        QCOMPARE(Pdfs(desk.program).size(), 2);
        QVERIFY(!QFile::exists(desk.spool + "/job1.txt"));
        QVERIFY(QFile::exists(desk.spool + "/job2.txt")); // empty: waits
        QVERIFY(QFile::exists(desk.spool + "/job10.txt"));
        QVERIFY(QFile::exists(desk.spool + "/other.dat"));
        QVERIFY(QFileInfo(desk.spool + "/job4.txt").isSymLink()); // neither followed nor deleted
        const QString all = PdfText(Pdfs(desk.program)[0]) + PdfText(Pdfs(desk.program)[1]);
        QVERIFY(all.contains("first") && all.contains("third") && !all.contains("not matched"));
        // Once it has content, the empty one is printed too.
        WriteOldFile(desk.spool + "/job2.txt", "second\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(Pdfs(desk.program).size(), 3, 20000);
        desk.stop();
    }

    void aSlowWriterIsPrintedOnceAndWhole()
    {
        Desk desk("Orvalin PDF", "text.txt");
        desk.start();
        QFile out(desk.spool + "/text.txt");
        QVERIFY(out.open(QIODevice::WriteOnly));
        for (int piece = 1; piece <= 8; ++piece) {
            out.write(QStringLiteral("piece %1 of 8\r\n").arg(piece).toUtf8());
            out.flush();
            QTest::qWait(500);
        }
        out.close();
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(desk.spool + "/text.txt"), 20000);
        QTest::qWait(1000);
        QCOMPARE(Pdfs(desk.program).size(), 1);
        const QString text = PdfText(Pdfs(desk.program).first());
        QVERIFY2(text.contains("piece 1 of 8") && text.contains("piece 8 of 8"), qPrintable(text));
        desk.stop();
    }

    void aNewJobWrittenUnderTheSameNameDuringPrintingIsKept()
    {
        Desk desk("Orvalin PDF", "text.txt");
        QByteArray big;
        for (int i = 1; i <= 200000; ++i)
            big += "old job line " + QByteArray::number(i) + "\r\n";
        WriteOldFile(desk.spool + "/text.txt", big);
        desk.start();
        // While the long job prints (its document is being written), the legacy program writes its
        // next job under the same name.
        QTRY_VERIFY_WITH_TIMEOUT(HasOpen(desk.run->process().processId(), desk.spool + "/text.txt"), 20000);
        WriteFileBytes(desk.spool + "/text.next", "NEW JOB\r\n");
        QVERIFY(::rename(QFile::encodeName(desk.spool + "/text.next").constData(),
                         QFile::encodeName(desk.spool + "/text.txt").constData()) == 0);
        QTRY_COMPARE_WITH_TIMEOUT(Pdfs(desk.program).size(), 2, 60000);
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(desk.spool + "/text.txt"), 10000);
        const QStringList pdfs = Pdfs(desk.program);
        const QString first = QFileInfo(pdfs[0]).size() > QFileInfo(pdfs[1]).size() ? pdfs[0] : pdfs[1];
        const QString second = first == pdfs[0] ? pdfs[1] : pdfs[0];
        // The old job's lines run below the page (nothing checks the page bottom); its first ones show.
        QVERIFY(PdfText(first).contains("old job line 1\n"));
        QVERIFY(!PdfText(first).contains("NEW JOB"));
        QCOMPARE(PdfText(second).trimmed(), QStringLiteral("NEW JOB"));
        desk.stop();
    }

    void aThousandFilesArePrintedExactlyOnceWithFlatMemory()
    {
        Desk desk("Orvalin PDF", "*.txt", 100);
        for (int i = 0; i < 1000; ++i)
            WriteOldFile(desk.spool + QStringLiteral("/f%1.txt").arg(i, 4, 10, QLatin1Char('0')),
                         QStringLiteral("file %1\r\n").arg(i).toUtf8());
        desk.start();
        QTRY_VERIFY_WITH_TIMEOUT(Pdfs(desk.program).size() >= 100, 60000);
        const long early = ResidentKilobytes(desk.run->process().processId());
        QTRY_VERIFY_WITH_TIMEOUT(QDir(desk.spool).entryList(QDir::Files).isEmpty(), 240000);
        const long late = ResidentKilobytes(desk.run->process().processId());
        QTest::qWait(500);
        QCOMPARE(Pdfs(desk.program).size(), 1000);
        QVERIFY2(late - early < 30 * 1024, qPrintable(QStringLiteral("%1 kB -> %2 kB").arg(early).arg(late)));
        desk.stop();
    }

    void oneShotPrintsTheNamedFileAndKeepsIt_data()
    {
        QTest::addColumn<QString>("orientation");
        QTest::newRow("portrait") << "0";
        QTest::newRow("landscape") << "1";
    }
    void oneShotPrintsTheNamedFileAndKeepsIt()
    {
        QFETCH(QString, orientation);
        Desk desk("Orvalin PDF", "text.txt");
        // A relative name in capitals only; the program runs in its own folder.
        WriteFileBytes(desk.program + "/OUT.TXT", "One shot\r\n");
        desk.start({QStringLiteral("OUT.TXT"), orientation});
        QVERIFY(desk.run->waitForExit(20000));
        QCOMPARE(desk.run->exitCode(), 0);
        QVERIFY(QFile::exists(desk.program + "/OUT.TXT"));
        QCOMPARE(Pdfs(desk.program).size(), 1);
        const QSizeF page = PdfPageSize(Pdfs(desk.program).first(), 1);
        QCOMPARE(page.width() > page.height(), orientation == "1");
        QVERIFY(PdfText(Pdfs(desk.program).first()).contains("One shot"));
    }

    void aStoppedQueueKeepsTheFilesUntilItIsBack()
    {
        PrivateCups cups;
        QVERIFY2(cups.start(), qPrintable(cups.lastError()));
        QVERIFY(cups.addQueue("office", true));
        QVERIFY(cups.disable("office"));
        Desk desk("office", "text.txt", 300);
        desk.run->environment().insert("CUPS_SERVER", cups.socketPath());
        WriteOldFile(desk.spool + "/text.txt", "Through CUPS\r\n");
        desk.start();
        QTRY_VERIFY_WITH_TIMEOUT(desk.run->standardError().contains("Hiba!"), 20000);
        QVERIFY(QFile::exists(desk.spool + "/text.txt"));
        // One outage, one report, however many ticks it lasts (five more at 300 ms here).
        QTest::qWait(1500);
        QCOMPARE(desk.run->standardError().count("Hiba!"), 1);
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
