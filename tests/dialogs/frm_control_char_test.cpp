// The control-code editor driven through its controls by object name on the offscreen platform.
#include "dialogs/controlcodes/frm_control_char.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"
#include "settings/rule_line.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

const QString Title = QStringLiteral("Orvalinó - Beállítások");
const QString ValueNotAllowed = QStringLiteral("HIBA !!!\r\n\r\nEz az érték nem megengedett.");
const QString ChangeNotSaved = QStringLiteral(
    "HIBA !!!\r\n\r\nEgy vagy több megadott érték nem megengedett. A változtatás nem mentödött.");

std::string Bytes(std::initializer_list<int> codes)
{
    std::string bytes;
    for (int code : codes)
        bytes += static_cast<char>(code);
    return bytes;
}

} // namespace

class FrmControlCharTest : public QObject {
    Q_OBJECT

    QComboBox* Action(frmControlChar& dialog) { return dialog.findChild<QComboBox*>("selAction"); }
    QComboBox* Size(frmControlChar& dialog) { return dialog.findChild<QComboBox*>("selFontSize"); }
    QLabel* SizeLabel(frmControlChar& dialog) { return dialog.findChild<QLabel*>("lblSelFontSize"); }
    QLineEdit* Box(frmControlChar& dialog, int i)
    {
        return dialog.findChild<QLineEdit*>(QStringLiteral("codASCII%1").arg(i));
    }
    QPushButton* Button(frmControlChar& dialog, const char* name) { return dialog.findChild<QPushButton*>(name); }

    // Shows the editor for a rule the way the caller does: the properties first, then the showing.
    void Open(frmControlChar& dialog, const std::string& code, const std::string& action)
    {
        dialog.tmpCode = code;
        dialog.tmpAction = action;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }

    void SelectAction(frmControlChar& dialog, const QString& label)
    {
        const int index = Action(dialog)->findText(label);
        QVERIFY(index >= 0);
        Action(dialog)->setCurrentIndex(index);
    }

    // A refused OK: the refusal box, the editor still open, nothing written, the pointer normal.
    void ExpectRefused(frmControlChar& dialog, const std::string& code, const std::string& action)
    {
        MessageBox::ClearCalls();
        QTest::mouseClick(Button(dialog, "cmdOk"), Qt::LeftButton);
        QCOMPARE(MessageBox::Calls().size(), std::size_t{1});
        QCOMPARE(MessageBox::Calls()[0].title, Title);
        QCOMPARE(MessageBox::Calls()[0].text, ChangeNotSaved);
        QCOMPARE(MessageBox::Calls()[0].icon, MessageBox::Icon::Critical);
        QCOMPARE(MessageBox::Calls()[0].buttons, MessageBox::Buttons::Ok);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.tmpCode, code);
        QCOMPARE(dialog.tmpAction, action);
        QCOMPARE(CurrentMousePointer(), MousePointer::Default);
    }

