// The PDF that the printer writes for text pages, read back with poppler: where each style's text
// lands, what the fonts are (subset, embedded, searchable), a character the font lacks, the
// underline, pages written out as they end, and a disk that fills.
#include "backend_job.h"
#include "common/errors.h"
#include "pdf_probe.h"
#include "platform/code_pages.h"
#include "print/print_job.h"
#include "print/surface/qt_printer.h"
#include "print/surface/qt_surface.h"
#include "temp_folder.h"

#include <cups/cups.h>

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <tuple>

namespace {

// The printable area starts 12 points in; 0.8 cm of margin is 453.6 twips in single precision.
constexpr double Edge = 12;
const double Margin = Edge + static_cast<float>(0.8 * 567) / 20.0;
// Liberation Mono's advance, 1229/2048 em, in points at a size.
double Cell(double points) { return points * 1229 / 2048; }

// Spool lines with the style escapes of a legacy program's printer set-up.
struct StyledJob : BackEndJob {
    explicit StyledJob(const std::string& font) : BackEndJob(BuiltInPrinterName, 0.8)
    {
        global.settings.FontName = font;
        Rule("\x1b"
             "E",
             "bb"),
            Rule("\x1b"
                 "F",
                 "eb"),
            Rule("\x1b"
                 "4",
                 "bi"),
            Rule("\x1b"
                 "5",
                 "ei");
        Rule("\x1b"
             "-1",
             "bu"),
            Rule("\x1b"
                 "-0",
                 "eu"),
            Rule("\x1b"
                 "S0",
                 "be"),
            Rule("\x1b"
                 "T0",
                 "ee");
        Rule("\x1b"
             "S1",
             "bp"),
            Rule("\x1b"
                 "T1",
                 "ep"),
            Rule("\x1b"
                 "M",
                 "12"),
            Rule("\x1b"
                 "P",
                 "10");
        Rule("\f", "np");
    }
    // The document's path; empty when the job could not open the file.
    QString PrintPdf(const QByteArray& bytes) { return Print(bytes) ? LastPdf() : QString(); }
};

const QByteArray MixedText = "plain \x1b"
                             "Ebold\x1b"
                             "F \x1b"
                             "4italic\x1b"
                             "5 \x1b"
                             "-1under\x1b"
                             "-0 end\r\n"
                             "x\x1b"
                             "S0up\x1b"
                             "T0 y\x1b"
                             "S1down\x1b"
                             "T1 z\r\n"
                             "\x1b"
                             "Mbig\x1b"
                             "P small\r\n"
                             "\xc9\xcd\xbb \xa0rv\xa1zt\xfbr\x8b t\x81k\x94rf\xa3r\xa2g\x82p\r\n";

} // namespace

class PdfTextTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("CUPS_SERVER", QFile::encodeName(QDir::temp().filePath(QStringLiteral("orvalin-no-cups.sock"))));
        cupsSetServer(qgetenv("CUPS_SERVER").constData());
        SelectCodePages({"CP1250", "CP852"});
    }

    // Regular, bold, italic, underline, sizes, super- and subscript and box drawing, each where
    // the layout put it: the top of each word at its line, each word after as many cells as
    // precede it in its own size.
    void mixedStylesLandWhereTheLayoutPutsThem()
    {
        StyledJob job("Liberation Mono");
        const QString pdf = job.PrintPdf(MixedText);
        QVERIFY(!pdf.isEmpty());
        const auto check = [&](const char* text, double x, double y) {
            const PdfWord word = FindPdfWord(pdf, QString::fromUtf8(text));
            QVERIFY2(WordAt(word, 1, x, y),
                     qPrintable(DescribeWord(word) + QStringLiteral(" expected %1, %2").arg(x).arg(y)));
        };
        check("plain", Margin, Edge);
        check("bold", Margin + 6 * Cell(10), Edge);
        check("italic", Margin + 11 * Cell(10), Edge);
        check("under", Margin + 18 * Cell(10), Edge);
        check("end", Margin + 24 * Cell(10), Edge);
        // Raised and lowered by half a line (6 points), at 6 points.
        check("up", Margin + Cell(10), Edge + 12 - 6);
        check("y", Margin + 2 * Cell(10) + 2 * Cell(6), Edge + 12);
        check("down", Margin + 3 * Cell(10) + 2 * Cell(6), Edge + 12 + 6);
        check("z", Margin + 4 * Cell(10) + 6 * Cell(6), Edge + 12);
        check("big", Margin, Edge + 24);
        check("small", Margin + 3 * Cell(12) + Cell(10), Edge + 24);
        check("╔═╗", Margin, Edge + 36);
        check("árvíztűrő", Margin + 4 * Cell(10), Edge + 36);
        const QString text = PdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral("╔═╗ árvíztűrő tükörfúrógép")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("bold italic under end")), qPrintable(text));
    }

    // The rule sits in the band below the baseline of the underlined run only.
    void underlineIsARuleUnderTheRun()
    {
        StyledJob job("Liberation Mono");
        const QString pdf = job.PrintPdf(MixedText);
        const QImage page = PdfPageImage(pdf, 1, 144);
        QVERIFY(!page.isNull());
        const auto inkBelow = [&](const QString& text) {
            const PdfWord word = FindPdfWord(pdf, text);
            // From just below the baseline (0.83 em under the top) to the foot of the line.
            const int top = static_cast<int>((word.yMin + 8.8) * 2);
            const int bottom = static_cast<int>((word.yMin + 11.5) * 2);
            int ink = 0;
            for (int y = top; y <= bottom; ++y) {
                const uchar* row = page.constScanLine(y);
                for (int x = static_cast<int>(word.xMin * 2) + 1; x < static_cast<int>(word.xMax * 2) - 1; ++x)
                    ink += row[x] < 128;
            }
            return ink;
        };
        const int under = inkBelow(QStringLiteral("under"));
        const PdfWord word = FindPdfWord(pdf, QStringLiteral("under"));
        QVERIFY2(under >= (word.xMax - word.xMin) * 2 - 4, qPrintable(QString::number(under)));
        QCOMPARE(inkBelow(QStringLiteral("end")), 0);
        QCOMPARE(inkBelow(QStringLiteral("bold")), 0);
    }

    // Every face used is embedded as a subset with a Unicode map, for TrueType and PostScript
    // (CFF) outlines alike, and the text reads back with its code page's letters.
    void fontsAreSubsetEmbeddedAndSearchable_data()
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
    void fontsAreSubsetEmbeddedAndSearchable()
    {
        QFETCH(QString, family);
        QFETCH(QString, type);
        QFETCH(QStringList, faces);
        StyledJob job(family.toStdString());
        const QString pdf = job.PrintPdf(MixedText);
        const QList<PdfFontInfo> fonts = PdfFontTable(pdf);
        QStringList names;
        for (const PdfFontInfo& font : fonts) {
            QVERIFY2(font.embedded && font.subset && font.unicode, qPrintable(font.name));
            QCOMPARE(font.type, type);
            QVERIFY2(font.name.contains(QRegularExpression(QStringLiteral("^[A-Z]{6}\\+"))), qPrintable(font.name));
            names << font.name.mid(7);
        }
        names.sort();
        QCOMPARE(names, faces);
        const QString text = PdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral("╔═╗ árvíztűrő tükörfúrógép")), qPrintable(text));
        // Only what the page shows is embedded: far less than the font files.
        QVERIFY(QFileInfo(pdf).size() < 60000);
    }

    // A byte whose character the font lacks is drawn from the font the configuration offers for
    // it, in the cell the style's own font gives every character, so the columns stay.
    void missingGlyphComesFromAnotherFontInItsCell()
    {
        TempFolder folder;
        auto printer = QtPrinter::BuiltIn(folder.fsPath());
        printer->SetFontName("Liberation Mono");
        printer->SetFontSize(10);
        printer->SetFontCharset(CharacterSet::Ansi); // CP1250, where 0x81 is left undefined: U+FFFD
        printer->PrintText("A\x81"
                           "B");
        QVERIFY(std::fabs(printer->CurrentX() - 3 * Cell(10) * 20) < 0.5);
        printer->EndDoc();
        const QString pdf = QString::fromStdString(printer->LastFile().string());
        QStringList names;
        for (const PdfFontInfo& font : PdfFontTable(pdf)) {
            QVERIFY(font.embedded && font.subset && font.unicode);
            names << font.name.mid(7);
        }
        QCOMPARE(names.size(), 2);
        QVERIFY2(names.contains(QStringLiteral("LiberationMono")), qPrintable(names.join(',')));
        QVERIFY(PdfText(pdf).contains(QStringLiteral("A\uFFFDB")));
        const PdfWord word = FindPdfWord(pdf, QStringLiteral("A\uFFFDB"));
        QVERIFY2(std::fabs(word.xMax - (Edge + 3 * Cell(10))) < PdfTolerance, qPrintable(DescribeWord(word)));

        // A proportional face without box drawing: the lines come from another face.
        StyledJob job("DejaVu Sans Light");
        const QString boxes = job.PrintPdf("a\xc9\xcd\xbb\xb3\r\n");
        QCOMPARE(PdfFontTable(boxes).size(), 2);
        QVERIFY2(PdfText(boxes).contains(QStringLiteral("a╔═╗│")), qPrintable(PdfText(boxes)));
    }

    // Through the print job: page breaks (a leading one makes no blank sheet, one in mid-line
    // starts the rest at the margin), bold ending with its job, and no line of a long file lost,
    // upright (68 lines a page) and turned (47).
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
        QString pdf = job.PrintPdf("\fSz\xa0mla\r\nhead\f\x1b"
                                   "Ebold second\r\nthird\f");
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
        job.logo = QImage(64, 32, QImage::Format_RGB32);
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
        QCOMPARE(images[0].convertToFormat(QImage::Format_RGB32), job.logo);
    }

    // A disk that fills fails the document, wherever the write was: at the very end, or in the
    // middle, while later pages are still being drawn (pages go to the file as they end, the
    // document is never held whole); nothing is filed and the next document starts clean.
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
        rlimit limited = saved;
        limited.rlim_cur = static_cast<rlim_t>(limitBytes);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
        bool failed = false;
        bool drawn = false;
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
        QVERIFY(PdfText(QString::fromStdString(printer->LastFile().string())).contains(QStringLiteral("freed")));
    }
};

QTEST_MAIN(PdfTextTest)
#include "pdf_text_test.moc"
