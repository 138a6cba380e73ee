// The rule list of the settings dialog with the real rule editor: the popup and the keys that open
// it, add, edit, delete, the double click, the selection rules, and cancelling at each level.
#include "dialogs/controlcodes/edit_control_code.h"
#include "dialogs/controlcodes/frm_control_char.h"
#include "platform/code_pages.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"
#include "settings_dialog_rig.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

std::string Bytes(std::initializer_list<int> codes)
{
    std::string bytes;
    for (int code : codes)
        bytes += static_cast<char>(code);
    return bytes;
}

QStringList Rows(QListWidget* list)
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text() + QStringLiteral(" #") + list->item(i)->data(Qt::UserRole).toString();
    return rows;
}

QString SelectedText(QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

// Runs script on the rule editor once it shows modally.
void WhenEditorOpens(QObject* context, std::function<void(frmControlChar&)> script)
{
    QTimer::singleShot(0, context, [script] {
        QTRY_VERIFY(qobject_cast<frmControlChar*>(QApplication::activeModalWidget()));
        script(*qobject_cast<frmControlChar*>(QApplication::activeModalWidget()));
    });
}

void TypeCode(frmControlChar& editor, int box, const QString& code)
{
    QLineEdit* field = editor.findChild<QLineEdit*>(QStringLiteral("codASCII%1").arg(box));
    field->selectAll();
    QTest::keyClicks(field, code);
}

void ChooseAction(frmControlChar& editor, const QString& label)
{
    QComboBox* action = editor.findChild<QComboBox*>("selAction");
    action->setCurrentIndex(action->findText(label));
}

void Press(frmControlChar& editor, const char* button) { editor.findChild<QPushButton*>(button)->click(); }

} // namespace

class ControlCodeListTest : public QObject {
    Q_OBJECT

    std::unique_ptr<SettingsDialogRig> rig_;
    std::unique_ptr<frmSettings> dialog_;
    QListWidget* list_ = nullptr;

    // A dialog over four rules, with the real editor.
    void OpenWithRules(std::vector<ControlChar> rules)
    {
        rig_ = std::make_unique<SettingsDialogRig>();
        rig_->global.rules.ControlChars = {ControlChar{}};
        for (ControlChar& rule : rules)
            rig_->global.rules.ControlChars.push_back(std::move(rule));
        frmSettings::Environment env = rig_->Environment();
        env.EditControlCode = EditControlCode;
        dialog_ = std::make_unique<frmSettings>(rig_->global, std::move(env));
        dialog_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
        list_ = dialog_->findChild<QListWidget*>("lstControlChar");
    }
    QAction* Item(const char* name) { return dialog_->findChild<QAction*>(name); }
    QPoint RowPoint(int row) { return list_->visualItemRect(list_->item(row)).center(); }

    // Runs open, then reads the popup's item states (and where it stands) and closes it.
    QString Popup(const std::function<void()>& open, QPoint* where = nullptr)
    {
        QString seen = QStringLiteral("no menu");
        QTimer::singleShot(0, this, [&seen, where] {
            QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QStringList items;
            for (QAction* action : menu->actions())
                items << action->text() + (action->isEnabled() ? "+" : "-")
                             + (menu->defaultAction() == action ? "*" : "");
            seen = menu->objectName() + ": " + items.join(' ');
            if (where)
                *where = menu->pos();
            menu->close();
        });
        open();
        QCoreApplication::processEvents();
        return seen;
    }

    // A right click at point.
    QString RightClick(QPoint point, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        return Popup([&] {
            QTest::mousePress(list_->viewport(), Qt::RightButton, modifiers, point);
            QTest::mouseRelease(list_->viewport(), Qt::RightButton, modifiers, point);
        });
    }

private Q_SLOTS:
    void initTestCase() { SelectCodePages(CodePagesForLanguage("hu")); }
    void init()
    {
        MessageBox::ClearCalls();
        MessageBox::SetNextAnswers({});
    }
    void cleanup()
    {
        dialog_.reset();
        rig_.reset();
        SetMousePointer(MousePointer::Default);
    }

