// The logo page's canvas: what it keeps, how it cuts pictures, its window, and how it lies over a
// printer page (text stays text, at the place it would have on a plain page).
#include "common/errors.h"
#include "pdf_probe.h"
#include "print/surface/page_canvas.h"
#include "print/surface/qt_printer.h"
#include "print/surface/qt_surface.h"
#include "temp_folder.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTest>

#include <cmath>

namespace {

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

QString LastPdf(const QtPrinter& printer) { return QString::fromStdString(printer.LastFile().string()); }

} // namespace

class SurfaceCanvasTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
            QVERIFY2(std::fabs(overlaid[i].xMin - expected[i].xMin) < 0.05
                         && std::fabs(overlaid[i].yMin - expected[i].yMin) < 0.05,
                     qPrintable(expected[i].text));
        }
        const QStringList fonts = PdfFonts(LastPdf(*printer));
        QVERIFY2(!fonts.filter(QStringLiteral("Sans-Bold")).isEmpty(), qPrintable(fonts.join(',')));
    }
    void clsErases()
    {
        TempFolder folder;
        PageCanvas canvas;
        canvas.SetSize(11906, 16838);
        canvas.PrintText("First");
        canvas.PaintPicture(Dots(10, 10, Qt::blue), 0, 0, 150, 150, 0, 0, 150, 150);
        canvas.SetCurrentY(300);
        canvas.Cls();
        QCOMPARE(canvas.CurrentX(), 0.0);
        QCOMPARE(canvas.CurrentY(), 0.0);
        QVERIFY(canvas.Items().empty());
        // An empty canvas gives no page.
        auto printer = QtPrinter::BuiltIn(folder.fsPath());
        canvas.DrawOnto(*printer);
        printer->EndDoc();
        QVERIFY(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
        canvas.PrintText("Second");
        canvas.DrawOnto(*printer);
        printer->EndDoc();
        const QString text = PdfText(LastPdf(*printer));
        QVERIFY(text.contains(QStringLiteral("Second")) && !text.contains(QStringLiteral("First")));
        QCOMPARE(PdfImageCount(LastPdf(*printer)), 0);
    }
    void picturesAreCutToTheCanvas()
    {
        PageCanvas canvas;
        canvas.SetSize(1000, 800);
        // 100 x 100 pixels are 1500 twips square; from (500, 500) only 500 x 300 twips fit.
        canvas.PaintPicture(Dots(100, 100, Qt::red), 500, 500, 1500, 1500, 0, 0, 1500, 1500);
        QCOMPARE(canvas.Items().size(), size_t(1));
        QCOMPARE(canvas.Items()[0].target, QRectF(500, 500, 500, 300));
        QCOMPARE(canvas.Items()[0].source, QRectF(0, 0, 500, 300));
        // Scaled by two, placed partly above and left of the canvas.
        canvas.PaintPicture(Dots(100, 100, Qt::red), -1000, -500, 3000, 3000, 0, 0, 1500, 1500);
        QCOMPARE(canvas.Items()[1].target, QRectF(0, 0, 1000, 800));
        QCOMPARE(canvas.Items()[1].source, QRectF(500, 250, 500, 400));
        // Wholly outside: nothing is kept.
        canvas.PaintPicture(Dots(10, 10, Qt::red), 1000, 0, 150, 150, 0, 0, 150, 150);
        canvas.PaintPicture(Dots(10, 10, Qt::red), -150, 0, 150, 150, 0, 0, 150, 150);
        QCOMPARE(canvas.Items().size(), size_t(2));
        // The window's picture shows the cut picture and white beyond the canvas's own edge.
        const QImage image = canvas.Image();
        QCOMPARE(image.size(), QSize(67, 54));
        QCOMPARE(QColor(image.pixel(50, 40)), QColor(Qt::red));
        TempFolder folder;
        auto printer = QtPrinter::BuiltIn(folder.fsPath());
        canvas.DrawOnto(*printer);
        printer->EndDoc();
        QCOMPARE(PdfImageCount(LastPdf(*printer)), 2);
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

QTEST_MAIN(SurfaceCanvasTest)
#include "surface_canvas_test.moc"
