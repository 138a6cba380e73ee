#include "qt_printer.h"

#include "common/errors.h"
#include "common/units.h"
#include "cups_destinations.h"
#include "pdf/pdf_document.h"
#include "platform/durable_file.h"
#include "qt_text.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>

// One document in progress: the temporary file and the PDF written into it page by page.
// Members are destroyed writer first, file last, so an abandoned document is closed and its file
// removed.
struct QtPrinter::Document {
    QTemporaryFile file;
    std::unique_ptr<PdfDocument> pdf;
    // The printable area's corner on the current sheet.
    double left = 0;
    double top = 0;
    // Page breaks asked for since the last output. A page is begun only for output, so a break
    // before the first output or after the last one makes no blank sheet; two breaks in a row
    // between outputs still leave the blank page they ask for.
    int pendingBreaks = 0;
};

namespace {

std::string Describe(const QString& text) { return text.toStdString(); }

// The folder's entry for a filed document is on the disk too, not only the document.
void SyncFolderEntries(const std::filesystem::path& folder)
{
    if (const int error = SyncFolder(folder); error != 0)
        throw OrvalinError("The folder " + folder.string() + " could not be flushed to disk: " + std::strerror(error));
}

// The source rectangle of a picture (in its twips) as packed samples.
PdfImage PackedPixels(const QImage& picture, double sourceX, double sourceY, double sourceWidth, double sourceHeight)
{
    const QRect source = QRectF(sourceX / TwipsPerPixel, sourceY / TwipsPerPixel, sourceWidth / TwipsPerPixel,
                                sourceHeight / TwipsPerPixel)
                             .toAlignedRect()
                             .intersected(picture.rect());
    if (source.isEmpty())
        return {};
    const bool alpha = picture.hasAlphaChannel();
    const QImage pixels = picture.copy(source).convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    PdfImage image;
    image.width = pixels.width();
    image.height = pixels.height();
    const auto width = static_cast<std::size_t>(image.width);
    image.rgb.reserve(width * static_cast<std::size_t>(image.height) * 3);
    bool opaque = true;
    for (int y = 0; y < image.height; ++y) {
        const auto* row = reinterpret_cast<const char*>(pixels.constScanLine(y));
        if (!alpha) {
            image.rgb.append(row, width * 3);
            continue;
        }
        for (std::size_t x = 0; x < width; ++x) {
            image.rgb.append(row + 4 * x, 3);
            image.alpha += row[4 * x + 3];
            opaque = opaque && static_cast<unsigned char>(row[4 * x + 3]) == 255;
        }
    }
    if (opaque)
        image.alpha.clear();
    return image;
}

} // namespace

QtPrinter::QtPrinter(std::string deviceName, bool builtIn, std::filesystem::path pdfFolder, Paper paper)
    : deviceName_(std::move(deviceName)), builtIn_(builtIn), pdfFolder_(std::move(pdfFolder)), paper_(std::move(paper))
{}

QtPrinter::~QtPrinter() = default;

std::unique_ptr<QtPrinter> QtPrinter::BuiltIn(const std::filesystem::path& pdfFolder)
{
    return std::unique_ptr<QtPrinter>(new QtPrinter(BuiltInPrinterName, true, pdfFolder, BuiltInPaper()));
}

std::unique_ptr<QtPrinter> QtPrinter::Cups(const std::string& destination)
{
    return std::unique_ptr<QtPrinter>(new QtPrinter(destination, false, {}, CupsDefaultPaper(destination)));
}

void QtPrinter::SetOrientation(PageOrientation orientation)
{
    if (orientation != PageOrientation::Portrait && orientation != PageOrientation::Landscape)
        throw OrvalinError("Invalid property value: Orientation");
    // A document in progress takes the new orientation from its next page on.
    orientation_ = orientation;
}

void QtPrinter::SetPrintQuality(PrintQuality quality)
{
    // -1 draft to -4 high, or a resolution in dots per inch.
    if (static_cast<int>(quality) < static_cast<int>(PrintQuality::High) || static_cast<int>(quality) == 0)
        throw OrvalinError("Invalid property value: PrintQuality");
    quality_ = quality;
}

double QtPrinter::PageWidth() const { return OrientedPaper().PrintableWidth(); }

double QtPrinter::PageHeight() const { return OrientedPaper().PrintableHeight(); }

