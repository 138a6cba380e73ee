// A settings dialog over a temporary settings file and a temporary HOME, with scripted choosers
// and a scripted rule editor, for the dialog tests.
#pragma once

#include "dialogs/settings/frm_settings.h"
#include "platform/folder_browser.h"
#include "settings/settings_file.h"
#include "temp_folder.h"

#include <QByteArray>
#include <QLocale>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

// Answers as scripted and remembers what it was asked.
class ScriptedChooser : public FileChooser {
public:
    std::optional<QUrl> folderAnswer;      // nothing: cancelled
    std::optional<QString> fileAnswer;     // nothing: cancelled
    QString askedPrompt;
    QString askedStart;
    QString askedFilter;
    int folderCalls = 0;
    int fileCalls = 0;

    std::optional<QUrl> BrowseForFolder(QWidget*, const QString& prompt, const QString& start, bool) override
    {
        ++folderCalls;
        askedPrompt = prompt;
        askedStart = start;
        return folderAnswer;
    }
    std::optional<QString> OpenFile(QWidget*, const QString& filter) override
    {
        ++fileCalls;
        askedFilter = filter;
        return fileAnswer;
    }
};

struct SettingsDialogRig {
    TempFolder program;     // holds Orvalin.ini
    TempFolder home;        // the user's HOME, for the autostart entry
    Global global;
    std::shared_ptr<ScriptedChooser> chooser = std::make_shared<ScriptedChooser>();
    int refreshes = 0;
    AutoStartEntry autoStart{"orvalin-test", "/opt/Orvalin Próba/orvalin"};
    std::function<ControlChar(QWidget*, const ControlChar&)> editor; // empty: returns the rule

    SettingsDialogRig()
    {
        qputenv("HOME", home.path().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
        global.SettingsFile = program.fsPath() / SettingsFileName;
        Settings& s = global.settings;
        s.PrinterName = "Laser One";
        s.FontName = "Courier New";
        s.FontSize = 10;
        s.PollInterval = 3000;
        s.LeftMargin = 0.8;
        s.SpoolFolder = "/tmp/spool/";
        s.SpoolFileName = "text.txt";
        s.LogoFile = "";
        s.LogoCondition = "";
        s.LogoX = 0;
        s.LogoY = 0;
        global.rules.ControlChars.push_back(ControlChar{"\x0c", "np"});
        global.rules.ControlChars.push_back(ControlChar{"\x1b\x45", "bb"});
        SaveSettings(global.SettingsFile, global.settings, global.rules);
    }

    QString settingsPath() const { return program.file(QString::fromLatin1(SettingsFileName)); }
    QByteArray settingsBytes() const { return ReadFileBytes(settingsPath()); }
    QString autoStartPath() const { return home.path() + "/.config/autostart/orvalin-test.desktop"; }

    frmSettings::Environment Environment(const QLocale& locale = QLocale(QLocale::English, QLocale::UnitedStates))
    {
        frmSettings::Environment env;
        env.PrinterNames = {"Laser One", "laser one", "Orvalin PDF"};
        env.FontFamilies = {"Liberation Mono", "Courier New", "DejaVu Sans", std::string("Cut\0Here", 8)};
        env.AutoStart = autoStart;
        env.Chooser = chooser;
        env.RefreshTrayIcon = [this] { ++refreshes; };
        env.EditControlCode = [this](QWidget* owner, const ControlChar& rule) {
            return editor ? editor(owner, rule) : rule;
        };
        env.Locale = locale;
        return env;
    }

    std::unique_ptr<frmSettings> Open(const QLocale& locale = QLocale(QLocale::English, QLocale::UnitedStates))
    {
        return std::make_unique<frmSettings>(global, Environment(locale));
    }
};
