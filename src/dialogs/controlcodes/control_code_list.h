// The rule list of the settings dialog: one row per rule of the dialog's working copy ("27, 69",
// a tab, "Begin bold"), a right-click popup to add, change and delete rules, and a double click
// to change the selected one. Changes reach only the working copy.
#pragma once

#include "settings/action_table.h"
#include "settings/control_char.h"

#include <QObject>

#include <functional>
#include <vector>

class QAction;
class QListWidget;
class QMenu;
class QPoint;
class QWidget;

class ControlCodeList : public QObject {
    Q_OBJECT
public:
    // Shows the rule editor for one rule and returns the rule it leaves (unchanged when cancelled).
    using Editor = std::function<ControlChar(QWidget* owner, const ControlChar& rule)>;

    ControlCodeList(QListWidget& list, std::vector<ControlChar>& workingCodes, const ActionTableType& table,
                    char decimalSeparator, Editor editor, QWidget* owner);
    ~ControlCodeList() override;

    // Refills the list; the row whose text equals the previously selected row's stays selected.
    void ShowControlCodes();

    QMenu& Popup() { return *ppMenuSettings; }

    // The popup's commands.
    void OnAddChosen();
    void OnEditChosen();
    void OnDeleteChosen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnListMouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, const QPoint& globalPos);
    // The Menu key and Shift+F10: the same popup, at the selected row.
    void OnMenuKey();
    void ShowPopup(const QPoint& globalPos);
    void OnListDoubleClick();
    ControlChar EditControlCode(const ControlChar& rule);
    // The rule index of the selected row, or 0 when no row is selected.
    int SelectedRule() const;

    QListWidget& list_;
    std::vector<ControlChar>& workingCodes_;
    const ActionTableType& table_;
    char decimalSeparator_;
    Editor editor_;
    QWidget* owner_;
    QMenu* ppMenuSettings = nullptr;
    QAction* ppAdd = nullptr;
    QAction* ppEdit = nullptr;
    QAction* ppDelete = nullptr;
};