QtPrinter::Document& QtPrinter::Active()
{
    if (document_)
        return *document_;
    auto document = std::make_unique<Document>();
    if (builtIn_) {
        // Written beside its final name, so that filing it is a rename within one folder.
        std::error_code error;
        std::filesystem::create_directories(pdfFolder_, error);
        if (error)
            throw OrvalinError("Cannot create the folder " + pdfFolder_.string() + ": " + error.message());
        document->file.setFileTemplate(QString::fromStdString((pdfFolder_ / ".Orvalin-XXXXXX.part").string()));
    } else {
        document->file.setFileTemplate(QDir::temp().filePath(QStringLiteral("orvalin-XXXXXX.pdf")));
    }
    if (!document->file.open())
        throw OrvalinError("Cannot create a temporary file for printing: " + Describe(document->file.errorString()));
    document->pdf =
        std::make_unique<PdfDocument>(document->file.handle(), "for the printer " + deviceName_, deviceName_);
    BeginPage(*document);
    document_ = std::move(document);
    return *document_;
}

void QtPrinter::BeginPage(Document& document)
{
    // The whole sheet is the page, at its exact size; the printable area is an offset.
    const Paper sheet = OrientedPaper();
    document.pdf->BeginPage(sheet.Width, sheet.Height);
    document.left = sheet.Left;
    document.top = sheet.Top;
}

QtPrinter::Document& QtPrinter::Output()
{
    Document& document = Active();
    for (; document.pendingBreaks > 0; --document.pendingBreaks)
        BeginPage(document);
    return document;
}

void QtPrinter::DrawRun(double x, double y, std::string_view bytes)
{
    const TextStyle& style = Style();
    const ByteMetrics& metrics = MetricsOf(style);
    Document& document = Output();
    document.pdf->Text(document.left + x, document.top + y, metrics, bytes, style.Underline, !style.Transparent);
}

void QtPrinter::NewPage()
{
    // Before any output of the document there is no page to end.
    if (document_)
        ++document_->pendingBreaks;
    MovePen(0, 0);
}

void QtPrinter::PaintPicture(const QImage& picture, double x, double y, double width, double height, double sourceX,
                             double sourceY, double sourceWidth, double sourceHeight)
{
    if (!PictureArgumentsDrawable(picture, x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight))
        return;
    const PdfImage pixels = PackedPixels(picture, sourceX, sourceY, sourceWidth, sourceHeight);
    if (pixels.width == 0)
        return;
    Document& document = Output();
    document.pdf->Image(pixels, document.left + x, document.top + y, width, height);
}

void QtPrinter::KillDoc()
{
    document_.reset();
    MovePen(0, 0);
}

void QtPrinter::EndDoc()
{
    MovePen(0, 0);
    if (!document_)
        return; // nothing was drawn: no page, no job
    // Taken out first, so that whatever fails below the next document starts clean.
    const std::unique_ptr<Document> document = std::move(document_);
    document->pdf->Close();
    // Every write up to the close counts, and the document reaches the disk before it counts, so
    // a power cut cannot leave neither it nor the spool file.
    if (const int error = document->file.flush() ? SyncFile(document->file.handle()) : errno; error != 0)
        throw OrvalinError("The document for the printer " + deviceName_
                           + " could not be flushed to disk: " + std::strerror(error));
    document->file.close();
    if (document->file.error() != QFileDevice::NoError)
        throw OrvalinError("The document for the printer " + deviceName_
                           + " could not be written: " + Describe(document->file.errorString()));
    if (builtIn_)
        Publish(*document);
    else
        SubmitPdfToCups(deviceName_, document->file.fileName(), "Orvalin", quality_, paper_.Media);
}

void QtPrinter::Publish(Document& document)
{
    // A new name every time: a timestamp, and a counter when that name is taken. The rename never
    // replaces an existing file.
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QDir folder(QString::fromStdString(pdfFolder_.string()));
    // Temporary files are private to their owner; a filed document is an ordinary one.
    document.file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                 | QFileDevice::ReadOther);
    for (int counter = 1; counter < 10000; ++counter) {
        const QString name = counter == 1 ? QStringLiteral("Orvalin-%1.pdf").arg(stamp)
                                          : QStringLiteral("Orvalin-%1-%2.pdf").arg(stamp).arg(counter);
        const QString target = folder.filePath(name);
        if (QFile::exists(target))
            continue;
        if (document.file.rename(target)) {
            document.file.setAutoRemove(false);
            lastFile_ = std::filesystem::path(target.toStdString());
            SyncFolderEntries(pdfFolder_);
            return;
        }
        if (!QFile::exists(target))
            throw OrvalinError("Cannot file the document as " + target.toStdString() + ": "
                               + Describe(document.file.errorString()));
    }
    throw OrvalinError("Cannot find a free file name for the document in " + pdfFolder_.string());
}
