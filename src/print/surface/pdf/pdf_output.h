// The bytes of a PDF file on their way to disk: buffered writes to a file descriptor, the offset
// of every object for the cross-reference table, Flate compression. Every write is checked; a
// failure (a full disk) throws OrvalinError and the document is lost, never silently cut short.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class PdfOutput {
public:
    // Writes to descriptor (which stays the caller's to close); what describes the file in errors.
    PdfOutput(int descriptor, std::string what);

    void Write(std::string_view bytes);
    PdfOutput& operator<<(std::string_view bytes)
    {
        Write(bytes);
        return *this;
    }
    PdfOutput& operator<<(char byte) { return *this << std::string_view(&byte, 1); }
    // Everything written so far handed to the kernel.
    void Flush();

    // Object numbers are handed out before the objects are written, so that pages can refer to
    // fonts that are written at the end.
    int Reserve();
    // Starts object number (its "n 0 obj" line); EndObject ends it.
    void BeginObject(int number);
    void EndObject();
    // A complete stream object: dictionary entries besides /Length, then the data, Flate
    // compressed at a fast level when compress is set.
    void StreamObject(int number, std::string_view dictionary, std::string_view data, bool compress = true);
    // The cross-reference table and the trailer naming the catalog and information objects.
    void Finish(int catalog, int info);

private:
    void Drain();
    void WriteAll(std::string_view bytes);

    int descriptor_;
    std::string what_;
    std::string buffer_;
    std::uint64_t written_ = 0; // bytes handed to the kernel
    std::vector<std::uint64_t> offsets_{0};
    std::string scratch_;
};

// Flate (zlib) at the fastest level, which costs a fraction of the default's time for text.
void Deflate(std::string_view data, std::string& out);
// A number as PDF writes it: at most three decimals, no exponent.
std::string PdfNumber(double value);
void AppendNumber(std::string& out, double value);
