// The built-in printer's real output, read back with poppler: pages, sizes, text positions on the
// printable area, fonts (subset, embedded, searchable, a character the font lacks), the underline,
// how documents are filed, spool files through the print job, a disk that fills, and the logo
// page's canvas: its window, how it cuts pictures and how it lies over a printer page.
#include "common/errors.h"
#include "pdf_probe.h"
#include "platform/code_pages.h"
#include "print/surface/page_canvas.h"
#include "spool_rig.h"

#include <cups/cups.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTest>

#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <tuple>

namespace {

constexpr double A4WidthPoints = 595.276;
constexpr double A4HeightPoints = 841.89;
// The printable area starts 1/6 inch (12 points) in; 0.8 cm of margin is 453.6 twips in single
// precision.
constexpr double Edge = 12;
const double Margin = Edge + static_cast<float>(0.8 * 567) / 20.0;
// Liberation Mono's advance, 1229/2048 em, in points at a size.
double Cell(double points) { return points * 1229 / 2048; }

std::unique_ptr<QtPrinter> MonoPrinter(const TempFolder& folder, double points = 12)
{
    auto printer = QtPrinter::BuiltIn(folder.fsPath());
    printer->SetFontName("Liberation Mono");
    printer->SetFontSize(points);
    return printer;
}

// The same first page, drawn on any target.
void DrawPage(DrawingTarget& target)
{
    target.SetFontName("Liberation Sans");
    target.SetFontSize(11);
    target.SetFontBold(false);
    target.SetFontTransparent(true);
    target.SetCurrentX(567);
    target.PrintText("Logo page first line");
    target.PrintLineEnd();
    target.SetCurrentX(567);
    target.SetFontBold(true);
    target.PrintText("Bold\tafter tab");
    target.PrintLineEnd();
    target.SetCurrentY(5000);
    target.PrintText("Lower down");
}

QWidget* CanvasWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("Picnyomkep"))
            return widget;
    return nullptr;
}

QImage Dots(int width, int height, Qt::GlobalColor colour)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

// Spool lines with the style escapes of a legacy program's printer set-up.
struct StyledJob : BackEndJob {
    explicit StyledJob(const std::string& font) : BackEndJob(BuiltInPrinterName, 0.8)
    {
        global.settings.FontName = font;
        const char* const rules[] = {"\033E",  "bb", "\033F",  "eb", "\0334",  "bi", "\0335",  "ei", "\033-1", "bu",
                                     "\033-0", "eu", "\033S0", "be", "\033T0", "ee", "\033S1", "bp", "\033T1", "ep",
                                     "\033M",  "12", "\033P",  "10", "\f",     "np"};
        for (std::size_t i = 0; i < std::size(rules); i += 2)
            Rule(rules[i], rules[i + 1]);
    }
    // The document's path; empty when the job could not open the file.
    QString PrintPdf(const QByteArray& bytes) { return Print(bytes) ? LastPdf() : QString(); }
};

