// A settings dialog over a temporary settings file and a temporary HOME, with scripted choosers
// and a scripted rule editor, and the helpers the dialog tests share.
#pragma once

#include "dialogs/settings/frm_settings.h"
#include "platform/folder_browser.h"
#include "platform/message_box.h"
#include "settings/settings_file.h"
#include "temp_folder.h"

#include <QLineEdit>
#include <QLocale>
#include <QTest>

#include <functional>
#include <memory>
#include <optional>

// The control named name, or the test stops.
template <typename Widget = QWidget>
Widget* Control(QWidget& dialog, const QString& name)
{
    auto* widget = dialog.findChild<Widget*>(name);
    if (!widget)
        qFatal("no control %s", qPrintable(name));
    return widget;
}

// Replaces a field's text the way a user does: select everything, then type (key clicks carry
// ASCII only; other text is inserted, through the field's validator all the same).
inline void Retype(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else if (text.toLatin1() == text.toUtf8() && !text.contains('\r'))
        QTest::keyClicks(field, text);
    else
        field->insert(text);
}

// Each message box as "text", marked when it is not a critical box with one OK.
inline QStringList Messages()
{
    QStringList shown;
    for (const MessageBox::Call& call : MessageBox::Calls())
        shown << call.text
                     + (call.icon == MessageBox::Icon::Critical && call.buttons == MessageBox::Buttons::Ok ? ""
                                                                                                           : " [?]");
    return shown;
}

// Answers as scripted and counts the calls.
class ScriptedChooser : public FileChooser {
public:
    std::optional<QUrl> folderAnswer; // nothing: cancelled
    std::optional<QString> fileAnswer;
    int folderCalls = 0;
    int fileCalls = 0;

    std::optional<QUrl> BrowseForFolder(QWidget*, const QString&, const QString&, bool) override
    {
        ++folderCalls;
        return folderAnswer;
    }
    std::optional<QString> OpenFile(QWidget*, const QString&) override
    {
        ++fileCalls;
        return fileAnswer;
    }
};

struct SettingsDialogRig {
    TempFolder program; // holds Orvalin.ini
    TempFolder home;    // the user's HOME, for the autostart entry
    Global global;
    std::shared_ptr<ScriptedChooser> chooser = std::make_shared<ScriptedChooser>();
    int refreshes = 0;
    std::function<ControlChar(QWidget*, const ControlChar&)> editor; // empty: returns the rule

    SettingsDialogRig()
    {
        qputenv("HOME", home.path().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
        MessageBox::ClearCalls();
        MessageBox::SetNextAnswers({});
        global.SettingsFile = program.fsPath() / SettingsFileName;
        Settings& s = global.settings;
        s = Settings{"Laser One", "Courier New", 10, 3000, 0.8, "/tmp/spool/", "text.txt", "", "", 0, 0, false};
        global.rules.ControlChars = {ControlChar{}, ControlChar{"\x0c", "np"}, ControlChar{"\x1b\x45", "bb"}};
        SaveSettings(global.SettingsFile, global.settings, global.rules);
    }

    QByteArray settingsBytes() const { return ReadFileBytes(program.file(QString::fromLatin1(SettingsFileName))); }
    QString autoStartPath() const { return home.path() + "/.config/autostart/orvalin-test.desktop"; }

    std::unique_ptr<frmSettings> Open(const QLocale& locale = QLocale(QLocale::English, QLocale::UnitedStates))
    {
        frmSettings::Environment env;
        env.PrinterNames = {"Laser One", "laser one", "Orvalin PDF"};
        env.FontFamilies = {"Liberation Mono", "Courier New", "DejaVu Sans", std::string("Cut\0Here", 8)};
        env.AutoStart = AutoStartEntry{"orvalin-test", "/opt/Orvalin Próba/orvalin"};
        env.Chooser = chooser;
        env.RefreshTrayIcon = [this] { ++refreshes; };
        env.EditControlCode = [this](QWidget* owner, const ControlChar& rule) {
            return editor ? editor(owner, rule) : rule;
        };
        env.Locale = locale;
        return std::make_unique<frmSettings>(global, std::move(env));
    }
};
