// The control-code editor's controls: the action frame above the frame of code boxes, the two
// buttons at the bottom right. The form keeps its size in twips (96 pixels an inch), so the
// layouts place each control on the pixel it has always had. Object names are the control names.
#include "frm_control_char.h"

#include "common/units.h"
#include "dialogs/font_size_box.h"
#include "dialogs/named.h"

#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

int Px(int twips) { return static_cast<int>(std::lround(twips / TwipsPerPixel)); }

template <typename Widget>
Widget* Sized(Widget* widget, int widthTwips, int heightTwips)
{
    widget->setFixedSize(Px(widthTwips), Px(heightTwips));
    return widget;
}

// A frame whose layout counts from its outer edge, not from inside its caption and border: the
// margins below are the controls' distances from the frame's corner whatever the style draws.
QGroupBox* Frame(QWidget* parent, const char* name, const QString& caption, int widthTwips, int heightTwips)
{
    QGroupBox* frame = Sized(Named(new QGroupBox(caption, parent), name), widthTwips, heightTwips);
    frame->setAttribute(Qt::WA_LayoutOnEntireRect);
    return frame;
}

} // namespace

void frmControlChar::BuildControls()
{
    setObjectName(QStringLiteral("frmControlChar"));
    setWindowTitle(QStringLiteral("Vezérlő kódok"));
    setModal(true);
    setFixedSize(Px(4965), Px(4515));
    // The twip positions leave room for an 8-point font; a larger desktop font would cut the
    // captions and the codes off.
    QFont formFont = font();
    formFont.setPointSize(8);
    setFont(formFont);

    // The action frame: the action list, and below it the size row, shown for a font size only.
    // It ends a pixel above where the code frame's border begins.
    frm[0] = Frame(this, "frm0", QStringLiteral("Akció"), 4935, 1200);
    selAction = Sized(Named(new QComboBox(frm[0]), "selAction"), 4695, 315);
    lblSelFontSize = Sized(Named(new QLabel(QStringLiteral("Betüméret"), frm[0]), "lblSelFontSize"), 975, 210);
    selFontSize = Sized(NewFontSizeBox(frm[0]), 3615, 315);
    auto* sizeCaption = new QVBoxLayout;
    sizeCaption->setSpacing(0);
    sizeCaption->addSpacing(Px(810 - 720));
    sizeCaption->addWidget(lblSelFontSize);
    sizeCaption->addStretch(1);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->setSpacing(0);
    sizeRow->addSpacing(Px(180 - 120));
    sizeRow->addLayout(sizeCaption);
    sizeRow->addSpacing(Px(1200 - 180 - 975));
    sizeRow->addWidget(selFontSize);
    sizeRow->addStretch(1);
    auto* actionLayout = new QVBoxLayout(frm[0]);
    actionLayout->setContentsMargins(Px(120), Px(240), Px(120), 0);
    actionLayout->setSpacing(Px(720 - 240 - 315));
    actionLayout->addWidget(selAction);
    actionLayout->addLayout(sizeRow);
    actionLayout->addStretch(1);

    // The code frame: four boxes a row, seven rows.
    frm[1] = Frame(this, "frm1", QStringLiteral("ASCII kódok"), 4935, 2775);
    auto* codesLayout = new QGridLayout(frm[1]);
    codesLayout->setContentsMargins(Px(120), Px(240), 0, 0);
    codesLayout->setHorizontalSpacing(Px(1200 - 1095));
    codesLayout->setVerticalSpacing(Px(360 - 285));
    for (int i = 0; i < CodeBoxCount; ++i) {
        auto* box = Sized(new QLineEdit(frm[1]), 1095, 285);
        box->setObjectName(QStringLiteral("codASCII%1").arg(i));
        box->setMaxLength(3);
        codesLayout->addWidget(box, i / 4, i % 4);
        codASCII[static_cast<std::size_t>(i)] = box;
    }
    codesLayout->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Expanding), CodeBoxCount / 4, 4);

    cmdOk = Sized(Named(new QPushButton(QStringLiteral("Rendben"), this), "cmdOk"), 1095, 375);
    cmdOk->setDefault(true);
    cmdCancel = Sized(Named(new QPushButton(QStringLiteral("Mégsem"), this), "cmdCancel"), 1095, 375);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(Px(3840 - 2640 - 1095));
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, Px(4965 - 4935), 0);
    main->setSpacing(0);
    main->addWidget(frm[0]);
    main->addWidget(frm[1]);
    main->addSpacing(Px(4080 - 1200 - 2775));
    main->addLayout(buttons);
    main->addStretch(1);
}

void frmControlChar::SetTabOrder()
{
    // The action, the size, the 28 boxes row by row, OK, Cancel.
    QWidget* previous = selAction;
    setTabOrder(previous, selFontSize);
    previous = selFontSize;
    for (QLineEdit* box : codASCII) {
        setTabOrder(previous, box);
        previous = box;
    }
    setTabOrder(previous, cmdOk);
    setTabOrder(cmdOk, cmdCancel);
}
