#include "logo_page.h"

#include "common/errors.h"
#include "skip_errors.h"

void PrepareLogoPage(const Settings& settings, Printer& printer, Canvas& canvas, const LogoPicture& logo)
{
    // The diagnostic view of a development folder has no counterpart here: the canvas window
    // stays hidden.
    Skipping([&] { canvas.SetSize(printer.PageWidth(), printer.PageHeight()); });
    // Each logo job starts blank: nothing of an earlier job's page shows through.
    Skipping([&] { canvas.Cls(); });
    Skipping([&] { canvas.SetFontTransparent(true); });
    if (logo.image != nullptr && logo.widthPixels > 0 && logo.heightPixels > 0) {
        const double width = logo.widthPixels * TwipsPerPixel;
        const double height = logo.heightPixels * TwipsPerPixel;
        Skipping([&] {
            canvas.PaintPicture(*logo.image, settings.LogoX, settings.LogoY, width, height, 0, 0, width, height);
        });
    }
    Skipping([&] { canvas.SetFontName(settings.FontName); });
    Skipping([&] { canvas.SetFontSize(settings.FontSize); });
    Skipping([&] { canvas.SetFontCharset(CharacterSet::Oem); });
    Skipping([&] { canvas.SetFontBold(false); });
    Skipping([&] { canvas.SetFontItalic(false); });
    Skipping([&] { canvas.SetFontUnderline(false); });
}

void FinishLogoPage(Canvas& canvas, Printer& printer) { canvas.DrawOnto(printer); }
