// The rule editor (frmControlChar) and the settings dialog's rule list, driven by object name on
// the offscreen platform: the editor's controls, what a showing loads, one accepted and one refused
// input per field and the keys; the list's popup and the keys that open it, and add, edit and
// delete through the real editor. What the editor's fields accept is control_char_input_test.
#include "dialogs/controlcodes/edit_control_code.h"
#include "dialogs/controlcodes/frm_control_char.h"
#include "platform/code_pages.h"
#include "platform/mouse_pointer.h"
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

QComboBox* Action(frmControlChar& dialog) { return Control<QComboBox>(dialog, "selAction"); }
QComboBox* Size(frmControlChar& dialog) { return Control<QComboBox>(dialog, "selFontSize"); }
QLineEdit* Box(frmControlChar& dialog, int i)
{
    return dialog.findChild<QLineEdit*>(QStringLiteral("codASCII%1").arg(i));
}
void Click(frmControlChar& dialog, const char* button)
{
    QTest::mouseClick(Control<QPushButton>(dialog, button), Qt::LeftButton);
}

// Shows the editor for a rule the way the caller does: the properties first, then the showing.
void Open(frmControlChar& dialog, const std::string& code, const std::string& action)
{
    dialog.tmpCode = code;
    dialog.tmpAction = action;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
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
    void init()
    {
        MessageBox::ClearCalls();
        SetMousePointer(MousePointer::Default);
    }
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
        QTest::newRow("right button, no rules") << 0 << "right"
                                                << "ppMenuSettings: ppAdd+ ppEdit- ppDelete-";
        QTest::newRow("right button") << 2 << "right" << full;
        QTest::newRow("Menu") << 2 << "Menu" << full;
        QTest::newRow("Shift+F10") << 2 << "Shift+F10" << full;
        QTest::newRow("F10") << 2 << "F10"
                             << ""; // no menu
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
            Retype(Box(editor, 0), "27");
            Retype(Box(editor, 2), "69");
            Action(editor)->setCurrentIndex(3);
        });
        Trigger("ppAdd");
        QCOMPARE(Rows(), (QStringList{"12\tPage break", "9\tTabulator *", "27, 69\tBegin bold"}));
        WhenEditorOpens(this, "cmdCancel", [](frmControlChar& editor) { Retype(Box(editor, 0), "27"); });
        Trigger("ppAdd");
        QTimer::singleShot(0, this, [] {
            QTRY_VERIFY(QApplication::activeModalWidget());
            Retype(Box(*qobject_cast<frmControlChar*>(QApplication::activeModalWidget()), 0), "9");
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
            Retype(Box(editor, 0), "10");
        });
        // A user's double click: the first click selects, the second comes as a double click.
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(0));
        QTest::mouseDClick(list_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(0));
        QCOMPARE(Rows(), (QStringList{"10\tPage break", "9\tTabulator", "12\tPage break *"}));
        list_->setCurrentRow(1);
        WhenEditorOpens(this, "cmdCancel", [](frmControlChar& editor) { Retype(Box(editor, 0), "8"); });
        Trigger("ppEdit");
        QCOMPARE(Rows().value(1), QStringLiteral("9\tTabulator *"));
        WhenEditorOpens(this, "cmdOk", [](frmControlChar& editor) { Retype(Box(editor, 0), ""); });
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

    // The action, the size, the 28 boxes in index order, OK, Cancel.
    void objectNamesAndTabOrder()
    {
        frmControlChar dialog;
        QCOMPARE(dialog.objectName(), QStringLiteral("frmControlChar"));
        QVERIFY(!Box(dialog, 28));
        QList<QWidget*> expected{Action(dialog), Size(dialog)};
        for (int i = 0; i < 28; ++i)
            expected << Control<QLineEdit>(dialog, QStringLiteral("codASCII%1").arg(i));
        expected << Control(dialog, "cmdOk") << Control(dialog, "cmdCancel");
        for (qsizetype i = 0; i + 1 < expected.size(); ++i) {
            QWidget* next = expected[i]->nextInFocusChain();
            while (next->focusPolicy() == Qt::NoFocus || next->focusProxy())
                next = next->nextInFocusChain();
            if (next->parentWidget() == Size(dialog)) // the editable size box's line edit
                next = Size(dialog);
            QCOMPARE(next, expected[i + 1]);
        }
    }

    // Each showing is built from the two properties, whatever the last one left.
    void showingLoadsTheRule()
    {
        frmControlChar dialog;
        SetMousePointer(MousePointer::Hourglass); // as the caller leaves it
        Open(dialog, std::string("\x1b\x21\xff", 3), "12");
        QCOMPARE(CurrentMousePointer(), MousePointer::Default);
        QCOMPARE(dialog.focusWidget(), Action(dialog));
        QCOMPARE(Size(dialog)->currentText(), QStringLiteral("12"));
        QCOMPARE(Box(dialog, 2)->text(), QStringLiteral("255"));
        const int actions = Action(dialog)->count();
        Box(dialog, 5)->setText("99");
        dialog.reject();
        Open(dialog, "\x0c", "bb");
        QCOMPARE(Action(dialog)->count(), actions); // rebuilt, not appended to
        QCOMPARE(Action(dialog)->currentIndex(), 3);
        QVERIFY(!Size(dialog)->isVisible() && Size(dialog)->currentText().isEmpty());
        QCOMPARE(Box(dialog, 5)->text(), QString());
        Action(dialog)->setCurrentIndex(FontSizeActionIndex); // shows the size again
        QVERIFY(Size(dialog)->isVisible());
    }

    // A code box warns at once about what it cannot hold, keeps the text as typed, and takes the
    // locale's decimal mark.
    void typingWarns_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("hungarian");
        QTest::addColumn<int>("warnings");
        QTest::newRow("255") << "255" << false << 0;
        QTest::newRow("256") << "256" << false << 1;
        QTest::newRow("2,4 Hungarian") << "2,4" << true << 0;
        QTest::newRow("2,4 English") << "2,4" << false << 2;
    }
    void typingWarns()
    {
        QFETCH(QString, typed);
        QFETCH(bool, hungarian);
        QFETCH(int, warnings);
        frmControlChar dialog;
        dialog.setLocale(hungarian ? QLocale(QLocale::Hungarian, QLocale::Hungary) : QLocale::c());
        Open(dialog, "", "");
        QTest::keyClicks(Box(dialog, 5), typed);
        QCOMPARE(Messages(), QStringList(warnings, QStringLiteral("HIBA !!!\r\n\r\nEz az érték nem megengedett.")));
        QCOMPARE(Box(dialog, 5)->text(), typed);
    }

    // One accepted and one refused input per field; Mégsem, Esc and closing keep the rule (the
    // buttons and Esc show the hourglass, which the caller sets back). A refusal shows one message,
    // keeps the editor open and the properties as they were; corrected, it is accepted.
    void finish_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("action"); // -1: left as it opened
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QByteArray>("trigger");
        QTest::addColumn<QString>("stored"); // "refused": refused
        const int asOpened = -1;
        const auto row = [](const char* name, int box, const char* code, int action, const char* size, const char* how,
                            const QByteArray& trigger, const char* stored) {
            QTest::newRow(name) << box << code << action << size << how << trigger << stored;
        };
        row("code 255, no gap for an empty box", 2, "255", asOpened, "", "cmdOk", "\x09\xff", "tb");
        row("code 256", 2, "256", asOpened, "", "cmdOk", "", "refused");
        row("Ignore, code 0", 0, "0", IgnoreActionIndex, "", "cmdOk", QByteArray(1, '\0'), "");
        row("size 999", 0, "9", FontSizeActionIndex, "999", "cmdOk", "\x09", "999");
        row("size 1000", 0, "9", FontSizeActionIndex, "1000", "cmdOk", "", "refused");
        row("bad code and bad size, one message", 0, "x", FontSizeActionIndex, "0", "cmdOk", "", "refused");
        for (const char* how : {"cmdCancel", "Esc", "closed"})
            row(how, 0, "1", 2, "", how, "\x09", "tb");
    }
    void finish()
    {
        QFETCH(int, box);
        QFETCH(QString, code);
        QFETCH(int, action);
        QFETCH(QString, size);
        QFETCH(QString, how);
        QFETCH(QByteArray, trigger);
        QFETCH(QString, stored);
        const bool refused = stored == "refused";
        frmControlChar dialog;
        dialog.setLocale(QLocale::c());
        Open(dialog, "\x09", "tb");
        Box(dialog, box)->setText(code);
        if (action >= 0)
            Action(dialog)->setCurrentIndex(action);
        Size(dialog)->setEditText(size);
        MessageBox::ClearCalls();
        if (how == "Esc")
            QTest::keyClick(Box(dialog, 0), Qt::Key_Escape);
        else if (how == "closed")
            QVERIFY(dialog.close());
        else
            Click(dialog, qPrintable(how));
        QCOMPARE(dialog.isVisible(), refused);
        QCOMPARE(CurrentMousePointer(), how == "closed" || refused ? MousePointer::Default : MousePointer::Hourglass);
        QCOMPARE(dialog.result(), how == "cmdOk" && !refused ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(QByteArray::fromStdString(dialog.tmpCode), refused ? QByteArray("\x09") : trigger);
        QCOMPARE(QString::fromStdString(dialog.tmpAction), refused ? QStringLiteral("tb") : stored);
        const QString notSaved =
            "HIBA !!!\r\n\r\nEgy vagy több megadott érték nem megengedett. A változtatás nem mentödött.";
        QCOMPARE(Messages(), refused ? QStringList{notSaved} : QStringList());
        Box(dialog, box)->setText("8"); // corrected, the same showing is accepted
        Size(dialog)->setEditText("14");
        Click(dialog, "cmdOk");
        QVERIFY(!dialog.isVisible());
    }

    // A rule longer than the 28 boxes (a hand-edited file) shows its first 28 codes; OK stores
    // those, Cancel keeps all of them.
    void longRuleFromAHandEditedFile()
    {
        std::string trigger;
        for (int i = 0; i < 30; ++i)
            trigger += static_cast<char>(100 + i);
        frmControlChar dialog;
        Open(dialog, trigger, "np");
        QCOMPARE(Box(dialog, 27)->text(), QStringLiteral("127"));
        Click(dialog, "cmdCancel");
        QCOMPARE(dialog.tmpCode, trigger);
        Open(dialog, trigger, "np");
        Click(dialog, "cmdOk");
        QCOMPARE(dialog.tmpCode, trigger.substr(0, 28));
    }

    // Enter presses OK from a code box and from the size box; the size box keeps what is typed
    // ("1" is not completed to "10") and does not add it to its list.
    void enterAndTheSizeBox()
    {
        frmControlChar dialog;
        Open(dialog, "\x1b", "12");
        const int sizes = Size(dialog)->count();
        for (const char* typed : {"1", "4"}) {
            Size(dialog)->setFocus();
            Size(dialog)->lineEdit()->selectAll();
            QTest::keyClicks(QApplication::focusWidget(), typed);
            QTest::keyClick(QApplication::focusWidget(), *typed == '1' ? Qt::Key_Tab : Qt::Key_Return);
            QCOMPARE(Size(dialog)->currentText(), QString::fromLatin1(typed));
        }
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.tmpAction, std::string("4"));
        QCOMPARE(Size(dialog)->count(), sizes);
        Open(dialog, "", "");
        QTest::keyClicks(Box(dialog, 3), "9");
        QTest::keyClick(Box(dialog, 3), Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.tmpCode, std::string("\x09"));
    }
};

QTEST_MAIN(ControlCodeListTest)
#include "control_code_list_test.moc"