private Q_SLOTS:
    void init()
    {
        MessageBox::ClearCalls();
        MessageBox::SetNextAnswers({});
        SetMousePointer(MousePointer::Default);
    }

    void controlsCaptionsAndLayout()
    {
        frmControlChar dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Vezérlő kódok"));
        QCOMPARE(dialog.size(), QSize(331, 301)); // 4965 x 4515 twips at 15 twips a pixel
        const auto frames = dialog.findChildren<QGroupBox*>();
        QStringList titles;
        for (const QGroupBox* frame : frames)
            titles << frame->title();
        QCOMPARE(titles, QStringList({"Akció", "ASCII kódok"}));
        QCOMPARE(SizeLabel(dialog)->text(), QStringLiteral("Betüméret"));
        QCOMPARE(Button(dialog, "cmdOk")->text(), QStringLiteral("Rendben"));
        QCOMPARE(Button(dialog, "cmdCancel")->text(), QStringLiteral("Mégsem"));
        QVERIFY(Button(dialog, "cmdOk")->isDefault());
        QVERIFY(!Action(dialog)->isEditable());
        QVERIFY(Size(dialog)->isEditable());

        // Seven rows of four, filled row by row, all the same size, at most 3 characters.
        for (int i = 0; i < 28; ++i) {
            QLineEdit* box = Box(dialog, i);
            QVERIFY2(box, qPrintable(QStringLiteral("codASCII%1").arg(i)));
            QCOMPARE(box->maxLength(), 3);
            QCOMPARE(box->geometry(), QRect(8 + 80 * (i % 4), 16 + 24 * (i / 4), 73, 19));
        }
        QVERIFY(!Box(dialog, 28));

        // Tab order: action, size, the boxes in index order, OK, Cancel.
        QList<QWidget*> expected{Action(dialog), Size(dialog)};
        for (int i = 0; i < 28; ++i)
            expected << Box(dialog, i);
        expected << Button(dialog, "cmdOk") << Button(dialog, "cmdCancel");
        for (qsizetype i = 0; i + 1 < expected.size(); ++i) {
            QWidget* next = expected[i]->nextInFocusChain();
            while (next->focusPolicy() == Qt::NoFocus || next->focusProxy())
                next = next->nextInFocusChain();
            // The editable size box hands its focus to its line edit.
            if (next->parentWidget() == Size(dialog))
                next = Size(dialog);
            QCOMPARE(next, expected[i + 1]);
        }
    }

    void loadFillsTheLists()
    {
        frmControlChar dialog;
        Open(dialog, "", "");
        const ActionTableType table = BuildActionTable();
        QCOMPARE(Action(dialog)->count(), 22);
        for (int i = 0; i < 22; ++i) {
            QCOMPARE(Action(dialog)->itemText(i).toStdString(), table[static_cast<std::size_t>(i)].Label);
            QCOMPARE(Action(dialog)->itemData(i).toInt(), i);
        }
        QStringList sizes;
        for (int i = 0; i < Size(dialog)->count(); ++i)
            sizes << Size(dialog)->itemText(i);
        QCOMPARE(sizes, QStringList({"6", "7", "8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24",
                                     "26", "28", "36", "48", "72"}));
        // A second showing rebuilds the lists rather than appending to them.
        dialog.reject();
        Open(dialog, "", "");
        QCOMPARE(Action(dialog)->count(), 22);
        QCOMPARE(Size(dialog)->count(), 18);
    }

    void loadNewRule()
    {
        frmControlChar dialog;
        SetMousePointer(MousePointer::Hourglass); // as the caller leaves it
        Open(dialog, "", "");
        QCOMPARE(Action(dialog)->currentText(), QStringLiteral("Ignore"));
        QVERIFY(!Size(dialog)->isVisible());
        QVERIFY(!SizeLabel(dialog)->isVisible());
        QCOMPARE(Size(dialog)->currentText(), QString());
        for (int i = 0; i < 28; ++i)
            QCOMPARE(Box(dialog, i)->text(), QString());
        QVERIFY(MessageBox::Calls().empty());
        QCOMPARE(CurrentMousePointer(), MousePointer::Default);
        QCOMPARE(dialog.focusWidget(), Action(dialog));
    }

    void loadPreselectsTheAction_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("label");
        const ActionTableType table = BuildActionTable();
        for (int i = 1; i < 22; ++i) {
            const auto& entry = table[static_cast<std::size_t>(i)];
            QTest::newRow(entry.Label.c_str()) << QString::fromStdString(entry.Code) << QString::fromStdString(entry.Label);
        }
        // Another letter case opens on the entry the printer reads it as; a hand-edited code the
        // table does not hold opens with nothing selected.
        QTest::newRow("upper case") << "NP" << "Page break";
        QTest::newRow("unknown") << "zz" << "";
    }

    void loadPreselectsTheAction()
    {
        QFETCH(QString, action);
        QFETCH(QString, label);
        frmControlChar dialog;
        Open(dialog, Bytes({12}), action.toStdString());
        QCOMPARE(Action(dialog)->currentText(), label);
        QCOMPARE(Action(dialog)->currentIndex() < 0, label.isEmpty());
        QVERIFY(!Size(dialog)->isVisible());
        QCOMPARE(Size(dialog)->currentText(), QString());
    }

    void loadFontSizeRule_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("12") << "12";
        QTest::newRow("2160") << "2160";
        QTest::newRow("hand-edited 7.5") << "7.5";
        QTest::newRow("hand-edited 0") << "0";
    }

    void loadFontSizeRule()
    {
        QFETCH(QString, action);
        frmControlChar dialog;
        Open(dialog, Bytes({27, 33}), action.toStdString());
        QCOMPARE(Action(dialog)->currentIndex(), 0);
        QCOMPARE(Action(dialog)->currentText(), QStringLiteral("Font size: "));
        QVERIFY(Size(dialog)->isVisible());
        QVERIFY(SizeLabel(dialog)->isVisible());
        QCOMPARE(Size(dialog)->currentText(), action); // unchanged, as stored
    }

    void loadTriggerCodes()
    {
        frmControlChar dialog;
        Open(dialog, Bytes({27, 69}), "bb");
        QCOMPARE(Box(dialog, 0)->text(), QStringLiteral("27"));
        QCOMPARE(Box(dialog, 1)->text(), QStringLiteral("69"));
        for (int i = 2; i < 28; ++i)
            QCOMPARE(Box(dialog, i)->text(), QString());

        // Every byte shows as its plain decimal code, 0 and the high half included.
        dialog.reject();
        Open(dialog, Bytes({0, 9, 128, 200, 255}), "");
        const QStringList shown{"0", "9", "128", "200", "255"};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(Box(dialog, i)->text(), shown[i]);
        QVERIFY(MessageBox::Calls().empty());
    }

    void selActionShowsTheSizeRowOnlyForFontSize()
    {
        frmControlChar dialog;
        Open(dialog, "", "16");
        SelectAction(dialog, "Page break");
        QVERIFY(!Size(dialog)->isVisible());
        QVERIFY(!SizeLabel(dialog)->isVisible());
        SelectAction(dialog, "Font size: ");
        QVERIFY(Size(dialog)->isVisible());
        QVERIFY(SizeLabel(dialog)->isVisible());
        QCOMPARE(Size(dialog)->currentText(), QStringLiteral("16")); // hiding kept the size

        // Choosing the size with the keyboard, by its list.
        Size(dialog)->setCurrentIndex(Size(dialog)->findText("72"));
        QTest::mouseClick(Button(dialog, "cmdOk"), Qt::LeftButton);
        QCOMPARE(dialog.tmpAction, std::string("72"));
    }

    void typingWarnsAtOnce_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QList<int>>("warningsAfterEachKey");
        QTest::newRow("300") << "300" << QList<int>{0, 0, 1};
        QTest::newRow("255") << "255" << QList<int>{0, 0, 0};
        QTest::newRow("256") << "256" << QList<int>{0, 0, 1};
        QTest::newRow("lone minus") << "-" << QList<int>{1};
        QTest::newRow("minus one") << "-1" << QList<int>{1, 2};
        QTest::newRow("letters") << "ab" << QList<int>{1, 2};
        QTest::newRow("digit then letter") << "1a" << QList<int>{0, 1};
        QTest::newRow("blanks") << "  " << QList<int>{1, 2};
        QTest::newRow("16-bit overflow 1e5") << "1e5" << QList<int>{0, 1, 2};
        QTest::newRow("huge exponent 9e9") << "9e9" << QList<int>{0, 1, 2};
        QTest::newRow("0") << "0" << QList<int>{0};
        QTest::newRow("plus sign") << "+7" << QList<int>{1, 1};
    }

    void typingWarnsAtOnce()
    {
        QFETCH(QString, typed);
        QFETCH(QList<int>, warningsAfterEachKey);
        frmControlChar dialog;
        dialog.setLocale(QLocale::c());
        Open(dialog, "", "");
        QLineEdit* box = Box(dialog, 5);
        box->setFocus();
        for (qsizetype k = 0; k < typed.size(); ++k) {
            QTest::keyClick(box, typed.at(k).toLatin1());
            QCOMPARE(static_cast<int>(MessageBox::Calls().size()), warningsAfterEachKey[k]);
        }
        for (const MessageBox::Call& call : MessageBox::Calls()) {
            QCOMPARE(call.title, Title);
            QCOMPARE(call.text, ValueNotAllowed);
            QCOMPARE(call.icon, MessageBox::Icon::Critical);
            QCOMPARE(call.buttons, MessageBox::Buttons::Ok);
        }
        // The text stays as typed: nothing corrected, nothing blocked.
        QCOMPARE(box->text(), typed);
        // Emptying the box is accepted silently.
        const auto before = MessageBox::Calls().size();
        box->clear();
        QCOMPARE(MessageBox::Calls().size(), before);
    }

    void numericTestFollowsTheLocale()
    {
        frmControlChar dialog;
        dialog.setLocale(QLocale(QLocale::Hungarian, QLocale::Hungary));
        Open(dialog, "", "");
        QTest::keyClicks(Box(dialog, 0), "2,4");
        QTest::keyClicks(Box(dialog, 1), "2.6");
        QVERIFY(MessageBox::Calls().empty());
        // The value reads only "." as decimal point: "2,4" is 2, "2.6" rounds to 3.
        QTest::mouseClick(Button(dialog, "cmdOk"), Qt::LeftButton);
        QCOMPARE(dialog.tmpCode, Bytes({2, 3}));

        frmControlChar english;
        english.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        Open(english, "", "");
        QTest::keyClicks(Box(english, 0), "2,4");
        QCOMPARE(MessageBox::Calls().size(), std::size_t{2}); // after "2," and after "2,4"
    }

    void focusSelectsTheWholeBox()
    {
        frmControlChar dialog;
        Open(dialog, Bytes({27, 123}), "bb");
        dialog.activateWindow();
        QLineEdit* box = Box(dialog, 1);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 3, box->height() / 2));
        QTRY_COMPARE(box->selectedText(), QStringLiteral("123"));
        QCOMPARE(box->cursorPosition(), 0);
        QTest::keyClicks(box, "7"); // typing replaces the code
        QCOMPARE(box->text(), QStringLiteral("7"));

        // Tabbing in selects too.
        Box(dialog, 0)->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(Box(dialog, 0)->selectedText(), QStringLiteral("27"));

        // Focus given back after a warning box keeps the caret where the typing was.
        QLineEdit* typed = Box(dialog, 2);
        typed->setFocus(Qt::OtherFocusReason);
        QTest::qWait(20); // the selection made for entering the empty box
        QTest::keyClicks(typed, "30");
        typed->deselect();
        typed->setCursorPosition(2);
        QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(typed, &back);
        QTest::qWait(20);
        QVERIFY(!typed->hasSelectedText());
        QCOMPARE(typed->cursorPosition(), 2);
        QTest::keyClick(typed, '0');
        QCOMPARE(typed->text(), QStringLiteral("300"));
    }

    void okReturnsTheRule()
    {
        frmControlChar dialog;
        Open(dialog, "", "");
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        QTest::keyClicks(Box(dialog, 0), "27");
        QTest::keyClicks(Box(dialog, 2), "69"); // box 1 stays empty: no gap in the trigger
        SelectAction(dialog, "Begin bold");
        QTest::mouseClick(Button(dialog, "cmdOk"), Qt::LeftButton);
        QCOMPARE(accepted.count(), 1);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.tmpCode, Bytes({27, 69}));
        QCOMPARE(dialog.tmpAction, std::string("bb"));
        QVERIFY(MessageBox::Calls().empty());
        QCOMPARE(CurrentMousePointer(), MousePointer::Hourglass); // the caller restores it
    }

    void okAcceptsTheEdges()
    {
        frmControlChar dialog;
        // Ignore gives the empty action; the code 0 gives the byte 0.
        Open(dialog, Bytes({5}), "np");
        Box(dialog, 0)->setText("0");
        QTest::keyClicks(Box(dialog, 27), "255");
        SelectAction(dialog, "Ignore");
        QTest::mouseClick(Button(dialog, "cmdOk"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.tmpCode, Bytes({0, 255}));
        QCOMPARE(dialog.tmpAction, std::string());

        // Every box empty is accepted and gives an empty trigger.
        Open(dialog, Bytes({5, 6}), "tb");
        Box(dialog, 0)->clear();
        Box(dialog, 1)->clear();
        QTest::mouseClick(Button(dialog, "cmdOk"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.tmpCode, std::string());
        QCOMPARE(dialog.tmpAction, std::string("tb"));
        QVERIFY(MessageBox::Calls().empty());
    }

    void okFontSizes_data()
    {
        QTest::addColumn<QString>("sizeText");
        QTest::addColumn<QString>("action");
        QTest::newRow("1") << "1" << "1";
        QTest::newRow("999, the most the rule line holds") << "999" << "999";
        QTest::newRow("12abc, no numeric test") << "12abc" << "12";
        QTest::newRow("leading blanks") << "  9" << "9";
    }

    void okFontSizes()
    {
        QFETCH(QString, sizeText);
        QFETCH(QString, action);
        frmControlChar dialog;
        Open(dialog, "", "");
        SelectAction(dialog, "Font size: ");
        QTest::keyClicks(Box(dialog, 0), "27");
        Size(dialog)->setEditText(sizeText);
        QTest::mouseClick(Button(dialog, "cmdOk"), Qt::LeftButton);
        QVERIFY(MessageBox::Calls().empty());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.tmpAction, action.toStdString());
        QCOMPARE(dialog.tmpCode, Bytes({27}));
    }

    void okRefusesBadSizes_data()
    {
        QTest::addColumn<QString>("sizeText");
        QTest::newRow("0") << "0";
        QTest::newRow("1000, more than the rule line holds") << "1000";
        QTest::newRow("2160") << "2160";
        QTest::newRow("12.5, no whole size") << "12.5";
        QTest::newRow("empty") << "";
        QTest::newRow("blanks") << "   ";
        QTest::newRow("no leading digits") << "abc";
        QTest::newRow("lone minus") << "-";
        QTest::newRow("negative") << "-12";
        QTest::newRow("0.4 rounds to 0") << "0.4";
        QTest::newRow("99999, 16-bit overflow") << "99999";
        QTest::newRow("32768, just past 16 bits") << "32768";
        QTest::newRow("huge exponent") << "1e999";
    }

    void okRefusesBadSizes()
    {
        QFETCH(QString, sizeText);
        frmControlChar dialog;
        Open(dialog, Bytes({27, 33}), "12");
        Size(dialog)->setEditText(sizeText);
        ExpectRefused(dialog, Bytes({27, 33}), "12");
        // Corrected, the same showing is accepted.
        Size(dialog)->setEditText("14");
        QTest::mouseClick(Button(dialog, "cmdOk"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.tmpAction, std::string("14"));
    }

    void okRefusesBadCodes_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("text");
        QTest::newRow("letters") << 0 << "abc";
        QTest::newRow("lone minus") << 3 << "-";
        QTest::newRow("256") << 27 << "256";
        QTest::newRow("negative") << 10 << "-1";
        QTest::newRow("blanks") << 1 << "   ";
        QTest::newRow("16-bit overflow") << 7 << "1e5";
        QTest::newRow("huge exponent") << 4 << "1e9";
    }

    void okRefusesBadCodes()
    {
        QFETCH(int, box);
        QFETCH(QString, text);
        frmControlChar dialog;
        dialog.setLocale(QLocale::c());
        Open(dialog, Bytes({9}), "tb");
        Box(dialog, box)->setText(text);
        const QString shown = Box(dialog, box)->text();
        ExpectRefused(dialog, Bytes({9}), "tb");
        QCOMPARE(Box(dialog, box)->text(), shown); // nothing corrected
        // A bad box refuses even when the size is fine and other boxes are valid.
        Box(dialog, box)->clear();
        QTest::mouseClick(Button(dialog, "cmdOk"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
    }

    void okRefusesBadCodeAndBadSizeWithOneMessage()
    {
        frmControlChar dialog;
        Open(dialog, "", "");
        Box(dialog, 0)->setText("x");
        SelectAction(dialog, "Font size: ");
        Size(dialog)->setEditText("0");
        ExpectRefused(dialog, "", "");
    }

    void fullBoxesRoundTrip()
    {
        std::string trigger;
        for (int i = 0; i < 28; ++i)
            trigger += static_cast<char>((i * 37 + 3) % 256);
        frmControlChar dialog;
        Open(dialog, trigger, "h8");
        for (int i = 0; i < 28; ++i)
            QVERIFY(!Box(dialog, i)->text().isEmpty());
        QTest::mouseClick(Button(dialog, "cmdOk"), Qt::LeftButton);
        QCOMPARE(dialog.tmpCode, trigger);
        QCOMPARE(dialog.tmpAction, std::string("h8"));

        Rules rules;
        const ControlChar out{dialog.tmpCode, dialog.tmpAction};
        const std::string line = FormatRuleLine(out);
        QCOMPARE(line.size(), std::size_t{3 + 3 * 28});
        QCOMPARE(ParseRuleLine(line, rules), out);
    }

    void longRuleFromAHandEditedFile()
    {
        // A rule longer than the editor's 28 boxes: the first 28 codes are shown; OK stores those.
        std::string trigger;
        for (int i = 0; i < 30; ++i)
            trigger += static_cast<char>(100 + i);
        frmControlChar dialog;
        Open(dialog, trigger, "np");
        QCOMPARE(Box(dialog, 27)->text(), QStringLiteral("127"));
        QTest::mouseClick(Button(dialog, "cmdCancel"), Qt::LeftButton);
        QCOMPARE(dialog.tmpCode, trigger); // cancel keeps all 30

        Open(dialog, trigger, "np");
        QTest::mouseClick(Button(dialog, "cmdOk"), Qt::LeftButton);
        QCOMPARE(dialog.tmpCode, trigger.substr(0, 28));
        QCOMPARE(dialog.tmpAction, std::string("np"));
    }

    // Opening a rule never changes its action: an unknown code and one in another letter case
    // come back as they were when OK is pressed without a choice; a choice replaces them.
    void actionLeftAsOpenedKeepsItsCode()
    {
        frmControlChar dialog;
        Open(dialog, Bytes({15}), "q?");
        QTest::keyClicks(Box(dialog, 1), "16");
        QTest::mouseClick(Button(dialog, "cmdOk"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.tmpAction, std::string("q?"));
        QCOMPARE(dialog.tmpCode, Bytes({15, 16}));

        Open(dialog, Bytes({12}), "NP");
        QTest::mouseClick(Button(dialog, "cmdOk"), Qt::LeftButton);
        QCOMPARE(dialog.tmpAction, std::string("NP"));

        Open(dialog, Bytes({15}), "q?");
        SelectAction(dialog, "Tabulator");
        QTest::mouseClick(Button(dialog, "cmdOk"), Qt::LeftButton);
        QCOMPARE(dialog.tmpAction, std::string("tb"));
        QVERIFY(MessageBox::Calls().empty());
    }

    void cancelEscAndCloseKeepTheProperties_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("hourglass");
        QTest::newRow("cancel") << "cancel" << true;
        QTest::newRow("escape") << "escape" << true;
        QTest::newRow("close") << "close" << false;
    }

    void cancelEscAndCloseKeepTheProperties()
    {
        QFETCH(QString, how);
        QFETCH(bool, hourglass);
        frmControlChar dialog;
        Open(dialog, Bytes({27, 33}), "12");
        QSignalSpy rejected(&dialog, &QDialog::rejected);
        QTest::keyClicks(Box(dialog, 0), "1");
        Box(dialog, 5)->setText("99");
        SelectAction(dialog, "Tabulator");
        if (how == "cancel")
            QTest::mouseClick(Button(dialog, "cmdCancel"), Qt::LeftButton);
        else if (how == "escape")
            QTest::keyClick(Box(dialog, 5), Qt::Key_Escape);
        else
            QVERIFY(dialog.close());
        QCOMPARE(rejected.count(), 1);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.tmpCode, Bytes({27, 33}));
        QCOMPARE(dialog.tmpAction, std::string("12"));
        QCOMPARE(CurrentMousePointer(), hourglass ? MousePointer::Hourglass : MousePointer::Default);

        // Nothing typed survives: the next showing is rebuilt from the properties.
        Open(dialog, dialog.tmpCode, dialog.tmpAction);
        QCOMPARE(Box(dialog, 0)->text(), QStringLiteral("27"));
        QCOMPARE(Box(dialog, 5)->text(), QString());
        QCOMPARE(Action(dialog)->currentText(), QStringLiteral("Font size: "));
        QCOMPARE(Size(dialog)->currentText(), QStringLiteral("12"));
    }

    // The size box keeps what is typed, without completing it from the list; Enter after typing
    // presses OK at once.
    void sizeBoxTakesWhatIsTyped()
    {
        frmControlChar dialog;
        Open(dialog, Bytes({27}), "12");
        Size(dialog)->setFocus();
        Size(dialog)->lineEdit()->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), "1");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(Size(dialog)->currentText(), QStringLiteral("1"));

        Size(dialog)->setFocus();
        Size(dialog)->lineEdit()->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), "4");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.tmpAction, std::string("4"));
    }

    void enterPressesOk()
    {
        frmControlChar dialog;
        Open(dialog, "", "");
        SelectAction(dialog, "Font size: ");
        QTest::keyClicks(Box(dialog, 0), "12");
        Size(dialog)->setFocus();
        QTest::keyClicks(Size(dialog)->lineEdit(), "10");
        QTest::keyClick(Size(dialog)->lineEdit(), Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.tmpAction, std::string("10"));
        QCOMPARE(Size(dialog)->count(), 18); // the typed size was not added to the list

        Open(dialog, "", "");
        QTest::keyClicks(Box(dialog, 3), "9");
        QTest::keyClick(Box(dialog, 3), Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.tmpCode, Bytes({9}));
    }

    // The way the caller uses it: one instance, exec() per rule, the result read afterwards, and
    // the rule stored in the settings file's line form and read back.
    void execRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<QString>("action");
        QTest::newRow("np 12") << QByteArray("\x0c") << "np";
        QTest::newRow("bb 27 69") << QByteArray("\x1b\x45") << "bb";
        QTest::newRow("font size 12") << QByteArray("\x1b\x21") << "12";
        QTest::newRow("font size 8") << QByteArray("\x1b\x38") << "8";
        QTest::newRow("font size 100") << QByteArray("\x1b\x31") << "100";
        QTest::newRow("ignore 0") << QByteArray(1, '\0') << "";
        QTest::newRow("tb 9") << QByteArray("\x09") << "tb";
        QTest::newRow("upper-case np") << QByteArray("\x0c") << "NP";
        QTest::newRow("unknown code") << QByteArray("\x0c") << "zz";
        QTest::newRow("line height 1cm, high bytes") << QByteArray("\xff\x80\xe9") << "h1";
    }

    void execRoundTrip()
    {
        QFETCH(QByteArray, code);
        QFETCH(QString, action);
        static frmControlChar* editor = nullptr; // one instance, reused as the program does
        if (!editor)
            editor = new frmControlChar;
        const ControlChar in{code.toStdString(), action.toStdString()};
        editor->tmpCode = in.AsciiCode;
        editor->tmpAction = in.ActionCode;
        QTimer::singleShot(0, editor, [this] {
            QVERIFY(editor->isVisible());
            QTest::mouseClick(Button(*editor, "cmdOk"), Qt::LeftButton);
        });
        QCOMPARE(editor->exec(), int(QDialog::Accepted));
        const ControlChar out{editor->tmpCode, editor->tmpAction};
        QCOMPARE(out, in);
        QVERIFY(MessageBox::Calls().empty());

        Rules rules;
        QCOMPARE(ParseRuleLine(FormatRuleLine(out), rules), in);
    }
};

QTEST_MAIN(FrmControlCharTest)
#include "frm_control_char_test.moc"
