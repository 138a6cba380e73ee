// The built-in printer's real output, read back with poppler: pages, sizes, text positions on the
// printable area, code pages, faces, pictures, and how documents are filed.
#include "common/errors.h"
#include "pdf_probe.h"
#include "platform/code_pages.h"
#include "print/surface/qt_printer.h"
#include "print/surface/qt_surface.h"
#include "temp_folder.h"

#include <cups/cups.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <cmath>

namespace {

constexpr double A4WidthPoints = 595.276;
constexpr double A4HeightPoints = 841.89;
// The printable area starts 1/6 inch (12 points) in from each edge.
constexpr double MarginPoints = 12;

std::unique_ptr<QtPrinter> MonoPrinter(const TempFolder& folder, double points = 12)
{
    auto printer = QtPrinter::BuiltIn(folder.fsPath());
    printer->SetFontName("Liberation Mono");
    printer->SetFontSize(points);
    return printer;
}

QString LastPdf(const QtPrinter& printer) { return QString::fromStdString(printer.LastFile().string()); }

} // namespace

class SurfacePdfTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // No scheduler of the machine's own takes part: CUPS is pointed at a socket that is not there.
        qputenv("CUPS_SERVER", QFile::encodeName(QDir::temp().filePath(QStringLiteral("orvalin-no-cups.sock"))));
        cupsSetServer(qgetenv("CUPS_SERVER").constData());
        SelectCodePages({"CP1250", "CP852"});
    }

    void pagesAndSizes()
    {
        TempFolder folder;
        auto printer = MonoPrinter(folder);
        QCOMPARE(printer->Orientation(), PageOrientation::Portrait);
        // The engine sees the printable area; the PDF page is the whole sheet.
        QVERIFY(std::fabs(printer->PageWidth() - (A4WidthPoints - 2 * MarginPoints) * 20) < 1);
        QVERIFY(std::fabs(printer->PageHeight() - (A4HeightPoints - 2 * MarginPoints) * 20) < 1);
        printer->PrintText("one");
        printer->SetCurrentX(500);
        printer->NewPage();
        QCOMPARE(printer->CurrentX(), 0.0);
        QCOMPARE(printer->CurrentY(), 0.0);
        printer->PrintText("two");
        // A change of orientation within a document applies from the next page on.
        printer->SetOrientation(PageOrientation::Landscape);
        QVERIFY(std::fabs(printer->PageWidth() - (A4HeightPoints - 2 * MarginPoints) * 20) < 1);
        printer->NewPage();
        printer->PrintText("three");
        printer->EndDoc();

        const QString pdf = LastPdf(*printer);
        QCOMPARE(PdfPageCount(pdf), 3);
        QVERIFY(std::fabs(PdfPageSize(pdf, 1).width() - A4WidthPoints) < 0.5);
        QVERIFY(std::fabs(PdfPageSize(pdf, 2).height() - A4HeightPoints) < 0.5);
        QVERIFY(std::fabs(PdfPageSize(pdf, 3).width() - A4HeightPoints) < 0.5);
        QVERIFY(std::fabs(PdfPageSize(pdf, 3).height() - A4WidthPoints) < 0.5);
        QCOMPARE(FindPdfWord(pdf, QStringLiteral("three")).page, 3);

        // A whole landscape document.
        printer->PrintText("wide");
        printer->EndDoc();
        QCOMPARE(PdfPageCount(LastPdf(*printer)), 1);
        QVERIFY(PdfPageSize(LastPdf(*printer), 1).width() > PdfPageSize(LastPdf(*printer), 1).height());
    }

    void textPositionsAndPen()
    {
        TempFolder folder;
        auto printer = MonoPrinter(folder);
        printer->SetCurrentX(1440);
        printer->SetCurrentY(2880);
        printer->PrintText("Hello");
        // Liberation Mono advances 0.6 em: 144 twips a character at 12 points.
        QVERIFY2(std::fabs(printer->CurrentX() - (1440 + 5 * 144)) < 1,
                 qPrintable(QString::number(printer->CurrentX())));
        QCOMPARE(printer->CurrentY(), 2880.0);
        printer->PrintText(" World");
        const double lineTop = printer->CurrentY();
        printer->PrintLineEnd();
        QCOMPARE(printer->CurrentX(), 0.0);
        const double lineHeight = printer->CurrentY() - lineTop;
        QVERIFY(lineHeight > 240 && lineHeight < 360); // about 1.1 lines of 12 points
        printer->PrintText("Next");
        printer->EndDoc();
        QCOMPARE(printer->CurrentX(), 0.0);
        QCOMPARE(printer->CurrentY(), 0.0);

        const QString pdf = LastPdf(*printer);
        const PdfWord hello = FindPdfWord(pdf, QStringLiteral("Hello"));
        const PdfWord next = FindPdfWord(pdf, QStringLiteral("Next"));
        QVERIFY2(WordAt(hello, 1, MarginPoints + 72, MarginPoints + 144), qPrintable(DescribeWord(hello)));
        QVERIFY2(WordAt(next, 1, MarginPoints, hello.yMin + lineHeight / 20), qPrintable(DescribeWord(next)));
    }

    void tabStops()
    {
        TempFolder folder;
        auto printer = MonoPrinter(folder);
        // Every 8 average character widths (8 * 144 twips at 12 points), counted from where the
        // pen was last placed: the margin of a spool line keeps the text's own columns.
        printer->PrintText("A\tB");
        QVERIFY(std::fabs(printer->CurrentX() - (1152 + 144)) < 1);
        printer->SetCurrentX(1200);
        printer->PrintText("\t");
        QVERIFY(std::fabs(printer->CurrentX() - 2352) < 1);
        printer->SetCurrentX(453.6);
        printer->PrintText("Col1\tX\t");
        QVERIFY(std::fabs(printer->CurrentX() - (453.6 + 2304)) < 1);
        printer->PrintLineEnd(); // a new line counts from 0 again
        printer->SetCurrentX(0);
        printer->SetCurrentY(1440);
        printer->PrintText("\t\tC");
        printer->EndDoc();
        const QString pdf = LastPdf(*printer);
        QVERIFY(std::fabs(FindPdfWord(pdf, QStringLiteral("B")).xMin - (MarginPoints + 1152 / 20.0)) < PdfTolerance);
        QVERIFY(std::fabs(FindPdfWord(pdf, QStringLiteral("C")).xMin - (MarginPoints + 2304 / 20.0)) < PdfTolerance);
    }

    void codePages()
    {
        TempFolder folder;
        auto printer = MonoPrinter(folder);
        printer->SetFontCharset(CharacterSet::Oem);
        printer->PrintText(
            "\xA0\x72\x76\xA1\x7A\x74\xFB\x72\x8B\x20\x74\x81\x6B\x94\x72\x66\xA3\x72\xA2\x67\x82\x70\x20\x8A\xEB");
        printer->PrintLineEnd();
        // Any other character set shows the bytes in the ANSI code page.
        printer->SetFontCharset(CharacterSet::Ansi);
        printer->PrintText("\xE1\x72\x76\xED\x7A\x74\xFB\x72\xF5");
        printer->EndDoc();
        const QString text = PdfText(LastPdf(*printer));
        QVERIFY2(text.contains(QStringLiteral("árvíztűrő tükörfúrógép ŐŰ")), qPrintable(text));
        QCOMPARE(text.count(QStringLiteral("árvíztűrő")), 2);
    }

    void fractionalAndUnknownFonts()
    {
        TempFolder folder;
        auto printer = MonoPrinter(folder, 10.5);
        QCOMPARE(printer->FontSize(), 10.5);
        printer->PrintText("abcd");
        QVERIFY(std::fabs(printer->CurrentX() - 4 * 0.6 * 210) < 1);
        // A family that is not installed is substituted, not refused.
        printer->SetFontName("No Such Family Anywhere");
        QCOMPARE(printer->FontName(), std::string("No Such Family Anywhere"));
        printer->PrintText(" Substituted");
        printer->EndDoc();
        QVERIFY(PdfText(LastPdf(*printer)).contains(QStringLiteral("Substituted")));
    }

    void pageBreaksMakeNoBlankSheets()
    {
        TempFolder folder;
        auto printer = MonoPrinter(folder);
        // Before any output there is no page to end; after the last output none to begin.
        printer->NewPage();
        printer->NewPage();
        printer->PrintText("first");
        printer->NewPage();
        printer->NewPage(); // two breaks in a row: the blank page between is asked for
        printer->PrintText("third");
        printer->NewPage();
        printer->EndDoc();
        const QString pdf = LastPdf(*printer);
        QCOMPARE(PdfPageCount(pdf), 3);
        QCOMPARE(FindPdfWord(pdf, QStringLiteral("first")).page, 1);
        QCOMPARE(FindPdfWord(pdf, QStringLiteral("third")).page, 3);
        // The pen goes to the corner at every break, with or without a page begun.
        printer->SetCurrentX(700);
        printer->NewPage();
        QCOMPARE(printer->CurrentX(), 0.0);
        printer->EndDoc();
        QCOMPARE(PdfFilesIn(folder.path()).size(), 1);
    }

    void badValuesAreRefused()
    {
        TempFolder folder;
        auto printer = MonoPrinter(folder);
        QVERIFY_THROWS_EXCEPTION(OrvalinError, printer->SetOrientation(static_cast<PageOrientation>(0)));
        QVERIFY_THROWS_EXCEPTION(OrvalinError, printer->SetOrientation(static_cast<PageOrientation>(3)));
        QCOMPARE(printer->Orientation(), PageOrientation::Portrait);
        QVERIFY_THROWS_EXCEPTION(OrvalinError, printer->SetPrintQuality(static_cast<PrintQuality>(0)));
        QVERIFY_THROWS_EXCEPTION(OrvalinError, printer->SetPrintQuality(static_cast<PrintQuality>(-5)));
        printer->SetPrintQuality(PrintQuality::Draft);
        printer->SetPrintQuality(static_cast<PrintQuality>(600));
        QCOMPARE(static_cast<int>(printer->Quality()), 600);
        QVERIFY_THROWS_EXCEPTION(OrvalinError, printer->SetFontSize(0));
        QVERIFY_THROWS_EXCEPTION(OrvalinError, printer->SetFontSize(-3));
        QVERIFY_THROWS_EXCEPTION(OrvalinError, printer->SetFontSize(std::nan("")));
        QCOMPARE(printer->FontSize(), 12.0);
        QVERIFY_THROWS_EXCEPTION(OrvalinError, printer->SetCurrentX(std::nan("")));
        QVERIFY_THROWS_EXCEPTION(OrvalinError, printer->SetCurrentY(INFINITY));
        QVERIFY_THROWS_EXCEPTION(OrvalinError, printer->PaintPicture(QImage(), 0, 0, 10, 10, 0, 0, 10, 10));
        QImage picture(4, 4, QImage::Format_RGB32);
        QVERIFY_THROWS_EXCEPTION(OrvalinError, printer->PaintPicture(picture, 0, 0, -10, 10, 0, 0, 60, 60));
        // None of the refused calls started a document.
        printer->EndDoc();
        QVERIFY(PdfFilesIn(folder.path()).isEmpty());
    }

    void emptyDocumentFilesNothing()
    {
        TempFolder folder;
        const QString pdfFolder = folder.file(QStringLiteral("PDF"));
        auto printer = QtPrinter::BuiltIn(pdfFolder.toStdString());
        printer->SetCurrentX(700);
        printer->SetFontBold(true);
        printer->EndDoc();
        QCOMPARE(printer->CurrentX(), 0.0);
        QVERIFY(AllFilesIn(pdfFolder).isEmpty());
        // A picture of no size is no output either.
        printer->PaintPicture(QImage(2, 2, QImage::Format_RGB32), 0, 0, 0, 0, 0, 0, 30, 30);
        printer->EndDoc();
        QVERIFY(AllFilesIn(pdfFolder).isEmpty());
    }

    void documentsNeverOverwrite()
    {
        TempFolder folder;
        const QString pdfFolder = folder.file(QStringLiteral("nested/PDF"));
        QVERIFY(QDir().mkpath(pdfFolder));
        // Files already bearing the names of this and the next seconds stay as they are.
        const QDateTime now = QDateTime::currentDateTime();
        for (int second = 0; second < 3; ++second) {
            const QString stamp = now.addSecs(second).toString(QStringLiteral("yyyyMMdd-HHmmss"));
            WriteFileBytes(QDir(pdfFolder).filePath(QStringLiteral("Orvalin-%1.pdf").arg(stamp)), "keep");
        }
        auto printer = QtPrinter::BuiltIn(pdfFolder.toStdString());
        QStringList written;
        for (int document = 0; document < 3; ++document) {
            printer->PrintText("document " + std::to_string(document));
            printer->EndDoc();
            written << LastPdf(*printer);
        }
        written.removeDuplicates();
        QCOMPARE(written.size(), 3);
        QCOMPARE(PdfFilesIn(pdfFolder).size(), 6);
        for (const QString& file : PdfFilesIn(pdfFolder)) {
            if (!written.contains(file))
                QCOMPARE(ReadFileBytes(file), QByteArray("keep"));
        }
        for (int document = 0; document < 3; ++document)
            QVERIFY(PdfText(written[document]).contains(QStringLiteral("document %1").arg(document)));
        QVERIFY(QFileInfo(written[0]).permissions().testFlag(QFileDevice::ReadOther));
        // Only finished documents are left: no temporary files.
        QCOMPARE(AllFilesIn(pdfFolder).size(), 6);
    }

    void unusableFolderFailsAndRecovers()
    {
        TempFolder folder;
        folder.write(QStringLiteral("blocker"), "a file, not a folder");
        auto printer = QtPrinter::BuiltIn(folder.fsPath() / "blocker" / "PDF");
        QVERIFY_THROWS_EXCEPTION(OrvalinError, printer->PrintText("lost"));
        // Nothing of the failed attempt remains to be ended.
        printer->EndDoc();
        QCOMPARE(AllFilesIn(folder.path()), QStringList{QStringLiteral("blocker")});
    }

    void killDocDiscards()
    {
        TempFolder folder;
        auto printer = MonoPrinter(folder);
        printer->PrintText("discarded");
        printer->KillDoc();
        QCOMPARE(printer->CurrentX(), 0.0);
        printer->EndDoc();
        QVERIFY(AllFilesIn(folder.path()).isEmpty());
        printer->PrintText("kept");
        printer->EndDoc();
        const QString text = PdfText(LastPdf(*printer));
        QVERIFY(text.contains(QStringLiteral("kept")));
        QVERIFY(!text.contains(QStringLiteral("discarded")));
    }

    void collectionWithoutCups()
    {
        TempFolder folder;
        auto printers = MakeSystemPrinters(folder.fsPath() / "PDF");
        QVERIFY(!printers->Select("Nonexistent"));
        QVERIFY(!printers->Select("orvalin pdf")); // names are matched exactly
        QVERIFY(printers->Select(BuiltInPrinterName));
        // The current printer keeps its set-up from one use to the next.
        printers->Current().SetFontBold(true);
        QVERIFY(printers->Select(BuiltInPrinterName));
        QVERIFY(printers->Current().FontBold());
        printers->Current().PrintText("through the collection");
        printers->Current().EndDoc();
        QCOMPARE(PdfFilesIn(folder.file(QStringLiteral("PDF"))).size(), 1);
    }
};

QTEST_MAIN(SurfacePdfTest)
#include "surface_pdf_test.moc"
