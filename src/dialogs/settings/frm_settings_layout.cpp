// The settings dialog's controls: frames top to bottom, the margin, interval and logo rows below
// them, the two buttons stacked at the bottom right. Object names are the control names.
#include "frm_settings.h"

#include "dialogs/font_size_box.h"
#include "dialogs/named.h"
#include "single_line.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* Caption(QWidget* parent, const char* name, const QString& text)
{
    return Named(new QLabel(text, parent), name);
}

QPushButton* BrowseButton(QWidget* parent, const char* name)
{
    QPushButton* button = Named(new QPushButton(QStringLiteral("..."), parent), name);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    return button;
}

} // namespace

void frmSettings::BuildControls()
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Beállítások"));
    setModal(true);

    frm[0] = Named(new QGroupBox(QStringLiteral("A nyomtató"), this), "frm0");
    selPrinter = Named(new QComboBox(frm[0]), "selPrinter");
    auto* printerLayout = new QHBoxLayout(frm[0]);
    printerLayout->addWidget(selPrinter);

    frm[1] = Named(new QGroupBox(QStringLiteral("Betük"), this), "frm1");
    selFont = Named(new QComboBox(frm[1]), "selFont");
    selFontSize = NewFontSizeBox(frm[1]);
    auto* fontLayout = new QHBoxLayout(frm[1]);
    fontLayout->addWidget(selFont, 3);
    fontLayout->addWidget(selFontSize, 1);

    frm[2] = Named(new QGroupBox(QStringLiteral("Figyelendö file és könyvtár"), this), "frm2");
    lbl[4] = Caption(frm[2], "lbl4", QStringLiteral("File neve"));
    selFileName = Named(new QLineEdit(frm[2]), "selFileName");
    lbl[5] = Caption(frm[2], "lbl5", QStringLiteral("Könyvtár neve"));
    lblPath = Named(new QLabel(frm[2]), "lblPath");
    lblPath->setFrameShape(QFrame::StyledPanel);
    lblPath->setFrameShadow(QFrame::Sunken);
    lblPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long folder must not widen the dialog; the tool tip shows it whole.
    lblPath->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    selPath = BrowseButton(frm[2], "selPath");
    auto* spoolLayout = new QGridLayout(frm[2]);
    spoolLayout->addWidget(lbl[4], 0, 0);
    spoolLayout->addWidget(selFileName, 0, 1, 1, 2);
    spoolLayout->addWidget(lbl[5], 1, 0);
    spoolLayout->addWidget(lblPath, 1, 1);
    spoolLayout->addWidget(selPath, 1, 2);
    spoolLayout->setColumnStretch(1, 1);

    frm[3] = Named(new QGroupBox(QStringLiteral("Vezérlö kódok"), this), "frm3");
    lstControlChar = Named(new QListWidget(frm[3]), "lstControlChar");
    lstControlChar->setSelectionMode(QAbstractItemView::SingleSelection);
    lstControlChar->setMinimumHeight(120);
    auto* codesLayout = new QHBoxLayout(frm[3]);
    codesLayout->addWidget(lstControlChar);

    // Below the frames: the margin and automatic start share a line, then the interval, then the
    // logo rows; the buttons stand at the bottom right.
    lbl[0] = Caption(this, "lbl0", QStringLiteral("Bal margó"));
    selLeftMargin = Named(new QLineEdit(this), "selLeftMargin");
    lbl[1] = Caption(this, "lbl1", QStringLiteral("Indulás Rendszerindításkor"));
    AutoStart = Named(new QCheckBox(QStringLiteral("Nem"), this), "AutoStart");
    lbl[3] = Caption(this, "lbl3", QStringLiteral("Keresési periódus"));
    selInterval = Named(new QLineEdit(this), "selInterval");
    Label1 = Caption(this, "Label1", QStringLiteral("millisec"));
    Label2 = Caption(this, "Label2", QStringLiteral("Logo File:"));
    TxtLogoFile = Named(new QLineEdit(this), "TxtLogoFile");
    CMDLogo = BrowseButton(this, "CMDLogo");
    Label3 = Caption(this, "Label3", QStringLiteral("Logo Feltétel:"));
    TxtLogoFelt = Named(new QLineEdit(this), "TxtLogoFelt");
    Label4 = Caption(this, "Label4", QStringLiteral("X:"));
    TxtKepX = Named(new QLineEdit(QStringLiteral("0"), this), "TxtKepX");
    Label5 = Caption(this, "Label5", QStringLiteral("Y:"));
    TxtKepY = Named(new QLineEdit(QStringLiteral("0"), this), "TxtKepY");
    cmdOk = Named(new QPushButton(QStringLiteral("Rendben"), this), "cmdOk");
    cmdOk->setDefault(true);
    cmdCancel = Named(new QPushButton(QStringLiteral("Mégsem"), this), "cmdCancel");
    // Every button keeps Qt's auto-default: Enter presses the focused button (Mégsem cancels, "..."
    // opens its chooser), and Rendben takes Enter from the other controls.

    for (QLineEdit* field :
         {selFileName, selLeftMargin, selInterval, TxtLogoFile, TxtLogoFelt, TxtKepX, TxtKepY, selFontSize->lineEdit()})
        KeepSingleLine(*field);

    // Five characters fit in the short number fields.
    const int shortWidth = selInterval->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 14;
    for (QLineEdit* field : {selLeftMargin, selInterval, TxtKepX, TxtKepY})
        field->setFixedWidth(shortWidth);

    auto* lower = new QGridLayout;
    lower->addWidget(lbl[0], 0, 0);
    lower->addWidget(selLeftMargin, 0, 1);
    auto* autoStartRow = new QHBoxLayout;
    autoStartRow->addStretch(1);
    autoStartRow->addWidget(lbl[1]);
    autoStartRow->addWidget(AutoStart);
    lower->addLayout(autoStartRow, 0, 2, 1, 3);
    lower->addWidget(lbl[3], 1, 0);
    lower->addWidget(selInterval, 1, 1);
    lower->addWidget(Label1, 1, 2);
    lower->addWidget(Label2, 2, 0);
    auto* logoFileRow = new QHBoxLayout;
    logoFileRow->addWidget(TxtLogoFile, 1);
    logoFileRow->addWidget(CMDLogo);
    lower->addLayout(logoFileRow, 2, 1, 1, 3);
    lower->addWidget(Label3, 3, 0);
    lower->addWidget(TxtLogoFelt, 3, 1, 1, 3);
    auto* positionRow = new QHBoxLayout;
    positionRow->addWidget(TxtKepX);
    positionRow->addSpacing(12);
    positionRow->addWidget(Label5);
    positionRow->addWidget(TxtKepY);
    positionRow->addStretch(1);
    lower->addWidget(Label4, 4, 0);
    lower->addLayout(positionRow, 4, 1, 1, 3);
    auto* buttons = new QVBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    lower->addLayout(buttons, 1, 4, 4, 1);
    lower->setColumnStretch(3, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(frm[0], 1);
    top->addWidget(frm[1], 1);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(frm[2]);
    main->addWidget(frm[3], 1);
    main->addLayout(lower);
    resize(560, 560);
}

void frmSettings::SetTabOrder()
{
    QWidget* const order[] = {selPrinter,  selFont,       selFontSize, selFileName, selPath,   lstControlChar,
                              selInterval, selLeftMargin, AutoStart,   cmdOk,       cmdCancel, TxtLogoFile,
                              CMDLogo,     TxtLogoFelt,   TxtKepX,     TxtKepY};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}
