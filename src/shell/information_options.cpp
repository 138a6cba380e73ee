#include "information_options.h"

#include "exit_status.h"

#include <cstdio>

namespace {

constexpr const char* Version = ORVALIN_VERSION;

constexpr const char* HelpText = R"(Usage: orvalin [WORD [ORIENTATION]]

Prints the plain-text spool files that other programs drop into a folder.

Modes (chosen by the first word):
  orvalin                 the main window; nothing is polled
  orvalin watch           hidden in the notification area: polls the spool folder and prints and
                          deletes each matching file (any first word with a lower-case letter and
                          no "/")
  orvalin FILE [1]        prints FILE once and ends (a first word holding a "/", or one without
                          lower-case letters); it is retried at each poll for ten tries in all and
                          kept. A second word "1" prints in landscape, "0" in portrait.
  orvalin --explain FILE  a report of what FILE holds and which rules take it; nothing is
                          printed or deleted
  orvalin --help          this text
  orvalin --version       the version

Files:
  Orvalin.ini             the settings, in the program's folder when it is writable, otherwise
                          in ~/.config/orvalin/
  PDF/                    the built-in printer "Orvalin PDF" files its documents here, beside
                          the settings of a program kept in a writable folder; an installed
                          program files them in the documents folder's Orvalin sub-folder

Environment:
  ORVALIN_CODEPAGES       the code pages of the settings file and of the spool files, by number,
                          when they differ from the locale's (for example 1250,852)

Exit status:
  0  printed (one-shot), or ended by its menu or a signal
  1  an error ended it (a settings file it cannot use, a bad ORVALIN_CODEPAGES)
  2  an unknown option
  3  one-shot: the file was not printed in ten tries (the reason is on standard error)
)";

} // namespace

std::optional<int> AnswerInformationOption(const std::vector<std::string>& arguments)
{
    if (arguments.empty() || arguments.front().rfind("--", 0) != 0)
        return std::nullopt;
    const std::string& option = arguments.front();
    if (option == "--explain")
        return std::nullopt; // the report needs the settings and Qt: the program answers it
    if (option == "--help") {
        std::fputs(HelpText, stdout);
        return ExitOk;
    }
    if (option == "--version") {
        std::printf("orvalin %s\n", Version);
        return ExitOk;
    }
    std::fprintf(stderr, "orvalin: unknown option %s (orvalin --help lists the options)\n", option.c_str());
    return ExitUsage;
}
