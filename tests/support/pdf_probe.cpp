#include "pdf_probe.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <optional>

namespace {

// Runs a poppler tool; its standard output, or a null string when it fails.
QString Poppler(const QString& program, const QStringList& arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return {};
    const QString output = QString::fromUtf8(tool.readAllStandardOutput());
    return output.isNull() ? QStringLiteral("") : output;
}

} // namespace

int PdfPageCount(const QString& path)
{
    const QString info = Poppler(QStringLiteral("pdfinfo"), {path});
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption).match(info);
    return info.isNull() || !match.hasMatch() ? -1 : match.captured(1).toInt();
}

QSizeF PdfPageSize(const QString& path, int page)
{
    const QString number = QString::number(page);
    const QString info =
        Poppler(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), number, QStringLiteral("-l"), number, path});
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^Page\\s+%1 size:\\s+([0-9.]+) x ([0-9.]+) pts").arg(page),
                           QRegularExpression::MultilineOption)
            .match(info);
    if (!match.hasMatch())
        return {};
    return QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble());
}

QList<PdfWord> PdfWords(const QString& path)
{
    QList<PdfWord> words;
    const QString xhtml = Poppler(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    QXmlStreamReader reader(xhtml);
    int page = 0;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == QLatin1String("page")) {
            ++page;
        } else if (reader.name() == QLatin1String("word")) {
            const QXmlStreamAttributes attributes = reader.attributes();
            PdfWord word;
            word.page = page;
            word.xMin = attributes.value(QLatin1String("xMin")).toDouble();
            word.yMin = attributes.value(QLatin1String("yMin")).toDouble();
            word.xMax = attributes.value(QLatin1String("xMax")).toDouble();
            word.yMax = attributes.value(QLatin1String("yMax")).toDouble();
            word.text = reader.readElementText();
            words << word;
        }
    }
    return words;
}

PdfWord FindPdfWord(const QString& path, const QString& text)
{
    for (const PdfWord& word : PdfWords(path))
        if (word.text == text)
            return word;
    return {};
}

QString PdfText(const QString& path) { return Poppler(QStringLiteral("pdftotext"), {path, QStringLiteral("-")}); }

QStringList PdfFonts(const QString& path)
{
    QStringList fonts;
    for (PdfFontInfo& font : PdfFontTable(path))
        fonts << font.name.remove(QRegularExpression(QStringLiteral("^[A-Z]{6}\\+")));
    return fonts;
}

QList<PdfFontInfo> PdfFontTable(const QString& path)
{
    // Two header lines, then a font a line: name, type (which may hold blanks), encoding, emb, sub,
    // uni, object number and generation.
    QList<PdfFontInfo> fonts;
    const QStringList lines = Poppler(QStringLiteral("pdffonts"), {path}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QStringList f = lines[i].split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const qsizetype n = f.size();
        if (n < 8)
            continue;
        const auto yes = [&](qsizetype at) { return f[at] == QLatin1String("yes"); };
        fonts << PdfFontInfo{f[0], f.mid(1, n - 7).join(QLatin1Char(' ')), yes(n - 5), yes(n - 4), yes(n - 3)};
    }
    return fonts;
}

QImage PdfPageImage(const QString& path, int page, int dotsPerInch)
{
    QTemporaryDir out;
    const QString base = out.filePath(QStringLiteral("page"));
    if (Poppler(QStringLiteral("pdftoppm"),
                {QStringLiteral("-gray"), QStringLiteral("-png"), QStringLiteral("-singlefile"), QStringLiteral("-r"),
                 QString::number(dotsPerInch), QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                 QString::number(page), path, base})
            .isNull())
        return {};
    return QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_Grayscale8);
}

namespace {

// Each image's encoding from pdfimages -list; empty when the file cannot be read.
std::optional<QStringList> ListImages(const QString& path)
{
    const QString list = Poppler(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path});
    if (list.isNull())
        return std::nullopt;
    QStringList encodings;
    const QStringList lines = list.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Two header lines, then one image a line: page num type width height color comp bpc enc …
    for (qsizetype i = 2; i < lines.size(); ++i)
        encodings << lines[i].split(QLatin1Char(' '), Qt::SkipEmptyParts).value(8);
    return encodings;
}

} // namespace

int PdfImageCount(const QString& path)
{
    const std::optional<QStringList> images = ListImages(path);
    return images ? static_cast<int>(images->size()) : -1;
}

QStringList PdfImageEncodings(const QString& path) { return ListImages(path).value_or(QStringList()); }

QList<QImage> PdfImages(const QString& path)
{
    QList<QImage> images;
    QTemporaryDir out;
    if (Poppler(QStringLiteral("pdfimages"), {QStringLiteral("-png"), path, out.filePath(QStringLiteral("image"))})
            .isNull())
        return images;
    const QDir dir(out.path());
    for (const QString& name : dir.entryList({QStringLiteral("image-*.png")}, QDir::Files, QDir::Name))
        images << QImage(dir.filePath(name));
    return images;
}

QString DescribeWord(const PdfWord& word)
{
    return QStringLiteral("%1: page %2 at %3, %4").arg(word.text).arg(word.page).arg(word.xMin).arg(word.yMin);
}

bool WordAt(const PdfWord& word, int page, double x, double y)
{
    return word.page == page && Near(word.xMin, x, PdfTolerance) && Near(word.yMin, y, PdfTolerance);
}

QStringList PdfFilesIn(const QString& folder)
{
    QStringList files;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name))
        files << dir.filePath(name);
    return files;
}
