#include "frm_settings.h"

#include "commit_settings.h"
#include "common/errors.h"
#include "common/numbers.h"
#include "dialogs/controlcodes/control_code_list.h"
#include "dialogs/dialog_texts.h"
#include "dialogs/font_size_box.h"
#include "platform/code_pages.h"
#include "platform/folder_browser.h"
#include "platform/folders.h"
#include "platform/locale_numbers.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"
#include "settings/settings_file.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace {

const QString Title = QString::fromUtf8(DialogTitle);
// The short number fields take five typed characters.
constexpr int ShortFieldLength = 5;

QString Prompt(const char* firstLine, const QString& text)
{
    return QString::fromUtf8(firstLine) + QString::fromLatin1(MessageBreak) + text;
}

// The first entry equal to value (exactly, case-sensitively) becomes the selection; none when no
// entry matches.
void SelectExactly(QComboBox& list, const QString& value)
{
    list.setCurrentIndex(-1);
    for (int i = 0; i < list.count(); ++i) {
        if (list.itemText(i) == value) {
            list.setCurrentIndex(i);
            return;
        }
    }
}

// Whether the settings file can hold a name: every character in the code page, and no line
// break, which would end the value's line (a folder or file name may hold one on Linux).
bool SettingsCanHold(const QString& text)
{
    return AnsiCanHold(text) && !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n'))
           && !text.contains(QChar(0));
}

// A name field's value in the ANSI code page: the stored bytes themselves while the text is as
// loaded (a byte the code page leaves undefined survives a commit), nothing when the settings
// file cannot hold what was typed or chosen.
std::optional<std::string> StorableText(const QString& text, const std::string& stored)
{
    if (text == FromAnsi(stored))
        return stored;
    if (!SettingsCanHold(text))
        return std::nullopt;
    return ToAnsi(text);
}

// Loaded text is never cut: the typing limit grows to fit a longer stored value.
void SetShortField(QLineEdit& field, const QString& text)
{
    field.setMaxLength(32767);
    field.setText(text);
    field.setMaxLength(std::max<int>(ShortFieldLength, static_cast<int>(text.size())));
}

} // namespace

frmSettings::frmSettings(Global& global, Environment environment, QWidget* parent)
    : QDialog(parent), global_(global), env_(std::move(environment))
{
    BuildControls();
    SetTabOrder();
    codeList_ = std::make_unique<ControlCodeList>(*lstControlChar, workingCodes_, global_.rules.ActionTable,
                                                  Separator(), env_.EditControlCode, this);

    connect(AutoStart, &QCheckBox::stateChanged, this, [this] { OnAutoStartChanged(); });
    connect(selInterval, &QLineEdit::textChanged, this, &frmSettings::OnNumberFieldChanged);
    connect(selLeftMargin, &QLineEdit::textChanged, this, &frmSettings::OnNumberFieldChanged);
    connect(CMDLogo, &QPushButton::clicked, this, &frmSettings::OnLogoBrowseClicked);
    connect(selPath, &QPushButton::clicked, this, &frmSettings::OnFolderBrowseClicked);
    connect(cmdOk, &QPushButton::clicked, this, &frmSettings::CommitSettings);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSettings::OnCancelClicked);
    Load();
}

frmSettings::~frmSettings() = default;

char frmSettings::Separator() const { return DecimalSeparator(env_.Locale); }

void frmSettings::ShowControlCodes() { codeList_->ShowControlCodes(); }

void frmSettings::Load()
{
    const Settings& s = global_.settings;

    // The grayed state first, so the caption is set whatever the box held before.
    AutoStart->setTristate(true);
    AutoStart->setCheckState(Qt::PartiallyChecked);
    autoStartAtLoad_ = ReadAutoStartEntry(env_.AutoStart);
    AutoStart->setCheckState(autoStartAtLoad_ ? Qt::Checked : Qt::Unchecked);
    AutoStart->setTristate(false);

    workingCodes_ = global_.rules.ControlChars;
    if (workingCodes_.empty())
        workingCodes_.push_back(ControlChar{});
    workingCodes_[0] = ControlChar{};
    ShowControlCodes();

    selPrinter->clear();
    for (const std::string& name : env_.PrinterNames)
        selPrinter->addItem(FromAnsi(name));
    selPrinter->addItem(QString::fromLatin1(DefaultPrinterName));
    SelectExactly(*selPrinter, FromAnsi(s.PrinterName));

    // One entry per family, in alphabetical order.
    std::vector<std::string> families;
    for (const std::string& family : env_.FontFamilies)
        families.push_back(CutAtNull(family));
    std::sort(families.begin(), families.end());
    families.erase(std::unique(families.begin(), families.end()), families.end());
    selFont->clear();
    for (const std::string& family : families)
        selFont->addItem(FromAnsi(family));
    SelectExactly(*selFont, FromAnsi(s.FontName));

    FillFontSizes(*selFontSize);
    selFontSize->setEditText(QString::number(s.FontSize));

    selFileName->setText(FromAnsi(s.SpoolFileName));
    selFileName->setToolTip(QStringLiteral("8.3 formátumban(pl. abcdefgh.txt)"));
    lblPath->setText(FromAnsi(s.SpoolFolder));
    lblPath->setToolTip(lblPath->text());
    SetShortField(*selInterval, QString::number(s.PollInterval));
    selInterval->setToolTip(QStringLiteral("1 és 65,535 milisecundum között"));
    SetShortField(*selLeftMargin, FromAnsi(GeneralFormat(s.LeftMargin, Separator())));
    selLeftMargin->setToolTip(QStringLiteral("0-tól 20 cm-ig"));
    TxtLogoFile->setText(FromAnsi(s.LogoFile));
    TxtLogoFelt->setText(FromAnsi(s.LogoCondition));
    SetShortField(*TxtKepX, FromAnsi(GeneralFormat(s.LogoX, Separator())));
    SetShortField(*TxtKepY, FromAnsi(GeneralFormat(s.LogoY, Separator())));

    SetMousePointer(MousePointer::Default);
}

