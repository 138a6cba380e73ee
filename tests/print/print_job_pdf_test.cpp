// Spool files through PrintJob onto the real built-in PDF printer, read back with poppler: the
// text in the OEM code page on the printable area, page breaks, long files, styles per job, and
// the logo page, lossless, in the same file as the rest.
#include "backend_job.h"
#include "pdf_probe.h"
#include "platform/code_pages.h"
#include "print/printer.h"

#include <QTest>

#include <cmath>

namespace {

// The built-in printer with the page-break, bold and landscape rules, deleting what it printed.
struct PdfRig : BackEndJob {
    PdfRig() : BackEndJob(BuiltInPrinterName, 0.8)
    {
        deletePrinted = true;
        Rule("\f", "np");
        Rule("\x1b" "E", "bb");
        Rule("\x1b" "F", "eb");
        Rule("\x1b" "L", "ol");
    }
};

// The printable area begins 1/6 inch (12 points) in from the paper's edges.
constexpr double EdgePoints = 12;
// 0.8 cm of left margin, single precision as the pen keeps it, in points.
const double MarginPoints = static_cast<float>(0.8 * 567) / 20.0;

} // namespace

class TestPrintJobPdf : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SelectCodePages({"CP1250", "CP852"}); }
    void textOnThePrintableArea();
    void longFilesLoseNoLine_data();
    void longFilesLoseNoLine();
    void leadingFormFeedMakesNoBlankPage();
    void stylesEndWithTheirJob();
    void logoJobIsOneFile();
    void landscapeTriggerTurnsTheLogoPage();
};

void TestPrintJobPdf::textOnThePrintableArea()
{
    PdfRig rig;
    // "Számla" and "Összeg" in CP852, a page break in the middle of a line, a bold word.
    QVERIFY(rig.Print("Sz\xa0mla 1\r\n\x99sszeg\f\x1b" "Ebold\x1b" "F second\r\nthird page\f"));
    QVERIFY(!rig.folder.exists("text.txt"));
    const QStringList pdfs = PdfFilesIn(rig.folder.file("PDF"));
    QCOMPARE(pdfs.size(), 1);
    QCOMPARE(PdfPageCount(pdfs[0]), 2); // the last line's form feed became a blank
    const PdfWord first = FindPdfWord(pdfs[0], QStringLiteral("Számla"));
    QVERIFY2(WordAt(first, 1, EdgePoints + MarginPoints, EdgePoints), qPrintable(DescribeWord(first)));
    const PdfWord second = FindPdfWord(pdfs[0], QStringLiteral("Összeg"));
    QVERIFY2(WordAt(second, 1, EdgePoints + MarginPoints, EdgePoints + 12), qPrintable(DescribeWord(second))); // 1/6 inch
    // After the page break the rest of the line starts the new page at the margin.
    const PdfWord bold = FindPdfWord(pdfs[0], QStringLiteral("bold"));
    QVERIFY2(WordAt(bold, 2, EdgePoints + MarginPoints, EdgePoints), qPrintable(DescribeWord(bold)));
    const PdfWord third = FindPdfWord(pdfs[0], QStringLiteral("third"));
    QVERIFY2(WordAt(third, 2, EdgePoints + MarginPoints, EdgePoints + 12), qPrintable(DescribeWord(third)));
    QVERIFY(PdfFonts(pdfs[0]).join(' ').contains(QStringLiteral("Bold")));
}

void TestPrintJobPdf::longFilesLoseNoLine_data()
{
    QTest::addColumn<QString>("orientation");
    QTest::addColumn<int>("perPage");
    // The printable area of A4 holds 68 lines of 1/6 inch upright, 47 turned.
    QTest::newRow("portrait") << "0" << 68;
    QTest::newRow("landscape") << "1" << 47;
}

void TestPrintJobPdf::longFilesLoseNoLine()
{
    QFETCH(QString, orientation);
    QFETCH(int, perPage);
    PdfRig rig;
    constexpr int lines = 1000;
    QByteArray file;
    for (int i = 1; i <= lines; ++i)
        file += QStringLiteral("Line%1 of the file\r\n").arg(i, 4, 10, QLatin1Char('0')).toLatin1();
    QVERIFY(rig.Print(file, orientation.toStdString()));
    const QString pdf = rig.LastPdf();
    QCOMPARE(PdfPageCount(pdf), (lines + perPage - 1) / perPage);
    QList<PdfWord> numbered;
    for (const PdfWord& word : PdfWords(pdf)) {
        if (word.text.startsWith(QStringLiteral("Line")))
            numbered << word;
    }
    QCOMPARE(numbered.size(), lines);
    const QSizeF sheet = PdfPageSize(pdf, 1);
    for (int i = 0; i < lines; ++i) {
        const PdfWord& word = numbered[i];
        QCOMPARE(word.text, QStringLiteral("Line%1").arg(i + 1, 4, 10, QLatin1Char('0')));
        const bool placed = WordAt(word, i / perPage + 1, EdgePoints + MarginPoints, EdgePoints + (i % perPage) * 12.0);
        QVERIFY2(placed, qPrintable(DescribeWord(word)));
        QVERIFY(word.yMax < sheet.height() - EdgePoints);
    }
}

