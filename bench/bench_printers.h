// The printers a benchmark prints on, chosen when the benchmark is built: the real Qt back-end's
// built-in PDF printer where it exists, otherwise a target that keeps the pen and font state and
// counts pages but draws nothing (so the figures are the engine's own cost).
#pragma once

#include "print/surface/printer.h"

#include <memory>
#include <string>

class BenchPrinters {
public:
    BenchPrinters(int argc, char** argv);
    ~BenchPrinters();
    std::string Description() const;
    std::unique_ptr<PrintersCollection> MakePrinters();
    std::unique_ptr<Canvas> MakeCanvas();
    // Pages printed so far on the collection's printers.
    long Pages(PrintersCollection& printers) const;

private:
    struct State;
    std::unique_ptr<State> state_;
};
