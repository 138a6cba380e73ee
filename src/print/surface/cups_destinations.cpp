#include "cups_destinations.h"

#include "common/errors.h"

#include <cups/cups.h>

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Owns a destination array from libcups.
struct DestList {
    cups_dest_t* dests = nullptr;
    int count = 0;
    ~DestList() { cupsFreeDests(count, dests); }
};

std::string LastCupsError() { return cupsLastErrorString() ? cupsLastErrorString() : "unknown CUPS error"; }

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// The IPP print-quality for the printer object's quality (a resolution counts as high).
const char* IppQuality(PrintQuality printQuality)
{
    switch (printQuality) {
    case PrintQuality::Draft:
    case PrintQuality::Low:
        return "3";
    case PrintQuality::Medium:
        return "4";
    default:
        return "5";
    }
}

} // namespace

CupsDestinations ListCupsDestinations()
{
    CupsDestinations result;
    DestList list;
    list.count = cupsGetDests2(CUPS_HTTP_DEFAULT, &list.dests);
    for (int i = 0; i < list.count; ++i) {
        const cups_dest_t& dest = list.dests[i];
        if (dest.instance)
            continue;
        result.Names.emplace_back(dest.name);
        if (dest.is_default)
            result.Default = dest.name;
    }
    std::sort(result.Names.begin(), result.Names.end());
    return result;
}

namespace {

// The sheet of a media name without its margins, from the PWG tables; false when it is unknown.
bool SizeOfMediaName(const std::string& name, cups_size_t& size)
{
    pwg_media_t* media = pwgMediaForPWG(name.c_str());
    if (!media)
        media = pwgMediaForLegacy(name.c_str());
    if (!media)
        media = pwgMediaForPPD(name.c_str());
    if (!media || media->width <= 0 || media->length <= 0)
        return false;
    size = cups_size_t{};
    std::snprintf(size.media, sizeof size.media, "%s", media->pwg);
    size.width = media->width;
    size.length = media->length;
    return true;
}

// The queue's default media with its margins. The default is the destination's "media" option
// (a user's or the queue's own choice) or else the queue's media-default; libcups's own default
// lookup falls back to Letter when the first is not set, whatever the queue's default.
bool DefaultMediaOf(cups_dest_t* dest, cups_size_t& size)
{
    std::string name;
    if (const char* option = cupsGetOption("media", dest->num_options, dest->options))
        name = option;
    bool found = false;
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        if (name.empty()) {
            if (ipp_attribute_t* media = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA)) {
                if (const char* value = ippGetString(media, 0, nullptr))
                    name = value;
            }
        }
        // The media database holds the margins (for a driver queue, its PPD's imageable area).
        found = !name.empty()
                && cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, dest, info, name.c_str(), CUPS_MEDIA_FLAGS_DEFAULT, &size)
                && size.width > 0 && size.length > 0;
        cupsFreeDestInfo(info);
    }
    // Queues without a media database (raw queues) name their default only and declare no margins.
    return found || (!name.empty() && SizeOfMediaName(name, size));
}

} // namespace

Paper CupsDefaultPaper(const std::string& destination)
{
    constexpr double twipsPerHundredthMillimetre = 1440 / 2540.0;
    cups_size_t size{};
    bool known = false;
    if (cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, destination.c_str(), nullptr)) {
        known = DefaultMediaOf(dest, size);
        cupsFreeDests(1, dest);
    }
    Paper paper;
    if (!known) {
        paper = BuiltInPaper();
        paper.Media.clear();
        paper.Left = paper.Top = paper.Right = paper.Bottom = 0;
        return paper;
    }
    paper.Media = size.media;
    paper.Width = size.width * twipsPerHundredthMillimetre;
    paper.Height = size.length * twipsPerHundredthMillimetre;
    // A margin the queue reports out of range (negative, or half the sheet or more) counts as none.
    const auto margin = [&](int hundredths, double across) {
        const double twips = hundredths * twipsPerHundredthMillimetre;
        return twips > 0 && twips < across / 2 ? twips : 0.0;
    };
    paper.Left = margin(size.left, paper.Width);
    paper.Right = margin(size.right, paper.Width);
    paper.Top = margin(size.top, paper.Height);
    paper.Bottom = margin(size.bottom, paper.Height);
    return paper;
}

int SubmitPdfToCups(const std::string& destination, const QString& pdfPath, const std::string& title,
                    PrintQuality printQuality, const std::string& media)
{
    // Qt's own CUPS path reports success even for a queue that refuses the job, so the queue's
    // state is checked first and the job id and IPP status are checked after.
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, destination.c_str(), nullptr);
    if (!dest)
        throw OrvalinError("The printer " + Quoted(destination) + " is not available: " + LastCupsError());
    const char* state = cupsGetOption("printer-state", dest->num_options, dest->options);
    const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool stopped = state && std::strcmp(state, "5") == 0;
    const bool refusing = accepting && std::strcmp(accepting, "false") == 0;
    cupsFreeDests(1, dest);
    if (stopped)
        throw OrvalinError("The printer " + Quoted(destination) + " is stopped; the document was not printed.");
    if (refusing)
        throw OrvalinError("The printer " + Quoted(destination)
                           + " is not accepting jobs; the document was not printed.");

    cups_option_t* options = nullptr;
    int optionCount = 0;
    optionCount = cupsAddOption("document-format", "application/pdf", optionCount, &options);
    optionCount = cupsAddOption("print-quality", IppQuality(printQuality), optionCount, &options);
    // Nothing is shrunk to fit: a line is 1/6 inch and a centimetre a centimetre on paper. Older
    // filters read fit-to-page instead.
    optionCount = cupsAddOption("print-scaling", "none", optionCount, &options);
    optionCount = cupsAddOption("fit-to-page", "false", optionCount, &options);
    if (!media.empty())
        optionCount = cupsAddOption("media", media.c_str(), optionCount, &options);
    const QByteArray file = QFile::encodeName(pdfPath);
    const int job =
        cupsPrintFile2(CUPS_HTTP_DEFAULT, destination.c_str(), file.constData(), title.c_str(), optionCount, options);
    cupsFreeOptions(optionCount, options);
    if (job <= 0 || cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
        throw OrvalinError("The printer " + Quoted(destination) + " refused the document: " + LastCupsError());
    return job;
}
