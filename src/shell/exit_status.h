// The statuses the program ends with (the README lists them for the programs that start it).
#pragma once

// Printed (one-shot), or ended by its menu or a signal.
inline constexpr int ExitOk = 0;
// An error ended the program: a settings file it cannot use, a bad ORVALIN_CODEPAGES.
inline constexpr int ExitError = 1;
// The command line holds an option the program does not know.
inline constexpr int ExitUsage = 2;
// One-shot: the file was not printed in its ten tries (missing, unreadable, printer down).
inline constexpr int ExitNotPrinted = 3;
