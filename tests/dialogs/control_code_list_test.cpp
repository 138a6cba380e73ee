// The rule list of the settings dialog with the real rule editor: the popup and the keys that open
// it, add, edit and delete, and the selection they act on.
#include "dialogs/controlcodes/edit_control_code.h"
#include "dialogs/controlcodes/frm_control_char.h"
#include "platform/code_pages.h"
#include "settings_dialog_rig.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

namespace {

// Runs script on the rule editor once it shows modally, then presses its button.
void WhenEditorOpens(QObject* context, const char* button, std::function<void(frmControlChar&)> script = {})
{
    QTimer::singleShot(0, context, [script, button] {
        QTRY_VERIFY(qobject_cast<frmControlChar*>(QApplication::activeModalWidget()));
        auto* editor = qobject_cast<frmControlChar*>(QApplication::activeModalWidget());
        if (script)
            script(*editor);
        Control<QPushButton>(*editor, button)->click();
    });
}

void TypeCode(frmControlChar& editor, int box, const QString& code)
{
    Retype(Control<QLineEdit>(editor, QStringLiteral("codASCII%1").arg(box)), code);
}

} // namespace

class ControlCodeListTest : public QObject {
    Q_OBJECT

    std::unique_ptr<SettingsDialogRig> rig_;
    std::unique_ptr<frmSettings> dialog_;
    QListWidget* list_ = nullptr;

    // A shown dialog over rules given as (code, action), with the real editor.
    void OpenWithRules(const std::vector<ControlChar>& rules)
    {
        rig_ = std::make_unique<SettingsDialogRig>();
        rig_->global.rules.ControlChars = {ControlChar{}};
        rig_->global.rules.ControlChars.insert(rig_->global.rules.ControlChars.end(), rules.begin(), rules.end());
        rig_->editor = EditControlCode;
        dialog_ = rig_->Open();
        dialog_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
        list_ = Control<QListWidget>(*dialog_, "lstControlChar");
    }
    void Trigger(const char* item) { Control<QAction>(*dialog_, item)->trigger(); }
    QPoint RowPoint(int row) { return list_->visualItemRect(list_->item(row)).center(); }
    QStringList Rows()
    {
        QStringList rows;
        for (int i = 0; i < list_->count(); ++i)
            rows << list_->item(i)->text() + (list_->item(i)->isSelected() ? " *" : "");
        return rows;
    }

    // Runs open, then reads the popup's items ("+" enabled, "-" not) and closes it.
    QString Popup(const std::function<void()>& open)
    {
        QString seen;
        QTimer::singleShot(0, this, [&seen] {
            QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            seen = menu->objectName() + ":";
            for (QAction* action : menu->actions())
                seen += " " + action->objectName() + (action->isEnabled() ? "+" : "-");
            menu->close();
        });
        open();
        QCoreApplication::processEvents();
        return seen;
    }

private Q_SLOTS:
    void initTestCase() { SelectCodePages(CodePagesForLanguage("hu")); }
    void cleanup()
    {
        dialog_.reset();
        rig_.reset();
    }

    // The right button, the Menu key and Shift+F10 open the popup, with Módosít and Töröl only
    // while there are rows; F10 alone does not, and no way of opening it moves the selection.
    void popup_data()
    {
        QTest::addColumn<int>("rules");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("popup");
        const QString full = QStringLiteral("ppMenuSettings: ppAdd+ ppEdit+ ppDelete+");
        QTest::newRow("right button, no rules") << 0 << "right" << "ppMenuSettings: ppAdd+ ppEdit- ppDelete-";
        QTest::newRow("right button") << 2 << "right" << full;
        QTest::newRow("Menu") << 2 << "Menu" << full;
        QTest::newRow("Shift+F10") << 2 << "Shift+F10" << full;
        QTest::newRow("F10") << 2 << "F10" << ""; // no menu
    }
    void popup()
    {
        QFETCH(int, rules);
        QFETCH(QString, how);
        QFETCH(QString, popup);
        OpenWithRules(rules ? std::vector<ControlChar>{{"\x0c", "np"}, {"\x09", "tb"}} : std::vector<ControlChar>{});
        list_->setFocus();
        if (rules)
            list_->setCurrentRow(1);
        const QStringList before = Rows();
        const auto open = [&] {
            if (how == "right")
                QTest::mouseClick(list_->viewport(), Qt::RightButton, {}, rules ? RowPoint(0) : QPoint(5, 5));
            else
                QTest::keyClick(list_, how == "Menu" ? Qt::Key_Menu : Qt::Key_F10,
                                how == "Shift+F10" ? Qt::ShiftModifier : Qt::NoModifier);
        };
        if (popup.isEmpty()) {
            open();
            QCoreApplication::processEvents();
            QCOMPARE(QApplication::activePopupWidget(), nullptr);
        } else {
            QCOMPARE(Popup(open), popup);
        }
        QCOMPARE(Rows(), before);
    }

