// The hand-over to the rule editor: the program keeps one editor, created on first use.
#pragma once

#include "settings/control_char.h"

class QWidget;
class frmControlChar;

// The program's one editor instance.
frmControlChar& ControlCharEditor();

// Shows the editor for rule and returns the rule it leaves: the rule as passed in unless the
// editor was confirmed.
ControlChar EditControlCode(QWidget* owner, const ControlChar& rule);
