// The rule list of the settings dialog with the real rule editor: row texts, the popup and its
// enabled items, add, edit, delete, the double click, the selection rules, and cancelling at
// each level.
#include "pdf_probe.h"
#include "print/print_job.h"
#include "print/surface/qt_surface.h"
#include "dialogs/controlcodes/edit_control_code.h"
#include "dialogs/controlcodes/frm_control_char.h"
#include "dialogs/controlcodes/show_codes.h"
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

    void rowTexts()
    {
        const ActionTableType table = BuildActionTable();
        QCOMPARE(ShowAsciiCodes(Bytes({12})), std::string("12"));
        QCOMPARE(ShowAsciiCodes(Bytes({27, 69})), std::string("27, 69"));
        QCOMPARE(ShowAsciiCodes(Bytes({0})), std::string("0"));
        QCOMPARE(ShowAsciiCodes(Bytes({255, 128})), std::string("255, 128"));
        QCOMPARE(ShowAsciiCodes(""), std::string());
        QCOMPARE(ShowAction(table, "np", '.'), std::string("Page break"));
        QCOMPARE(ShowAction(table, "12", '.'), std::string("Font size: 12"));
        QCOMPARE(ShowAction(table, "7.5", '.'), std::string("Font size: 7.5"));
        QCOMPARE(ShowAction(table, "7,5", ','), std::string("Font size: 7,5"));
        QCOMPARE(ShowAction(table, "", '.'), std::string("Ignore"));
        QCOMPARE(ShowAction(table, "h2", '.'), std::string("Line height 1/12"));
        QCOMPARE(ShowAction(table, "NP", '.'), std::string("Page break"));
        QCOMPARE(ShowAction(table, "0", '.'), std::string("Font size: 0")); // numeric before the table
        QCOMPARE(ShowAction(table, "zz", '.'), std::string("ERROR ..."));
        QCOMPARE(ControlCodeRowText(table, ControlChar{"", "eb"}, '.'), std::string("\tEnd bold"));
        QCOMPARE(ControlCodeRowText(table, ControlChar{Bytes({27, 33}), "12"}, '.'),
                 std::string("27, 33\tFont size: 12"));

        OpenWithRules({{Bytes({12}), "np"}, {Bytes({27, 33}), "12"}, {Bytes({0}), ""}, {Bytes({7}), "xx"}});
        QCOMPARE(Rows(list_), (QStringList{"12\tPage break #1", "27, 33\tFont size: 12 #2", "0\tIgnore #3",
                                           "7\tERROR ... #4"}));
        QVERIFY(list_->selectedItems().isEmpty());
    }

    void popupItemsFollowTheList()
    {
        OpenWithRules({});
        QCOMPARE(list_->count(), 0);
        QCOMPARE(RightClick(QPoint(10, 10)), QStringLiteral("ppMenuSettings: Új+* Módosít- Töröl-"));
        OpenWithRules({{Bytes({12}), "np"}});
        QCOMPARE(RightClick(RowPoint(0)), QStringLiteral("ppMenuSettings: Új+* Módosít+ Töröl+"));
        // Only the right button alone opens it.
        QTest::mousePress(list_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(0));
        QTest::mouseRelease(list_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(0));
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
    }

    // The Menu key and Shift+F10 open the same popup as a right click, below the selected row.
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

        OpenWithRules({});
        list_->setFocus();
        QCOMPARE(Popup(press), QStringLiteral("ppMenuSettings: Új+* Módosít- Töröl-"));
        // F10 alone is no popup key.
        QTest::keyClick(list_, Qt::Key_F10);
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
    }

    void rightClickKeepsTheSelection()
    {
        OpenWithRules({{Bytes({12}), "np"}, {Bytes({9}), "tb"}, {Bytes({27, 69}), "bb"}});
        RightClick(RowPoint(1));
        QVERIFY(list_->selectedItems().isEmpty());
        list_->setCurrentRow(0);
        RightClick(RowPoint(2));
        QCOMPARE(SelectedText(list_), QStringLiteral("12\tPage break"));
        // Edit from the popup acts on the row selected before the click.
        MessageBox::SetNextAnswers({MessageBox::Answer::Yes});
        QTimer::singleShot(0, this, [] {
            QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QAction* remove = menu->findChild<QAction*>("ppDelete");
            QVERIFY(remove);
            menu->close();
            remove->trigger();
        });
        QTest::mousePress(list_->viewport(), Qt::RightButton, Qt::NoModifier, RowPoint(2));
        QCoreApplication::processEvents();
        QCOMPARE(Rows(list_), (QStringList{"9\tTabulator #1", "27, 69\tBegin bold #2"}));
    }

    void addThroughTheEditor()
    {
        OpenWithRules({{Bytes({12}), "np"}, {Bytes({9}), "tb"}});
        list_->setCurrentRow(1);
        WhenEditorOpens(this, [](frmControlChar& editor) {
            QVERIFY(editor.tmpCode.empty());
            QVERIFY(editor.tmpAction.empty());
            QCOMPARE(editor.findChild<QComboBox*>("selAction")->currentText(), QStringLiteral("Ignore"));
            TypeCode(editor, 0, "27");
            TypeCode(editor, 2, "69");
            ChooseAction(editor, "Begin bold");
            Press(editor, "cmdOk");
        });
        Item("ppAdd")->trigger();
        QCOMPARE(CurrentMousePointer(), MousePointer::Default);
        QCOMPARE(Rows(list_), (QStringList{"12\tPage break #1", "9\tTabulator #2", "27, 69\tBegin bold #3"}));
        QCOMPARE(SelectedText(list_), QStringLiteral("9\tTabulator")); // the selection stays
        QCOMPARE(dialog_->WorkingCodes().back(), (ControlChar{Bytes({27, 69}), "bb"}));
        // Nothing reaches the live rules before Rendben.
        QCOMPARE(rig_->global.rules.HighestIndex(), 2);

        // A font-size rule, then Rendben: the file holds the rules in the dialog's order, and a
        // reload sorts them longest first.
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

        // A spool file printed with the rules made here shows what they ask for.
        reloaded.settings.PrinterName = BuiltInPrinterName;
        reloaded.settings.FontName = "Liberation Mono";
        TempFolder output;
        output.write("spool.txt", QByteArray("plain ") + Bytes({27, 69}).c_str() + "heavy" + Bytes({27, 33, 1}).c_str()
                                      + "large\r\n");
        auto printers = MakeSystemPrinters(output.fsPath() / "PDF");
        auto canvas = MakePageCanvas();
        PrintJobContext context{reloaded, *printers, *canvas, LogoPicture{}};
        QVERIFY(PrintJob(output.file("spool.txt").toStdString(), "0", context));
        const QStringList pdfs = QDir(output.file("PDF")).entryList({"*.pdf"});
        QCOMPARE(pdfs.size(), 1);
        const QString pdf = output.file("PDF/" + pdfs.first());
        QCOMPARE(PdfText(pdf).simplified().remove(' '), QStringLiteral("plainheavylarge")); // no escape drawn
        QVERIFY2(PdfFonts(pdf).join(' ').contains("Bold"), qPrintable(PdfFonts(pdf).join(' ')));
        const PdfWord plain = FindPdfWord(pdf, "plain");
        PdfWord large;
        for (const PdfWord& word : PdfWords(pdf)) {
            if (word.text.endsWith("large"))
                large = word;
        }
        QVERIFY(large.yMax - large.yMin > 1.2 * (plain.yMax - plain.yMin)); // 14 points against 10
    }

    void addCancelledOrEmptyAddsNothing()
    {
        OpenWithRules({{Bytes({12}), "np"}});
        WhenEditorOpens(this, [](frmControlChar& editor) {
            TypeCode(editor, 0, "27");
            Press(editor, "cmdCancel");
        });
        Item("ppAdd")->trigger();
        WhenEditorOpens(this, [](frmControlChar& editor) {
            ChooseAction(editor, "Page break");
            Press(editor, "cmdOk"); // every code box empty
        });
        Item("ppAdd")->trigger();
        WhenEditorOpens(this, [](frmControlChar& editor) {
            TypeCode(editor, 0, "9");
            QTest::keyClick(&editor, Qt::Key_Escape);
        });
        Item("ppAdd")->trigger();
        QCOMPARE(Rows(list_), QStringList{"12\tPage break #1"});
        QCOMPARE(dialog_->WorkingCodes().size(), std::size_t(2));
    }

    void editByDoubleClick()
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
        // Row 1 changed; the selection moves to the other row with the old text.
        QCOMPARE(Rows(list_), (QStringList{"10\tBegin italic #1", "9\tTabulator #2", "12\tPage break #3"}));
        QCOMPARE(list_->currentRow(), 2);
        QCOMPARE(SelectedText(list_), QStringLiteral("12\tPage break"));

        // Changing a row whose text no other row has leaves nothing selected.
        list_->setCurrentRow(1);
        WhenEditorOpens(this, [](frmControlChar& editor) {
            ChooseAction(editor, "End italic");
            Press(editor, "cmdOk");
        });
        Item("ppEdit")->trigger();
        QCOMPARE(list_->item(1)->text(), QStringLiteral("9\tEnd italic"));
        QVERIFY(list_->selectedItems().isEmpty());

        // With nothing selected, a double click and Módosít do nothing.
        const QPoint below(5, list_->viewport()->height() - 3);
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, Qt::NoModifier, below);
        QTest::mouseDClick(list_->viewport(), Qt::LeftButton, Qt::NoModifier, below);
        Item("ppEdit")->trigger();
        QCOMPARE(list_->item(1)->text(), QStringLiteral("9\tEnd italic"));
    }

    void editCancelledOrEmptied()
    {
        OpenWithRules({{Bytes({12}), "np"}, {Bytes({27, 69}), "bb"}});
        list_->setCurrentRow(1);
        WhenEditorOpens(this, [](frmControlChar& editor) {
            TypeCode(editor, 0, "1");
            ChooseAction(editor, "Ignore");
            Press(editor, "cmdCancel");
        });
        Item("ppEdit")->trigger();
        QCOMPARE(dialog_->WorkingCodes()[2], (ControlChar{Bytes({27, 69}), "bb"}));
        QCOMPARE(SelectedText(list_), QStringLiteral("27, 69\tBegin bold"));

        WhenEditorOpens(this, [](frmControlChar& editor) {
            for (int box = 0; box < 2; ++box) {
                QLineEdit* field = editor.findChild<QLineEdit*>(QStringLiteral("codASCII%1").arg(box));
                field->selectAll();
                QTest::keyClick(field, Qt::Key_Delete);
            }
            Press(editor, "cmdOk");
        });
        Item("ppEdit")->trigger();
        // The rule stays, with an empty codes column.
        QCOMPARE(Rows(list_), (QStringList{"12\tPage break #1", "\tBegin bold #2"}));
        QCOMPARE(dialog_->WorkingCodes()[2], (ControlChar{"", "bb"}));
    }

    void deleteAsksFirst()
    {
        OpenWithRules({{Bytes({1}), "np"}, {Bytes({2}), "tb"}, {Bytes({3}), "bb"}, {Bytes({4}), "eb"}});
        list_->setCurrentRow(1);
        // No, and Enter (No is the default): nothing changes.
        MessageBox::SetNextAnswers({MessageBox::Answer::No});
        Item("ppDelete")->trigger();
        Item("ppDelete")->trigger(); // unscripted: the default button answers
        QCOMPARE(list_->count(), 4);
        QCOMPARE(MessageBox::Calls().size(), std::size_t(2));
        const MessageBox::Call& call = MessageBox::Calls().front();
        QCOMPARE(call.title, QStringLiteral("Orvalinó"));
        QCOMPARE(call.text, QStringLiteral("Biztos, hogy törli?"));
        QCOMPARE(call.icon, MessageBox::Icon::Critical);
        QCOMPARE(call.buttons, MessageBox::Buttons::YesNo);
        QCOMPARE(call.defaultAnswer, MessageBox::Answer::No);

        MessageBox::SetNextAnswers({MessageBox::Answer::Yes});
        Item("ppDelete")->trigger();
        QCOMPARE(Rows(list_), (QStringList{"1\tPage break #1", "3\tBegin bold #2", "4\tEnd bold #3"}));
        QVERIFY(list_->selectedItems().isEmpty());
        QCOMPARE(dialog_->WorkingCodes().size(), std::size_t(4));

        // Nothing selected: no question, no change.
        MessageBox::ClearCalls();
        Item("ppDelete")->trigger();
        QVERIFY(MessageBox::Calls().empty());
        QCOMPARE(list_->count(), 3);
    }

    void deleteTheOnlyRule()
    {
        OpenWithRules({{Bytes({12}), "np"}});
        list_->setCurrentRow(0);
        MessageBox::SetNextAnswers({MessageBox::Answer::Yes});
        Item("ppDelete")->trigger();
        QCOMPARE(list_->count(), 0);
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

    void oneEditorForTheWholeProgram()
    {
        OpenWithRules({{Bytes({12}), "np"}});
        frmControlChar* first = nullptr;
        WhenEditorOpens(this, [&first](frmControlChar& editor) {
            first = &editor;
            Press(editor, "cmdCancel");
        });
        Item("ppAdd")->trigger();
        OpenWithRules({{Bytes({9}), "tb"}}); // a new settings dialog
        frmControlChar* second = nullptr;
        list_->setCurrentRow(0);
        WhenEditorOpens(this, [&second](frmControlChar& editor) {
            second = &editor;
            // The properties carry the rule in; the boxes are rebuilt at each showing.
            QCOMPARE(editor.tmpCode, Bytes({9}));
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
