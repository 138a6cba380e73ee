#include "frm_control_char.h"

#include "platform/locale_numbers.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFont>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

namespace {

const QString MessageTitle = QStringLiteral("Orvalinó - Beállítások");
const QString ValueNotAllowed = QStringLiteral("HIBA !!!\r\n\r\nEz az érték nem megengedett.");
const QString ChangeNotSaved = QStringLiteral(
    "HIBA !!!\r\n\r\nEgy vagy több megadott érték nem megengedett. A változtatás nem mentödött.");

const char* const FontSizes[] = {"6", "7", "8", "9", "10", "11", "12", "14", "16",
                                 "18", "20", "22", "24", "26", "28", "36", "48", "72"};

// The form is laid out in twips; at 96 dots per inch a pixel is 15 twips.
constexpr int TwipsPerPixel = 15;

int Px(int twips) { return (twips + TwipsPerPixel / 2) / TwipsPerPixel; }

void Place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

} // namespace

frmControlChar::frmControlChar(QWidget* parent, const ActionTableType& actionTable)
    : QDialog(parent), actionTable_(actionTable)
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

    frm_[0] = new QGroupBox(QStringLiteral("Akció"), this);
    frm_[0]->setObjectName(QStringLiteral("frm0"));
    Place(frm_[0], 0, 0, 4935, 1215);

    selAction_ = new QComboBox(frm_[0]);
    selAction_->setObjectName(QStringLiteral("selAction"));
    Place(selAction_, 120, 240, 4695, 315);

    lblSelFontSize_ = new QLabel(QStringLiteral("Betüméret"), frm_[0]);
    lblSelFontSize_->setObjectName(QStringLiteral("lblSelFontSize"));
    Place(lblSelFontSize_, 180, 810, 975, 210);

    selFontSize_ = new QComboBox(frm_[0]);
    selFontSize_->setObjectName(QStringLiteral("selFontSize"));
    selFontSize_->setEditable(true);
    // The typed size is only read on OK; Enter must not add it to the list.
    selFontSize_->setInsertPolicy(QComboBox::NoInsert);
    // The size is what the user types: "1" stays 1 rather than being completed to "10" from the list.
    selFontSize_->setCompleter(nullptr);
    Place(selFontSize_, 1200, 720, 3615, 315);

    frm_[1] = new QGroupBox(QStringLiteral("ASCII kódok"), this);
    frm_[1]->setObjectName(QStringLiteral("frm1"));
    Place(frm_[1], 0, 1200, 4935, 2775);

    for (int i = 0; i < CodeBoxCount; ++i) {
        auto* box = new QLineEdit(frm_[1]);
        box->setObjectName(QStringLiteral("codASCII%1").arg(i));
        box->setMaxLength(3);
        Place(box, 120 + 1200 * (i % 4), 240 + 360 * (i / 4), 1095, 285);
        box->installEventFilter(this);
        connect(box, &QLineEdit::textChanged, this, [this, i] { codASCIIChange(i); });
        codASCII_[static_cast<std::size_t>(i)] = box;
    }

    cmdOk_ = new QPushButton(QStringLiteral("Rendben"), this);
    cmdOk_->setObjectName(QStringLiteral("cmdOk"));
    cmdOk_->setDefault(true);
    Place(cmdOk_, 2640, 4080, 1095, 375);

    cmdCancel_ = new QPushButton(QStringLiteral("Mégsem"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    Place(cmdCancel_, 3840, 4080, 1095, 375);

    // Tab order: the action, the size, the 28 boxes row by row, OK, Cancel.
    QWidget* previous = selAction_;
    setTabOrder(previous, selFontSize_);
    previous = selFontSize_;
    for (QLineEdit* box : codASCII_) {
        setTabOrder(previous, box);
        previous = box;
    }
    setTabOrder(previous, cmdOk_);
    setTabOrder(cmdOk_, cmdCancel_);

    connect(selAction_, &QComboBox::currentIndexChanged, this, [this] { selActionClick(); });
    connect(cmdOk_, &QPushButton::clicked, this, [this] { cmdOkClick(); });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { cmdCancelClick(); });
}

char frmControlChar::DecimalSeparator() const { return ::DecimalSeparator(locale()); }

