#include "qt_printer.h"

#include "common/errors.h"
#include "cups_destinations.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryFile>


// One document in progress: the temporary PDF, its writer and the painter on it. Members are
// destroyed painter first, file last, so an abandoned document is closed and its file removed.
struct QtPrinter::Document {
    QTemporaryFile file;
    std::unique_ptr<QPdfWriter> writer;
    QPainter painter;
};

namespace {

QPageLayout::Orientation LayoutOrientation(int orientation)
{
    return orientation == OrientationLandscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

std::string Describe(const QString& text) { return text.toStdString(); }

} // namespace

QtPrinter::QtPrinter(std::string deviceName, bool builtIn, std::filesystem::path pdfFolder, QPageSize pageSize)
    : deviceName_(std::move(deviceName)), builtIn_(builtIn), pdfFolder_(std::move(pdfFolder)),
      pageSize_(std::move(pageSize))
{
}

QtPrinter::~QtPrinter() = default;

std::unique_ptr<QtPrinter> QtPrinter::BuiltIn(const std::filesystem::path& pdfFolder)
{
    return std::unique_ptr<QtPrinter>(new QtPrinter(BuiltInPrinterName, true, pdfFolder, QPageSize(QPageSize::A4)));
}

std::unique_ptr<QtPrinter> QtPrinter::Cups(const std::string& destination)
{
    return std::unique_ptr<QtPrinter>(new QtPrinter(destination, false, {}, CupsDefaultPageSize(destination)));
}

void QtPrinter::SetOrientation(int orientation)
{
    if (orientation != OrientationPortrait && orientation != OrientationLandscape)
        throw OrvalinError("Invalid property value: Orientation");
    // A document in progress takes the new orientation from its next page on.
    orientation_ = orientation;
}

void QtPrinter::SetPrintQuality(int quality)
{
    // -1 draft to -4 high, or a resolution in dots per inch.
    if (quality < PrintQualityHigh || quality == 0)
        throw OrvalinError("Invalid property value: PrintQuality");
    quality_ = quality;
}

double QtPrinter::PageWidth() const
{
    const QSizeF millimetres = pageSize_.size(QPageSize::Millimeter);
    return (orientation_ == OrientationLandscape ? millimetres.height() : millimetres.width()) / 25.4 * 1440;
}

double QtPrinter::PageHeight() const
{
    const QSizeF millimetres = pageSize_.size(QPageSize::Millimeter);
    return (orientation_ == OrientationLandscape ? millimetres.width() : millimetres.height()) / 25.4 * 1440;
}

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
    document->writer = std::make_unique<QPdfWriter>(&document->file);
    document->writer->setResolution(1440);
    document->writer->setCreator(QStringLiteral("Orvalin"));
    document->writer->setTitle(QString::fromStdString(deviceName_));
    document->writer->setPageLayout(
        QPageLayout(pageSize_, LayoutOrientation(orientation_), QMarginsF(0, 0, 0, 0)));
    if (!document->painter.begin(document->writer.get()))
        throw OrvalinError("Cannot start a document on the printer " + deviceName_);
    document_ = std::move(document);
    return *document_;
}

void QtPrinter::DrawRun(double x, double y, const std::string&, const QString& text)
{
    DrawTextRun(Active().painter, Style(), QPointF(x, y), text);
}

void QtPrinter::NewPage()
{
    Document& document = Active();
    document.writer->setPageLayout(QPageLayout(pageSize_, LayoutOrientation(orientation_), QMarginsF(0, 0, 0, 0)));
    if (!document.writer->newPage())
        throw OrvalinError("Cannot start a new page on the printer " + deviceName_);
    MovePen(0, 0);
}

void QtPrinter::PaintPicture(const QImage& picture, double x, double y, double width, double height,
                             double sourceX, double sourceY, double sourceWidth, double sourceHeight)
{
    if (!PictureArgumentsDrawable(picture, x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight))
        return;
    // The picture's own twips are 15 a pixel.
    const QRectF source(sourceX / 15, sourceY / 15, sourceWidth / 15, sourceHeight / 15);
    Active().painter.drawImage(QRectF(x, y, width, height), picture, source);
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
    if (!document->painter.end())
        throw OrvalinError("The document for the printer " + deviceName_ + " could not be finished.");
    document->writer.reset();
    if (!document->file.flush())
        throw OrvalinError("The document for the printer " + deviceName_ +
                           " could not be written: " + Describe(document->file.errorString()));
    document->file.close();
    if (document->file.error() != QFileDevice::NoError)
        throw OrvalinError("The document for the printer " + deviceName_ +
                           " could not be written: " + Describe(document->file.errorString()));
    if (builtIn_)
        Publish(*document);
    else
        SubmitPdfToCups(deviceName_, document->file.fileName(), "Orvalin", quality_);
}

void QtPrinter::Publish(Document& document)
{
    // A new name every time: a timestamp, and a counter when that name is taken. The rename never
    // replaces an existing file.
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QDir folder(QString::fromStdString(pdfFolder_.string()));
    // Temporary files are private to their owner; a filed document is an ordinary one.
    document.file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                 QFileDevice::ReadOther);
    for (int counter = 1; counter < 10000; ++counter) {
        const QString name = counter == 1 ? QStringLiteral("Orvalin-%1.pdf").arg(stamp)
                                          : QStringLiteral("Orvalin-%1-%2.pdf").arg(stamp).arg(counter);
        const QString target = folder.filePath(name);
        if (QFile::exists(target))
            continue;
        if (document.file.rename(target)) {
            document.file.setAutoRemove(false);
            lastFile_ = std::filesystem::path(target.toStdString());
            return;
        }
        if (!QFile::exists(target))
            throw OrvalinError("Cannot file the document as " + target.toStdString() + ": " +
                               Describe(document.file.errorString()));
    }
    throw OrvalinError("Cannot find a free file name for the document in " + pdfFolder_.string());
}
