#include "page_canvas.h"

#include "common/errors.h"
#include "common/units.h"
#include "qt_text.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cmath>

PageCanvas::PageCanvas()
{
    auto* window = new QWidget;
    window->setObjectName(QStringLiteral("Picnyomkep"));
    window->setWindowTitle(QStringLiteral("Nyomtatási kép"));
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* area = new QLabel(window);
    area->setObjectName(QStringLiteral("PIcNyom"));
    area->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(area);
    window_ = window;
}

PageCanvas::~PageCanvas() { delete window_.data(); }

void PageCanvas::SetSize(double width, double height)
{
    CheckedCoordinate(width, "Width");
    CheckedCoordinate(height, "Height");
    if (width < 0 || height < 0)
        throw OrvalinError("Invalid property value: a canvas size cannot be negative");
    width_ = width;
    height_ = height;
    Changed();
}

void PageCanvas::Cls()
{
    items_.clear();
    MovePen(0, 0);
    Changed();
}

void PageCanvas::NewPage() { throw OrvalinError("A page canvas has no pages: NewPage is not available."); }

void PageCanvas::DrawRun(double x, double y, std::string_view bytes)
{
    const double width = TextWidth(Style(), bytes);
    // What lies wholly outside the canvas is lost, as on a picture box.
    if (x >= width_ || y >= height_ || x + width <= 0 || y + LineHeight(Style()) <= 0)
        return;
    Item item;
    item.isText = true;
    item.style = Style();
    item.position = QPointF(x, y);
    item.bytes = std::string(bytes);
    item.text = DecodeText(item.bytes, Style().Charset);
    item.textWidth = width;
    items_.push_back(std::move(item));
    Changed();
}

void PageCanvas::PaintPicture(const QImage& picture, double x, double y, double width, double height, double sourceX,
                              double sourceY, double sourceWidth, double sourceHeight)
{
    if (!PictureArgumentsDrawable(picture, x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight))
        return;
    // Cut the destination to the canvas and the source in the same proportion.
    const QRectF target(x, y, width, height);
    const QRectF kept = target.intersected(QRectF(0, 0, width_, height_));
    if (kept.isEmpty())
        return;
    const double scaleX = sourceWidth / width;
    const double scaleY = sourceHeight / height;
    Item item;
    item.picture = picture;
    item.target = kept;
    item.source = QRectF(sourceX + (kept.x() - x) * scaleX, sourceY + (kept.y() - y) * scaleY, kept.width() * scaleX,
                         kept.height() * scaleY);
    items_.push_back(std::move(item));
    Changed();
}

void PageCanvas::DrawOnto(Printer& printer)
{
    // Replayed through the printer's own drawing operations, so that text stays text and lands
    // exactly where it would on a plain page. The printer's pen and font are kept.
    auto* styled = dynamic_cast<StyledSurface*>(&printer);
    const TextStyle savedStyle = styled ? styled->Style() : TextStyle{};
    const std::string name = printer.FontName();
    const double size = printer.FontSize();
    const CharacterSet charset = printer.FontCharset();
    const bool bold = printer.FontBold();
    const bool italic = printer.FontItalic();
    const bool underline = printer.FontUnderline();
    const double x = printer.CurrentX();
    const double y = printer.CurrentY();
    for (const Item& item : items_) {
        if (item.isText) {
            printer.SetFontName(item.style.Name);
            printer.SetFontSize(item.style.Size);
            printer.SetFontCharset(item.style.Charset);
            printer.SetFontBold(item.style.Bold);
            printer.SetFontItalic(item.style.Italic);
            printer.SetFontUnderline(item.style.Underline);
            printer.SetFontTransparent(item.style.Transparent);
            printer.SetCurrentX(item.position.x());
            printer.SetCurrentY(item.position.y());
            printer.PrintText(item.bytes);
        } else {
            printer.PaintPicture(item.picture, item.target.x(), item.target.y(), item.target.width(),
                                 item.target.height(), item.source.x(), item.source.y(), item.source.width(),
                                 item.source.height());
        }
    }
    if (styled) {
        styled->SetStyle(savedStyle);
    } else {
        printer.SetFontName(name);
        printer.SetFontSize(size);
        printer.SetFontCharset(charset);
        printer.SetFontBold(bold);
        printer.SetFontItalic(italic);
        printer.SetFontUnderline(underline);
    }
    printer.SetCurrentX(x);
    printer.SetCurrentY(y);
}

QImage PageCanvas::Image() const
{
    const int pixelsWide = std::max(1, static_cast<int>(std::ceil(width_ / TwipsPerPixel)));
    const int pixelsHigh = std::max(1, static_cast<int>(std::ceil(height_ / TwipsPerPixel)));
    QImage image(pixelsWide, pixelsHigh, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    // At 1440 dots per inch fonts resolve in twips; the painter's scale brings them to pixels.
    const int dotsPerMeter = static_cast<int>(std::lround(1440 / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(1.0 / TwipsPerPixel, 1.0 / TwipsPerPixel);
    painter.setClipRect(QRectF(0, 0, width_, height_));
    for (const Item& item : items_) {
        if (item.isText) {
            DrawTextRun(painter, item.style, item.position, item.text);
        } else {
            const QRectF source(item.source.x() / TwipsPerPixel, item.source.y() / TwipsPerPixel,
                                item.source.width() / TwipsPerPixel, item.source.height() / TwipsPerPixel);
            painter.drawImage(item.target, item.picture, source);
        }
    }
    painter.end();
    image.setDotsPerMeterX(static_cast<int>(std::lround(96 / 0.0254)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(96 / 0.0254)));
    return image;
}

void PageCanvas::Show()
{
    if (!window_)
        throw OrvalinError("The window of the page canvas is gone.");
    window_->show();
    Changed();
}

void PageCanvas::Changed()
{
    // Only a visible window is kept up to date, once per turn of the event loop however much is
    // drawn in between; drawing for a hidden one would waste time.
    if (!window_ || !window_->isVisible() || refreshPending_)
        return;
    refreshPending_ = true;
    QTimer::singleShot(0, window_.data(), [this] {
        refreshPending_ = false;
        if (auto* area = window_->findChild<QLabel*>(QStringLiteral("PIcNyom")))
            area->setPixmap(QPixmap::fromImage(Image()));
    });
}
