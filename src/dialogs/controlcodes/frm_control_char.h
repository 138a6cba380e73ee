// The control-code editor: one rule's trigger codes in 28 boxes and its action from the action
// table. The caller keeps one instance for the whole program, sets tmpCode and tmpAction, shows it
// with exec() and reads the two properties back afterwards.
#pragma once

#include "control_char_input.h"
#include "settings/action_table.h"

#include <QDialog>

#include <array>
#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frmControlChar : public QDialog {
    Q_OBJECT

public:
    // The action list shows the labels of actionTable in index order.
    explicit frmControlChar(QWidget* parent = nullptr, const ActionTableType& actionTable = BuildActionTable());

    // The trigger: one char per code 0 to 255 of the ANSI code page; empty for a new rule.
    std::string tmpCode;
    // The action: a Code of the action table ("" for Ignore) or a decimal font size ("12").
    // Both are changed only by an accepted OK; Cancel, Esc and closing the window keep them.
    std::string tmpAction;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void SetTabOrder();
    void Load();
    void OnActionSelected();
    void OnCodeBoxChanged(int index);
    void OnCodeBoxEntered(int index);
    void OnOkClicked();
    void OnCancelClicked();
    char DecimalSeparator() const;

    ActionTableType actionTable_;

    QGroupBox* frm[2] = {};
    QComboBox* selAction = nullptr;
    QLabel* lblSelFontSize = nullptr;
    QComboBox* selFontSize = nullptr;
    std::array<QLineEdit*, CodeBoxCount> codASCII{};
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
};