void frmSettings::OnAutoStartChanged()
{
    AutoStart->setText(AutoStart->checkState() == Qt::Checked ? QStringLiteral("Igen") : QStringLiteral("Nem"));
}

void frmSettings::OnNumberFieldChanged(const QString& text)
{
    // Only a warning: the text stays as typed and the range is checked at Rendben.
    if (!IsNumeric(ToAnsi(text), Separator()))
        MessageBox::Show(this, Title, Prompt(ErrorFirstLine, QStringLiteral("Nem számot adott meg.")),
                         MessageBox::Icon::Critical);
}

void frmSettings::OnLogoBrowseClicked()
{
    const QString remembered = TxtLogoFile->text();
    std::optional<QString> chosen;
    if (env_.Chooser)
        chosen = env_.Chooser->OpenFile(this, QStringLiteral("Pictures (*.bmp *.jpg *.gif)"));
    // A cancel, or a name the settings file could not store, keeps the old text; the latter says so.
    if (chosen && !SettingsCanHold(*chosen)) {
        ShowRefusal(Refusal::UnstorableLogoFile);
        chosen.reset();
    }
    TxtLogoFile->setText(chosen ? *chosen : remembered);
}

void frmSettings::OnFolderBrowseClicked()
{
    if (!env_.Chooser)
        return;
    try {
        const std::optional<std::string> folder =
            BrowseFolder(this, QStringLiteral("Adja meg az útvonalat ahova a file-t menteni akarja:"),
                         ToAnsi(lblPath->text()), *env_.Chooser);
        if (folder && folder->find_first_of("\r\n") != std::string::npos) {
            ShowRefusal(Refusal::UnstorableFolder);
        } else if (folder) {
            lblPath->setText(FromAnsi(*folder));
            lblPath->setToolTip(lblPath->text());
        }
    } catch (const OrvalinError&) {
        ShowRefusal(Refusal::UnstorableFolder);
    }
}

void frmSettings::OnCancelClicked()
{
    SetMousePointer(MousePointer::Hourglass);
    reject();
}

void frmSettings::keyPressEvent(QKeyEvent* event)
{
    // Esc presses Mégsem, as the dialog's cancel button.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmSettings::ShowRefusal(Refusal field)
{
    const RefusalText message = RefusalMessage(field);
    MessageBox::Show(this, QString::fromUtf8(message.Title), Prompt(message.FirstLine, QString::fromUtf8(message.Text)),
                     MessageBox::Icon::Critical);
}

void frmSettings::CommitSettings()
{
    SetMousePointer(MousePointer::Hourglass);

    SettingsForm form;
    form.PrinterName = ToAnsi(selPrinter->currentIndex() < 0 ? QString() : selPrinter->currentText());
    form.FontName = ToAnsi(selFont->currentIndex() < 0 ? QString() : selFont->currentText());
    form.FontSize = ToAnsi(selFontSize->currentText());
    const Settings& old = global_.settings;
    form.SpoolFileName = StorableText(selFileName->text(), old.SpoolFileName);
    form.SpoolFolder = StorableText(lblPath->text(), old.SpoolFolder);
    form.PollInterval = ToAnsi(selInterval->text());
    form.LeftMargin = ToAnsi(selLeftMargin->text());
    form.LogoFile = StorableText(TxtLogoFile->text(), old.LogoFile);
    form.LogoCondition = StorableText(TxtLogoFelt->text(), old.LogoCondition);
    form.LogoX = ToAnsi(TxtKepX->text());
    form.LogoY = ToAnsi(TxtKepY->text());
    StoreSettingsForm(form, workingCodes_, Separator(), global_.settings, global_.rules,
                      [this](Refusal field) { ShowRefusal(field); });

    // The file is written through a temporary file: a failed save leaves the old file whole, and
    // the new values stay in effect until the program ends.
    try {
        SaveSettings(global_.SettingsFile, global_.settings, global_.rules);
    } catch (const OrvalinError& error) {
        MessageBox::Show(this, Title,
                         Prompt(ErrorFirstLine, QStringLiteral("A beállításokat nem sikerült menteni, a file nem "
                                                               "változott. Az új értékek a program bezárásáig "
                                                               "érvényesek.\r\n\r\n")
                                                    + QString::fromUtf8(error.what())),
                         MessageBox::Icon::Critical);
    }

    const bool checked = AutoStart->checkState() != Qt::Unchecked;
    if (!checked && autoStartAtLoad_)
        DeleteAutoStartEntry(env_.AutoStart);
    else if (checked && !autoStartAtLoad_)
        WriteAutoStartEntry(env_.AutoStart);

    if (env_.RefreshTrayIcon)
        env_.RefreshTrayIcon();
    accept();
}