    // The right button alone opens the popup, with Módosít and Töröl only while there are rows;
    // it never moves the selection, and its commands act on the row selected before the click.
    void rightClickOpensThePopup()
    {
        OpenWithRules({});
        QCOMPARE(RightClick(QPoint(10, 10)), QStringLiteral("ppMenuSettings: Új+* Módosít- Töröl-"));
        OpenWithRules({{Bytes({12}), "np"}, {Bytes({9}), "tb"}, {Bytes({27, 69}), "bb"}});
        QCOMPARE(Rows(list_), (QStringList{"12\tPage break #1", "9\tTabulator #2", "27, 69\tBegin bold #3"}));
        QCOMPARE(RightClick(RowPoint(1)), QStringLiteral("ppMenuSettings: Új+* Módosít+ Töröl+"));
        QVERIFY(list_->selectedItems().isEmpty());
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(0));
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QCOMPARE(SelectedText(list_), QStringLiteral("12\tPage break"));
        MessageBox::SetNextAnswers({MessageBox::Answer::Yes});
        QTimer::singleShot(0, this, [] {
            QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            menu->close();
            menu->findChild<QAction*>("ppDelete")->trigger();
        });
        QTest::mousePress(list_->viewport(), Qt::RightButton, Qt::NoModifier, RowPoint(2));
        QCoreApplication::processEvents();
        QCOMPARE(Rows(list_), (QStringList{"9\tTabulator #1", "27, 69\tBegin bold #2"}));
    }

    // The Menu key and Shift+F10 open the same popup, below the selected row; F10 alone does not.
    void keyboardOpensThePopup_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Menu") << int(Qt::Key_Menu) << int(Qt::NoModifier);
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
    }
    void keyboardOpensThePopup()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        OpenWithRules({{Bytes({12}), "np"}, {Bytes({9}), "tb"}});
        list_->setFocus();
        list_->setCurrentRow(1);
        QPoint where;
        const auto press = [&] { QTest::keyClick(list_, Qt::Key(key), Qt::KeyboardModifiers(modifiers)); };
        QCOMPARE(Popup(press, &where), QStringLiteral("ppMenuSettings: Új+* Módosít+ Töröl+"));
        QCOMPARE(where, list_->viewport()->mapToGlobal(list_->visualItemRect(list_->item(1)).bottomLeft()));
        QCOMPARE(SelectedText(list_), QStringLiteral("9\tTabulator"));
        QTest::keyClick(list_, Qt::Key_F10);
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
    }

    // Új adds what the editor returns; a cancel, Esc or an editor left with every box empty adds
    // nothing. Rules reach the settings only with Rendben, in the dialog's order, and a reload sorts
    // them longest first.
    void addThroughTheEditor()
    {
        OpenWithRules({{Bytes({12}), "np"}, {Bytes({9}), "tb"}});
        list_->setCurrentRow(1);
        WhenEditorOpens(this, [](frmControlChar& editor) {
            QVERIFY(editor.tmpCode.empty());
            QVERIFY(editor.tmpAction.empty());
            TypeCode(editor, 0, "27");
            TypeCode(editor, 2, "69");
            ChooseAction(editor, "Begin bold");
            Press(editor, "cmdOk");
        });
        Item("ppAdd")->trigger();
        QCOMPARE(CurrentMousePointer(), MousePointer::Default);
        QCOMPARE(SelectedText(list_), QStringLiteral("9\tTabulator")); // the selection stays
        QCOMPARE(dialog_->WorkingCodes().back(), (ControlChar{Bytes({27, 69}), "bb"}));
        QCOMPARE(rig_->global.rules.HighestIndex(), 2);

        WhenEditorOpens(this, [](frmControlChar& editor) {
            TypeCode(editor, 0, "27");
            Press(editor, "cmdCancel");
        });
        Item("ppAdd")->trigger();
        WhenEditorOpens(this, [](frmControlChar& editor) {
            TypeCode(editor, 0, "9");
            QTest::keyClick(&editor, Qt::Key_Escape);
        });
        Item("ppAdd")->trigger();
        WhenEditorOpens(this, [](frmControlChar& editor) {
            ChooseAction(editor, "Page break");
            Press(editor, "cmdOk"); // every code box empty
        });
        Item("ppAdd")->trigger();
        QCOMPARE(dialog_->WorkingCodes().size(), std::size_t(4));

        WhenEditorOpens(this, [](frmControlChar& editor) {
            TypeCode(editor, 0, "27");
            TypeCode(editor, 1, "33");
            TypeCode(editor, 2, "1");
            ChooseAction(editor, "Font size: ");
            editor.findChild<QComboBox*>("selFontSize")->setEditText("14");
            Press(editor, "cmdOk");
        });
        Item("ppAdd")->trigger();
        dialog_->findChild<QPushButton*>("cmdOk")->click();
        QVERIFY(rig_->settingsBytes().endsWith("\"np  12\"\r\n\"tb   9\"\r\n\"bb  27 69\"\r\n\"14  27 33  1\"\r\n"));
        Global reloaded;
        LoadSettings(rig_->global.SettingsFile, reloaded.settings, reloaded.rules, SettingsEnvironment{});
        QCOMPARE(reloaded.rules.HighestIndex(), 4);
        QCOMPARE(reloaded.rules.ControlChars[1], (ControlChar{Bytes({27, 33, 1}), "14"}));
        QCOMPARE(reloaded.rules.ControlChars[2], (ControlChar{Bytes({27, 69}), "bb"}));
    }

    // A double click and Módosít edit the selected rule; the selection follows the old text to
    // another row that still has it, else none. A cancel keeps the rule; emptied boxes keep it with
    // no codes. With nothing selected nothing happens.
    void editTheSelectedRule()
    {
        OpenWithRules({{Bytes({12}), "np"}, {Bytes({9}), "tb"}, {Bytes({12}), "np"}});
        std::string openedWith;
        WhenEditorOpens(this, [&](frmControlChar& editor) {
            openedWith = editor.findChild<QLineEdit*>("codASCII0")->text().toStdString();
            TypeCode(editor, 0, "10");
            ChooseAction(editor, "Begin italic");
            Press(editor, "cmdOk");
        });
        // A user's double click: the first click selects, the second comes as a double click.
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(0));
        QTest::mouseDClick(list_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(0));
        QCOMPARE(openedWith, std::string("12"));
        QCOMPARE(Rows(list_), (QStringList{"10\tBegin italic #1", "9\tTabulator #2", "12\tPage break #3"}));
        QCOMPARE(list_->currentRow(), 2);

        list_->setCurrentRow(1);
        WhenEditorOpens(this, [](frmControlChar& editor) {
            ChooseAction(editor, "Ignore");
            Press(editor, "cmdCancel");
        });
        Item("ppEdit")->trigger();
        QCOMPARE(dialog_->WorkingCodes()[2], (ControlChar{Bytes({9}), "tb"}));
        QCOMPARE(SelectedText(list_), QStringLiteral("9\tTabulator"));
        WhenEditorOpens(this, [](frmControlChar& editor) {
            QLineEdit* field = editor.findChild<QLineEdit*>("codASCII0");
            field->selectAll();
            QTest::keyClick(field, Qt::Key_Delete);
            Press(editor, "cmdOk");
        });
        Item("ppEdit")->trigger();
        QCOMPARE(list_->item(1)->text(), QStringLiteral("\tTabulator"));
        QCOMPARE(dialog_->WorkingCodes()[2], (ControlChar{"", "tb"}));
        QVERIFY(list_->selectedItems().isEmpty());

        const QPoint below(5, list_->viewport()->height() - 3);
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, Qt::NoModifier, below);
        QTest::mouseDClick(list_->viewport(), Qt::LeftButton, Qt::NoModifier, below);
        Item("ppEdit")->trigger();
        QCOMPARE(list_->item(1)->text(), QStringLiteral("\tTabulator"));
    }

    // Töröl asks first (No is the default); with nothing selected it neither asks nor deletes. The
    // last rule can go, and Rendben then writes no rule line.
    void deleteAsksFirst()
    {
        OpenWithRules({{Bytes({1}), "np"}, {Bytes({2}), "tb"}});
        list_->setCurrentRow(1);
        MessageBox::SetNextAnswers({MessageBox::Answer::No});
        Item("ppDelete")->trigger();
        Item("ppDelete")->trigger(); // unscripted: the default button answers
        QCOMPARE(list_->count(), 2);
        QCOMPARE(MessageBox::Calls().size(), std::size_t(2));
        const MessageBox::Call& call = MessageBox::Calls().front();
        QCOMPARE(call.title, QStringLiteral("Orvalinó"));
        QCOMPARE(call.text, QStringLiteral("Biztos, hogy törli?"));
        QCOMPARE(call.buttons, MessageBox::Buttons::YesNo);
        QCOMPARE(call.defaultAnswer, MessageBox::Answer::No);

        MessageBox::SetNextAnswers({MessageBox::Answer::Yes});
        Item("ppDelete")->trigger();
        QCOMPARE(Rows(list_), QStringList{"1\tPage break #1"});
        QVERIFY(list_->selectedItems().isEmpty());
        MessageBox::ClearCalls();
        Item("ppDelete")->trigger();
        QVERIFY(MessageBox::Calls().empty());

        list_->setCurrentRow(0);
        MessageBox::SetNextAnswers({MessageBox::Answer::Yes});
        Item("ppDelete")->trigger();
        QCOMPARE(dialog_->WorkingCodes().size(), std::size_t(1));
        dialog_->findChild<QPushButton*>("cmdOk")->click();
        QCOMPARE(rig_->global.rules.HighestIndex(), 0);
        QCOMPARE(rig_->settingsBytes().count('\n'), 11);
    }

    void cancellingTheSettingsDropsEveryRuleChange()
    {
        OpenWithRules({{Bytes({12}), "np"}, {Bytes({9}), "tb"}});
        const std::vector<ControlChar> before = rig_->global.rules.ControlChars;
        const QByteArray bytes = rig_->settingsBytes();
        WhenEditorOpens(this, [](frmControlChar& editor) {
            TypeCode(editor, 0, "7");
            Press(editor, "cmdOk");
        });
        Item("ppAdd")->trigger();
        list_->setCurrentRow(0);
        MessageBox::SetNextAnswers({MessageBox::Answer::Yes});
        Item("ppDelete")->trigger();
        QCOMPARE(list_->count(), 2);
        dialog_->findChild<QPushButton*>("cmdCancel")->click();
        QCOMPARE(rig_->global.rules.ControlChars, before);
        QCOMPARE(rig_->settingsBytes(), bytes);
    }

    // One editor for the whole program; each showing is built from the rule passed in.
    void oneEditorForTheWholeProgram()
    {
        OpenWithRules({{Bytes({12}), "np"}});
        frmControlChar* first = nullptr;
        WhenEditorOpens(this, [&first](frmControlChar& editor) {
            first = &editor;
            Press(editor, "cmdCancel");
        });
        Item("ppAdd")->trigger();
        OpenWithRules({{Bytes({9}), "tb"}});
        frmControlChar* second = nullptr;
        list_->setCurrentRow(0);
        WhenEditorOpens(this, [&second](frmControlChar& editor) {
            second = &editor;
            QCOMPARE(editor.findChild<QLineEdit*>("codASCII0")->text(), QStringLiteral("9"));
            Press(editor, "cmdCancel");
        });
        Item("ppEdit")->trigger();
        QVERIFY(first);
        QCOMPARE(second, first);
        QCOMPARE(&ControlCharEditor(), first);
    }
};

QTEST_MAIN(ControlCodeListTest)
#include "control_code_list_test.moc"