void TestPrintJobPdf::leadingFormFeedMakesNoBlankPage()
{
    PdfRig rig;
    QVERIFY(rig.Print("\fHeader of page one\r\nbody\r\n\fHeader of page two\r\nbody\r\n"));
    const QString pdf = rig.LastPdf();
    QCOMPARE(PdfPageCount(pdf), 2);
    const PdfWord header = FindPdfWord(pdf, QStringLiteral("Header"));
    QVERIFY2(WordAt(header, 1, EdgePoints + MarginPoints, EdgePoints), qPrintable(DescribeWord(header)));
}

void TestPrintJobPdf::stylesEndWithTheirJob()
{
    PdfRig rig;
    QVERIFY(rig.Print("\x1b" "Eleft bold\r\n")); // no end of bold
    QVERIFY(PdfFonts(rig.LastPdf()).join(' ').contains(QStringLiteral("Bold")));
    QVERIFY(rig.Print("plain again\r\n"));
    const QStringList fonts = PdfFonts(rig.LastPdf());
    QVERIFY2(!fonts.isEmpty() && !fonts.join(' ').contains(QStringLiteral("Bold")), qPrintable(fonts.join(' ')));
}

void TestPrintJobPdf::logoJobIsOneFile()
{
    PdfRig rig;
    rig.global.settings.LogoEnabled = true;
    rig.global.settings.LogoCondition = "INVOICE";
    rig.global.settings.LogoX = 3000;
    rig.global.settings.LogoY = 1500;
    // A picture that lossy encoding would change: every pixel differs from its neighbours.
    rig.logo = QImage(64, 32, QImage::Format_RGB32);
    for (int y = 0; y < rig.logo.height(); ++y)
        for (int x = 0; x < rig.logo.width(); ++x)
            rig.logo.setPixel(x, y, qRgb((x * 37 + y * 11) % 256, (x * y * 7) % 256, (x ^ y) * 8 % 256));
    QVERIFY(rig.Print("INVOICE 42\r\nover the logo\f\r\nsecond page\r\n"));
    QCOMPARE(PdfFilesIn(rig.folder.file("PDF")).size(), 1);
    const QString pdf = rig.LastPdf();
    QCOMPARE(PdfPageCount(pdf), 2);
    QCOMPARE(FindPdfWord(pdf, QStringLiteral("INVOICE")).page, 1); // text stays text
    QCOMPARE(FindPdfWord(pdf, QStringLiteral("second")).page, 2);
    QCOMPARE(PdfImageEncodings(pdf), QStringList{QStringLiteral("image")}); // Flate, never JPEG
    const QList<QImage> images = PdfImages(pdf);
    QCOMPARE(images.size(), 1);
    QCOMPARE(images[0].convertToFormat(QImage::Format_RGB32), rig.logo);

    // A file without the condition has no logo; the next invoice has it again.
    QVERIFY(rig.Print("DELIVERY NOTE\r\n"));
    QCOMPARE(PdfImageCount(rig.LastPdf()), 0);
    QVERIFY(rig.Print("INVOICE 43\r\n"));
    QCOMPARE(PdfImageCount(rig.LastPdf()), 1);
    QCOMPARE(PdfFilesIn(rig.folder.file("PDF")).size(), 3);
}

void TestPrintJobPdf::landscapeTriggerTurnsTheLogoPage()
{
    PdfRig rig;
    rig.global.settings.LogoEnabled = true;
    rig.logo = QImage(16, 16, QImage::Format_RGB32);
    rig.logo.fill(Qt::blue);
    QVERIFY(rig.Print("\x1bLwide invoice\f\r\nrest\r\n", "0"));
    const QString pdf = rig.LastPdf();
    QCOMPARE(PdfPageCount(pdf), 2);
    for (int page : {1, 2}) {
        const QSizeF sheet = PdfPageSize(pdf, page);
        QVERIFY2(sheet.width() > sheet.height(), qPrintable(QStringLiteral("page %1").arg(page)));
    }
}

QTEST_MAIN(TestPrintJobPdf)
#include "print_job_pdf_test.moc"
