// Options that ask the program something instead of starting it. No legacy caller passes a first
// word starting with "--", so these never hide a spool file.
#pragma once

#include <optional>
#include <string>
#include <vector>

// When the first argument is an option, answers it (standard output for an answer, standard error
// for an unknown option) and returns the status to end with; nothing for any other command line.
std::optional<int> AnswerInformationOption(const std::vector<std::string>& arguments);
