// The process's two code pages, like the system's ANSI and OEM pages on the original desktop.
#pragma once

#include "common/codepage.h"

// Chosen from the user's locale language on first use, unless SelectCodePages was called.
const CodePage& AnsiCodePage();
const CodePage& OemCodePage();

void SelectCodePages(const CodePageNames& names);
