#include "font_size_box.h"

#include <QComboBox>

namespace {

const char* const FontSizes[] = {"6",  "7",  "8",  "9",  "10", "11", "12", "14", "16",
                                 "18", "20", "22", "24", "26", "28", "36", "48", "72"};

} // namespace

QComboBox* NewFontSizeBox(QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("selFontSize"));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    return box;
}

void FillFontSizes(QComboBox& box)
{
    box.clear();
    for (const char* size : FontSizes)
        box.addItem(QString::fromLatin1(size));
}