    // Új adds what the editor returns, after the others, leaving the selection; a cancel, Esc or an
    // editor left with every box empty adds nothing. Rules reach the file only with Rendben.
    void addThroughTheEditor()
    {
        OpenWithRules({{"\x0c", "np"}, {"\x09", "tb"}});
        list_->setCurrentRow(1);
        frmControlChar* first = nullptr;
        WhenEditorOpens(this, "cmdOk", [&first](frmControlChar& editor) {
            first = &editor;
            QVERIFY(editor.tmpCode.empty() && editor.tmpAction.empty());
            TypeCode(editor, 0, "27");
            TypeCode(editor, 2, "69");
            Control<QComboBox>(editor, "selAction")->setCurrentIndex(3);
        });
        Trigger("ppAdd");
        QCOMPARE(Rows(), (QStringList{"12\tPage break", "9\tTabulator *", "27, 69\tBegin bold"}));
        WhenEditorOpens(this, "cmdCancel", [](frmControlChar& editor) { TypeCode(editor, 0, "27"); });
        Trigger("ppAdd");
        QTimer::singleShot(0, this, [] {
            QTRY_VERIFY(QApplication::activeModalWidget());
            TypeCode(*qobject_cast<frmControlChar*>(QApplication::activeModalWidget()), 0, "9");
            QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape);
        });
        Trigger("ppAdd");
        WhenEditorOpens(this, "cmdOk"); // every code box empty
        Trigger("ppAdd");
        QCOMPARE(list_->count(), 3);
        QCOMPARE(rig_->global.rules.HighestIndex(), 2);
        Control<QPushButton>(*dialog_, "cmdOk")->click();
        QVERIFY(rig_->settingsBytes().endsWith("\"np  12\"\r\n\"tb   9\"\r\n\"bb  27 69\"\r\n"));
        QCOMPARE(&ControlCharEditor(), first); // one editor for the whole program
    }

    // A double click and Módosít edit the selected rule; the selection follows the old text to
    // another row that still has it, else none. A cancel keeps the rule; emptied boxes keep it with
    // no codes. With nothing selected nothing happens.
    void editTheSelectedRule()
    {
        OpenWithRules({{"\x0c", "np"}, {"\x09", "tb"}, {"\x0c", "np"}});
        WhenEditorOpens(this, "cmdOk", [](frmControlChar& editor) {
            QCOMPARE(Control<QLineEdit>(editor, "codASCII0")->text(), QStringLiteral("12"));
            TypeCode(editor, 0, "10");
        });
        // A user's double click: the first click selects, the second comes as a double click.
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(0));
        QTest::mouseDClick(list_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(0));
        QCOMPARE(Rows(), (QStringList{"10\tPage break", "9\tTabulator", "12\tPage break *"}));
        list_->setCurrentRow(1);
        WhenEditorOpens(this, "cmdCancel", [](frmControlChar& editor) { TypeCode(editor, 0, "8"); });
        Trigger("ppEdit");
        QCOMPARE(Rows().value(1), QStringLiteral("9\tTabulator *"));
        WhenEditorOpens(this, "cmdOk", [](frmControlChar& editor) { TypeCode(editor, 0, ""); });
        Trigger("ppEdit");
        QCOMPARE(Rows(), (QStringList{"10\tPage break", "\tTabulator", "12\tPage break"}));
        Trigger("ppEdit"); // nothing selected: no editor
        QCOMPARE(Rows().value(1), QStringLiteral("\tTabulator"));
    }

    // Töröl asks first (No is the default) and acts on the selected row; with nothing selected it
    // neither asks nor deletes. The last rule can go, and Rendben then writes no rule line.
    void deleteAsksFirst()
    {
        OpenWithRules({{"\x01", "np"}, {"\x02", "tb"}});
        list_->setCurrentRow(1);
        MessageBox::SetNextAnswers({MessageBox::Answer::No});
        Trigger("ppDelete");
        Trigger("ppDelete"); // unscripted: the default button answers
        QCOMPARE(list_->count(), 2);
        QCOMPARE(Messages(), QStringList(2, QStringLiteral("Biztos, hogy törli? [?]")));
        QCOMPARE(MessageBox::Calls().front().defaultAnswer, MessageBox::Answer::No);
        MessageBox::SetNextAnswers({MessageBox::Answer::Yes});
        Trigger("ppDelete");
        QCOMPARE(Rows(), QStringList{"1\tPage break"});
        MessageBox::ClearCalls();
        Trigger("ppDelete");
        QVERIFY(MessageBox::Calls().empty());
        list_->setCurrentRow(0);
        MessageBox::SetNextAnswers({MessageBox::Answer::Yes});
        Trigger("ppDelete");
        Control<QPushButton>(*dialog_, "cmdOk")->click();
        QCOMPARE(rig_->global.rules.HighestIndex(), 0);
        QCOMPARE(rig_->settingsBytes().count('\n'), 11);
    }
};

QTEST_MAIN(ControlCodeListTest)
#include "control_code_list_test.moc"
