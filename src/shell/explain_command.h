// "orvalin --explain FILE": the report of what a spool file holds and which rules take it, written
// to standard output without printing anything.
#pragma once

#include <optional>
#include <string>

// The file named after a first argument "--explain" (empty when none follows); nothing when the
// command line does not ask for the report.
std::optional<std::string> ExplainArgument(int argc, char* argv[]);

// Loads the settings as a start does and writes the report of file (a path as the command line
// gave it). Returns the exit status: 0, or 1 with the reason on standard error. Needs a
// QApplication.
int ExplainCommand(const std::string& file);
