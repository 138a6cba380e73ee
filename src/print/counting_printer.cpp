#include "counting_printer.h"

#include "common/errors.h"

template <class Base>
void CountingSurface<Base>::SetFontSize(double points)
{
    // The same range a real printer font takes, so that a refused size is skipped as it would be.
    if (!(points > 0 && points <= 2160))
        throw OrvalinError("Invalid font size");
    fontSize_ = points;
}

template class CountingSurface<Printer>;
template class CountingSurface<Canvas>;

CountingPrinter::CountingPrinter(std::string deviceName, double portraitWidth, double portraitHeight)
    : deviceName_(std::move(deviceName)), portraitWidth_(portraitWidth), portraitHeight_(portraitHeight)
{}

void CountingPrinter::Drawn()
{
    if (pageOpen_)
        return;
    pageOpen_ = true;
    ++pages_;
}

void CountingPrinter::NewPage()
{
    pageOpen_ = false;
    MovePen(0, 0);
}

void CountingPrinter::SetOrientation(PageOrientation orientation)
{
    if (orientation != PageOrientation::Portrait && orientation != PageOrientation::Landscape)
        throw OrvalinError("Invalid orientation");
    orientation_ = orientation;
}

double CountingPrinter::PageWidth() const
{
    return orientation_ == PageOrientation::Landscape ? portraitHeight_ : portraitWidth_;
}

double CountingPrinter::PageHeight() const
{
    return orientation_ == PageOrientation::Landscape ? portraitWidth_ : portraitHeight_;
}

void CountingPrinter::EndDoc()
{
    pageOpen_ = false;
    MovePen(0, 0);
}

void CountingCanvas::SetSize(double width, double height)
{
    width_ = width;
    height_ = height;
}

void CountingCanvas::DrawOnto(Printer& printer)
{
    if (auto* counting = dynamic_cast<CountingPrinter*>(&printer))
        counting->CanvasDrawn();
}
