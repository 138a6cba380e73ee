#include "qt_printer.h"

#include "checked_output.h"
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

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

// One document in progress: the temporary PDF, the checked device on it, its writer and the
// painter. Members are destroyed painter first, file last, so an abandoned document is closed and
// its file removed.
struct QtPrinter::Document {
    QTemporaryFile file;
    std::unique_ptr<CheckedOutput> output;
    std::unique_ptr<QPdfWriter> writer;
    QPainter painter;
    // Page breaks asked for since the last output. A page is begun only for output, so a break
    // before the first output or after the last one makes no blank sheet; two breaks in a row
    // between outputs still leave the blank page they ask for.
    int pendingBreaks = 0;
};

namespace {

// The whole sheet as one PDF page, without margins: the printable area is an offset of the
// drawing, so that the page is the paper the print system expects, at its exact size.
QPageLayout SheetLayout(const Paper& portrait, int orientation)
{
    constexpr double twipsPerMillimetre = 1440 / 25.4;
    const QPageSize size(QSizeF(portrait.Width / twipsPerMillimetre, portrait.Height / twipsPerMillimetre),
                         QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    return QPageLayout(size, orientation == OrientationLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
}

std::string Describe(const QString& text) { return text.toStdString(); }

// The folder's entry for a filed document is on the disk too, not only the document.
void SyncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    const int error = errno;
    if (fd >= 0)
        ::close(fd);
    if (!synced)
        throw OrvalinError("The folder " + folder.string() + " could not be flushed to disk: " + std::strerror(error));
}

} // namespace

QtPrinter::QtPrinter(std::string deviceName, bool builtIn, std::filesystem::path pdfFolder, Paper paper)
    : deviceName_(std::move(deviceName)), builtIn_(builtIn), pdfFolder_(std::move(pdfFolder)),
      paper_(std::move(paper))
{
}

QtPrinter::~QtPrinter() = default;

std::unique_ptr<QtPrinter> QtPrinter::BuiltIn(const std::filesystem::path& pdfFolder)
{
    return std::unique_ptr<QtPrinter>(new QtPrinter(BuiltInPrinterName, true, pdfFolder, BuiltInPaper()));
}

std::unique_ptr<QtPrinter> QtPrinter::Cups(const std::string& destination)
{
    return std::unique_ptr<QtPrinter>(new QtPrinter(destination, false, {}, CupsDefaultPaper(destination)));
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
    document->output = std::make_unique<CheckedOutput>(document->file.handle());
    document->writer = std::make_unique<QPdfWriter>(document->output.get());
    document->writer->setResolution(1440);
    document->writer->setCreator(QStringLiteral("Orvalin"));
    document->writer->setTitle(QString::fromStdString(deviceName_));
    document->writer->setPageLayout(SheetLayout(paper_, orientation_));
    if (!document->painter.begin(document->writer.get()))
        throw OrvalinError("Cannot start a document on the printer " + deviceName_);
    // Images go into the PDF as they are (Flate), never re-encoded as JPEG.
    document->painter.setRenderHint(QPainter::LosslessImageRendering);
    BeginPage(*document);
    document_ = std::move(document);
    return *document_;
}

void QtPrinter::BeginPage(Document& document)
{
    const Paper sheet = OrientedPaper();
    document.painter.resetTransform();
    document.painter.translate(sheet.Left, sheet.Top);
}

QPainter& QtPrinter::Output()
{
    Document& document = Active();
    for (; document.pendingBreaks > 0; --document.pendingBreaks) {
        document.writer->setPageLayout(SheetLayout(paper_, orientation_));
        if (!document.writer->newPage())
            throw OrvalinError("Cannot start a new page on the printer " + deviceName_);
        BeginPage(document);
    }
    return document.painter;
}

void QtPrinter::DrawRun(double x, double y, const std::string&, const QString& text)
{
    DrawTextRun(Output(), Style(), QPointF(x, y), text);
}

void QtPrinter::NewPage()
{
    // Before any output of the document there is no page to end.
    if (document_)
        ++document_->pendingBreaks;
    MovePen(0, 0);
}

void QtPrinter::PaintPicture(const QImage& picture, double x, double y, double width, double height,
                             double sourceX, double sourceY, double sourceWidth, double sourceHeight)
{
    if (!PictureArgumentsDrawable(picture, x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight))
        return;
    // The picture's own twips are 15 a pixel.
    const QRectF source(sourceX / 15, sourceY / 15, sourceWidth / 15, sourceHeight / 15);
    Output().drawImage(QRectF(x, y, width, height), picture, source);
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
    const bool ended = document->painter.end();
    document->writer.reset();
    // Every write up to the close counts, and the document reaches the disk before it counts, so
    // a power cut cannot leave neither it nor the spool file.
    if (!document->output->Sync())
        throw OrvalinError("The document for the printer " + deviceName_ +
                           " could not be written: " + std::strerror(document->output->Failure()));
    if (!ended)
        throw OrvalinError("The document for the printer " + deviceName_ + " could not be finished.");
    document->file.close();
    if (document->file.error() != QFileDevice::NoError)
        throw OrvalinError("The document for the printer " + deviceName_ +
                           " could not be written: " + Describe(document->file.errorString()));
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
            SyncFolder(pdfFolder_);
            return;
        }
        if (!QFile::exists(target))
            throw OrvalinError("Cannot file the document as " + target.toStdString() + ": " +
                               Describe(document.file.errorString()));
    }
    throw OrvalinError("Cannot find a free file name for the document in " + pdfFolder_.string());
}
