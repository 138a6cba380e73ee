// The control-code editor's wiring, driven by object name on the offscreen platform: what a
// showing loads, one accepted and one refused input per field, the keys, and the editor reused
// through exec() as the settings dialog uses it. What the fields accept is control_char_input_test.
#include "dialogs/controlcodes/frm_control_char.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"
#include "settings/rule_line.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QString Title = QStringLiteral("Orvalinó - Beállítások");
const QString ValueNotAllowed = QStringLiteral("HIBA !!!\r\n\r\nEz az érték nem megengedett.");
const QString ChangeNotSaved =
    QStringLiteral("HIBA !!!\r\n\r\nEgy vagy több megadott érték nem megengedett. A változtatás nem mentödött.");

QComboBox* Action(frmControlChar& dialog) { return dialog.findChild<QComboBox*>("selAction"); }
QComboBox* Size(frmControlChar& dialog) { return dialog.findChild<QComboBox*>("selFontSize"); }
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

QStringList Messages()
{
    QStringList shown;
    for (const MessageBox::Call& call : MessageBox::Calls())
        shown << call.title + " | " + call.text
                     + (call.icon == MessageBox::Icon::Critical && call.buttons == MessageBox::Buttons::Ok ? ""
                                                                                                           : " [?]");
    return shown;
}

} // namespace

class FrmControlCharTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        MessageBox::ClearCalls();
        MessageBox::SetNextAnswers({});
        SetMousePointer(MousePointer::Default);
    }

    void objectNamesAndTabOrder()
    {
        frmControlChar dialog;
        QCOMPARE(dialog.objectName(), QStringLiteral("frmControlChar"));
        for (const char* name : {"frm0", "frm1", "lblSelFontSize"})
            QVERIFY2(dialog.findChild<QWidget*>(name), name);
        QVERIFY(!Box(dialog, 28));
        // The action, the size, the boxes in index order, OK, Cancel.
        QList<QWidget*> expected{Action(dialog), Size(dialog)};
        for (int i = 0; i < 28; ++i)
            expected << Box(dialog, i);
        expected << Button(dialog, "cmdOk") << Button(dialog, "cmdCancel");
        for (qsizetype i = 0; i + 1 < expected.size(); ++i) {
            QVERIFY2(expected[i], qPrintable(QString::number(i)));
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
        QCOMPARE(Action(dialog)->currentIndex(), FontSizeActionIndex);
        QVERIFY(Size(dialog)->isVisible());
        QCOMPARE(Size(dialog)->currentText(), QStringLiteral("12"));
        QCOMPARE(Box(dialog, 0)->text(), QStringLiteral("27"));
        QCOMPARE(Box(dialog, 2)->text(), QStringLiteral("255"));
        Box(dialog, 5)->setText("99");
        dialog.reject();

        Open(dialog, "\x0c", "bb");
        QCOMPARE(Action(dialog)->count(), 22); // rebuilt, not appended to
        QCOMPARE(Size(dialog)->count(), 18);
        QCOMPARE(Action(dialog)->currentText(), QStringLiteral("Begin bold"));
        QVERIFY(!Size(dialog)->isVisible());
        QVERIFY(!dialog.findChild<QLabel*>("lblSelFontSize")->isVisible());
        QCOMPARE(Size(dialog)->currentText(), QString());
        QCOMPARE(Box(dialog, 0)->text(), QStringLiteral("12"));
        QCOMPARE(Box(dialog, 2)->text(), QString());
        QCOMPARE(Box(dialog, 5)->text(), QString());
        QVERIFY(MessageBox::Calls().empty());

        // Choosing the font size shows its row again.
        Action(dialog)->setCurrentIndex(FontSizeActionIndex);
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
        QCOMPARE(Messages(), QStringList(warnings, Title + " | " + ValueNotAllowed));
        QCOMPARE(Box(dialog, 5)->text(), typed);
    }

    // Entering a box selects its code, so typing replaces it; focus given back after a warning
    // keeps the caret where the typing was.
    void focusSelectsTheWholeBox()
    {
        frmControlChar dialog;
        Open(dialog, "\x1b\x7b", "bb");
        dialog.activateWindow();
        QLineEdit* box = Box(dialog, 1);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 3, box->height() / 2));
        QTRY_COMPARE(box->selectedText(), QStringLiteral("123"));
        QCOMPARE(box->cursorPosition(), 0);
        QTest::keyClicks(box, "7");
        QCOMPARE(box->text(), QStringLiteral("7"));

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
        QTest::keyClick(typed, '0');
        QCOMPARE(typed->text(), QStringLiteral("300"));
    }

    // One accepted and one refused input per field. A refusal shows one message, keeps the editor
    // open and the properties as they were; corrected, the same showing is accepted.
    void ok_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("action"); // -1: left as it opened
        QTest::addColumn<QString>("size");
        QTest::addColumn<QByteArray>("trigger"); // empty with "refused": refused
        QTest::addColumn<QString>("stored");
        QTest::newRow("code 255, no gap for an empty box") << 2 << "255" << -1 << "" << QByteArray("\x09\xff") << "tb";
        QTest::newRow("code 256") << 2 << "256" << -1 << "" << QByteArray() << "refused";
        QTest::newRow("code letters") << 0 << "x" << -1 << "" << QByteArray() << "refused";
        QTest::newRow("Ignore, code 0") << 0 << "0" << IgnoreActionIndex << "" << QByteArray(1, '\0') << "";
        QTest::newRow("size 999") << 0 << "9" << FontSizeActionIndex << "999" << QByteArray("\x09") << "999";
        QTest::newRow("size 1000") << 0 << "9" << FontSizeActionIndex << "1000" << QByteArray() << "refused";
        QTest::newRow("bad code and bad size, one message")
            << 0 << "x" << FontSizeActionIndex << "0" << QByteArray() << "refused";
    }
    void ok()
    {
        QFETCH(int, box);
        QFETCH(QString, code);
        QFETCH(int, action);
        QFETCH(QString, size);
        QFETCH(QByteArray, trigger);
        QFETCH(QString, stored);
        frmControlChar dialog;
        dialog.setLocale(QLocale::c());
        Open(dialog, "\x09", "tb");
        Box(dialog, box)->setText(code);
        if (action >= 0)
            Action(dialog)->setCurrentIndex(action);
        if (!size.isEmpty())
            Size(dialog)->setEditText(size);
        MessageBox::ClearCalls();
        QTest::mouseClick(Button(dialog, "cmdOk"), Qt::LeftButton);
        if (stored == "refused") {
            QCOMPARE(Messages(), QStringList{Title + " | " + ChangeNotSaved});
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.tmpCode, std::string("\x09"));
            QCOMPARE(dialog.tmpAction, std::string("tb"));
            QCOMPARE(CurrentMousePointer(), MousePointer::Default);
            Box(dialog, box)->setText("8");
            Size(dialog)->setEditText("14");
            QTest::mouseClick(Button(dialog, "cmdOk"), Qt::LeftButton);
            QVERIFY(!dialog.isVisible());
            return;
        }
        QVERIFY(MessageBox::Calls().empty());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(CurrentMousePointer(), MousePointer::Hourglass); // the caller sets it back
        QCOMPARE(QByteArray::fromStdString(dialog.tmpCode), trigger);
        QCOMPARE(dialog.tmpAction, stored.toStdString());
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
        QTest::mouseClick(Button(dialog, "cmdCancel"), Qt::LeftButton);
        QCOMPARE(dialog.tmpCode, trigger);
        Open(dialog, trigger, "np");
        QTest::mouseClick(Button(dialog, "cmdOk"), Qt::LeftButton);
        QCOMPARE(dialog.tmpCode, trigger.substr(0, 28));
    }

    // Mégsem, Esc and closing the window keep the properties; the buttons and Esc show the
    // hourglass, which the caller sets back.
    void cancel_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("hourglass");
        QTest::newRow("Mégsem") << "cancel" << true;
        QTest::newRow("Esc") << "escape" << true;
        QTest::newRow("closed") << "close" << false;
    }
    void cancel()
    {
        QFETCH(QString, how);
        QFETCH(bool, hourglass);
        frmControlChar dialog;
        Open(dialog, "\x1b\x21", "12");
        Box(dialog, 0)->setText("1");
        Action(dialog)->setCurrentIndex(2);
        if (how == "cancel")
            QTest::mouseClick(Button(dialog, "cmdCancel"), Qt::LeftButton);
        else if (how == "escape")
            QTest::keyClick(Box(dialog, 0), Qt::Key_Escape);
        else
            QVERIFY(dialog.close());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.tmpCode, std::string("\x1b\x21"));
        QCOMPARE(dialog.tmpAction, std::string("12"));
        QCOMPARE(CurrentMousePointer(), hourglass ? MousePointer::Hourglass : MousePointer::Default);
    }

    // Enter presses OK from a code box and from the size box; the size box keeps what is typed
    // ("1" is not completed to "10") and does not add it to its list.
    void enterAndTheSizeBox()
    {
        frmControlChar dialog;
        Open(dialog, "\x1b", "12");
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
        QCOMPARE(Size(dialog)->count(), 18);

        Open(dialog, "", "");
        QTest::keyClicks(Box(dialog, 3), "9");
        QTest::keyClick(Box(dialog, 3), Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.tmpCode, std::string("\x09"));
    }

    // As the settings dialog uses it: one instance, exec() per rule, OK without changes, and the
    // rule comes back as it went in, through the settings file's line form too.
    void execRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<QString>("action");
        QTest::newRow("font size 100") << QByteArray("\x1b\x31") << "100";
        QTest::newRow("ignore 0") << QByteArray(1, '\0') << "";
        QTest::newRow("upper-case np") << QByteArray("\x0c") << "NP";
        QTest::newRow("unknown code") << QByteArray("\x0c") << "zz";
        QTest::newRow("high bytes") << QByteArray("\xff\x80\xe9") << "h1";
        QByteArray full;
        for (int i = 0; i < 28; ++i)
            full += static_cast<char>((i * 37 + 3) % 256);
        QTest::newRow("28 codes") << full << "h8";
    }
    void execRoundTrip()
    {
        QFETCH(QByteArray, code);
        QFETCH(QString, action);
        static frmControlChar* editor = nullptr;
        if (!editor)
            editor = new frmControlChar;
        const ControlChar in{code.toStdString(), action.toStdString()};
        editor->tmpCode = in.AsciiCode;
        editor->tmpAction = in.ActionCode;
        QTimer::singleShot(0, editor, [] { QTest::mouseClick(Button(*editor, "cmdOk"), Qt::LeftButton); });
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
