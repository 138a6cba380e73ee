// The settings dialog "Beállítások": shows every setting, the rule list and the automatic-start
// state, warns about non-numbers while typing, and on Rendben checks, stores and saves everything.
#pragma once

#include "commit_settings.h"
#include "platform/autostart.h"
#include "settings/global.h"

#include <QDialog>
#include <QLocale>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class ControlCodeList;
class FileChooser;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class frmSettings : public QDialog {
    Q_OBJECT
public:
    // What the dialog needs of the desktop, so tests put in their own.
    struct Environment {
        std::vector<std::string> PrinterNames; // the printers collection's device names, in its order
        std::vector<std::string> FontFamilies; // the installed font families (ANSI)
        AutoStartEntry AutoStart;              // the program's automatic-start entry
        std::shared_ptr<FileChooser> Chooser;  // the folder chooser and the picture dialog
        std::function<void()> RefreshTrayIcon; // replaces the icon so its tip shows the new values
        // Shows the rule editor for one rule and returns the rule it leaves.
        std::function<ControlChar(QWidget* owner, const ControlChar& rule)> EditControlCode;
        QLocale Locale; // the numeric test and the number display
    };

    frmSettings(Global& global, Environment environment, QWidget* parent = nullptr);
    ~frmSettings() override;

    // Refills lstControlChar from WorkingCodes, keeping the selected row by its text.
    void ShowControlCodes();

    // The dialog's copy of the rules (element 0 the placeholder), and whether the automatic-start
    // entry existed when the dialog loaded.
    const std::vector<ControlChar>& WorkingCodes() const { return workingCodes_; }
    bool AutoStartAtLoad() const { return autoStartAtLoad_; }

    // Rendben: checks and stores the values, saves, updates the automatic-start entry and the icon,
    // and closes the dialog.
    void CommitSettings();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void SetTabOrder();
    void Load();
    void OnAutoStartChanged();
    void OnNumberFieldChanged(const QString& text);
    void OnLogoBrowseClicked();
    void OnFolderBrowseClicked();
    void OnCancelClicked();
    void ShowRefusal(Refusal field);
    char Separator() const;

    Global& global_;
    Environment env_;
    std::vector<ControlChar> workingCodes_;
    bool autoStartAtLoad_ = false;
    std::unique_ptr<ControlCodeList> codeList_;

    QGroupBox* frm[4] = {};
    QLabel* lbl[6] = {};
    QComboBox* selPrinter = nullptr;
    QComboBox* selFont = nullptr;
    QComboBox* selFontSize = nullptr;
    QLineEdit* selFileName = nullptr;
    QLabel* lblPath = nullptr;
    QPushButton* selPath = nullptr;
    QListWidget* lstControlChar = nullptr;
    QLineEdit* selLeftMargin = nullptr;
    QLineEdit* selInterval = nullptr;
    QLabel* Label1 = nullptr;
    QCheckBox* AutoStart = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* TxtLogoFile = nullptr;
    QPushButton* CMDLogo = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* TxtLogoFelt = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* TxtKepX = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* TxtKepY = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
};
