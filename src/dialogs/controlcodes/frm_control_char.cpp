#include "frm_control_char.h"

#include "dialogs/dialog_texts.h"
#include "dialogs/font_size_box.h"
#include "platform/locale_numbers.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

namespace {

QString ErrorMessage(const char* text)
{
    return QString::fromUtf8(ErrorFirstLine) + QString::fromLatin1(MessageBreak) + QString::fromUtf8(text);
}

} // namespace

frmControlChar::frmControlChar(QWidget* parent, const ActionTableType& actionTable)
    : QDialog(parent), actionTable_(actionTable)
{
    BuildControls();
    SetTabOrder();

    for (int i = 0; i < CodeBoxCount; ++i) {
        QLineEdit* box = codASCII[static_cast<std::size_t>(i)];
        box->installEventFilter(this);
        connect(box, &QLineEdit::textChanged, this, [this, i] { OnCodeBoxChanged(i); });
    }
    connect(selAction, &QComboBox::currentIndexChanged, this, [this] { OnActionSelected(); });
    connect(cmdOk, &QPushButton::clicked, this, [this] { OnOkClicked(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { OnCancelClicked(); });
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

    FillFontSizes(*selFontSize);
    // Adding the first item makes it current; the size text starts empty.
    selFontSize->setCurrentIndex(-1);
    selFontSize->clearEditText();

    {
        const QSignalBlocker blocker(selAction);
        selAction->clear();
        for (int i = 0; i < static_cast<int>(actionTable_.size()); ++i)
            selAction->addItem(QString::fromStdString(actionTable_[static_cast<std::size_t>(i)].Label), i);
        selAction->setCurrentIndex(PreselectedAction(actionTable_, tmpAction, separator));
    }
    if (selAction->currentIndex() == FontSizeActionIndex)
        selFontSize->setEditText(QString::fromStdString(tmpAction));
    OnActionSelected();

    for (int i = 0; i < CodeBoxCount; ++i) {
        const auto position = static_cast<std::size_t>(i);
        codASCII[position]->setText(position < tmpCode.size() ? QString::fromStdString(
                                        CodeBoxText(static_cast<unsigned char>(tmpCode[position])))
                                                              : QString());
    }

    selAction->setFocus(Qt::OtherFocusReason);
    SetMousePointer(MousePointer::Default);
}

void frmControlChar::OnActionSelected()
{
    const bool fontSize = selAction->currentData().toInt() == FontSizeActionIndex && selAction->currentIndex() >= 0;
    lblSelFontSize->setVisible(fontSize);
    selFontSize->setVisible(fontSize);
}

void frmControlChar::OnCodeBoxChanged(int index)
{
    const std::string text = codASCII[static_cast<std::size_t>(index)]->text().toStdString();
    if (!IsAcceptableCodeBoxText(text, DecimalSeparator()))
        MessageBox::Show(this, QString::fromUtf8(DialogTitle), ErrorMessage("Ez az érték nem megengedett."),
                         MessageBox::Icon::Critical);
}

void frmControlChar::OnCodeBoxEntered(int index)
{
    QLineEdit* box = codASCII[static_cast<std::size_t>(index)];
    // Deferred, so that the mouse press which gave the focus does not place the caret afterwards.
    QTimer::singleShot(0, box, [box] {
        if (box->hasFocus()) {
            const auto length = static_cast<int>(box->text().size());
            box->setSelection(length, -length); // everything selected, caret at the start
        }
    });
}

void frmControlChar::OnOkClicked()
{
    SetMousePointer(MousePointer::Hourglass);
    ControlCharForm form;
    for (std::size_t i = 0; i < form.Codes.size(); ++i)
        form.Codes[i] = codASCII[i]->text().toStdString();
    form.ActionIndex = selAction->currentIndex() >= 0 ? selAction->currentData().toInt() : -1;
    form.FontSizeText = selFontSize->currentText().toStdString();
    form.OpenedAction = tmpAction;

    const std::optional<ControlChar> rule = BuildControlChar(form, actionTable_, DecimalSeparator());
    if (!rule) {
        MessageBox::Show(this, QString::fromUtf8(DialogTitle),
                         ErrorMessage("Egy vagy több megadott érték nem megengedett. A változtatás nem mentödött."),
                         MessageBox::Icon::Critical);
        SetMousePointer(MousePointer::Default);
        return;
    }
    tmpCode = rule->AsciiCode;
    tmpAction = rule->ActionCode;
    accept();
}

void frmControlChar::OnCancelClicked()
{
    SetMousePointer(MousePointer::Hourglass);
    reject();
}

void frmControlChar::keyPressEvent(QKeyEvent* event)
{
    // Esc is the Cancel button, hourglass included.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool frmControlChar::eventFilter(QObject* watched, QEvent* event)
{
    // Focus coming back from a message box or another window is not the user entering the box:
    // selecting then would make the next key replace what the warning was about.
    if (event->type() == QEvent::FocusIn && static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason
        && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        for (int i = 0; i < CodeBoxCount; ++i) {
            if (watched == codASCII[static_cast<std::size_t>(i)])
                OnCodeBoxEntered(i);
        }
    }
    return QDialog::eventFilter(watched, event);
}
