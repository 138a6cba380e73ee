// Spool files through PrintJob onto the real built-in PDF printer, read back with poppler: the
// text in the OEM code page at the margin, page breaks, styles, the logo page as its own document.
#include "pdf_probe.h"
#include "platform/code_pages.h"
#include "print/logo_picture.h"
#include "print/print_job.h"
#include "print/surface/qt_printer.h"
#include "print/surface/qt_surface.h"
#include "temp_folder.h"

#include <QDir>
#include <QImage>
#include <QTest>

namespace {

struct PdfRig {
    TempFolder folder;
    Global global;
    std::unique_ptr<PrintersCollection> printers;
    std::unique_ptr<Canvas> canvas = MakePageCanvas();
    QImage logo;
    PrintJobContext context;

    PdfRig()
        : printers(MakeSystemPrinters(folder.fsPath() / "PDF")),
          context{global, *printers, *canvas, {}}
    {
        global.settings.PrinterName = BuiltInPrinterName;
        global.settings.FontName = "Liberation Mono";
        global.settings.FontSize = 10;
        global.settings.LeftMargin = 0.8;
        global.startup.PollMode = true;
        global.rules.ControlChars.push_back(ControlChar{"\f", "np"});
        global.rules.ControlChars.push_back(ControlChar{"\x1b" "E", "bb"});
        global.rules.ControlChars.push_back(ControlChar{"\x1b" "F", "eb"});
    }
    bool Print(const QByteArray& bytes)
    {
        folder.write("text.txt", bytes);
        return PrintJob(folder.file("text.txt").toStdString(), "0", context);
    }
    QStringList Pdfs() const
    {
        const QDir dir(folder.file("PDF"));
        QStringList files;
        for (const QString& name : dir.entryList({QStringLiteral("*.pdf")}, QDir::Files))
            files << dir.filePath(name);
        return files;
    }
    QString LastPdf() const
    {
        return QString::fromStdString(dynamic_cast<QtPrinter&>(printers->Current()).LastFile().string());
    }
};

} // namespace

class TestPrintJobPdf : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SelectCodePages({"CP1250", "CP852"}); }
    void textAtMarginOnItsPages();
    void logoPageIsItsOwnDocument();
};

void TestPrintJobPdf::textAtMarginOnItsPages()
{
    PdfRig rig;
    // "Számla" and "Összeg" in CP852, a page break, a bold word.
    QVERIFY(rig.Print("Sz\xa0mla 1\r\n\x99sszeg\f\x1b" "Ebold\x1b" "F second\r\nthird page\f"));
    QVERIFY(!rig.folder.exists("text.txt"));
    const QStringList pdfs = rig.Pdfs();
    QCOMPARE(pdfs.size(), 1);
    QCOMPARE(PdfPageCount(pdfs[0]), 2); // the last line's form feed became a blank
    const PdfWord first = FindPdfWord(pdfs[0], QStringLiteral("Számla"));
    QCOMPARE(first.page, 1);
    QVERIFY2(qAbs(first.xMin - 453.6 / 20) < 1.5, qPrintable(QString::number(first.xMin)));
    const PdfWord second = FindPdfWord(pdfs[0], QStringLiteral("Összeg"));
    QCOMPARE(second.page, 1);
    QVERIFY(qAbs((second.yMin - first.yMin) - 12.0) < 0.5); // 1/6 inch is 12 points
    // After the page break mid-line the rest starts at the corner, without the margin.
    const PdfWord bold = FindPdfWord(pdfs[0], QStringLiteral("bold"));
    QCOMPARE(bold.page, 2);
    QVERIFY2(bold.xMin < 5, qPrintable(QString::number(bold.xMin)));
    QCOMPARE(FindPdfWord(pdfs[0], QStringLiteral("third")).page, 2);
    QVERIFY(PdfFonts(pdfs[0]).join(' ').contains(QStringLiteral("Bold")));
}

void TestPrintJobPdf::logoPageIsItsOwnDocument()
{
    PdfRig rig;
    rig.global.settings.LogoEnabled = true;
    rig.global.settings.LogoCondition = "INVOICE";
    rig.global.settings.LogoX = 3000;
    rig.global.settings.LogoY = 1500;
    rig.logo = QImage(64, 32, QImage::Format_RGB32);
    rig.logo.fill(Qt::blue);
    rig.context.logo = LogoPictureOf(rig.logo);
    QVERIFY(rig.Print("INVOICE 42\r\nover the logo\f\r\nsecond page\r\n"));
    const QStringList pdfs = rig.Pdfs();
    QCOMPARE(pdfs.size(), 2);
    const QString rest = rig.LastPdf();
    const QString logoPage = pdfs[0] == rest ? pdfs[1] : pdfs[0];
    QCOMPARE(PdfPageCount(logoPage), 1);
    QVERIFY(PdfImageCount(logoPage) >= 1);
    QCOMPARE(FindPdfWord(logoPage, QStringLiteral("INVOICE")).page, 1); // text stays text
    QCOMPARE(PdfPageCount(rest), 1);
    QCOMPARE(FindPdfWord(rest, QStringLiteral("second")).page, 1);
    QCOMPARE(PdfImageCount(rest), 0);

    // The condition missing: no logo from now on, one document.
    QVERIFY(rig.Print("plain\r\n"));
    QVERIFY(!rig.global.settings.LogoEnabled);
    QCOMPARE(rig.Pdfs().size(), 3);
    QCOMPARE(PdfImageCount(rig.LastPdf()), 0);
}

QTEST_MAIN(TestPrintJobPdf)
#include "print_job_pdf_test.moc"
