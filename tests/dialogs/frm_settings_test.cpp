// The settings dialog driven through its controls by object name on the offscreen platform:
// loading, the warnings while typing, the choosers, Mégsem, and Rendben with its messages, the
// saved bytes and the automatic-start entry.
#include "common/errors.h"
#include "dialogs/settings/open_settings.h"
#include "platform/code_pages.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"
#include "print/surface/printer.h"
#include "settings_dialog_rig.h"
#include "shell/frm_main.h"
#include "shell/tray_icon.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QMenu>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString Title = QStringLiteral("Orvalinó - Beállítások");
const QString NotANumber = QStringLiteral("HIBA !!!\r\n\r\nNem számot adott meg.");
const QString FontSizeRefused =
    QStringLiteral("HIBA !!!\r\n\r\nEz a betüméret nem megengedett (6 -> 2160). A változtatás nem mentödött");
const QString FileNameRefused = QStringLiteral("HIBA !!!\r\n\r\nÉrvénytelen file név.");
const QString IntervalRefused = QStringLiteral("Hiba !!!\r\n\r\nNem megengedett érték. A változtatás nem mentődött");
const QString MarginRefused = QStringLiteral("HIBA !!!\r\n\r\nNem megengedett érték.");
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

void RetypeSize(frmSettings& dialog, const QString& text)
{
    QComboBox* size = Control<QComboBox>(dialog, "selFontSize");
    size->lineEdit()->selectAll();
    if (text.isEmpty())
        QTest::keyClick(size->lineEdit(), Qt::Key_Delete);
    else
        QTest::keyClicks(size->lineEdit(), text);
}

