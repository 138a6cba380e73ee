#include "pdf_output.h"

#include "common/errors.h"
#include "platform/durable_file.h"

#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t BufferSize = 1 << 16;

} // namespace

PdfOutput::PdfOutput(int descriptor, std::string what) : descriptor_(descriptor), what_(std::move(what))
{
    buffer_.reserve(BufferSize);
}

void PdfOutput::Write(std::string_view bytes)
{
    if (buffer_.size() + bytes.size() > BufferSize)
        Drain();
    if (bytes.size() >= BufferSize)
        WriteAll(bytes); // large streams go straight through
    else
        buffer_.append(bytes);
}

void PdfOutput::Drain()
{
    WriteAll(buffer_);
    buffer_.clear();
}

void PdfOutput::WriteAll(std::string_view bytes)
{
    if (const int error = WriteAllBytes(descriptor_, bytes); error != 0)
        throw OrvalinError("The document " + what_ + " could not be written: " + std::strerror(error));
    written_ += bytes.size();
}

void PdfOutput::Flush() { Drain(); }

int PdfOutput::Reserve()
{
    offsets_.push_back(0);
    return static_cast<int>(offsets_.size()) - 1;
}

void PdfOutput::BeginObject(int number)
{
    offsets_[static_cast<std::size_t>(number)] = written_ + buffer_.size();
    Write(std::to_string(number));
    Write(" 0 obj\n");
}

void PdfOutput::EndObject() { Write("\nendobj\n"); }

void PdfOutput::StreamObject(int number, std::string_view dictionary, std::string_view data, bool compress)
{
    std::string_view body = data;
    if (compress) {
        Deflate(data, scratch_);
        body = scratch_;
    }
    BeginObject(number);
    Write("<<");
    Write(dictionary);
    if (compress)
        Write("/Filter/FlateDecode");
    Write("/Length ");
    Write(std::to_string(body.size()));
    Write(">>stream\n");
    Write(body);
    Write("\nendstream");
    EndObject();
}

void PdfOutput::Finish(int catalog, int info)
{
    const std::uint64_t xref = written_ + buffer_.size();
    std::string table = "xref\n0 " + std::to_string(offsets_.size()) + "\n0000000000 65535 f \n";
    char entry[32];
    for (std::size_t i = 1; i < offsets_.size(); ++i) {
        std::snprintf(entry, sizeof entry, "%010llu 00000 n \n", static_cast<unsigned long long>(offsets_[i]));
        table += entry;
    }
    table += "trailer\n<</Size " + std::to_string(offsets_.size()) + "/Root " + std::to_string(catalog) + " 0 R/Info "
             + std::to_string(info) + " 0 R>>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    Write(table);
    Drain();
}

void Deflate(std::string_view data, std::string& out)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    out.resize(size);
    const int status =
        compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uLong>(data.size()), Z_BEST_SPEED);
    if (status != Z_OK)
        throw OrvalinError("A document's contents could not be compressed.");
    out.resize(size);
}

void AppendNumber(std::string& out, double value)
{
    // Thousandths of a point are far below what a printer can show.
    long long thousandths = std::llround(value * 1000);
    if (thousandths < 0) {
        out += '-';
        thousandths = -thousandths;
    }
    out += std::to_string(thousandths / 1000);
    if (const long long fraction = thousandths % 1000; fraction != 0) {
        char digits[8];
        std::snprintf(digits, sizeof digits, ".%03lld", fraction);
        std::size_t length = 4;
        while (digits[length - 1] == '0')
            --length;
        out.append(digits, length);
    }
}

std::string PdfNumber(double value)
{
    std::string out;
    AppendNumber(out, value);
    return out;
}
