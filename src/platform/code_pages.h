// The process's two code pages, like the system's ANSI and OEM pages on the original desktop.
#pragma once

#include "common/codepage.h"

#include <QString>

#include <string>

// The code page of this name ("CP852"), built once and kept; a page this system cannot convert
// gives CP437.
const CodePage& CodePageNamed(const std::string& name);

// Chosen from the user's locale language on first use, unless SelectCodePages was called.
const CodePage& AnsiCodePage();
const CodePage& OemCodePage();

void SelectCodePages(const CodePageNames& names);

// The code pages named by the user, as ORVALIN_CODEPAGES holds them: two numbers, the settings
// file's page then the spool files' ("1250,852"). Throws OrvalinError saying what is wrong with
// any other text or with a page this system cannot convert.
CodePageNames ParseCodePageList(const std::string& text);

// Setting texts (ANSI) to and from the Unicode of controls and paths; characters the ANSI page
// cannot hold become "?".
QString FromAnsi(const std::string& text);
std::string ToAnsi(const QString& text);

// Whether the ANSI code page holds every character of text, so that ToAnsi loses nothing.
bool AnsiCanHold(const QString& text);