// Each message box as "title | text", with a note when it is not a critical box with one OK.
QString M(const QString& title, const QString& text) { return title + " | " + text; }
QStringList Messages()
{
    QStringList shown;
    for (const MessageBox::Call& call : MessageBox::Calls()) {
        QString line = M(call.title, call.text);
        if (call.icon != MessageBox::Icon::Critical || call.buttons != MessageBox::Buttons::Ok)
            line += QStringLiteral(" [not a critical OK box]");
        shown << line;
    }
    return shown;
}

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

    void loadShowsEveryValue()
    {
        SettingsDialogRig rig;
        rig.global.settings.LogoFile = "/logo/ceg.bmp";
        rig.global.settings.LogoCondition = "LOGO";
        rig.global.settings.LogoX = 1440;
        rig.global.settings.LogoY = 250.5f;
        SetMousePointer(MousePointer::Hourglass);
        auto dialog = rig.Open();
        QCOMPARE(CurrentMousePointer(), MousePointer::Default);
        QVERIFY(MessageBox::Calls().empty());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Beállítások"));
        QCOMPARE(dialog->objectName(), QStringLiteral("frmSettings"));

        QCOMPARE(Control<QGroupBox>(*dialog, "frm0")->title(), QStringLiteral("A nyomtató"));
        QCOMPARE(Control<QGroupBox>(*dialog, "frm1")->title(), QStringLiteral("Betük"));
        QCOMPARE(Control<QGroupBox>(*dialog, "frm2")->title(), QStringLiteral("Figyelendö file és könyvtár"));
        QCOMPARE(Control<QGroupBox>(*dialog, "frm3")->title(), QStringLiteral("Vezérlö kódok"));
        const std::pair<const char*, QString> captions[] = {
            {"lbl0", "Bal margó"}, {"lbl1", "Indulás Rendszerindításkor"}, {"lbl3", "Keresési periódus"},
            {"lbl4", "File neve"}, {"lbl5", "Könyvtár neve"}, {"Label1", "millisec"}, {"Label2", "Logo File:"},
            {"Label3", "Logo Feltétel:"}, {"Label4", "X:"}, {"Label5", "Y:"}};
        for (const auto& [name, caption] : captions)
            QCOMPARE(Control<QLabel>(*dialog, name)->text(), caption);
        QCOMPARE(Control<QPushButton>(*dialog, "selPath")->text(), QStringLiteral("..."));
        QCOMPARE(Control<QPushButton>(*dialog, "CMDLogo")->text(), QStringLiteral("..."));
        QCOMPARE(Control<QPushButton>(*dialog, "cmdOk")->text(), QStringLiteral("Rendben"));
        QVERIFY(Control<QPushButton>(*dialog, "cmdOk")->isDefault());
        QCOMPARE(Control<QPushButton>(*dialog, "cmdCancel")->text(), QStringLiteral("Mégsem"));

        QComboBox* printer = Control<QComboBox>(*dialog, "selPrinter");
        QVERIFY(!printer->isEditable());
        QCOMPARE(printer->count(), 4);
        QCOMPARE(printer->itemText(3), QStringLiteral("Default Printer"));
        QCOMPARE(printer->currentIndex(), 0); // "Laser One", not "laser one"
        QComboBox* font = Control<QComboBox>(*dialog, "selFont");
        QVERIFY(!font->isEditable());
        QStringList families;
        for (int i = 0; i < font->count(); ++i)
            families << font->itemText(i);
        QCOMPARE(families, (QStringList{"Courier New", "Cut", "DejaVu Sans", "Liberation Mono"}));
        QCOMPARE(font->currentText(), QStringLiteral("Courier New"));
        QComboBox* size = Control<QComboBox>(*dialog, "selFontSize");
        QVERIFY(size->isEditable());
        QCOMPARE(size->count(), 18);
        QCOMPARE(size->itemText(0), QStringLiteral("6"));
        QCOMPARE(size->itemText(17), QStringLiteral("72"));
        QCOMPARE(size->currentText(), QStringLiteral("10"));

        QCOMPARE(Edit(*dialog, "selFileName")->text(), QStringLiteral("text.txt"));
        QCOMPARE(Edit(*dialog, "selFileName")->toolTip(), QStringLiteral("8.3 formátumban(pl. abcdefgh.txt)"));
        QCOMPARE(Control<QLabel>(*dialog, "lblPath")->text(), QStringLiteral("/tmp/spool/"));
        QCOMPARE(Edit(*dialog, "selInterval")->text(), QStringLiteral("3000"));
        QCOMPARE(Edit(*dialog, "selInterval")->toolTip(), QStringLiteral("1 és 65,535 milisecundum között"));
        QCOMPARE(Edit(*dialog, "selInterval")->maxLength(), 5);
        QCOMPARE(Edit(*dialog, "selLeftMargin")->text(), QStringLiteral("0.8"));
        QCOMPARE(Edit(*dialog, "selLeftMargin")->toolTip(), QStringLiteral("0-tól 20 cm-ig"));
        QCOMPARE(Edit(*dialog, "selLeftMargin")->maxLength(), 5);
        QCOMPARE(Edit(*dialog, "TxtLogoFile")->text(), QStringLiteral("/logo/ceg.bmp"));
        QCOMPARE(Edit(*dialog, "TxtLogoFelt")->text(), QStringLiteral("LOGO"));
        QCOMPARE(Edit(*dialog, "TxtKepX")->text(), QStringLiteral("1440"));
        QCOMPARE(Edit(*dialog, "TxtKepY")->text(), QStringLiteral("250.5"));

        QCheckBox* autoStart = Control<QCheckBox>(*dialog, "AutoStart");
        QCOMPARE(autoStart->checkState(), Qt::Unchecked);
        QCOMPARE(autoStart->text(), QStringLiteral("Nem"));
        QVERIFY(!dialog->AutoStartAtLoad());

        QListWidget* list = Control<QListWidget>(*dialog, "lstControlChar");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("12\tPage break"));
        QCOMPARE(list->item(1)->text(), QStringLiteral("27, 69\tBegin bold"));
        QVERIFY(list->selectedItems().isEmpty());
        QCOMPARE(dialog->WorkingCodes(), rig.global.rules.ControlChars);
    }

    void hungarianLocaleShowsCommasWithoutWarning()
    {
        SettingsDialogRig rig;
        rig.global.settings.LogoX = 1.5f;
        auto dialog = rig.Open(Hungarian);
        QCOMPARE(Edit(*dialog, "selLeftMargin")->text(), QStringLiteral("0,8"));
        QCOMPARE(Edit(*dialog, "TxtKepX")->text(), QStringLiteral("1,5"));
        QVERIFY(MessageBox::Calls().empty());
        // A comma or a period both pass the numeric test there.
        Retype(Edit(*dialog, "selLeftMargin"), "1,25");
        Retype(Edit(*dialog, "selLeftMargin"), "1.25");
        QVERIFY(MessageBox::Calls().empty());
    }

    void storedValuesLongerThanTheFieldAreNotCut()
    {
        SettingsDialogRig rig;
        rig.global.settings.LeftMargin = 0.8125;
        rig.global.settings.PollInterval = 100000;
        auto dialog = rig.Open();
        QCOMPARE(Edit(*dialog, "selLeftMargin")->text(), QStringLiteral("0.8125"));
        QCOMPARE(Edit(*dialog, "selInterval")->text(), QStringLiteral("100000"));
        // Rendben without touching them: the margin is kept exactly, the interval is refused as
        // out of range and keeps its stored value.
        Control<QPushButton>(*dialog, "cmdOk")->click();
        QCOMPARE(rig.global.settings.LeftMargin, 0.8125);
        QCOMPARE(rig.global.settings.PollInterval, 100000);
        QCOMPARE(Messages(), (QStringList{M(Title, IntervalRefused)}));
    }

    void selectionsFollowTheStoredNamesExactly()
    {
        SettingsDialogRig rig;
        rig.global.settings.PrinterName = "Default Printer";
        rig.global.settings.FontName = "courier new";
        rig.global.settings.FontSize = 13;
        auto dialog = rig.Open();
        QCOMPARE(Control<QComboBox>(*dialog, "selPrinter")->currentIndex(), 3);
        QCOMPARE(Control<QComboBox>(*dialog, "selFont")->currentIndex(), -1);
        QCOMPARE(Control<QComboBox>(*dialog, "selFontSize")->currentText(), QStringLiteral("13"));

        rig.global.settings.PrinterName = "Gone Printer";
        auto second = rig.Open();
        QCOMPARE(Control<QComboBox>(*second, "selPrinter")->currentIndex(), -1);
        // No entry selected: the commit stores empty names.
        Control<QPushButton>(*second, "cmdOk")->click();
        QCOMPARE(rig.global.settings.PrinterName, std::string());
        QCOMPARE(rig.global.settings.FontName, std::string());
        QVERIFY(rig.settingsBytes().startsWith("\"\"\r\n\"\"\r\n13\r\n"));
    }

    void tabOrder()
    {
        SettingsDialogRig rig;
        auto dialog = rig.Open();
        const QStringList expected{"selPrinter",    "selFont",  "selFontSize", "selFileName", "selPath",
                                   "lstControlChar", "selInterval", "selLeftMargin", "AutoStart", "cmdOk",
                                   "cmdCancel",     "TxtLogoFile", "CMDLogo",     "TxtLogoFelt", "TxtKepX",
                                   "TxtKepY"};
        QStringList seen;
        QWidget* w = Control<QWidget>(*dialog, "selPrinter");
        for (int step = 0; step < 200 && seen.size() < expected.size(); ++step, w = w->nextInFocusChain()) {
            if (expected.contains(w->objectName()) && !seen.contains(w->objectName()))
                seen << w->objectName();
        }
        QCOMPARE(seen, expected);
    }

    void typingNonNumbersWarnsAtOnceWithoutBlocking()
    {
        SettingsDialogRig rig;
        auto dialog = rig.Open();
        QLineEdit* interval = Edit(*dialog, "selInterval");
        Retype(interval, "");
        QCOMPARE(Messages(), (QStringList{M(Title, NotANumber)}));
        QTest::keyClicks(interval, "12a");
        // "1" and "12" are numbers; "12a" is not.
        QCOMPARE(Messages().size(), 2);
        QTest::keyClick(interval, Qt::Key_B);
        QCOMPARE(Messages().size(), 3);
        QCOMPARE(interval->text(), QStringLiteral("12ab"));
        // Five characters at most while typing.
        QTest::keyClicks(interval, "cdef");
        QCOMPARE(interval->text(), QStringLiteral("12abc"));

        MessageBox::ClearCalls();
        QLineEdit* margin = Edit(*dialog, "selLeftMargin");
        Retype(margin, "0,5"); // not a number with a period locale: warned, kept as typed
        QCOMPARE(margin->text(), QStringLiteral("0,5"));
        QCOMPARE(Messages(), (QStringList{M(Title, NotANumber), M(Title, NotANumber)}));
        QCOMPARE(rig.global.settings.LeftMargin, 0.8);
    }

    void autoStartCaptionFollowsTheBox()
    {
        SettingsDialogRig rig;
        auto dialog = rig.Open();
        QCheckBox* box = Control<QCheckBox>(*dialog, "AutoStart");
        box->click();
        QCOMPARE(box->checkState(), Qt::Checked);
        QCOMPARE(box->text(), QStringLiteral("Igen"));
        box->click();
        QCOMPARE(box->checkState(), Qt::Unchecked); // never grayed by the user
        QCOMPARE(box->text(), QStringLiteral("Nem"));
    }

    void pictureChooser()
    {
        SettingsDialogRig rig;
        rig.global.settings.LogoFile = "/old/logo.bmp";
        auto dialog = rig.Open();
        QLineEdit* logo = Edit(*dialog, "TxtLogoFile");
        Control<QPushButton>(*dialog, "CMDLogo")->click();
        QCOMPARE(rig.chooser->askedFilter, QStringLiteral("Pictures (*.bmp *.jpg *.gif)"));
        QCOMPARE(logo->text(), QStringLiteral("/old/logo.bmp"));
        rig.chooser->fileAnswer = QStringLiteral("/home/Éva/Képek/cég logó.jpg");
        Control<QPushButton>(*dialog, "CMDLogo")->click();
        QCOMPARE(logo->text(), QStringLiteral("/home/Éva/Képek/cég logó.jpg"));
        // A name the settings file could not store is not taken, and the user is told.
        QVERIFY(MessageBox::Calls().empty());
        rig.chooser->fileAnswer = QStringLiteral("/home/日本/logo.gif");
        Control<QPushButton>(*dialog, "CMDLogo")->click();
        QCOMPARE(logo->text(), QStringLiteral("/home/Éva/Képek/cég logó.jpg"));
        QCOMPARE(Messages(), QStringList{M(Title, Unstorable("Logo File"))});
        // So is a line break, which Linux allows in a name and would end the value's line.
        rig.chooser->fileAnswer = QStringLiteral("/home/két\nsor.bmp");
        Control<QPushButton>(*dialog, "CMDLogo")->click();
        QCOMPARE(logo->text(), QStringLiteral("/home/Éva/Képek/cég logó.jpg"));
        QCOMPARE(Messages().size(), 2);
        MessageBox::ClearCalls();
        Control<QPushButton>(*dialog, "cmdOk")->click();
        QCOMPARE(rig.global.settings.LogoFile, AnsiCodePage().FromUtf8("/home/Éva/Képek/cég logó.jpg"));
        QVERIFY(rig.settingsBytes().contains("\"/home/\xc9va/K\xe9pek/c\xe9g log\xf3.jpg\"\r\n"));
    }

    void folderChooserAcceptedAndCancelled()
    {
        SettingsDialogRig rig;
        auto dialog = rig.Open();
        QLabel* path = Control<QLabel>(*dialog, "lblPath");
        Control<QPushButton>(*dialog, "selPath")->click();
        QCOMPARE(rig.chooser->folderCalls, 1);
        QCOMPARE(rig.chooser->askedPrompt, QStringLiteral("Adja meg az útvonalat ahova a file-t menteni akarja:"));
        QCOMPARE(rig.chooser->askedStart, QStringLiteral("/tmp/spool"));
        QCOMPARE(path->text(), QStringLiteral("/tmp/spool/")); // cancelled: unchanged, not "/"

        rig.chooser->folderAnswer = QUrl::fromLocalFile(QStringLiteral("/srv/Nyomtatási sor/őszi mappa"));
        Control<QPushButton>(*dialog, "selPath")->click();
        QCOMPARE(path->text(), QStringLiteral("/srv/Nyomtatási sor/őszi mappa/"));
        Control<QPushButton>(*dialog, "selPath")->click();
        QCOMPARE(rig.chooser->askedStart, QStringLiteral("/srv/Nyomtatási sor/őszi mappa"));

        rig.chooser->folderAnswer = QUrl::fromLocalFile(QStringLiteral("/srv/日本"));
        Control<QPushButton>(*dialog, "selPath")->click();
        QCOMPARE(path->text(), QStringLiteral("/srv/Nyomtatási sor/őszi mappa/"));
        QCOMPARE(Messages(), QStringList{M(Title, Unstorable("Könyvtár neve"))});
        rig.chooser->folderAnswer = QUrl::fromLocalFile(QStringLiteral("/srv/két\nsor"));
        Control<QPushButton>(*dialog, "selPath")->click();
        QCOMPARE(path->text(), QStringLiteral("/srv/Nyomtatási sor/őszi mappa/"));
        QCOMPARE(Messages().size(), 2);

        MessageBox::ClearCalls();
        Control<QPushButton>(*dialog, "cmdOk")->click();
        QVERIFY(MessageBox::Calls().empty());
        const std::string stored = AnsiCodePage().FromUtf8("/srv/Nyomtatási sor/őszi mappa/");
        QCOMPARE(rig.global.settings.SpoolFolder, stored);
        // Code page 1250: á E1, ő F5.
        QVERIFY(rig.settingsBytes().contains("\"/srv/Nyomtat\xe1si sor/\xf5szi mappa/\"\r\n"));
    }

    void cancelAfterEditsChangesNothing_data()
    {
        QTest::addColumn<int>("how"); // 0 Mégsem, 1 Esc, 2 closing the window
        QTest::newRow("Mégsem") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("closed") << 2;
    }
    void cancelAfterEditsChangesNothing()
    {
        QFETCH(int, how);
        SettingsDialogRig rig;
        const Global before = rig.global;
        const QByteArray bytes = rig.settingsBytes();
        rig.editor = [](QWidget*, const ControlChar&) { return ControlChar{"\x07", "tb"}; };
        auto dialog = rig.Open();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        Retype(Edit(*dialog, "selFileName"), "other.txt");
        Retype(Edit(*dialog, "selInterval"), "5000");
        RetypeSize(*dialog, "14");
        Control<QCheckBox>(*dialog, "AutoStart")->click();
        rig.chooser->folderAnswer = QUrl::fromLocalFile("/srv");
        Control<QPushButton>(*dialog, "selPath")->click();
        dialog->findChild<QAction*>("ppAdd")->trigger();
        QCOMPARE(dialog->WorkingCodes().size(), std::size_t(4));
        if (how == 0)
            Control<QPushButton>(*dialog, "cmdCancel")->click();
        else if (how == 1)
            QTest::keyClick(Edit(*dialog, "selFileName"), Qt::Key_Escape);
        else
            dialog->close();
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(rig.global.settings.SpoolFileName, before.settings.SpoolFileName);
        QCOMPARE(rig.global.settings.PollInterval, before.settings.PollInterval);
        QCOMPARE(rig.global.settings.FontSize, before.settings.FontSize);
        QCOMPARE(rig.global.settings.SpoolFolder, before.settings.SpoolFolder);
        QCOMPARE(rig.global.rules.ControlChars, before.rules.ControlChars);
        QCOMPARE(rig.settingsBytes(), bytes);
        QVERIFY(!QFile::exists(rig.autoStartPath()));
        QCOMPARE(rig.refreshes, 0);
        SetMousePointer(MousePointer::Default);
    }

    void commitStoresEveryAcceptedValue()
    {
        SettingsDialogRig rig;
        rig.editor = [](QWidget*, const ControlChar&) { return ControlChar{"\x09", "tb"}; };
        auto dialog = rig.Open(Hungarian);
        Control<QComboBox>(*dialog, "selPrinter")->setCurrentIndex(2);
        Control<QComboBox>(*dialog, "selFont")->setCurrentIndex(3);
        RetypeSize(*dialog, "11.5");
        Retype(Edit(*dialog, "selFileName"), "*.txt");
        Retype(Edit(*dialog, "selInterval"), "1.2");
        Retype(Edit(*dialog, "selLeftMargin"), "1,5");
        Retype(Edit(*dialog, "TxtLogoFile"), "/logo.gif");
        Retype(Edit(*dialog, "TxtLogoFelt"), "Számla");
        Retype(Edit(*dialog, "TxtKepX"), "12ab");
        Retype(Edit(*dialog, "TxtKepY"), "2,5");
        dialog->findChild<QAction*>("ppAdd")->trigger();
        MessageBox::ClearCalls();

        Control<QPushButton>(*dialog, "cmdOk")->click();
        QVERIFY(MessageBox::Calls().empty());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(CurrentMousePointer(), MousePointer::Hourglass); // the opener sets it back
        SetMousePointer(MousePointer::Default);
        QCOMPARE(rig.refreshes, 1);
        const QByteArray expected = "\"Orvalin PDF\"\r\n"
                                    "\"Liberation Mono\"\r\n"
                                    "12\r\n"
                                    "1\r\n"
                                    "1.5\r\n"
                                    "\"/tmp/spool/\"\r\n"
                                    "\"*.txt\"\r\n"
                                    "\"/logo.gif\"\r\n"
                                    "\"Sz\xe1mla\"\r\n"
                                    "12\r\n"
                                    "2\r\n"
                                    "\"np  12\"\r\n"
                                    "\"bb  27 69\"\r\n"
                                    "\"tb   9\"\r\n";
        QCOMPARE(rig.settingsBytes(), expected);
        QCOMPARE(rig.global.rules.HighestIndex(), 3);
    }

    void fourRefusalsInOneCommit()
    {
        SettingsDialogRig rig;
        auto dialog = rig.Open();
        RetypeSize(*dialog, "2161");
        Retype(Edit(*dialog, "selFileName"), "");
        Retype(Edit(*dialog, "selInterval"), "65535");
        Retype(Edit(*dialog, "selLeftMargin"), "-1");
        Retype(Edit(*dialog, "TxtLogoFelt"), "NEW");
        MessageBox::ClearCalls();
        Control<QPushButton>(*dialog, "cmdOk")->click();
        QCOMPARE(Messages(), (QStringList{M(Title, FontSizeRefused),
                                                 M(Title, FileNameRefused),
                                                 M(Title, IntervalRefused),
                                                 M(QStringLiteral("Orvalin - settings"), MarginRefused)}));
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(rig.global.settings.LogoCondition, std::string("NEW"));
        QCOMPARE(rig.settingsBytes(), QByteArray("\"Laser One\"\r\n\"Courier New\"\r\n10\r\n3000\r\n0.8\r\n"
                                                 "\"/tmp/spool/\"\r\n\"text.txt\"\r\n\"\"\r\n\"NEW\"\r\n0\r\n0\r\n"
                                                 "\"np  12\"\r\n\"bb  27 69\"\r\n"));
        SetMousePointer(MousePointer::Default);
    }

    void badInputInEachField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty: no message
        QTest::addColumn<QByteArray>("line");  // the field's line in the saved file
        QTest::newRow("size huge exponent") << "selFontSize" << "1e999" << FontSizeRefused << QByteArray("10");
        QTest::newRow("size 16-bit overflow") << "selFontSize" << "99999" << FontSizeRefused << QByteArray("10");
        QTest::newRow("size letters") << "selFontSize" << "abc" << FontSizeRefused << QByteArray("10");
        QTest::newRow("size empty") << "selFontSize" << "" << FontSizeRefused << QByteArray("10");
        QTest::newRow("size 0.7") << "selFontSize" << "0.7" << FontSizeRefused << QByteArray("10");
        QTest::newRow("size 1") << "selFontSize" << "1" << QString() << QByteArray("1");
        QTest::newRow("size 10.5") << "selFontSize" << "10.5" << QString() << QByteArray("10");
        QTest::newRow("interval huge exponent") << "selInterval" << "9e999" << IntervalRefused << QByteArray("3000");
        QTest::newRow("interval 1") << "selInterval" << "1" << IntervalRefused << QByteArray("3000");
        QTest::newRow("interval 1.2") << "selInterval" << "1.2" << QString() << QByteArray("1");
        QTest::newRow("interval 2") << "selInterval" << "2" << QString() << QByteArray("2");
        QTest::newRow("interval 65534") << "selInterval" << "65534" << QString() << QByteArray("65534");
        QTest::newRow("interval 3000ms") << "selInterval" << "300ms" << IntervalRefused << QByteArray("3000");
        QTest::newRow("interval empty") << "selInterval" << "" << IntervalRefused << QByteArray("3000");
        QTest::newRow("margin huge exponent") << "selLeftMargin" << "1e999" << MarginRefused << QByteArray("0.8");
        QTest::newRow("margin 1,5,5") << "selLeftMargin" << "1,5,5" << MarginRefused << QByteArray("0.8");
        QTest::newRow("margin 20,5") << "selLeftMargin" << "20,5" << MarginRefused << QByteArray("0.8");
        QTest::newRow("margin 0,8") << "selLeftMargin" << "0,8" << QString() << QByteArray("0.8");
        QTest::newRow("margin 0") << "selLeftMargin" << "0" << QString() << QByteArray("0");
        QTest::newRow("margin 20") << "selLeftMargin" << "20" << QString() << QByteArray("20");
        QTest::newRow("file name empty") << "selFileName" << "" << FileNameRefused << QByteArray("\"text.txt\"");
        QTest::newRow("file name blanks") << "selFileName" << "   " << QString() << QByteArray("\"   \"");
        QTest::newRow("logo x huge exponent") << "TxtKepX" << "1e999" << QString() << QByteArray("5");
        QTest::newRow("logo x letters") << "TxtKepX" << "abc" << QString() << QByteArray("0");
        QTest::newRow("logo x 12 and letters") << "TxtKepX" << "12abc" << QString() << QByteArray("12");
        QTest::newRow("logo x hexadecimal") << "TxtKepX" << "&H1F" << QString() << QByteArray("31");
        QTest::newRow("logo y huge exponent") << "TxtKepY" << "9e99" << QString() << QByteArray("6");
    }
    void badInputInEachField()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(QByteArray, line);
        SettingsDialogRig rig;
        rig.global.settings.LogoX = 5;
        rig.global.settings.LogoY = 6;
        auto dialog = rig.Open();
        if (field == "selFontSize")
            RetypeSize(*dialog, text);
        else
            Retype(dialog->findChild<QLineEdit*>(field), text);
        MessageBox::ClearCalls();
        Control<QPushButton>(*dialog, "cmdOk")->click();
        SetMousePointer(MousePointer::Default);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        if (message.isEmpty()) {
            QCOMPARE(Messages(), QStringList());
        } else {
            QCOMPARE(Messages(), QStringList{M(message == MarginRefused ? QStringLiteral("Orvalin - settings") : Title, message)});
        }
        const QList<QByteArray> lines = rig.settingsBytes().split('\n');
        const int index = field == "selFontSize" ? 2 : field == "selInterval" ? 3 : field == "selLeftMargin" ? 4
                        : field == "selFileName" ? 6 : field == "TxtKepX" ? 9 : 10;
        QCOMPARE(lines.value(index), line + "\r");
    }

    void autoStartWrittenOnlyWhenAbsentAtLoad()
    {
        SettingsDialogRig rig;
        QVERIFY(!QDir(rig.home.path() + "/.config").exists());
        auto dialog = rig.Open();
        Control<QCheckBox>(*dialog, "AutoStart")->click();
        Control<QPushButton>(*dialog, "cmdOk")->click();
        const QByteArray entry = ReadFileBytes(rig.autoStartPath());
        // The logon start polls: the Exec line carries the tray mode word.
        QVERIFY(entry.contains("\nExec=\"/opt/Orvalin Próba/orvalin\" tray\n"));

        // Present at load: checked with "Igen"; left checked, nothing is written.
        WriteFileBytes(rig.autoStartPath(), "[Desktop Entry]\nExec=/somewhere/else\n");
        auto second = rig.Open();
        QVERIFY(second->AutoStartAtLoad());
        QCOMPARE(Control<QCheckBox>(*second, "AutoStart")->checkState(), Qt::Checked);
        QCOMPARE(Control<QCheckBox>(*second, "AutoStart")->text(), QStringLiteral("Igen"));
        Control<QPushButton>(*second, "cmdOk")->click();
        QCOMPARE(ReadFileBytes(rig.autoStartPath()), QByteArray("[Desktop Entry]\nExec=/somewhere/else\n"));

        // Toggled off and on again: no change.
        auto third = rig.Open();
        Control<QCheckBox>(*third, "AutoStart")->click();
        Control<QCheckBox>(*third, "AutoStart")->click();
        Control<QPushButton>(*third, "cmdOk")->click();
        QCOMPARE(ReadFileBytes(rig.autoStartPath()), QByteArray("[Desktop Entry]\nExec=/somewhere/else\n"));

        // Unchecked: deleted.
        auto fourth = rig.Open();
        Control<QCheckBox>(*fourth, "AutoStart")->click();
        QCOMPARE(Control<QCheckBox>(*fourth, "AutoStart")->text(), QStringLiteral("Nem"));
        Control<QPushButton>(*fourth, "cmdOk")->click();
        QVERIFY(!QFile::exists(rig.autoStartPath()));

        // Absent, toggled on and off: nothing is written.
        auto fifth = rig.Open();
        Control<QCheckBox>(*fifth, "AutoStart")->click();
        Control<QCheckBox>(*fifth, "AutoStart")->click();
        Control<QPushButton>(*fifth, "cmdOk")->click();
        QVERIFY(!QFile::exists(rig.autoStartPath()));
        SetMousePointer(MousePointer::Default);
    }

    // Enter presses the focused button; from any other control it presses Rendben.
    void enterPressesTheFocusedButton_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("file name") << "selFileName" << "saved";
        QTest::newRow("check box") << "AutoStart" << "saved";
        QTest::newRow("Rendben") << "cmdOk" << "saved";
        QTest::newRow("Mégsem") << "cmdCancel" << "cancelled";
        QTest::newRow("folder ...") << "selPath" << "folder chooser";
        QTest::newRow("logo ...") << "CMDLogo" << "picture chooser";
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
        QWidget* focused = dialog->findChild<QWidget*>(focus);
        focused->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), focused);
        QTest::keyClick(focused, Qt::Key_Return);
        SetMousePointer(MousePointer::Default);

        const QString happened = dialog->isVisible()  ? QString(rig.chooser->folderCalls ? "folder chooser"
                                                                : rig.chooser->fileCalls ? "picture chooser"
                                                                                         : "nothing")
                               : dialog->result() == QDialog::Accepted ? QStringLiteral("saved")
                                                                        : QStringLiteral("cancelled");
        QCOMPARE(happened, outcome);
        QCOMPARE(rig.chooser->folderCalls + rig.chooser->fileCalls, outcome.endsWith("chooser") ? 1 : 0);
        QCOMPARE(rig.settingsBytes().contains("\"enter.txt\""), outcome == "saved");
        if (outcome != "saved")
            QCOMPARE(rig.settingsBytes(), before);
    }

    // The size box keeps what is typed, without completing it from the list; Enter after typing
    // presses Rendben at once.
    void sizeBoxTakesWhatIsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("1 then Tab") << "1" << int(Qt::Key_Tab) << QByteArray("1");
        QTest::newRow("4 then Enter") << "4" << int(Qt::Key_Return) << QByteArray("4");
    }
    void sizeBoxTakesWhatIsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QByteArray, line);
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
            QCOMPARE(size->currentText(), typed);
            QVERIFY(dialog->isVisible());
            Control<QPushButton>(*dialog, "cmdOk")->click();
        }
        SetMousePointer(MousePointer::Default);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(rig.settingsBytes().split('\n').value(2), line + "\r");
    }

    // A name the settings file's code page cannot hold is refused with a message naming the field,
    // and the old value stays: stored as "?" it would mean something else.
    void unstorableNamesAreRefused_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("file name refused") << "selFileName" << "日本.txt" << Unstorable("File neve") << 6
                                           << QByteArray("\"text.txt\"");
        QTest::newRow("file name accepted") << "selFileName" << "ő?.txt" << QString() << 6 << QByteArray("\"\xf5?.txt\"");
        QTest::newRow("logo file accepted") << "TxtLogoFile" << "/képek/€ü™" << QString() << 7
                                           << QByteArray("\"/k\xe9pek/\x80\xfc\x99\"");
        QTest::newRow("logo file refused") << "TxtLogoFile" << "/képek/ĉ.bmp" << Unstorable("Logo File") << 7
                                            << QByteArray("\"/old.bmp\"");
        QTest::newRow("logo condition refused") << "TxtLogoFelt" << "Számla №" << Unstorable("Logo Feltétel") << 8
                                                << QByteArray("\"OLD\"");
        QTest::newRow("logo condition accepted") << "TxtLogoFelt" << "Számla" << QString() << 8
                                                 << QByteArray("\"Sz\xe1mla\"");
    }
    void unstorableNamesAreRefused()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(int, line);
        QFETCH(QByteArray, stored);
        SettingsDialogRig rig;
        rig.global.settings.LogoFile = "/old.bmp";
        rig.global.settings.LogoCondition = "OLD";
        auto dialog = rig.Open();
        Retype(Edit(*dialog, qPrintable(field)), text);
        QCOMPARE(Edit(*dialog, qPrintable(field))->text(), text);
        MessageBox::ClearCalls();
        Control<QPushButton>(*dialog, "cmdOk")->click();
        SetMousePointer(MousePointer::Default);
        QCOMPARE(Messages(), message.isEmpty() ? QStringList() : QStringList{M(Title, message)});
        QCOMPARE(rig.settingsBytes().split('\n').value(line), stored + "\r");
    }

    // A value the code page leaves undefined survives a commit that does not touch it.
    void untouchedNamesKeepTheirBytes()
    {
        SettingsDialogRig rig;
        rig.global.settings.SpoolFileName = "a\x81.txt"; // no character in code page 1250
        rig.global.settings.LogoCondition = "\x98";
        auto dialog = rig.Open();
        Control<QPushButton>(*dialog, "cmdOk")->click();
        SetMousePointer(MousePointer::Default);
        QCOMPARE(Messages(), QStringList());
        QVERIFY(rig.settingsBytes().contains("\r\n\"a\x81.txt\"\r\n\"\"\r\n\"\x98\"\r\n"));
    }

    // Pasted line breaks never reach a one-line field, so the saved file always reads back.
    void pastedLineBreaksAreDropped()
    {
        SettingsDialogRig rig;
        auto dialog = rig.Open();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QLineEdit* condition = Edit(*dialog, "TxtLogoFelt");
        QApplication::clipboard()->setText(QStringLiteral("SZÁMLA\r\nMÁSOLAT\n"));
        condition->setFocus();
        QTest::keyClick(condition, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(condition->text(), QStringLiteral("SZÁMLAMÁSOLAT"));
        QCOMPARE(condition->cursorPosition(), 13);
        Control<QPushButton>(*dialog, "cmdOk")->click();
        SetMousePointer(MousePointer::Default);

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
            Retype(Edit(*dialog, "selFileName"), "main.txt");
            Control<QPushButton>(*dialog, "cmdOk")->click();
        });
        window.OpenSettingsCommand();
        QCOMPARE(listed, (QStringList{"Laser One", "Orvalin PDF", "Default Printer"}));
        QCOMPARE(rig.global.settings.SpoolFileName, std::string("main.txt"));
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
        Retype(Edit(*dialog, "selFileName"), "new.txt");
        Control<QCheckBox>(*dialog, "AutoStart")->click();
        MessageBox::ClearCalls();

        rlimit saved{};
        const bool root = ::geteuid() == 0;
        if (how == "read-only") {
            if (root) {
                // Root writes anywhere: the save runs as an ordinary user instead, for whom the
                // folder is read-only (readable by all, writable by its owner, root).
                QFile::setPermissions(rig.program.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                          | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther);
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
            QFile::setPermissions(rig.program.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        else if (how == "full")
            setrlimit(RLIMIT_FSIZE, &saved);
        SetMousePointer(MousePointer::Default);

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
