// The printers a benchmark prints on: the real back-end's built-in PDF printer, filing into a
// folder of the benchmark's own.
#pragma once

#include "print/printer.h"

#include <memory>
#include <string>

class BenchPrinters {
public:
    BenchPrinters(int argc, char** argv);
    ~BenchPrinters();
    std::unique_ptr<PrintersCollection> MakePrinters();
    std::unique_ptr<Canvas> MakeCanvas();
    // Pages filed since the last count; the files are removed.
    long Pages() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};