const QByteArray MixedText = "plain \033Ebold\033F \0334italic\0335 \033-1under\033-0 end\r\n"
                             "x\033S0up\033T0 y\033S1down\033T1 z\r\n"
                             "\033Mbig\033P small\r\n"
                             "\xc9\xcd\xbb \xa0rv\xa1zt\xfbr\x8b t\x81k\x94rf\xa3r\xa2g\x82p\r\n";

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
        // The engine sees the printable area; the PDF page is the whole sheet.
        QVERIFY(Near(printer->PageWidth(), (A4WidthPoints - 2 * Edge) * 20));
        QVERIFY(Near(printer->PageHeight(), (A4HeightPoints - 2 * Edge) * 20));
        printer->PrintText("one");
        printer->SetCurrentX(500);
        printer->NewPage();
        QCOMPARE(printer->CurrentX(), 0.0);
        QCOMPARE(printer->CurrentY(), 0.0);
        printer->PrintText("two");
        // A change of orientation within a document applies from the next page on.
        printer->SetOrientation(PageOrientation::Landscape);
        QVERIFY(Near(printer->PageWidth(), (A4HeightPoints - 2 * Edge) * 20));
        printer->NewPage();
        printer->PrintText("three");
        printer->EndDoc();
        const QString pdf = LastPdf(*printer);
        QCOMPARE(PdfPageCount(pdf), 3);
        QVERIFY(Near(PdfPageSize(pdf, 1).width(), A4WidthPoints, 0.5));
        QVERIFY(Near(PdfPageSize(pdf, 2).height(), A4HeightPoints, 0.5));
        QCOMPARE(PdfPageSize(pdf, 3).toSize(), QSize(842, 595));
        QCOMPARE(FindPdfWord(pdf, QStringLiteral("three")).page, 3);
    }
    void textPositionsAndPen()
    {
        TempFolder folder;
        auto printer = MonoPrinter(folder);
        printer->SetCurrentX(1440);
        printer->SetCurrentY(2880);
        printer->PrintText("Hello");
        // Liberation Mono advances 0.6 em: 144 twips a character at 12 points.
        QVERIFY2(Near(printer->CurrentX(), 1440 + 5 * 144), qPrintable(QString::number(printer->CurrentX())));
        QCOMPARE(printer->CurrentY(), 2880.0);
        printer->PrintText(" World");
        const double lineTop = printer->CurrentY();
        printer->PrintLineEnd();
        QCOMPARE(printer->CurrentX(), 0.0);
        const double lineHeight = printer->CurrentY() - lineTop;
        QVERIFY(lineHeight > 240 && lineHeight < 360); // about 1.1 lines of 12 points
        printer->PrintText("Next");
        const double afterNext = printer->CurrentX();
        printer->SetFontSize(10.5);
        QCOMPARE(printer->FontSize(), 10.5);
        printer->PrintText("abcd");
        QVERIFY(Near(printer->CurrentX(), afterNext + 4 * 0.6 * 210));
        // A family that is not installed is substituted, not refused.
        printer->SetFontName("No Such Family Anywhere");
        QCOMPARE(printer->FontName(), std::string("No Such Family Anywhere"));
        printer->PrintText(" Substituted");
        printer->EndDoc();
        QCOMPARE(printer->CurrentX(), 0.0);
        QCOMPARE(printer->CurrentY(), 0.0);
        QVERIFY(PdfText(LastPdf(*printer)).contains(QStringLiteral("Substituted")));
        const QString pdf = LastPdf(*printer);
        const PdfWord hello = FindPdfWord(pdf, QStringLiteral("Hello"));
        const PdfWord next = FindPdfWord(pdf, QStringLiteral("Next"));
        QVERIFY2(WordAt(hello, 1, Edge + 72, Edge + 144), qPrintable(DescribeWord(hello)));
        QVERIFY2(WordAt(next, 1, Edge, hello.yMin + lineHeight / 20), qPrintable(DescribeWord(next)));
    }
    void tabStops()
    {
        TempFolder folder;
        auto printer = MonoPrinter(folder);
        // Every 8 average character widths (8 * 144 twips at 12 points), counted from where the
        // pen was last placed: the margin of a spool line keeps the text's own columns.
        printer->PrintText("A\tB");
        QVERIFY(Near(printer->CurrentX(), 1152 + 144));
        printer->SetCurrentX(1200);
        printer->PrintText("\t");
        QVERIFY(Near(printer->CurrentX(), 2352));
        printer->SetCurrentX(453.6);
        printer->PrintText("Col1\tX\t");
        QVERIFY(Near(printer->CurrentX(), 453.6 + 2304));
        printer->PrintLineEnd(); // a new line counts from 0 again
        printer->SetCurrentX(0);
        printer->SetCurrentY(1440);
        printer->PrintText("\t\tC");
        printer->EndDoc();
        const QString pdf = LastPdf(*printer);
        QVERIFY(Near(FindPdfWord(pdf, "B").xMin, Edge + 1152 / 20.0, PdfTolerance));
        QVERIFY(Near(FindPdfWord(pdf, "C").xMin, Edge + 2304 / 20.0, PdfTolerance));
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
        QVERIFY_THROWS_EXCEPTION(OrvalinError, printer->PaintPicture(Dots(4, 4, Qt::red), 0, 0, -10, 10, 0, 0, 60, 60));
        // None of the refused calls started a document.
        printer->EndDoc();
        QVERIFY(PdfFilesIn(folder.path()).isEmpty());
    }
    // A document without output, or discarded, files nothing; the next one is not held back.
    void nothingFiledWithoutOutput()
    {
        TempFolder folder;
        const QString pdfFolder = folder.file(QStringLiteral("PDF"));
        auto printer = QtPrinter::BuiltIn(pdfFolder.toStdString());
        printer->SetCurrentX(700);
        printer->SetFontBold(true);
        printer->EndDoc();
        QCOMPARE(printer->CurrentX(), 0.0);
        // A picture of no size is no output either.
        printer->PaintPicture(QImage(2, 2, QImage::Format_RGB32), 0, 0, 0, 0, 0, 0, 30, 30);
        printer->EndDoc();
        printer->PrintText("discarded");
        printer->KillDoc();
        QCOMPARE(printer->CurrentX(), 0.0);
        printer->EndDoc();
        QVERIFY(AllFilesIn(folder.path()).isEmpty());
        printer->PrintText("kept");
        printer->EndDoc();
        const QString text = PdfText(LastPdf(*printer));
        QVERIFY(text.contains(QStringLiteral("kept")) && !text.contains(QStringLiteral("discarded")));
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
    // Every face used is embedded as a subset with a Unicode map, for TrueType and PostScript
    // (CFF) outlines alike, and the text reads back with its code page's letters.
    void mixedText_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("faces");
        QTest::newRow("TrueType") << "Liberation Mono"
                                  << "CID TrueType"
                                  << QStringList{"LiberationMono", "LiberationMono-Bold", "LiberationMono-Italic"};
        QTest::newRow("CFF") << "Nimbus Mono PS"
                             << "CID Type 0C (OT)"
                             << QStringList{"NimbusMonoPS-Bold", "NimbusMonoPS-Italic", "NimbusMonoPS-Regular"};
    }
    void mixedText()
    {
        QFETCH(QString, family);
        QFETCH(QString, type);
        QFETCH(QStringList, faces);
        StyledJob job(family.toStdString());
        const QString pdf = job.PrintPdf(MixedText);
        QStringList names;
        for (const PdfFontInfo& font : PdfFontTable(pdf)) {
            QVERIFY2(font.embedded && font.subset && font.unicode && font.type == type, qPrintable(font.name));
            QVERIFY2(font.name.contains(QRegularExpression(QStringLiteral("^[A-Z]{6}\\+"))), qPrintable(font.name));
            names << font.name.mid(7);
        }
        names.sort();
        QCOMPARE(names, faces);
        const QString readBack = PdfText(pdf);
        QVERIFY2(readBack.contains(QStringLiteral("╔═╗ árvíztűrő tükörfúrógép")), qPrintable(readBack));
        QVERIFY2(readBack.contains(QStringLiteral("bold italic under end")), qPrintable(readBack));
        // Only what the page shows is embedded: far less than the font files.
        QVERIFY(QFileInfo(pdf).size() < 60000);
        if (family != "Liberation Mono")
            return;
        // Each word where the layout put it: its top at its line, after as many cells as precede
        // it in its own size; scripts raised and lowered by half a line (6 points), at 6 points.
        const auto check = [&](const char* expected, double x, double y) {
            const PdfWord word = FindPdfWord(pdf, QString::fromUtf8(expected));
            QVERIFY2(WordAt(word, 1, x, y), qPrintable(DescribeWord(word) + QString(" expected %1, %2").arg(x).arg(y)));
        };
        const std::tuple<const char*, int, int> onTheirLines[] = {
            {"plain", 0, 0}, {"bold", 6, 0}, {"italic", 11, 0}, {"under", 18, 0},
            {"end", 24, 0},  {"big", 0, 2},  {"╔═╗", 0, 3},     {"árvíztűrő", 4, 3}};
        for (auto [word, cells, line] : onTheirLines)
            check(word, Margin + cells * Cell(10), Edge + 12 * line);
        check("up", Margin + Cell(10), Edge + 12 - 6);
        check("y", Margin + 2 * Cell(10) + 2 * Cell(6), Edge + 12);
        check("down", Margin + 3 * Cell(10) + 2 * Cell(6), Edge + 12 + 6);
        check("z", Margin + 4 * Cell(10) + 6 * Cell(6), Edge + 12);
        check("small", Margin + 3 * Cell(12) + Cell(10), Edge + 24);
        // The underline is a rule in the band below the baseline of the underlined run only.
        const QImage page = PdfPageImage(pdf, 1, 144);
        QVERIFY(!page.isNull());
        const auto inkBelow = [&](const char* run) {
            const PdfWord word = FindPdfWord(pdf, run);
            int ink = 0; // from just below the baseline (0.83 em under the top) to the foot of the line
            for (int y = int((word.yMin + 8.8) * 2); y <= int((word.yMin + 11.5) * 2); ++y)
                for (int x = int(word.xMin * 2) + 1; x < int(word.xMax * 2) - 1; ++x)
                    ink += page.constScanLine(y)[x] < 128;
            return ink;
        };
        const PdfWord under = FindPdfWord(pdf, "under");
        QVERIFY2(inkBelow("under") >= (under.xMax - under.xMin) * 2 - 4,
                 qPrintable(QString::number(inkBelow("under"))));
        QCOMPARE(inkBelow("end") + inkBelow("bold"), 0);
    }
    // A byte the font lacks is drawn from another font, in the cell of the style's own: columns stay.
    void missingGlyphComesFromAnotherFontInItsCell()
    {
        TempFolder folder;
        auto printer = QtPrinter::BuiltIn(folder.fsPath());
        printer->SetFontName("Liberation Mono");
        printer->SetFontSize(10);
        printer->SetFontCharset(CharacterSet::Ansi); // CP1250, where 0x81 is left undefined: U+FFFD
        printer->PrintText("A\201B");
        QVERIFY(Near(printer->CurrentX(), 3 * Cell(10) * 20, 0.5));
        printer->EndDoc();
        const QString pdf = LastPdf(*printer);
        QCOMPARE(PdfFontTable(pdf).size(), 2);
        QVERIFY2(PdfFonts(pdf).contains("LiberationMono"), qPrintable(PdfFonts(pdf).join(',')));
        const PdfWord word = FindPdfWord(pdf, QStringLiteral("A\uFFFDB"));
        QVERIFY2(Near(word.xMax, Edge + 3 * Cell(10), PdfTolerance), qPrintable(DescribeWord(word)));
        // A proportional face without box drawing: the lines come from another face.
        StyledJob job("DejaVu Sans Light");
        const QString boxes = job.PrintPdf("a\xc9\xcd\xbb\xb3\r\n");
        QCOMPARE(PdfFontTable(boxes).size(), 2);
        QVERIFY2(PdfText(boxes).contains(QStringLiteral("a╔═╗│")), qPrintable(PdfText(boxes)));
    }
    // Through the print job: page breaks (none blank, the rest of a line at the margin), bold ending
    // with its job, and no line of a long file lost, upright (68 lines a page) and turned (47).
    void pagesOfAJob_data()
    {
        QTest::addColumn<QString>("orientation");
        QTest::addColumn<int>("perPage");
        QTest::newRow("portrait") << "0" << 68;
        QTest::newRow("landscape") << "1" << 47;
    }
    void pagesOfAJob()
    {
        QFETCH(QString, orientation);
        QFETCH(int, perPage);
        StyledJob job("Liberation Mono");
        job.deletePrinted = true;
        QString pdf = job.PrintPdf("\fSz\xa0mla\r\nhead\f\033Ebold second\r\nthird\f");
        QVERIFY(!job.folder.exists("text.txt"));
        QCOMPARE(PdfPageCount(pdf), 2);
        for (const auto& [text, page, line] :
             {std::tuple{"Számla", 1, 0}, {"head", 1, 1}, {"bold", 2, 0}, {"third", 2, 1}}) {
            const PdfWord word = FindPdfWord(pdf, QString::fromUtf8(text));
            QVERIFY2(WordAt(word, page, Margin, Edge + 12 * line), qPrintable(DescribeWord(word)));
        }
        QVERIFY(PdfFonts(pdf).join(' ').contains(QStringLiteral("Bold")));
        constexpr int lines = 1000;
        QByteArray file;
        for (int i = 1; i <= lines; ++i)
            file += QStringLiteral("Line%1 of the file\r\n").arg(i, 4, 10, QLatin1Char('0')).toLatin1();
        QVERIFY(job.Print(file, orientation.toStdString()));
        pdf = job.LastPdf();
        QVERIFY(!PdfFonts(pdf).join(' ').contains(QStringLiteral("Bold")));
        QCOMPARE(PdfPageCount(pdf), (lines + perPage - 1) / perPage);
        QList<PdfWord> numbered;
        for (const PdfWord& word : PdfWords(pdf))
            if (word.text.startsWith(QStringLiteral("Line")))
                numbered << word;
        QCOMPARE(numbered.size(), lines);
        const QSizeF sheet = PdfPageSize(pdf, 1);
        QCOMPARE(sheet.width() > sheet.height(), orientation == QStringLiteral("1"));
        for (int i = 0; i < lines; ++i) {
            const PdfWord& word = numbered[i];
            QCOMPARE(word.text, QStringLiteral("Line%1").arg(i + 1, 4, 10, QLatin1Char('0')));
            QVERIFY2(WordAt(word, i / perPage + 1, Margin, Edge + (i % perPage) * 12.0),
                     qPrintable(DescribeWord(word)));
            QVERIFY(word.yMax < sheet.height() - Edge);
        }
    }
    // The logo page and the rest of its file are one document, the picture kept lossless.
    void logoJobIsOneFile()
    {
        StyledJob job("Liberation Mono");
        job.global.settings.LogoEnabled = true;
        job.global.settings.LogoCondition = "INVOICE";
        // With an alpha channel but wholly opaque: no soft mask.
        job.logo = QImage(64, 32, QImage::Format_ARGB32);
        for (int y = 0; y < job.logo.height(); ++y)
            for (int x = 0; x < job.logo.width(); ++x)
                job.logo.setPixel(x, y, qRgb((x * 37 + y * 11) % 256, (x * y * 7) % 256, (x ^ y) * 8 % 256));
        const QString pdf = job.PrintPdf("INVOICE 42\f\r\nsecond page\r\n");
        QCOMPARE(PdfFilesIn(job.folder.file("PDF")).size(), 1);
        QCOMPARE(PdfPageCount(pdf), 2);
        QCOMPARE(FindPdfWord(pdf, QStringLiteral("INVOICE")).page, 1);
        QCOMPARE(FindPdfWord(pdf, QStringLiteral("second")).page, 2);
        QCOMPARE(PdfImageEncodings(pdf), QStringList{QStringLiteral("image")});
        const QList<QImage> images = PdfImages(pdf);
        QCOMPARE(images.size(), 1);
        QCOMPARE(images[0].convertToFormat(QImage::Format_RGB32), job.logo.convertToFormat(QImage::Format_RGB32));
    }
    // A disk that fills fails the document at the end or while later pages are still drawn (pages go
    // to the file as they end); nothing is filed and the next document starts clean.
    void fullDiskFailsTheDocument_data()
    {
        QTest::addColumn<int>("limitBytes");
        QTest::addColumn<int>("pages");
        QTest::addColumn<bool>("failsWhileDrawing");
        QTest::newRow("at the end") << 2000 << 1 << false;
        QTest::newRow("in the middle") << 200000 << 400 << true;
    }
    void fullDiskFailsTheDocument()
    {
        QFETCH(int, limitBytes);
        QFETCH(int, pages);
        QFETCH(bool, failsWhileDrawing);
        TempFolder folder;
        auto printer = QtPrinter::BuiltIn(folder.fsPath());
        // The file size limit makes write() fail with EFBIG, as a full disk makes it fail.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limited{static_cast<rlim_t>(limitBytes), saved.rlim_max};
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
        bool failed = false, drawn = false;
        try {
            for (int page = 0; page < pages; ++page) {
                for (int line = 0; line < 60; ++line) {
                    printer->SetCurrentX(0);
                    printer->SetCurrentY(line * 240);
                    printer->PrintText("line " + std::to_string(line) + " of page " + std::to_string(page)
                                       + " 0123456789 abcdefghijklmnopqrstuvwxyz");
                }
                printer->NewPage();
            }
            drawn = true;
            printer->EndDoc();
        } catch (const OrvalinError& error) {
            failed = QString::fromUtf8(error.what()).contains(QStringLiteral("could not be written"));
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_DFL);
        QVERIFY(failed);
        QCOMPARE(!drawn, failsWhileDrawing);
        printer->KillDoc();
        QVERIFY2(AllFilesIn(folder.path()).isEmpty(), qPrintable(AllFilesIn(folder.path()).join(',')));
        printer->PrintText("after the disk was freed");
        printer->EndDoc();
        QVERIFY(PdfText(LastPdf(*printer)).contains(QStringLiteral("freed")));
    }
    void windowIsHiddenUntilShown()
    {
        auto canvas = MakePageCanvas();
        QWidget* window = CanvasWindow();
        QVERIFY(window);
        QVERIFY(window->findChild<QLabel*>(QStringLiteral("PIcNyom")));
        QVERIFY(!window->isVisible());
        canvas->SetSize(3000, 2000);
        canvas->PrintText("watched");
        canvas->Show();
        QVERIFY(window->isVisible());
        QVERIFY(!window->isModal());
        QTRY_COMPARE(window->findChild<QLabel*>(QStringLiteral("PIcNyom"))->pixmap().width(), 200);
        canvas.reset();
        QVERIFY(!CanvasWindow());
    }
    void overlayMatchesPlainPage()
    {
        TempFolder plainFolder, overlayFolder;
        auto plain = QtPrinter::BuiltIn(plainFolder.fsPath());
        DrawPage(*plain);
        plain->EndDoc();
        auto printer = QtPrinter::BuiltIn(overlayFolder.fsPath());
        printer->SetFontName("Liberation Mono");
        printer->SetFontSize(9);
        printer->SetFontItalic(true);
        printer->SetCurrentX(123);
        PageCanvas canvas;
        canvas.SetSize(printer->PageWidth(), printer->PageHeight());
        DrawPage(canvas);
        QCOMPARE(canvas.CurrentY(), 5000.0);
        canvas.DrawOnto(*printer);
        // The printer's own pen and font are as they were.
        QCOMPARE(printer->FontName(), std::string("Liberation Mono"));
        QVERIFY(printer->FontSize() == 9 && printer->FontItalic() && !printer->FontBold());
        QCOMPARE(printer->CurrentX(), 123.0);
        printer->EndDoc();
        const QList<PdfWord> expected = PdfWords(LastPdf(*plain));
        const QList<PdfWord> overlaid = PdfWords(LastPdf(*printer));
        QCOMPARE(overlaid.size(), expected.size());
        QVERIFY(expected.size() >= 7);
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QCOMPARE(overlaid[i].text, expected[i].text);
            QVERIFY2(Near(overlaid[i].xMin, expected[i].xMin, 0.05) && Near(overlaid[i].yMin, expected[i].yMin, 0.05),
                     qPrintable(expected[i].text));
        }
        const QStringList fonts = PdfFonts(LastPdf(*printer));
        QVERIFY2(!fonts.filter(QStringLiteral("Sans-Bold")).isEmpty(), qPrintable(fonts.join(',')));
    }
    void picturesAreCutToTheCanvasAndClsErases()
    {
        PageCanvas canvas;
        canvas.SetSize(1000, 800);
        canvas.PrintText("First");
        // 100 x 100 pixels are 1500 twips square; from (500, 500) only 500 x 300 twips fit.
        canvas.PaintPicture(Dots(100, 100, Qt::red), 500, 500, 1500, 1500, 0, 0, 1500, 1500);
        QCOMPARE(canvas.Items().size(), size_t(2));
        QCOMPARE(canvas.Items()[1].target, QRectF(500, 500, 500, 300));
        QCOMPARE(canvas.Items()[1].source, QRectF(0, 0, 500, 300));
        // Scaled by two, placed partly above and left of the canvas.
        canvas.PaintPicture(Dots(100, 100, Qt::red), -1000, -500, 3000, 3000, 0, 0, 1500, 1500);
        QCOMPARE(canvas.Items()[2].target, QRectF(0, 0, 1000, 800));
        QCOMPARE(canvas.Items()[2].source, QRectF(500, 250, 500, 400));
        // Wholly outside: nothing is kept.
        canvas.PaintPicture(Dots(10, 10, Qt::red), 1000, 0, 150, 150, 0, 0, 150, 150);
        canvas.PaintPicture(Dots(10, 10, Qt::red), -150, 0, 150, 150, 0, 0, 150, 150);
        QCOMPARE(canvas.Items().size(), size_t(3));
        // The window's picture shows the cut picture and white beyond the canvas's own edge.
        const QImage image = canvas.Image();
        QCOMPARE(image.size(), QSize(67, 54));
        QCOMPARE(QColor(image.pixel(50, 40)), QColor(Qt::red));
        TempFolder folder;
        auto printer = QtPrinter::BuiltIn(folder.fsPath());
        canvas.DrawOnto(*printer);
        printer->EndDoc();
        QCOMPARE(PdfImageCount(LastPdf(*printer)), 2);
        canvas.SetCurrentY(300);
        canvas.Cls();
        QVERIFY(canvas.CurrentX() == 0 && canvas.CurrentY() == 0 && canvas.Items().empty());
        canvas.DrawOnto(*printer); // an empty canvas gives no page
        printer->EndDoc();
        QCOMPARE(AllFilesIn(folder.path()).size(), 1);
        canvas.PrintText("Second");
        canvas.DrawOnto(*printer);
        printer->EndDoc();
        const QString text = PdfText(LastPdf(*printer));
        QVERIFY(text.contains(QStringLiteral("Second")) && !text.contains(QStringLiteral("First")));
        QCOMPARE(PdfImageCount(LastPdf(*printer)), 0);
    }
    void opaqueTextHidesWhatIsBelow()
    {
        PageCanvas canvas;
        canvas.SetSize(3000, 1500);
        canvas.PaintPicture(Dots(200, 100, Qt::red), 0, 0, 3000, 1500, 0, 0, 3000, 1500);
        canvas.SetFontName("Liberation Mono");
        canvas.SetFontSize(20);
        // Spaces draw no ink: only the text's background can change the picture under them.
        canvas.SetFontTransparent(true);
        canvas.PrintText("    ");
        canvas.SetCurrentY(750);
        canvas.SetCurrentX(0);
        canvas.SetFontTransparent(false);
        canvas.PrintText("    ");
        const QImage image = canvas.Image();
        QCOMPARE(QColor(image.pixel(10, 10)), QColor(Qt::red));
        QCOMPARE(QColor(image.pixel(10, 60)), QColor(Qt::white));
        QCOMPARE(QColor(image.pixel(150, 60)), QColor(Qt::red));
    }
    void textOutsideTheCanvasIsLostAndBadValuesRefused()
    {
        PageCanvas canvas;
        QVERIFY_THROWS_EXCEPTION(OrvalinError, canvas.NewPage());
        QVERIFY_THROWS_EXCEPTION(OrvalinError, canvas.SetSize(-1, 100));
        QVERIFY_THROWS_EXCEPTION(OrvalinError, canvas.SetSize(100, std::nan("")));
        QVERIFY_THROWS_EXCEPTION(OrvalinError, canvas.SetFontSize(0));
        QVERIFY_THROWS_EXCEPTION(OrvalinError, canvas.PaintPicture(QImage(), 0, 0, 1, 1, 0, 0, 1, 1));
        QVERIFY(canvas.Items().empty());
        canvas.SetSize(2000, 1000);
        QCOMPARE(canvas.Width(), 2000.0);
        QCOMPARE(canvas.Height(), 1000.0);
        canvas.SetFontName("Liberation Sans");
        canvas.PrintText("inside");
        canvas.SetCurrentY(1000);
        canvas.PrintText("below");
        canvas.SetCurrentY(0);
        canvas.SetCurrentX(2500);
        canvas.PrintText("right");
        QCOMPARE(canvas.Items().size(), size_t(1));
        QCOMPARE(canvas.Items()[0].text, QStringLiteral("inside"));
        QVERIFY(canvas.CurrentX() > 2500); // the pen still moves as on a page
    }
};

QTEST_MAIN(SurfacePdfTest)
#include "surface_pdf_test.moc"
