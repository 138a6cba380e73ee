#include "paper.h"

#include "print/printer.h"

Paper Paper::Turned(PageOrientation orientation) const
{
    if (orientation != PageOrientation::Landscape)
        return *this;
    Paper turned = *this;
    turned.Width = Height;
    turned.Height = Width;
    turned.Top = Left;
    turned.Left = Bottom;
    turned.Bottom = Right;
    turned.Right = Top;
    return turned;
}

Paper BuiltInPaper()
{
    constexpr double twipsPerMillimetre = 1440 / 25.4;
    Paper paper;
    paper.Media = "iso_a4_210x297mm";
    paper.Width = 210 * twipsPerMillimetre;
    paper.Height = 297 * twipsPerMillimetre;
    paper.Left = paper.Top = paper.Right = paper.Bottom = BuiltInPrinterMargin;
    return paper;
}
