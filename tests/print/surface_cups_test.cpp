// Printing through CUPS, against a private scheduler started by the test: destinations and the
// default, a document arriving whole at the backend, and queues that refuse, are stopped or gone.
#include "backend_job.h"
#include "common/errors.h"
#include "pdf_probe.h"
#include "print/surface/qt_surface.h"
#include "private_cups.h"
#include "temp_folder.h"

#include <QDir>

#include <QTest>
#include <cmath>
#include <tuple>

namespace {

constexpr int JobWaitMs = 30000;

// What is left in the temporary folder, which the test makes its own.
QStringList TemporaryFiles() { return QDir::temp().entryList(QDir::Files | QDir::Hidden | QDir::System); }

} // namespace

class SurfaceCupsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Temporary print files go to a folder of this test only, so that leftovers can be seen.
        qputenv("TMPDIR", QFile::encodeName(tmp_.path()));
        QCOMPARE(QDir::tempPath(), tmp_.path());
        QVERIFY2(cups_.start(), qPrintable(cups_.lastError()));
    }

    void cleanupTestCase() { cups_.stop(); }

    void noDestinationsMeansBuiltIn()
    {
        auto printers = MakeSystemPrinters(pdfs_.fsPath());
        QCOMPARE(printers->DeviceNames(), std::vector<std::string>{BuiltInPrinterName});
        QCOMPARE(printers->DefaultDeviceName(), std::string(BuiltInPrinterName));
        QVERIFY2(cups_.addQueue(QStringLiteral("zeta")), qPrintable(cups_.lastError()));
        // A destination without a default still leaves the built-in printer as the default.
        QCOMPARE(printers->DefaultDeviceName(), std::string(BuiltInPrinterName));
        QCOMPARE(printers->Current().DeviceName(), std::string(BuiltInPrinterName));
    }

    void destinationsInOrderWithDefault()
    {
        QVERIFY2(cups_.addQueue(QStringLiteral("office"), true), qPrintable(cups_.lastError()));
        QVERIFY2(cups_.addQueue(QStringLiteral("Alpha")), qPrintable(cups_.lastError()));
        auto printers = MakeSystemPrinters(pdfs_.fsPath());
        const std::vector<std::string> expected{"Alpha", "office", "zeta", BuiltInPrinterName};
        QCOMPARE(printers->DeviceNames(), expected);
        QCOMPARE(printers->DefaultDeviceName(), std::string("office"));
        QCOMPARE(SystemDefaultDeviceName(), std::string("office"));
        QCOMPARE(printers->Current().DeviceName(), std::string("office"));
        QVERIFY(printers->Select("zeta"));
        QCOMPARE(printers->Current().DeviceName(), std::string("zeta"));
        QVERIFY(!printers->Select("ZETA"));
        QCOMPARE(printers->Current().DeviceName(), std::string("zeta"));
    }

    void paperIsTheDestinationsDefaultMedia()
    {
        QVERIFY2(cups_.addQueue(QStringLiteral("letter")), qPrintable(cups_.lastError()));
        QVERIFY2(
            cups_.run(QStringLiteral("lpadmin"), {QStringLiteral("-p"), QStringLiteral("letter"), QStringLiteral("-o"),
                                                  QStringLiteral("media-default=na_letter_8.5x11in")}),
            qPrintable(cups_.lastError()));
        auto printers = MakeSystemPrinters(pdfs_.fsPath());
        QVERIFY(printers->Select("letter"));
        Printer& printer = printers->Current();
        QVERIFY2(std::fabs(printer.PageWidth() - 8.5 * 1440) < 1, qPrintable(QString::number(printer.PageWidth())));
        QVERIFY(std::fabs(printer.PageHeight() - 11 * 1440) < 1);
        printer.SetOrientation(PageOrientation::Landscape);
        QVERIFY(std::fabs(printer.PageWidth() - 11 * 1440) < 1);
        printer.PrintText("Letter paper");
        printer.EndDoc();
        QVERIFY2(cups_.waitForSavedJobs(QStringLiteral("letter"), 1, JobWaitMs), qPrintable(cups_.errorLog()));
        const QSizeF size = PdfPageSize(cups_.savedJobs(QStringLiteral("letter")).constFirst(), 1);
        QVERIFY(std::fabs(size.width() - 792) < 0.5 && std::fabs(size.height() - 612) < 0.5);
        QVERIFY(cups_.remove(QStringLiteral("letter")));
    }

    void documentArrivesWhole()
    {
        auto printers = MakeSystemPrinters(pdfs_.fsPath());
        QVERIFY(printers->Select("office"));
        Printer& printer = printers->Current();
        printer.SetFontName("Liberation Sans");
        printer.SetFontSize(12);
        printer.PrintText("Through the queue");
        printer.NewPage();
        printer.PrintText("Second page");
        printer.EndDoc();
        QVERIFY2(cups_.waitForSavedJobs(QStringLiteral("office"), 1, JobWaitMs), qPrintable(cups_.errorLog()));
        const QString saved = cups_.savedJobs(QStringLiteral("office")).constFirst();
        QCOMPARE(PdfPageCount(saved), 2);
        QVERIFY(PdfText(saved).contains(QStringLiteral("Through the queue")));
        QCOMPARE(FindPdfWord(saved, QStringLiteral("Second")).page, 2);
        QCOMPARE(TemporaryFiles(), QStringList());
        // Nothing lands in the built-in printer's folder.
        QVERIFY(QDir(pdfs_.path()).entryList(QDir::Files).isEmpty());
    }

    void emptyDocumentMakesNoJob()
    {
        auto printers = MakeSystemPrinters(pdfs_.fsPath());
        QVERIFY(printers->Select("Alpha"));
        printers->Current().SetCurrentY(500);
        printers->Current().EndDoc();
        QCOMPARE(cups_.jobCount(QStringLiteral("Alpha")), 0);
    }

    // A queue that refuses the document in any way fails it with the reason, leaves no job and no
    // temporary file, and once it takes documents again the next one holds nothing of the refused.
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
        const QString queue = QStringLiteral("refusing-%1")
                                  .arg(QString::fromLatin1(QTest::currentDataTag()))
                                  .replace(QLatin1Char(' '), QLatin1Char('-'));
        const auto run = [&](QStringList command) {
            command.replaceInStrings(QStringLiteral("%1"), queue);
            return cups_.run(command.takeFirst(), command);
        };
        QVERIFY2(cups_.addQueue(queue), qPrintable(cups_.lastError()));
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
        if (block.contains(QStringLiteral("-x")))
            QVERIFY(!printers->Select(queue.toStdString()));
        if (unblock.isEmpty())
            return;
        QCOMPARE(cups_.jobCount(queue), 0);
        QVERIFY2(run(unblock), qPrintable(cups_.lastError()));
        printers->Current().PrintText("Accepted text");
        printers->Current().EndDoc();
        QVERIFY2(cups_.waitForSavedJobs(queue, 1, JobWaitMs), qPrintable(cups_.errorLog()));
        const QString saved = cups_.savedJobs(queue).constFirst();
        QVERIFY(!PdfText(saved).contains(QStringLiteral("Refused")));
        QCOMPARE(PdfPageCount(saved), 1);
    }

    // A spool file through the print job onto a queue whose driver declares four different
    // unprintable margins: the engine sees the printable area, turned with the paper; text lands at
    // the margins plus the layout's offsets, unscaled; a logo job is one job, logo page and rest.
    void printJobOnTheQueuesPrintableArea()
    {
        const QMarginsF margins(20, 30, 15, 25);
        QVERIFY2(cups_.addQueueWithMargins(QStringLiteral("margins"), margins), qPrintable(cups_.lastError()));
        BackEndJob job("margins", 1);
        job.Rule("\f", "np");
        QVERIFY(job.printers->Select("margins"));
        Printer& printer = job.printers->Current();
        for (const auto& [turned, width, height] :
             {std::tuple{false, 595 - 20 - 15, 842 - 30 - 25}, {true, 842 - 25 - 30, 595 - 20 - 15}}) {
            printer.SetOrientation(turned ? PageOrientation::Landscape : PageOrientation::Portrait);
            QVERIFY2(std::fabs(printer.PageWidth() - width * 20) < 5
                         && std::fabs(printer.PageHeight() - height * 20) < 5,
                     qPrintable(QStringLiteral("%1 x %2").arg(printer.PageWidth()).arg(printer.PageHeight())));
        }
        QVERIFY(job.Print("First line\r\nhead\fSecond page\r\nbelow\r\n"));
        QVERIFY2(cups_.waitForSavedJobs(QStringLiteral("margins"), 1, JobWaitMs), qPrintable(cups_.errorLog()));
        QString saved = cups_.savedJobs(QStringLiteral("margins")).constFirst();
        const QString options = cups_.savedJobOptions(saved);
        QVERIFY2(options.contains(QStringLiteral("print-scaling=none")), qPrintable(options));
        QCOMPARE(PdfPageCount(saved), 2);
        const QSizeF sheet = PdfPageSize(saved, 1);
        QVERIFY(std::fabs(sheet.width() - 595) < 1 && std::fabs(sheet.height() - 842) < 1);
        // 1 cm of left margin is 28.35 points; a line is 12 points.
        const double left = margins.left() + 567 / 20.0;
        for (const auto& [text, page, line] :
             {std::tuple{"First", 1, 0}, {"head", 1, 1}, {"Second", 2, 0}, {"below", 2, 1}}) {
            const PdfWord word = FindPdfWord(saved, QString::fromUtf8(text));
            QVERIFY2(WordAt(word, page, left, margins.top() + 12 * line), qPrintable(DescribeWord(word)));
        }

        job.global.settings.LogoEnabled = true;
        job.global.settings.LogoCondition = "INVOICE";
        job.logo = QImage(48, 24, QImage::Format_RGB32);
        job.logo.fill(Qt::darkGreen);
        QVERIFY(job.Print("INVOICE 7\r\nover the logo\f\r\nrest of it\r\n"));
        QVERIFY2(cups_.waitForSavedJobs(QStringLiteral("margins"), 2, JobWaitMs), qPrintable(cups_.errorLog()));
        QCOMPARE(cups_.jobCount(QStringLiteral("margins")), 2);
        saved = cups_.savedJobs(QStringLiteral("margins")).constLast();
        QCOMPARE(PdfPageCount(saved), 2);
        QCOMPARE(FindPdfWord(saved, QStringLiteral("rest")).page, 2);
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
