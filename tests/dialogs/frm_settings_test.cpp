// The settings dialog's wiring, driven by object name on the offscreen platform: the controls, one
// accepted and one refused input per field, the choosers, the keys, and what Rendben and Mégsem
// leave in the settings file and the automatic-start entry. What the fields accept is
// settings_commit_test.
#include "dialogs/settings/commit_settings.h"
#include "platform/code_pages.h"
#include "platform/mouse_pointer.h"
#include "settings_dialog_rig.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>

#include <unistd.h>

namespace {

const QLocale Hungarian(QLocale::Hungarian, QLocale::Hungary);

// The text the dialog shows for a refusal.
QString Shown(Refusal field)
{
    const RefusalText message = RefusalMessage(field);
    return QString::fromUtf8(message.FirstLine) + "\r\n\r\n" + QString::fromUtf8(message.Text);
}

QLineEdit* Edit(QWidget& dialog, const QString& name)
{
    return name == "selFontSize" ? Control<QComboBox>(dialog, name)->lineEdit() : Control<QLineEdit>(dialog, name);
}

void Press(QWidget& dialog, const char* button) { Control<QPushButton>(dialog, button)->click(); }

} // namespace

class FrmSettingsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { SelectCodePages(CodePagesForLanguage("hu")); }
    void cleanup() { SetMousePointer(MousePointer::Default); }

    void objectNamesAndTabOrder()
    {
        SettingsDialogRig rig;
        auto dialog = rig.Open();
        QCOMPARE(dialog->objectName(), QStringLiteral("frmSettings"));
        for (const char* name : {"frm0", "frm1", "frm2", "frm3", "lblPath", "ppAdd", "ppEdit", "ppDelete"})
            Control<QObject>(*dialog, name);
        const QStringList expected{"selPrinter", "selFont",        "selFontSize", "selFileName",
                                   "selPath",    "lstControlChar", "selInterval", "selLeftMargin",
                                   "AutoStart",  "cmdOk",          "cmdCancel",   "TxtLogoFile",
                                   "CMDLogo",    "TxtLogoFelt",    "TxtKepX",     "TxtKepY"};
        QStringList seen;
        QWidget* w = Control(*dialog, "selPrinter");
        for (int step = 0; step < 200 && seen.size() < expected.size(); ++step, w = w->nextInFocusChain()) {
            if (expected.contains(w->objectName()) && !seen.contains(w->objectName()))
                seen << w->objectName();
        }
        QCOMPARE(seen, expected);
    }

    // What loads shows in the locale's numbers, and names select only an entry equal to them;
    // Rendben without touching anything writes the same file again (a font with no equal entry
    // stores ""): a margin longer than the field, bytes the code page leaves undefined and an
    // out-of-range interval (refused, so it keeps its value) all survive.
    void untouchedRendbenKeepsTheFile()
    {
        SettingsDialogRig rig;
        Settings& s = rig.global.settings;
        s.LeftMargin = 0.8125;
        s.PollInterval = 100000;
        s.SpoolFileName = "a\x81.txt"; // no character in code page 1250
        s.LogoCondition = "\x98";
        s.FontName = "courier new";
        SaveSettings(rig.global.SettingsFile, s, rig.global.rules);
        const QByteArray before = rig.settingsBytes();
        SetMousePointer(MousePointer::Hourglass);
        auto dialog = rig.Open(Hungarian);
        QCOMPARE(CurrentMousePointer(), MousePointer::Default);
        QCOMPARE(Control<QComboBox>(*dialog, "selPrinter")->currentIndex(), 0); // "Laser One", not "laser one"
        QCOMPARE(Control<QComboBox>(*dialog, "selFont")->currentIndex(), -1);
        QVERIFY(Control<QComboBox>(*dialog, "selFont")->findText("Cut") >= 0); // a family name ends at NUL
        QCOMPARE(Edit(*dialog, "selLeftMargin")->text(), QStringLiteral("0,8125"));
        QVERIFY(MessageBox::Calls().empty());
        Press(*dialog, "cmdOk");
        QCOMPARE(Messages(), QStringList{Shown(Refusal::Interval)});
        QCOMPARE(rig.settingsBytes(), QByteArray(before).replace("\"courier new\"", "\"\""));
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
        QLineEdit* edit = Edit(*dialog, field);
        Retype(edit, "");
        QTest::keyClicks(edit, typed);
        QCOMPARE(Messages(), QStringList(warnings, QStringLiteral("HIBA !!!\r\n\r\nNem számot adott meg.")));
        QCOMPARE(edit->text(), shown);
    }

    // One accepted and one refused input per field, typed or chosen, and committed. A refused field keeps its
    // value and says so; the rest is saved all the same.
    void fields_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("refusal"); // -1: none
        QTest::addColumn<int>("line");    // the field's line in the saved file
        QTest::addColumn<QByteArray>("stored");
        const int none = -1;
        const auto row = [](const char* name, const char* field, const char* text, int refused, int line,
                            const QByteArray& stored) {
            QTest::newRow(name) << field << QString::fromUtf8(text) << refused << line << stored;
        };
        row("size 11.5", "selFontSize", "11.5", none, 2, "12");
        row("size 2161", "selFontSize", "2161", int(Refusal::FontSize), 2, "10");
        row("interval 1.2", "selInterval", "1.2", none, 3, "1");
        row("interval 65535", "selInterval", "65535", int(Refusal::Interval), 3, "3000");
        row("margin 1,5", "selLeftMargin", "1,5", none, 4, "1.5");
        row("margin 20.5", "selLeftMargin", "20.5", int(Refusal::Margin), 4, "0.8");
        row("file name *.txt", "selFileName", "*.txt", none, 6, "\"*.txt\"");
        row("file name empty", "selFileName", "", int(Refusal::FileName), 6, "\"text.txt\"");
        row("file name 日本", "selFileName", "日本.txt", int(Refusal::UnstorableFileName), 6, "\"text.txt\"");
        row("logo file €ü™", "TxtLogoFile", "/képek/€ü™", none, 7, "\"/k\xe9pek/\x80\xfc\x99\"");
        row("logo file ĉ", "TxtLogoFile", "/képek/ĉ.bmp", int(Refusal::UnstorableLogoFile), 7, "\"/old.bmp\"");
        row("logo condition Számla", "TxtLogoFelt", "Számla", none, 8, "\"Sz\xe1mla\"");
        row("logo condition №", "TxtLogoFelt", "Számla №", int(Refusal::UnstorableLogoCondition), 8, "\"OLD\"");
        row("logo x &H1F", "TxtKepX", "&H1F", none, 9, "31");
        row("logo x 1e999", "TxtKepX", "1e999", none, 9, "5");
        row("logo y 12abc", "TxtKepY", "12abc", none, 10, "12");
        row("logo y 9e99", "TxtKepY", "9e99", none, 10, "6");
        // The choosers: a cancel (no text here) keeps the field, and so does a name the settings
        // file cannot hold (a letter outside the code page, a line break).
        row("picture", "CMDLogo", "/home/Éva/cég logó.jpg", none, 7, "\"/home/\xc9va/c\xe9g log\xf3.jpg\"");
        row("picture cancelled", "CMDLogo", "", none, 7, "\"/old.bmp\"");
        row("picture 日本", "CMDLogo", "/home/日本.jpg", int(Refusal::UnstorableLogoFile), 7, "\"/old.bmp\"");
        row("picture line break", "CMDLogo", "/home/két\nsor.jpg", int(Refusal::UnstorableLogoFile), 7, "\"/old.bmp\"");
        row("folder", "selPath", "/srv/őszi mappa", none, 5, "\"/srv/\xf5szi mappa/\"");
        row("folder cancelled", "selPath", "", none, 5, "\"/tmp/spool/\""); // not "/"
        row("folder 日本", "selPath", "/home/日本", int(Refusal::UnstorableFolder), 5, "\"/tmp/spool/\"");
        row("folder line break", "selPath", "/home/két\nsor", int(Refusal::UnstorableFolder), 5, "\"/tmp/spool/\"");
    }
    void fields()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(int, refusal);
        QFETCH(int, line);
        QFETCH(QByteArray, stored);
        SettingsDialogRig rig;
        rig.global.settings.LogoFile = "/old.bmp";
        rig.global.settings.LogoCondition = "OLD";
        rig.global.settings.LogoX = 5;
        rig.global.settings.LogoY = 6;
        if (field == "CMDLogo" && !text.isEmpty())
            rig.chooser->fileAnswer = text;
        else if (!text.isEmpty())
            rig.chooser->folderAnswer = QUrl::fromLocalFile(text);
        auto dialog = rig.Open(Hungarian);
        if (field == "CMDLogo" || field == "selPath") {
            Press(*dialog, qPrintable(field));
            QCOMPARE(rig.chooser->fileCalls + rig.chooser->folderCalls, 1);
        } else {
            Retype(Edit(*dialog, field), text);
            MessageBox::ClearCalls();
        }
        Press(*dialog, "cmdOk");
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(Messages(), refusal < 0 ? QStringList() : QStringList{Shown(Refusal(refusal))});
        QCOMPARE(rig.settingsBytes().split('\n').value(line), stored + "\r");
        QCOMPARE(rig.refreshes, 1);
    }

    // Rendben stores everything the dialog holds, in the file's order, with the rules as the dialog
    // lists them (the hourglass stays for the opener to reset); Mégsem, Esc and closing the window
    // store nothing.
    void rendbenStoresAndCancelDoesNot_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how : {"Rendben", "Mégsem", "Esc", "closed"})
            QTest::newRow(how) << QString::fromUtf8(how);
    }
    void rendbenStoresAndCancelDoesNot()
    {
        QFETCH(QString, how);
        SettingsDialogRig rig;
        const Global before = rig.global;
        const QByteArray bytes = rig.settingsBytes();
        rig.editor = [](QWidget*, const ControlChar&) { return ControlChar{"\x09", "tb"}; };
        rig.chooser->folderAnswer = QUrl::fromLocalFile("/srv");
        auto dialog = rig.Open(Hungarian);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        Control<QComboBox>(*dialog, "selPrinter")->setCurrentIndex(2);
        Control<QComboBox>(*dialog, "selFont")->setCurrentIndex(3);
        const std::pair<const char*, const char*> typed[] = {
            {"selFontSize", "14"},        {"selInterval", "2500"}, {"selLeftMargin", "0,5"}, {"selFileName", "new.txt"},
            {"TxtLogoFile", "/logo.gif"}, {"TxtLogoFelt", "SZ"},   {"TxtKepX", "12"},        {"TxtKepY", "2,5"}};
        for (const auto& [field, text] : typed)
            Retype(Edit(*dialog, field), text);
        Control<QCheckBox>(*dialog, "AutoStart")->click();
        Press(*dialog, "selPath");
        dialog->findChild<QAction*>("ppAdd")->trigger();
        MessageBox::ClearCalls();
        if (how == "Rendben")
            Press(*dialog, "cmdOk");
        else if (how == "Mégsem")
            Press(*dialog, "cmdCancel");
        else if (how == "Esc")
            QTest::keyClick(Edit(*dialog, "selFileName"), Qt::Key_Escape);
        else
            dialog->close();
        QVERIFY(!dialog->isVisible());
        QVERIFY(MessageBox::Calls().empty());
        if (how == "Rendben") {
            QCOMPARE(CurrentMousePointer(), MousePointer::Hourglass);
            QCOMPARE(rig.settingsBytes(),
                     QByteArray("\"Orvalin PDF\"\r\n\"Liberation Mono\"\r\n14\r\n2500\r\n0.5\r\n\"/srv/\"\r\n"
                                "\"new.txt\"\r\n\"/logo.gif\"\r\n\"SZ\"\r\n12\r\n2\r\n"
                                "\"np  12\"\r\n\"bb  27 69\"\r\n\"tb   9\"\r\n"));
            QCOMPARE(rig.global.rules.HighestIndex(), 3);
            QVERIFY(QFile::exists(rig.autoStartPath()));
            QCOMPARE(rig.refreshes, 1);
            return;
        }
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QCOMPARE(rig.global.settings.SpoolFileName, before.settings.SpoolFileName);
        QCOMPARE(rig.global.settings.SpoolFolder, before.settings.SpoolFolder);
        QCOMPARE(rig.global.rules.ControlChars, before.rules.ControlChars);
        QCOMPARE(rig.settingsBytes(), bytes);
        QVERIFY(!QFile::exists(rig.autoStartPath()));
        QCOMPARE(rig.refreshes, 0);
    }

    // The entry is written only when it was absent at load and deleted only when it was present.
    void autoStartWrittenOnlyWhenAbsentAtLoad()
    {
        SettingsDialogRig rig;
        const auto commit = [&rig](bool atLoad, int clicks) {
            auto dialog = rig.Open();
            QCheckBox* box = Control<QCheckBox>(*dialog, "AutoStart");
            QCOMPARE(box->checkState(), atLoad ? Qt::Checked : Qt::Unchecked);
            for (int i = 0; i < clicks; ++i)
                box->click();
            Press(*dialog, "cmdOk");
        };
        commit(false, 2); // on and off again: nothing written
        QVERIFY(!QFile::exists(rig.autoStartPath()));
        commit(false, 1);
        QVERIFY(ReadFileBytes(rig.autoStartPath()).contains("\nExec=\"/opt/Orvalin Próba/orvalin\" tray\n"));
        WriteFileBytes(rig.autoStartPath(), "[Desktop Entry]\nExec=/somewhere/else\n");
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
        QTest::newRow("size box") << "selFontSize"
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
        Retype(Edit(*dialog, "selFileName"), "enter.txt");
        Control(*dialog, focus)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        const QString happened = rig.chooser->folderCalls                ? "folder chooser"
                                 : rig.chooser->fileCalls                ? "picture chooser"
                                 : dialog->isVisible()                   ? "nothing"
                                 : dialog->result() == QDialog::Accepted ? "saved"
                                                                         : "cancelled";
        QCOMPARE(happened, outcome);
        QCOMPARE(rig.chooser->folderCalls + rig.chooser->fileCalls + !dialog->isVisible(), 1);
        QCOMPARE(rig.settingsBytes() == before, outcome != "saved");
        QCOMPARE(rig.settingsBytes().contains("\"enter.txt\""), outcome == "saved");
    }

    // A settings file that cannot be written (a full disk: settings_file_test): a message naming it,
    // the old file intact, the new values in effect, and the rest of the commit done.
    void failedSaveKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how : {"read-only", "gone"})
            QTest::newRow(how) << how;
    }
    void failedSaveKeepsTheOldFile()
    {
        QFETCH(QString, how);
        SettingsDialogRig rig;
        const QByteArray old = rig.settingsBytes();
        auto dialog = rig.Open();
        Retype(Edit(*dialog, "selFileName"), "new.txt");
        Control<QCheckBox>(*dialog, "AutoStart")->click();
        MessageBox::ClearCalls();
        const bool root = ::geteuid() == 0;
        if (how == "gone") {
            rig.global.SettingsFile = rig.program.fsPath() / "removed" / SettingsFileName;
        } else { // root writes anywhere: the save runs as an ordinary user, for whom the folder is read-only
            QFile::setPermissions(rig.program.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                                          | QFileDevice::ReadOther | QFileDevice::ExeOther);
            QFile::setPermissions(rig.home.path(), QFileDevice::Permissions(0x7777));
            QVERIFY(!root || ::seteuid(65534) == 0);
        }
        Press(*dialog, "cmdOk");
        QVERIFY(!root || how == "gone" || ::seteuid(0) == 0);
        QFile::setPermissions(rig.program.path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(Messages().size(), 1);
        const QString text = Messages().front();
        QVERIFY2(text.startsWith(QStringLiteral("HIBA !!!\r\n\r\nA beállításokat nem sikerült menteni")),
                 qPrintable(text));
        QVERIFY2(text.contains(QString::fromStdString(rig.global.SettingsFile.string())), qPrintable(text));
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