void frmControlChar::showEvent(QShowEvent* event)
{
    // A window restored from the task bar is not a new showing.
    if (!event->spontaneous())
        Load();
    QDialog::showEvent(event);
}

void frmControlChar::Load()
{
    const char separator = DecimalSeparator();

    selFontSize_->clear();
    for (const char* size : FontSizes)
        selFontSize_->addItem(QString::fromLatin1(size));
    // Adding the first item makes it current; the size text starts empty.
    selFontSize_->setCurrentIndex(-1);
    selFontSize_->clearEditText();

    {
        const QSignalBlocker blocker(selAction_);
        selAction_->clear();
        for (int i = 0; i < static_cast<int>(actionTable_.size()); ++i)
            selAction_->addItem(QString::fromStdString(actionTable_[static_cast<std::size_t>(i)].Label), i);
        selAction_->setCurrentIndex(PreselectedAction(actionTable_, tmpAction, separator));
    }
    if (selAction_->currentIndex() == FontSizeActionIndex)
        selFontSize_->setEditText(QString::fromStdString(tmpAction));
    selActionClick();

    for (int i = 0; i < CodeBoxCount; ++i) {
        const auto position = static_cast<std::size_t>(i);
        codASCII_[position]->setText(
            position < tmpCode.size()
                ? QString::fromStdString(CodeBoxText(static_cast<unsigned char>(tmpCode[position])))
                : QString());
    }

    selAction_->setFocus(Qt::OtherFocusReason);
    SetMousePointer(MousePointer::Default);
}

void frmControlChar::selActionClick()
{
    const bool fontSize = selAction_->currentData().toInt() == FontSizeActionIndex && selAction_->currentIndex() >= 0;
    lblSelFontSize_->setVisible(fontSize);
    selFontSize_->setVisible(fontSize);
}

void frmControlChar::codASCIIChange(int index)
{
    const std::string text = codASCII_[static_cast<std::size_t>(index)]->text().toStdString();
    if (!IsAcceptableCodeBoxText(text, DecimalSeparator()))
        MessageBox::Show(this, MessageTitle, ValueNotAllowed, MessageBox::Icon::Critical);
}

void frmControlChar::codASCIIGotFocus(int index)
{
    QLineEdit* box = codASCII_[static_cast<std::size_t>(index)];
    // Deferred, so that the mouse press which gave the focus does not place the caret afterwards.
    QTimer::singleShot(0, box, [box] {
        if (box->hasFocus()) {
            const auto length = static_cast<int>(box->text().size());
            box->setSelection(length, -length); // everything selected, caret at the start
        }
    });
}

void frmControlChar::cmdOkClick()
{
    SetMousePointer(MousePointer::Hourglass);
    ControlCharForm form;
    for (std::size_t i = 0; i < form.codes.size(); ++i)
        form.codes[i] = codASCII_[i]->text().toStdString();
    form.actionIndex = selAction_->currentIndex() >= 0 ? selAction_->currentData().toInt() : -1;
    form.fontSizeText = selFontSize_->currentText().toStdString();
    form.openedAction = tmpAction;

    const std::optional<ControlChar> rule = BuildControlChar(form, actionTable_, DecimalSeparator());
    if (!rule) {
        MessageBox::Show(this, MessageTitle, ChangeNotSaved, MessageBox::Icon::Critical);
        SetMousePointer(MousePointer::Default);
        return;
    }
    tmpCode = rule->AsciiCode;
    tmpAction = rule->ActionCode;
    accept();
}

void frmControlChar::cmdCancelClick()
{
    SetMousePointer(MousePointer::Hourglass);
    reject();
}

void frmControlChar::keyPressEvent(QKeyEvent* event)
{
    // Esc is the Cancel button, hourglass included.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool frmControlChar::eventFilter(QObject* watched, QEvent* event)
{
    // Focus coming back from a message box or another window is not the user entering the box:
    // selecting then would make the next key replace what the warning was about.
    if (event->type() == QEvent::FocusIn
        && static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason
        && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        for (int i = 0; i < CodeBoxCount; ++i) {
            if (watched == codASCII_[static_cast<std::size_t>(i)])
                codASCIIGotFocus(i);
        }
    }
    return QDialog::eventFilter(watched, event);
}
