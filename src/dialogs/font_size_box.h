// The font-size box both dialogs offer: an editable list of the usual sizes that keeps what is
// typed.
#pragma once

class QComboBox;
class QWidget;

// A new size box: "1" stays 1 rather than being completed to "10" from the list, and Enter does
// not add the typed size to the list (it is only read when the dialog commits).
QComboBox* NewFontSizeBox(QWidget* parent);

// Fills the box with the usual sizes, 6 to 72 points, replacing what it held.
void FillFontSizes(QComboBox& box);
