// Printing through CUPS, against a private scheduler started by the test: destinations and the
// default, documents arriving whole at the backend, and queues that refuse, are stopped or gone.
#include "common/errors.h"
#include "pdf_probe.h"
#include "private_cups.h"
#include "spool_rig.h"

#include <QDir>
#include <QTest>

#include <cmath>
#include <tuple>

// A scheduler command that must succeed, failing the test with its error otherwise.
#define CUPS_OK(call) QVERIFY2(cups_.call, qPrintable(cups_.lastError()))
#define JOBS_SAVED(queue, count) QVERIFY2(cups_.waitForSavedJobs(queue, count, 30000), qPrintable(cups_.errorLog()))

namespace {

// What is left in the temporary folder, which the test makes its own.
QStringList TemporaryFiles() { return AllFilesIn(QDir::tempPath()); }

} // namespace

class SurfaceCupsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Temporary print files go to a folder of this test only, so that leftovers can be seen.
        qputenv("TMPDIR", QFile::encodeName(tmp_.path()));
        QCOMPARE(QDir::tempPath(), tmp_.path());
        CUPS_OK(start());
    }
    void cleanupTestCase() { cups_.stop(); }

    void destinations()
    {
        auto printers = MakeSystemPrinters(pdfs_.fsPath());
        QCOMPARE(printers->DeviceNames(), std::vector<std::string>{BuiltInPrinterName});
        QCOMPARE(printers->DefaultDeviceName(), std::string(BuiltInPrinterName));
        CUPS_OK(addQueue("zeta"));
        // A destination without a default still leaves the built-in printer as the default.
        QCOMPARE(printers->DefaultDeviceName(), std::string(BuiltInPrinterName));
        QCOMPARE(printers->Current().DeviceName(), std::string(BuiltInPrinterName));
        CUPS_OK(addQueue("office", true));
        CUPS_OK(addQueue("Alpha"));
        printers = MakeSystemPrinters(pdfs_.fsPath());
        QCOMPARE(printers->DeviceNames(), (std::vector<std::string>{"Alpha", "office", "zeta", BuiltInPrinterName}));
        QCOMPARE(printers->DefaultDeviceName(), std::string("office"));
        QCOMPARE(SystemDefaultDeviceName(), std::string("office"));
        QCOMPARE(printers->Current().DeviceName(), std::string("office"));
        QVERIFY(printers->Select("zeta"));
        QVERIFY(!printers->Select("ZETA"));
        QCOMPARE(printers->Current().DeviceName(), std::string("zeta"));
        // A document without output makes no job.
        printers->Current().SetCurrentY(500);
        printers->Current().EndDoc();
        QCOMPARE(cups_.jobCount("zeta"), 0);
    }
    void paperIsTheDestinationsDefaultMedia()
    {
        CUPS_OK(addQueue("letter"));
        CUPS_OK(run("lpadmin", {"-p", "letter", "-o", "media-default=na_letter_8.5x11in"}));
        auto printers = MakeSystemPrinters(pdfs_.fsPath());
        QVERIFY(printers->Select("letter"));
        Printer& printer = printers->Current();
        QVERIFY2(Near(printer.PageWidth(), 8.5 * 1440) && Near(printer.PageHeight(), 11 * 1440),
                 qPrintable(QString::number(printer.PageWidth())));
        printer.SetOrientation(PageOrientation::Landscape);
        QVERIFY(Near(printer.PageWidth(), 11 * 1440));
        printer.PrintText("Letter paper");
        printer.EndDoc();
        JOBS_SAVED("letter", 1);
        QCOMPARE(PdfPageSize(cups_.savedJobs("letter").constFirst(), 1).toSize(), QSize(792, 612));
        QVERIFY(cups_.remove("letter"));
    }
    // A refused document fails with the reason, leaving no job or file; the next holds none of it.
    void refusedDocumentThrows_data()
    {
        // The CUPS commands that refuse and allow again, "%1" the queue.
        QTest::addColumn<QStringList>("block");
        QTest::addColumn<QStringList>("unblock");
        QTest::addColumn<QString>("message");
        QTest::newRow("rejecting") << QStringList{"cupsreject", "%1"} << QStringList{"cupsaccept", "%1"}
                                   << "not accepting";
        QTest::newRow("stopped") << QStringList{"cupsdisable", "%1"} << QStringList{"cupsenable", "%1"} << "stopped";
        // Only a user that does not exist may print: a refusal that only the job's IPP status shows.
        QTest::newRow("user refused") << QStringList{"lpadmin", "-p", "%1", "-u", "allow:orvalin-no-such-user"}
                                      << QStringList() << "refused the document";
        QTest::newRow("removed") << QStringList{"lpadmin", "-x", "%1"} << QStringList() << "not available";
    }
    void refusedDocumentThrows()
    {
        QFETCH(QStringList, block);
        QFETCH(QStringList, unblock);
        QFETCH(QString, message);
        const QString queue =
            QString("refusing-%1").arg(QString::fromLatin1(QTest::currentDataTag())).replace(' ', '-');
        const auto run = [&](QStringList command) {
            command.replaceInStrings("%1", queue);
            return cups_.run(command.takeFirst(), command);
        };
        CUPS_OK(addQueue(queue));
        auto printers = MakeSystemPrinters(pdfs_.fsPath());
        QVERIFY(printers->Select(queue.toStdString()));
        printers->Current().PrintText("Refused text");
        QVERIFY2(run(block), qPrintable(cups_.lastError()));
        try {
            printers->Current().EndDoc();
            QFAIL("EndDoc accepted a document that the queue refused");
        } catch (const OrvalinError& error) {
            QVERIFY2(QString::fromStdString(error.what()).contains(message), error.what());
        }
        QCOMPARE(printers->Current().CurrentX(), 0.0);
        QCOMPARE(TemporaryFiles(), QStringList());
        QVERIFY(cups_.savedJobs(queue).isEmpty());
        if (block.contains("-x"))
            QVERIFY(!printers->Select(queue.toStdString()));
        if (unblock.isEmpty())
            return;
        QCOMPARE(cups_.jobCount(queue), 0);
        QVERIFY2(run(unblock), qPrintable(cups_.lastError()));
        printers->Current().PrintText("Accepted text");
        printers->Current().EndDoc();
        JOBS_SAVED(queue, 1);
        const QString saved = cups_.savedJobs(queue).constFirst();
        QVERIFY(!PdfText(saved).contains(QStringLiteral("Refused")));
        QCOMPARE(PdfPageCount(saved), 1);
    }
    // A job on a queue with four different unprintable margins: the engine sees the printable area,
    // turned with the paper; text lands at margin plus offset, unscaled; a logo job is one job.
    void printJobOnTheQueuesPrintableArea()
    {
        const QMarginsF margins(20, 30, 15, 25);
        CUPS_OK(addQueueWithMargins("margins", margins));
        BackEndJob job("margins", 1);
        job.Rule("\f", "np");
        QVERIFY(job.printers->Select("margins"));
        Printer& printer = job.printers->Current();
        for (const auto& [turned, width, height] :
             {std::tuple{false, 595 - 20 - 15, 842 - 30 - 25}, {true, 842 - 25 - 30, 595 - 20 - 15}}) {
            printer.SetOrientation(turned ? PageOrientation::Landscape : PageOrientation::Portrait);
            QVERIFY2(Near(printer.PageWidth(), width * 20, 5) && Near(printer.PageHeight(), height * 20, 5),
                     qPrintable(QString("%1 x %2").arg(printer.PageWidth()).arg(printer.PageHeight())));
        }
        QVERIFY(job.Print("First line\r\nhead\fSecond page\r\nbelow\r\n"));
        JOBS_SAVED("margins", 1);
        QString saved = cups_.savedJobs("margins").constFirst();
        const QString options = cups_.savedJobOptions(saved);
        QVERIFY2(options.contains(QStringLiteral("print-scaling=none")), qPrintable(options));
        QCOMPARE(TemporaryFiles(), QStringList());
        QVERIFY(AllFilesIn(job.folder.file("PDF")).isEmpty()); // nothing for the built-in printer
        QCOMPARE(PdfPageCount(saved), 2);
        QCOMPARE(PdfPageSize(saved, 1).toSize(), QSize(595, 842));
        // 1 cm of left margin is 28.35 points; a line is 12 points.
        const double left = margins.left() + 567 / 20.0;
        for (const auto& [text, page, line] :
             {std::tuple{"First", 1, 0}, {"head", 1, 1}, {"Second", 2, 0}, {"below", 2, 1}}) {
            const PdfWord word = FindPdfWord(saved, text);
            QVERIFY2(WordAt(word, page, left, margins.top() + 12 * line), qPrintable(DescribeWord(word)));
        }
        job.global.settings.LogoEnabled = true;
        job.global.settings.LogoCondition = "INVOICE";
        job.logo = QImage(48, 24, QImage::Format_RGB32);
        job.logo.fill(Qt::darkGreen);
        QVERIFY(job.Print("INVOICE 7\r\nover the logo\f\r\nrest of it\r\n"));
        JOBS_SAVED("margins", 2);
        QCOMPARE(cups_.jobCount("margins"), 2);
        saved = cups_.savedJobs("margins").constLast();
        QCOMPARE(PdfPageCount(saved), 2);
        QCOMPARE(FindPdfWord(saved, "rest").page, 2);
        QCOMPARE(PdfImageCount(saved), 1);
    }
    // Last: the scheduler goes away while a document is open.
    void schedulerGoneThrows()
    {
        auto printers = MakeSystemPrinters(pdfs_.fsPath());
        QVERIFY(printers->Select("office"));
        printers->Current().PrintText("No scheduler");
        cups_.stop();
        QVERIFY_THROWS_EXCEPTION(OrvalinError, printers->Current().EndDoc());
        QCOMPARE(TemporaryFiles(), QStringList());
        QCOMPARE(printers->DefaultDeviceName(), std::string(BuiltInPrinterName));
        QCOMPARE(SystemDefaultDeviceName(), std::string(BuiltInPrinterName));
        QCOMPARE(printers->DeviceNames(), std::vector<std::string>{BuiltInPrinterName});
    }

private:
    TempFolder tmp_;
    PrivateCups cups_;
    TempFolder pdfs_;
};

QTEST_MAIN(SurfaceCupsTest)
#include "surface_cups_test.moc"
