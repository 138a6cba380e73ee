// Reads PDF files back through poppler's command-line tools (pdfinfo, pdftotext, pdffonts,
// pdfimages), so that tests check what a reader of the printed document would see.
#pragma once

#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <cmath>

// One word with its box in PDF points (1/72 inch) from the page's top-left corner.
struct PdfWord {
    int page = 0; // from 1
    QString text;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
};

// Positions on paper are compared to a quarter point.
inline constexpr double PdfTolerance = 0.25;
inline bool Near(double value, double expected, double tolerance = 1)
{
    return std::fabs(value - expected) < tolerance;
}
// "text: page p at x, y", for failure messages.
QString DescribeWord(const PdfWord& word);
// The word is on the page with its top-left corner at (x, y), within PdfTolerance.
bool WordAt(const PdfWord& word, int page, double x, double y);
// The PDF files of a folder, as full paths in name order.
QStringList PdfFilesIn(const QString& folder);

// -1 when the file cannot be read as a PDF.
int PdfPageCount(const QString& path);
// The page's size in points; empty when it cannot be read.
QSizeF PdfPageSize(const QString& path, int page);
QList<PdfWord> PdfWords(const QString& path);
// The first word with this text, or a word with page 0 when there is none.
PdfWord FindPdfWord(const QString& path, const QString& text);
// The whole text, in reading order.
QString PdfText(const QString& path);
// The font names as pdffonts lists them (subset prefixes removed).
QStringList PdfFonts(const QString& path);
// One line of pdffonts: the name with its subset tag, the type, and whether the font is embedded,
// a subset, and has a Unicode map.
struct PdfFontInfo {
    QString name;
    QString type;
    bool embedded = false;
    bool subset = false;
    bool unicode = false;
};
QList<PdfFontInfo> PdfFontTable(const QString& path);
// The page rendered by pdftoppm in grey at this resolution; null when it cannot be rendered.
QImage PdfPageImage(const QString& path, int page, int dotsPerInch);
// The number of images that pdfimages -list finds.
int PdfImageCount(const QString& path);
// Each image's encoding as pdfimages -list names it ("image" for Flate, "jpeg" for DCT, …).
QStringList PdfImageEncodings(const QString& path);
// The images' pixels as pdfimages -png writes them out.
QList<QImage> PdfImages(const QString& path);
