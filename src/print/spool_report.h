// The report of "--explain": what a print job would make of a spool file with the current
// settings, found by reading the file as the job does and running the job on a counting printer.
#pragma once

#include "counting_printer.h"
#include "settings/global.h"

#include <filesystem>
#include <string>

// The report's text, one finding a line. orientation is the command line's ("0" portrait). The
// settings and rules of global are used as loaded; its print state ends as the job leaves it.
// Nothing is printed and the file is never deleted. Throws OrvalinError when the file cannot be
// read.
std::string ExplainSpoolFile(const std::filesystem::path& file, const std::string& orientation, Global& global,
                             CountingPrinter& printer);

// How the report names an action code: the label of its action as the interpreter takes it.
std::string ActionLabelOf(const ActionTableType& table, const std::string& actionCode);

// Trigger bytes as the rule editor writes them: decimal codes joined by blanks ("27 69").
std::string ByteCodes(const std::string& bytes);
