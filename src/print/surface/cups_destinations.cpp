#include "cups_destinations.h"

#include "common/errors.h"

#include <cups/cups.h>

#include <QFile>
#include <QSizeF>

#include <algorithm>
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

// The IPP print-quality for the printer object's quality value (-1 draft ... -4 high).
const char* IppQuality(int printQuality)
{
    switch (printQuality) {
    case -1:
    case -2:
        return "3";
    case -3:
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

QPageSize CupsDefaultPageSize(const std::string& destination)
{
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, destination.c_str(), nullptr);
    if (!dest)
        return QPageSize(QPageSize::A4);
    int width = 0; // hundredths of a millimetre
    int length = 0;
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        cups_size_t size{};
        if (cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, 0, &size)) {
            width = size.width;
            length = size.length;
        }
        cupsFreeDestInfo(info);
    }
    // Queues without a media database (raw queues, many PPD queues) name their default only.
    if (width <= 0 || length <= 0) {
        if (const char* name = cupsGetOption("media", dest->num_options, dest->options)) {
            pwg_media_t* media = pwgMediaForPWG(name);
            if (!media)
                media = pwgMediaForLegacy(name);
            if (!media)
                media = pwgMediaForPPD(name);
            if (media) {
                width = media->width;
                length = media->length;
            }
        }
    }
    cupsFreeDests(1, dest);
    if (width <= 0 || length <= 0)
        return QPageSize(QPageSize::A4);
    return QPageSize(QSizeF(width / 100.0, length / 100.0), QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
}

int SubmitPdfToCups(const std::string& destination, const QString& pdfPath, const std::string& title,
                    int printQuality)
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
        throw OrvalinError("The printer " + Quoted(destination) +
                           " is not accepting jobs; the document was not printed.");

    cups_option_t* options = nullptr;
    int optionCount = 0;
    optionCount = cupsAddOption("document-format", "application/pdf", optionCount, &options);
    optionCount = cupsAddOption("print-quality", IppQuality(printQuality), optionCount, &options);
    const QByteArray file = QFile::encodeName(pdfPath);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, destination.c_str(), file.constData(), title.c_str(),
                                   optionCount, options);
    cupsFreeOptions(optionCount, options);
    if (job <= 0 || cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
        throw OrvalinError("The printer " + Quoted(destination) + " refused the document: " + LastCupsError());
    return job;
}
