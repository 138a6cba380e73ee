// The settings dialog's wiring, driven by object name on the offscreen platform: what it shows,
// one accepted and one refused input per field, the choosers, the keys, and what Rendben leaves
// in the settings file and the automatic-start entry. What the fields accept is
// settings_commit_test.
#include "common/errors.h"
#include "dialogs/settings/open_settings.h"
#include "platform/code_pages.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"
#include "print/printer.h"
#include "settings_dialog_rig.h"
#include "shell/frm_main.h"
#include "shell/tray_icon.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString Title = QStringLiteral("Orvalinó - Beállítások");
const QString NotANumber = QStringLiteral("HIBA !!!\r\n\r\nNem számot adott meg.");
QString Unstorable(const char* caption)
{
    return QStringLiteral("HIBA !!!\r\n\r\nA \"%1\" mezőben olyan betű van, amelyet a beállítások nem tudnak "
                          "tárolni. A mező régi értéke maradt.")
        .arg(QString::fromUtf8(caption));
}
const QLocale Hungarian(QLocale::Hungarian, QLocale::Hungary);

template <typename Widget>
Widget* Control(frmSettings& dialog, const char* name)
{
    auto* widget = dialog.findChild<Widget*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

QLineEdit* Edit(frmSettings& dialog, const char* name) { return Control<QLineEdit>(dialog, name); }

// Replaces a field's text the way a user does: select everything, then type.
void Retype(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else if (text.toLatin1() == text.toUtf8())
        QTest::keyClicks(field, text);
    else
        field->insert(text); // key clicks carry ASCII only
}

void Retype(frmSettings& dialog, const QString& field, const QString& text)
{
    Retype(field == "selFontSize" ? Control<QComboBox>(dialog, "selFontSize")->lineEdit()
                                  : Edit(dialog, qPrintable(field)),
           text);
}

// Each message box as "title | text", with a note when it is not a critical box with one OK.
QStringList Messages()
{
    QStringList shown;
    for (const MessageBox::Call& call : MessageBox::Calls())
        shown << call.title + " | " + call.text
                     + (call.icon == MessageBox::Icon::Critical && call.buttons == MessageBox::Buttons::Ok ? ""
                                                                                                           : " [?]");
    return shown;
}
QString M(const QString& text) { return Title + " | " + text; }

// The printers as the settings dialog asks for them; nothing here prints.
class NamesOnlyPrinters : public PrintersCollection {
public:
    std::vector<std::string> DeviceNames() const override { return {"Laser One", "Orvalin PDF"}; }
    std::string DefaultDeviceName() const override { return "Orvalin PDF"; }
    Printer& Current() override { throw OrvalinError("no current printer in this test"); }
    bool Select(const std::string&) override { return false; }
};

} // namespace

class FrmSettingsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { SelectCodePages(CodePagesForLanguage("hu")); }
    void init()
    {
        MessageBox::ClearCalls();
        MessageBox::SetNextAnswers({});
    }
    void cleanup() { SetMousePointer(MousePointer::Default); }

    void objectNamesAndTabOrder()
    {
        SettingsDialogRig rig;
        auto dialog = rig.Open();
        QCOMPARE(dialog->objectName(), QStringLiteral("frmSettings"));
        for (const char* name : {"frm0", "frm1", "frm2", "frm3", "lbl0", "lbl1", "lbl3", "lbl4", "lbl5", "lblPath",
                                 "Label1", "Label2", "Label3", "Label4", "Label5"})
            Control<QWidget>(*dialog, name);
        const QStringList expected{"selPrinter", "selFont",        "selFontSize", "selFileName",
                                   "selPath",    "lstControlChar", "selInterval", "selLeftMargin",
                                   "AutoStart",  "cmdOk",          "cmdCancel",   "TxtLogoFile",
                                   "CMDLogo",    "TxtLogoFelt",    "TxtKepX",     "TxtKepY"};
        QStringList seen;
        QWidget* w = Control<QWidget>(*dialog, "selPrinter");
        for (int step = 0; step < 200 && seen.size() < expected.size(); ++step, w = w->nextInFocusChain()) {
            if (expected.contains(w->objectName()) && !seen.contains(w->objectName()))
                seen << w->objectName();
        }
        QCOMPARE(seen, expected);
    }

    void loadShowsTheSettings()
    {
        SettingsDialogRig rig;
        rig.global.settings.LogoFile = "/logo/ceg.bmp";
        rig.global.settings.LogoCondition = "LOGO";
        rig.global.settings.LogoX = 1.5f;
        rig.global.settings.LeftMargin = 0.8125; // longer than the fields' five characters
        rig.global.settings.PollInterval = 100000;
        SetMousePointer(MousePointer::Hourglass);
        auto dialog = rig.Open(Hungarian);
        QCOMPARE(CurrentMousePointer(), MousePointer::Default);
        QVERIFY(MessageBox::Calls().empty());

        QComboBox* printer = Control<QComboBox>(*dialog, "selPrinter");
        QCOMPARE(printer->count(), 4);
        QCOMPARE(printer->itemText(3), QStringLiteral("Default Printer"));
        QCOMPARE(printer->currentIndex(), 0); // "Laser One", not "laser one"
        QComboBox* font = Control<QComboBox>(*dialog, "selFont");
        QStringList families;
        for (int i = 0; i < font->count(); ++i)
            families << font->itemText(i);
        QCOMPARE(families, (QStringList{"Courier New", "Cut", "DejaVu Sans", "Liberation Mono"}));
        QCOMPARE(font->currentText(), QStringLiteral("Courier New"));
        QCOMPARE(Control<QComboBox>(*dialog, "selFontSize")->currentText(), QStringLiteral("10"));
        QCOMPARE(Edit(*dialog, "selFileName")->text(), QStringLiteral("text.txt"));
        QCOMPARE(Control<QLabel>(*dialog, "lblPath")->text(), QStringLiteral("/tmp/spool/"));
        QCOMPARE(Edit(*dialog, "selInterval")->text(), QStringLiteral("100000"));
        QCOMPARE(Edit(*dialog, "selLeftMargin")->text(), QStringLiteral("0,8125"));
        QCOMPARE(Edit(*dialog, "TxtLogoFile")->text(), QStringLiteral("/logo/ceg.bmp"));
        QCOMPARE(Edit(*dialog, "TxtLogoFelt")->text(), QStringLiteral("LOGO"));
        QCOMPARE(Edit(*dialog, "TxtKepX")->text(), QStringLiteral("1,5"));
        QCOMPARE(Edit(*dialog, "TxtKepY")->text(), QStringLiteral("0"));
        QCOMPARE(Control<QCheckBox>(*dialog, "AutoStart")->checkState(), Qt::Unchecked);
        QCOMPARE(Control<QCheckBox>(*dialog, "AutoStart")->text(), QStringLiteral("Nem"));
        QListWidget* list = Control<QListWidget>(*dialog, "lstControlChar");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QStringLiteral("27, 69\tBegin bold"));
        QCOMPARE(dialog->WorkingCodes(), rig.global.rules.ControlChars);

        // Rendben without touching anything keeps the long margin exactly; the interval is out of
        // range, refused, and keeps its stored value.
        Control<QPushButton>(*dialog, "cmdOk")->click();
        QCOMPARE(Messages(), QStringList{M("Hiba !!!\r\n\r\nNem megengedett érték. A változtatás nem mentődött")});
        QCOMPARE(rig.global.settings.LeftMargin, 0.8125);
        QCOMPARE(rig.global.settings.PollInterval, 100000);
    }

    // Names select only an entry equal to them; with none selected the commit stores "".
    void selectionsFollowTheStoredNamesExactly()
    {
        SettingsDialogRig rig;
        rig.global.settings.PrinterName = "Gone Printer";
        rig.global.settings.FontName = "courier new";
        auto dialog = rig.Open();
        QCOMPARE(Control<QComboBox>(*dialog, "selPrinter")->currentIndex(), -1);
        QCOMPARE(Control<QComboBox>(*dialog, "selFont")->currentIndex(), -1);
        Control<QPushButton>(*dialog, "cmdOk")->click();
        QVERIFY(rig.settingsBytes().startsWith("\"\"\r\n\"\"\r\n10\r\n"));
    }

    // The interval and margin warn at each change that is not a number, keep the text as typed, and
    // take five characters; the locale's decimal mark is a number there.
    void typingWarns_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("hungarian");
        QTest::addColumn<int>("warnings");
        QTest::addColumn<QString>("shown");
        QTest::newRow("interval 12ab") << "selInterval"
                                       << "12ab" << false << 3 << "12ab"; // "", "12a", "12ab"
        QTest::newRow("interval six digits") << "selInterval"
                                             << "123456" << false << 1 << "12345";
        QTest::newRow("margin 0,5 English") << "selLeftMargin"
                                            << "0,5" << false << 3 << "0,5";
        QTest::newRow("margin 0,5 Hungarian") << "selLeftMargin"
                                              << "0,5" << true << 1 << "0,5";
    }
    void typingWarns()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(bool, hungarian);
        QFETCH(int, warnings);
        QFETCH(QString, shown);
        SettingsDialogRig rig;
        auto dialog = hungarian ? rig.Open(Hungarian) : rig.Open();
        QLineEdit* edit = Edit(*dialog, qPrintable(field));
        Retype(edit, "");
        QTest::keyClicks(edit, typed);
        QCOMPARE(Messages(), QStringList(warnings, M(NotANumber)));
        QCOMPARE(edit->text(), shown);
        QCOMPARE(rig.global.settings.PollInterval, 3000);
    }

    // One accepted and one refused input per field, typed and committed. A refused field keeps its
    // value and says so; the rest is saved all the same.
    void fields_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty: none
        QTest::addColumn<int>("line");        // the field's line in the saved file
        QTest::addColumn<QByteArray>("stored");
        const QString error = QStringLiteral("HIBA !!!\r\n\r\n");
        const QString sizeRefused =
            M(error + "Ez a betüméret nem megengedett (6 -> 2160). A változtatás nem mentödött");
        const QString intervalRefused = M("Hiba !!!\r\n\r\nNem megengedett érték. A változtatás nem mentődött");
        const QString marginRefused = "Orvalin - settings | " + error + "Nem megengedett érték.";
        const QString fileNameRefused = M(error + "Érvénytelen file név.");
        struct Row {
            const char* Name;
            const char* Field;
            const char* Text;
            QString Message;
            int Line;
            QByteArray Stored;
        };
        const Row rows[] = {
            {"size 11.5", "selFontSize", "11.5", "", 2, "12"},
            {"size 2161", "selFontSize", "2161", sizeRefused, 2, "10"},
            {"interval 1.2", "selInterval", "1.2", "", 3, "1"},
            {"interval 65535", "selInterval", "65535", intervalRefused, 3, "3000"},
            {"margin 1,5", "selLeftMargin", "1,5", "", 4, "1.5"},
            {"margin 20.5", "selLeftMargin", "20.5", marginRefused, 4, "0.8"},
            {"file name *.txt", "selFileName", "*.txt", "", 6, "\"*.txt\""},
            {"file name empty", "selFileName", "", fileNameRefused, 6, "\"text.txt\""},
            {"file name ő?", "selFileName", "ő?.txt", "", 6, "\"\xf5?.txt\""},
            {"file name 日本", "selFileName", "日本.txt", M(Unstorable("File neve")), 6, "\"text.txt\""},
            {"logo file €ü™", "TxtLogoFile", "/képek/€ü™", "", 7, "\"/k\xe9pek/\x80\xfc\x99\""},
            {"logo file ĉ", "TxtLogoFile", "/képek/ĉ.bmp", M(Unstorable("Logo File")), 7, "\"/old.bmp\""},
            {"logo condition Számla", "TxtLogoFelt", "Számla", "", 8, "\"Sz\xe1mla\""},
            {"logo condition №", "TxtLogoFelt", "Számla №", M(Unstorable("Logo Feltétel")), 8, "\"OLD\""},
            {"logo x &H1F", "TxtKepX", "&H1F", "", 9, "31"},
            {"logo x 1e999", "TxtKepX", "1e999", "", 9, "5"},
            {"logo y 12abc", "TxtKepY", "12abc", "", 10, "12"},
            {"logo y 9e99", "TxtKepY", "9e99", "", 10, "6"},
        };
        for (const Row& row : rows)
            QTest::newRow(row.Name) << row.Field << QString::fromUtf8(row.Text) << row.Message << row.Line
                                    << row.Stored;
    }
    void fields()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(int, line);
        QFETCH(QByteArray, stored);
        SettingsDialogRig rig;
        rig.global.settings.LogoFile = "/old.bmp";
        rig.global.settings.LogoCondition = "OLD";
        rig.global.settings.LogoX = 5;
        rig.global.settings.LogoY = 6;
        auto dialog = rig.Open(Hungarian);
        Retype(*dialog, field, text);
        MessageBox::ClearCalls();
        Control<QPushButton>(*dialog, "cmdOk")->click();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(Messages(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(rig.settingsBytes().split('\n').value(line), stored + "\r");
        QCOMPARE(rig.refreshes, 1);
    }

    // Everything the dialog holds reaches the file, in the file's order, with the rules as the
    // dialog lists them; the hourglass stays for the opener to reset.
    void commitStoresEveryValue()
    {
        SettingsDialogRig rig;
        rig.editor = [](QWidget*, const ControlChar&) { return ControlChar{"\x09", "tb"}; };
        auto dialog = rig.Open(Hungarian);
        Control<QComboBox>(*dialog, "selPrinter")->setCurrentIndex(2);
        Control<QComboBox>(*dialog, "selFont")->setCurrentIndex(3);
        Retype(*dialog, "selFontSize", "14");
        Retype(*dialog, "selInterval", "2500");
        Retype(*dialog, "selLeftMargin", "0,5");
        Retype(*dialog, "TxtLogoFile", "/logo.gif");
        Retype(*dialog, "TxtLogoFelt", "SZ");
        Retype(*dialog, "TxtKepX", "12");
        Retype(*dialog, "TxtKepY", "2,5");
        dialog->findChild<QAction*>("ppAdd")->trigger();
        MessageBox::ClearCalls();
        Control<QPushButton>(*dialog, "cmdOk")->click();
        QVERIFY(MessageBox::Calls().empty());
        QCOMPARE(CurrentMousePointer(), MousePointer::Hourglass);
        QCOMPARE(rig.settingsBytes(),
                 QByteArray("\"Orvalin PDF\"\r\n\"Liberation Mono\"\r\n14\r\n2500\r\n0.5\r\n"
                            "\"/tmp/spool/\"\r\n\"text.txt\"\r\n\"/logo.gif\"\r\n\"SZ\"\r\n12\r\n2\r\n"
                            "\"np  12\"\r\n\"bb  27 69\"\r\n\"tb   9\"\r\n"));
        QCOMPARE(rig.global.rules.HighestIndex(), 3);
    }

    // The picture and folder choosers: a cancel keeps the field, a name the settings file cannot
    // hold (a letter outside the code page, a line break) is refused with a message.
    void choosers()
    {
        SettingsDialogRig rig;
        auto dialog = rig.Open();
        QLineEdit* logo = Edit(*dialog, "TxtLogoFile");
        QLabel* path = Control<QLabel>(*dialog, "lblPath");
        const auto pick = [&](const char* button) { Control<QPushButton>(*dialog, button)->click(); };
        pick("CMDLogo");
        pick("selPath");
        QCOMPARE(rig.chooser->askedFilter, QStringLiteral("Pictures (*.bmp *.jpg *.gif)"));
        QCOMPARE(rig.chooser->askedStart, QStringLiteral("/tmp/spool"));
        QCOMPARE(logo->text(), QString());
        QCOMPARE(path->text(), QStringLiteral("/tmp/spool/")); // not "/"

        rig.chooser->fileAnswer = QStringLiteral("/home/Éva/cég logó.jpg");
        rig.chooser->folderAnswer = QUrl::fromLocalFile(QStringLiteral("/srv/őszi mappa"));
        pick("CMDLogo");
        pick("selPath");
        QCOMPARE(logo->text(), QStringLiteral("/home/Éva/cég logó.jpg"));
        QCOMPARE(path->text(), QStringLiteral("/srv/őszi mappa/"));
        QVERIFY(MessageBox::Calls().empty());

        for (const char* refused : {"/home/日本", "/home/két\nsor"}) {
            rig.chooser->fileAnswer = QString::fromUtf8(refused);
            rig.chooser->folderAnswer = QUrl::fromLocalFile(QString::fromUtf8(refused));
            pick("CMDLogo");
            pick("selPath");
        }
        QCOMPARE(Messages(), QStringList({M(Unstorable("Logo File")), M(Unstorable("Könyvtár neve"))})
                                 + QStringList({M(Unstorable("Logo File")), M(Unstorable("Könyvtár neve"))}));
        QCOMPARE(logo->text(), QStringLiteral("/home/Éva/cég logó.jpg"));
        QCOMPARE(path->text(), QStringLiteral("/srv/őszi mappa/"));

        MessageBox::ClearCalls();
        Control<QPushButton>(*dialog, "cmdOk")->click();
        QVERIFY(MessageBox::Calls().empty());
        QVERIFY(rig.settingsBytes().contains(
            "\r\n\"/srv/\xf5szi mappa/\"\r\n\"text.txt\"\r\n\"/home/\xc9va/c\xe9g log\xf3.jpg\"\r\n"));
    }

    void cancelChangesNothing_data()
    {
        QTest::addColumn<int>("how"); // 0 Mégsem, 1 Esc, 2 closing the window
        QTest::newRow("Mégsem") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("closed") << 2;
    }
    void cancelChangesNothing()
    {
        QFETCH(int, how);
        SettingsDialogRig rig;
        const Global before = rig.global;
        const QByteArray bytes = rig.settingsBytes();
        rig.editor = [](QWidget*, const ControlChar&) { return ControlChar{"\x07", "tb"}; };
        auto dialog = rig.Open();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        Retype(*dialog, "selFileName", "other.txt");
        Retype(*dialog, "selFontSize", "14");
        Control<QCheckBox>(*dialog, "AutoStart")->click();
        rig.chooser->folderAnswer = QUrl::fromLocalFile("/srv");
        Control<QPushButton>(*dialog, "selPath")->click();
        dialog->findChild<QAction*>("ppAdd")->trigger();
        if (how == 0)
            Control<QPushButton>(*dialog, "cmdCancel")->click();
        else if (how == 1)
            QTest::keyClick(Edit(*dialog, "selFileName"), Qt::Key_Escape);
        else
            dialog->close();
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(rig.global.settings.SpoolFileName, before.settings.SpoolFileName);
        QCOMPARE(rig.global.settings.FontSize, before.settings.FontSize);
        QCOMPARE(rig.global.settings.SpoolFolder, before.settings.SpoolFolder);
        QCOMPARE(rig.global.rules.ControlChars, before.rules.ControlChars);
        QCOMPARE(rig.settingsBytes(), bytes);
        QVERIFY(!QFile::exists(rig.autoStartPath()));
        QCOMPARE(rig.refreshes, 0);
    }

    // The entry is written only when it was absent at load and deleted only when it was present;
    // the caption follows the box.
    void autoStartWrittenOnlyWhenAbsentAtLoad()
    {
        SettingsDialogRig rig;
        const auto commit = [&rig](bool atLoad, int clicks) {
            auto dialog = rig.Open();
            QCheckBox* box = Control<QCheckBox>(*dialog, "AutoStart");
            QCOMPARE(dialog->AutoStartAtLoad(), atLoad);
            QCOMPARE(box->checkState(), atLoad ? Qt::Checked : Qt::Unchecked);
            for (int i = 0; i < clicks; ++i)
                box->click();
            QCOMPARE(box->text(), box->checkState() == Qt::Checked ? QStringLiteral("Igen") : QStringLiteral("Nem"));
            Control<QPushButton>(*dialog, "cmdOk")->click();
        };
        commit(false, 2); // on and off again: nothing written
        QVERIFY(!QFile::exists(rig.autoStartPath()));
        commit(false, 1);
        // The logon start polls: the Exec line carries the tray mode word.
        QVERIFY(ReadFileBytes(rig.autoStartPath()).contains("\nExec=\"/opt/Orvalin Próba/orvalin\" tray\n"));

        WriteFileBytes(rig.autoStartPath(), "[Desktop Entry]\nExec=/somewhere/else\n");
        commit(true, 0);
        commit(true, 2); // off and on again: left as it is
        QCOMPARE(ReadFileBytes(rig.autoStartPath()), QByteArray("[Desktop Entry]\nExec=/somewhere/else\n"));
        commit(true, 1);
        QVERIFY(!QFile::exists(rig.autoStartPath()));
    }

    // Enter presses the focused button; from any other control it presses Rendben.
    void enterPressesTheFocusedButton_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("file name") << "selFileName"
                                   << "saved";
        QTest::newRow("check box") << "AutoStart"
                                   << "saved";
        QTest::newRow("Rendben") << "cmdOk"
                                 << "saved";
        QTest::newRow("Mégsem") << "cmdCancel"
                                << "cancelled";
        QTest::newRow("folder ...") << "selPath"
                                    << "folder chooser";
        QTest::newRow("logo ...") << "CMDLogo"
                                  << "picture chooser";
    }
    void enterPressesTheFocusedButton()
    {
        QFETCH(QString, focus);
        QFETCH(QString, outcome);
        SettingsDialogRig rig;
        const QByteArray before = rig.settingsBytes();
        auto dialog = rig.Open();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        Retype(*dialog, "selFileName", "enter.txt");
        QWidget* focused = dialog->findChild<QWidget*>(focus);
        focused->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), focused);
        QTest::keyClick(focused, Qt::Key_Return);
        const QString happened = dialog->isVisible() ? QString(rig.chooser->folderCalls ? "folder chooser"
                                                               : rig.chooser->fileCalls ? "picture chooser"
                                                                                        : "nothing")
                                 : dialog->result() == QDialog::Accepted ? QStringLiteral("saved")
                                                                         : QStringLiteral("cancelled");
        QCOMPARE(happened, outcome);
        QCOMPARE(rig.chooser->folderCalls + rig.chooser->fileCalls, outcome.endsWith("chooser") ? 1 : 0);
        if (outcome != "saved")
            QCOMPARE(rig.settingsBytes(), before);
        else
            QVERIFY(rig.settingsBytes().contains("\"enter.txt\""));
    }

    // The size box keeps what is typed ("1" is not completed to "10"); Enter there presses Rendben.
    void sizeBoxTakesWhatIsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::newRow("1 then Tab") << "1" << int(Qt::Key_Tab);
        QTest::newRow("4 then Enter") << "4" << int(Qt::Key_Return);
    }
    void sizeBoxTakesWhatIsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(int, key);
        SettingsDialogRig rig;
        auto dialog = rig.Open();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QComboBox* size = Control<QComboBox>(*dialog, "selFontSize");
        size->setFocus(Qt::TabFocusReason);
        size->lineEdit()->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), typed);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        if (key == Qt::Key_Tab) {
            QVERIFY(dialog->isVisible());
            Control<QPushButton>(*dialog, "cmdOk")->click();
        }
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(rig.settingsBytes().split('\n').value(2), typed.toLatin1() + "\r");
        QCOMPARE(size->count(), 18);
    }

    // A value the code page leaves undefined survives a commit that does not touch it.
    void untouchedNamesKeepTheirBytes()
    {
        SettingsDialogRig rig;
        rig.global.settings.SpoolFileName = "a\x81.txt"; // no character in code page 1250
        rig.global.settings.LogoCondition = "\x98";
        auto dialog = rig.Open();
        Control<QPushButton>(*dialog, "cmdOk")->click();
        QCOMPARE(Messages(), QStringList());
        QVERIFY(rig.settingsBytes().contains("\r\n\"a\x81.txt\"\r\n\"\"\r\n\"\x98\"\r\n"));
    }

    // Pasted line breaks (and NULs) never reach a one-line field, so the saved file reads back.
    void pastedLineBreaksAreDropped()
    {
        SettingsDialogRig rig;
        auto dialog = rig.Open();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QLineEdit* condition = Edit(*dialog, "TxtLogoFelt");
        QApplication::clipboard()->setText(QStringLiteral("SZÁMLA\r\nMÁSO") + QChar(0) + QStringLiteral("LAT\n"));
        condition->setFocus();
        QTest::keyClick(condition, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(condition->text(), QStringLiteral("SZÁMLAMÁSOLAT"));
        QCOMPARE(condition->cursorPosition(), 13);
        Control<QPushButton>(*dialog, "cmdOk")->click();
        Global loaded;
        LoadSettings(rig.global.SettingsFile, loaded.settings, loaded.rules, SettingsEnvironment{});
        QCOMPARE(loaded.settings.LogoCondition, AnsiCodePage().FromUtf8("SZÁMLAMÁSOLAT"));
    }

    // The entry point the main window's settings command calls: the real printers' names, the
    // dialog modal over the main window, and the icon's tip refreshed after Rendben.
    void openedFromTheMainWindow()
    {
        SettingsDialogRig rig;
        NamesOnlyPrinters printers;
        frmMain::Services services;
        services.OpenSettings = [&printers](frmMain& main) { OpenSettingsDialog(main, printers); };
        frmMain window(rig.global, services);
        QStringList listed;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<frmSettings*>(QApplication::activeModalWidget()));
            auto* dialog = qobject_cast<frmSettings*>(QApplication::activeModalWidget());
            QCOMPARE(dialog->parentWidget(), &window);
            QComboBox* printer = Control<QComboBox>(*dialog, "selPrinter");
            for (int i = 0; i < printer->count(); ++i)
                listed << printer->itemText(i);
            Retype(*dialog, "selFileName", "main.txt");
            Control<QPushButton>(*dialog, "cmdOk")->click();
        });
        window.OpenSettingsCommand();
        QCOMPARE(listed, (QStringList{"Laser One", "Orvalin PDF", "Default Printer"}));
        QVERIFY(rig.settingsBytes().contains("\"main.txt\"\r\n"));
        QVERIFY2(window.trayIcon().Tip().contains(QStringLiteral("main.txt")), qPrintable(window.trayIcon().Tip()));
        QCOMPARE(CurrentMousePointer(), MousePointer::Default);
    }

    // A settings file that cannot be written: a clear message, the old file intact, the new
    // values in effect, and the rest of the commit done.
    void failedSaveKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("read-only folder") << "read-only";
        QTest::newRow("full disk") << "full";
        QTest::newRow("folder gone") << "gone";
    }
    void failedSaveKeepsTheOldFile()
    {
        QFETCH(QString, how);
        SettingsDialogRig rig;
        const QByteArray old = rig.settingsBytes();
        auto dialog = rig.Open();
        Retype(*dialog, "selFileName", "new.txt");
        Control<QCheckBox>(*dialog, "AutoStart")->click();
        MessageBox::ClearCalls();

        rlimit saved{};
        const bool root = ::geteuid() == 0;
        if (how == "read-only") {
            if (root) {
                // Root writes anywhere: the save runs as an ordinary user instead, for whom the
                // folder is read-only (readable by all, writable by its owner, root).
                QFile::setPermissions(rig.program.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                              | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                                              | QFileDevice::ExeOther);
                QFile::setPermissions(rig.home.path(), QFileDevice::Permissions(0x7777));
                QVERIFY(::seteuid(65534) == 0);
            } else {
                QFile::setPermissions(rig.program.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            }
        } else if (how == "gone") {
            rig.global.SettingsFile = rig.program.fsPath() / "removed" / SettingsFileName;
        } else {
            // A file-size limit makes the write fail half way, as a full disk does.
            std::signal(SIGXFSZ, SIG_IGN);
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit small = saved;
            small.rlim_cur = 16;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        Control<QPushButton>(*dialog, "cmdOk")->click();
        if (how == "read-only" && root)
            QVERIFY(::seteuid(0) == 0);
        if (how == "read-only")
            QFile::setPermissions(rig.program.path(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        else if (how == "full")
            setrlimit(RLIMIT_FSIZE, &saved);

        QCOMPARE(MessageBox::Calls().size(), std::size_t(1));
        const MessageBox::Call& call = MessageBox::Calls().front();
        QCOMPARE(call.title, Title);
        QCOMPARE(call.icon, MessageBox::Icon::Critical);
        QVERIFY2(call.text.startsWith(QStringLiteral("HIBA !!!\r\n\r\nA beállításokat nem sikerült menteni")),
                 qPrintable(call.text));
        QVERIFY2(call.text.contains(QString::fromStdString(rig.global.SettingsFile.string())), qPrintable(call.text));
        QCOMPARE(rig.settingsBytes(), old);
        QCOMPARE(QDir(rig.program.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Orvalin.ini"});
        QCOMPARE(rig.global.settings.SpoolFileName, std::string("new.txt"));
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(rig.refreshes, 1);
        QVERIFY(QFile::exists(rig.autoStartPath()));
    }
};

QTEST_MAIN(FrmSettingsTest)
#include "frm_settings_test.moc"
