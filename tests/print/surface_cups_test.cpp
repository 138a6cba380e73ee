// Printing through CUPS, against a private scheduler started by the test: destinations and the
// default, a document arriving whole at the backend, and queues that refuse, are stopped or gone.
#include "common/errors.h"
#include "pdf_probe.h"
#include "private_cups.h"
#include "print/surface/qt_surface.h"
#include "temp_folder.h"

#include <QDir>

#include <cmath>
#include <QTest>

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
        QVERIFY2(cups_.run(QStringLiteral("lpadmin"), {QStringLiteral("-p"), QStringLiteral("letter"), QStringLiteral("-o"),
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

    void rejectingQueueThrows()
    {
        auto printers = MakeSystemPrinters(pdfs_.fsPath());
        QVERIFY(printers->Select("Alpha"));
        QVERIFY2(cups_.reject(QStringLiteral("Alpha")), qPrintable(cups_.lastError()));
        printers->Current().PrintText("Refused text");
        try {
            printers->Current().EndDoc();
            QFAIL("EndDoc accepted a document for a queue that rejects jobs");
        } catch (const OrvalinError& error) {
            QVERIFY2(QString::fromStdString(error.what()).contains(QStringLiteral("not accepting")), error.what());
        }
        QCOMPARE(cups_.jobCount(QStringLiteral("Alpha")), 0);
        QCOMPARE(TemporaryFiles(), QStringList());

        // Once the queue accepts again, the next document is new: nothing of the refused one.
        QVERIFY2(cups_.accept(QStringLiteral("Alpha")), qPrintable(cups_.lastError()));
        printers->Current().PrintText("Accepted text");
        printers->Current().EndDoc();
        QVERIFY2(cups_.waitForSavedJobs(QStringLiteral("Alpha"), 1, JobWaitMs), qPrintable(cups_.errorLog()));
        const QString text = PdfText(cups_.savedJobs(QStringLiteral("Alpha")).constFirst());
        QVERIFY(text.contains(QStringLiteral("Accepted text")));
        QVERIFY(!text.contains(QStringLiteral("Refused")));
        QCOMPARE(PdfPageCount(cups_.savedJobs(QStringLiteral("Alpha")).constFirst()), 1);
    }

    void refusedJobThrows()
    {
        QVERIFY2(cups_.addQueue(QStringLiteral("private")), qPrintable(cups_.lastError()));
        QVERIFY2(cups_.refuseAllUsers(QStringLiteral("private")), qPrintable(cups_.lastError()));
        auto printers = MakeSystemPrinters(pdfs_.fsPath());
        QVERIFY(printers->Select("private"));
        printers->Current().PrintText("Not for us");
        try {
            printers->Current().EndDoc();
            QFAIL("EndDoc accepted a document that the scheduler refused");
        } catch (const OrvalinError& error) {
            QVERIFY2(QString::fromStdString(error.what()).contains(QStringLiteral("refused the document")), error.what());
        }
        QCOMPARE(TemporaryFiles(), QStringList());
        QVERIFY(cups_.savedJobs(QStringLiteral("private")).isEmpty());
    }

    void stoppedQueueThrows()
    {
        auto printers = MakeSystemPrinters(pdfs_.fsPath());
        QVERIFY(printers->Select("zeta"));
        QVERIFY2(cups_.disable(QStringLiteral("zeta")), qPrintable(cups_.lastError()));
        printers->Current().PrintText("Held back");
        try {
            printers->Current().EndDoc();
            QFAIL("EndDoc accepted a document for a stopped queue");
        } catch (const OrvalinError& error) {
            QVERIFY2(QString::fromStdString(error.what()).contains(QStringLiteral("stopped")), error.what());
        }
        QCOMPARE(cups_.jobCount(QStringLiteral("zeta")), 0);
        QCOMPARE(printers->Current().CurrentX(), 0.0);
        QVERIFY2(cups_.enable(QStringLiteral("zeta")), qPrintable(cups_.lastError()));
        printers->Current().PrintText("Started again");
        printers->Current().EndDoc();
        QVERIFY2(cups_.waitForSavedJobs(QStringLiteral("zeta"), 1, JobWaitMs), qPrintable(cups_.errorLog()));
        QVERIFY(!PdfText(cups_.savedJobs(QStringLiteral("zeta")).constFirst()).contains(QStringLiteral("Held")));
    }

    void removedDestinationThrows()
    {
        QVERIFY2(cups_.addQueue(QStringLiteral("gone")), qPrintable(cups_.lastError()));
        auto printers = MakeSystemPrinters(pdfs_.fsPath());
        QVERIFY(printers->Select("gone"));
        printers->Current().PrintText("Nowhere to go");
        QVERIFY2(cups_.remove(QStringLiteral("gone")), qPrintable(cups_.lastError()));
        try {
            printers->Current().EndDoc();
            QFAIL("EndDoc accepted a document for a destination that is gone");
        } catch (const OrvalinError& error) {
            QVERIFY2(QString::fromStdString(error.what()).contains(QStringLiteral("not available")), error.what());
        }
        QVERIFY(!printers->Select("gone"));
        QVERIFY(cups_.savedJobs(QStringLiteral("gone")).isEmpty());
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
