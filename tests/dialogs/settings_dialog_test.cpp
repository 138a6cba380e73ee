// The settings dialog (frmSettings) and its rule editor (frmControlChar), driven by object name on
// the offscreen platform: wiring and keys only; what the fields accept is dialog_input_test.
#include "dialogs/controlcodes/edit_control_code.h"
#include "dialogs/controlcodes/frm_control_char.h"
#include "dialogs/settings/commit_settings.h"
#include "dialogs/settings/frm_settings.h"
#include "platform/code_pages.h"
#include "platform/folder_browser.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"
#include "settings/settings_file.h"
#include "temp_folder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QLocale Hungarian(QLocale::Hungarian, QLocale::Hungary);

// The control named name, or the test stops.
template <typename Widget = QWidget>
Widget* Control(QWidget& dialog, const QString& name)
{
    auto* widget = dialog.findChild<Widget*>(name);
    return widget ? widget : (qFatal("no control %s", qPrintable(name)), nullptr);
}

void Press(QWidget& dialog, const char* button) { Control<QAbstractButton>(dialog, button)->click(); }

// The controls named in expected, in the order the focus chain from the first of them meets them.
QStringList TabOrder(QWidget& dialog, const QStringList& expected)
{
    QStringList seen;
    QWidget* w = Control(dialog, expected.front());
    for (int step = 0; step < 500 && seen.size() < expected.size(); ++step, w = w->nextInFocusChain())
        if (expected.contains(w->objectName()) && !seen.contains(w->objectName()))
            seen << w->objectName();
    return seen;
}

// Select everything, then type (key clicks carry ASCII only; other text goes through the validator).
void Retype(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else if (text.toLatin1() == text.toUtf8() && !text.contains('\r'))
        QTest::keyClicks(field, text);
    else
        field->insert(text);
}

// Each message box as "text", marked when it is not a critical box with one OK.
QStringList Messages()
{
    QStringList shown;
    for (const MessageBox::Call& call : MessageBox::Calls()) {
        const bool plain = call.icon == MessageBox::Icon::Critical && call.buttons == MessageBox::Buttons::Ok;
        shown << call.text + (plain ? "" : " [?]");
    }
    return shown;
}

// Answers as scripted (nothing: cancelled) and notes which chooser was asked.
struct ScriptedChooser : FileChooser {
    std::optional<QString> answer;
    QStringList asked;
    std::optional<QUrl> BrowseForFolder(QWidget*, const QString&, const QString&, bool) override
    {
        asked << "folder chooser";
        return answer ? std::optional(QUrl::fromLocalFile(*answer)) : std::nullopt;
    }
    std::optional<QString> OpenFile(QWidget*, const QString&) override
    {
        asked << "picture chooser";
        return answer;
    }
};

// A settings dialog over a temporary settings file and HOME, with a scripted chooser and editor.
struct SettingsDialogRig {
    TempFolder program; // holds Orvalin.ini
    TempFolder home;    // the user's HOME, for the autostart entry
    Global global;
    std::shared_ptr<ScriptedChooser> chooser = std::make_shared<ScriptedChooser>();
    int refreshes = 0;
    std::function<ControlChar(QWidget*, const ControlChar&)> editor;

    SettingsDialogRig()
    {
        qputenv("HOME", home.path().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
        global.SettingsFile = program.fsPath() / SettingsFileName;
        global.settings = {"Laser One", "Courier New", 10,    3000, 0.8, "/tmp/spool/",
                           "text.txt",  "/old.bmp",    "OLD", 5,    6,   false};
        global.rules.ControlChars = {ControlChar{}, ControlChar{"\x0c", "np"}, ControlChar{"\x1b\x45", "bb"}};
        SaveSettings(global.SettingsFile, global.settings, global.rules);
    }

    QByteArray settingsBytes() const { return program.read(QString::fromLatin1(SettingsFileName)); }
    QString autoStartPath() const { return home.path() + "/.config/autostart/orvalin-test.desktop"; }

    std::unique_ptr<frmSettings> Open(const QLocale& locale = QLocale(QLocale::English, QLocale::UnitedStates))
    {
        frmSettings::Environment env;
        env.PrinterNames = {"Laser One", "laser one", "Orvalin PDF"};
        env.FontFamilies = {"Liberation Mono", "Courier New", "DejaVu Sans", std::string("Cut\0Here", 8)};
        env.AutoStart = AutoStartEntry{"orvalin-test", "/opt/Orvalin Próba/orvalin"};
        env.Chooser = chooser;
        env.RefreshTrayIcon = [this] { ++refreshes; };
        env.EditControlCode = [this](QWidget* owner, const ControlChar& rule) { return editor(owner, rule); };
        env.Locale = locale;
        return std::make_unique<frmSettings>(global, std::move(env));
    }
};

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

// Runs script on the rule editor once it shows modally, then presses its button.
void WhenEditorOpens(QObject* context, const char* button, std::function<void(frmControlChar&)> script)
{
    QTimer::singleShot(0, context, [script, button] {
        QTRY_VERIFY(qobject_cast<frmControlChar*>(QApplication::activeModalWidget()));
        auto* editor = qobject_cast<frmControlChar*>(QApplication::activeModalWidget());
        script(*editor);
        Control<QPushButton>(*editor, button)->click();
    });
}

QComboBox* Action(frmControlChar& dialog) { return Control<QComboBox>(dialog, "selAction"); }
QComboBox* Size(frmControlChar& dialog) { return Control<QComboBox>(dialog, "selFontSize"); }
QLineEdit* Box(frmControlChar& dialog, int i) { return Control<QLineEdit>(dialog, "codASCII" + QString::number(i)); }

// As the caller does: the properties first, then the showing.
void Open(frmControlChar& dialog, const std::string& code, const std::string& action)
{
    dialog.tmpCode = code;
    dialog.tmpAction = action;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
}

// Box 2's code, action index (-1: as opened), size, how it ends, trigger and action (null: refused).
using FinishRow = std::tuple<const char*, int, const char*, const char*, QByteArray, const char*>;

} // namespace

Q_DECLARE_METATYPE(FinishRow)

class SettingsDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<SettingsDialogRig> rig_;
    std::unique_ptr<frmSettings> dialog_;
    QListWidget* list_ = nullptr;

    // A shown dialog over the given rules (entry 0 unused, as stored), with the real editor.
    void OpenWithRules(const std::vector<ControlChar>& rules)
    {
        rig_ = std::make_unique<SettingsDialogRig>();
        rig_->global.rules.ControlChars = rules;
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

private Q_SLOTS:
    void initTestCase() { SelectCodePages(CodePagesForLanguage("hu")); }
    void init()
    {
        MessageBox::ClearCalls();
        MessageBox::SetNextAnswers({});
        SetMousePointer(MousePointer::Default);
    }
    void cleanup()
    {
        dialog_.reset();
        rig_.reset();
    }

    // The controls by object name, in tab order: the rule editor's action, size, 28 boxes, OK, Cancel.
    void objectNamesAndTabOrder()
    {
        SettingsDialogRig rig;
        auto dialog = rig.Open();
        frmControlChar editor;
        QCOMPARE(dialog->objectName() + " " + editor.objectName(), QStringLiteral("frmSettings frmControlChar"));
        for (const char* name : {"frm0", "frm1", "frm2", "frm3", "lblPath", "ppAdd", "ppEdit", "ppDelete"})
            Control<QObject>(*dialog, name);
        const QStringList expected{"selPrinter", "selFont",        "selFontSize", "selFileName",
                                   "selPath",    "lstControlChar", "selInterval", "selLeftMargin",
                                   "AutoStart",  "cmdOk",          "cmdCancel",   "TxtLogoFile",
                                   "CMDLogo",    "TxtLogoFelt",    "TxtKepX",     "TxtKepY"};
        QCOMPARE(TabOrder(*dialog, expected), expected);
        QVERIFY(!editor.findChild<QLineEdit*>("codASCII28"));
        QStringList boxes{"selAction", "selFontSize"};
        for (int i = 0; i < 28; ++i)
            boxes << "codASCII" + QString::number(i);
        boxes << QStringList{"cmdOk", "cmdCancel"};
        QCOMPARE(TabOrder(editor, boxes), boxes);
    }

    // Names select only an entry equal to them; an untouched Rendben writes the same file again (a
    // font with no equal entry stores ""), long margins, undefined bytes and refused intervals too.
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
        Press(*dialog, "cmdOk");
        QCOMPARE(Messages(), QStringList{Shown(Refusal::Interval)});
        QCOMPARE(rig.settingsBytes(), QByteArray(before).replace("\"courier new\"", "\"\""));
    }

    // A change that is no number warns (the empty text too); the text stays as typed, 5 characters at most.
    void typingWarns()
    {
        SettingsDialogRig rig;
        auto dialog = rig.Open(Hungarian);
        const std::tuple<const char*, const char*, int, const char*> rows[] = {{"selInterval", "12ab", 3, "12ab"},
                                                                               {"selInterval", "123456", 1, "12345"},
                                                                               {"selLeftMargin", "0,5", 1, "0,5"}};
        for (const auto& [field, typed, warnings, shown] : rows) {
            MessageBox::ClearCalls();
            Retype(Edit(*dialog, field), "");
            QTest::keyClicks(Edit(*dialog, field), typed);
            QCOMPARE(Messages(), QStringList(warnings, QStringLiteral("HIBA !!!\r\n\r\nNem számot adott meg.")));
            QCOMPARE(Edit(*dialog, field)->text(), QString::fromLatin1(shown));
        }
    }

    // One refused input per field, typed or chosen (no text: cancelled), and accepted ones that need
    // the code page; the rendben test types an accepted value into each field.
    void fields_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("refusal"); // -1: none
        QTest::addColumn<int>("line");    // the field's line in the saved file
        QTest::addColumn<QByteArray>("stored");
        const auto row = [](const char* field, const char* text, int refused, int line, const QByteArray& stored) {
            QTest::addRow("%s %s", field, text) << field << QString::fromUtf8(text) << refused << line << stored;
        };
        row("selFontSize", "2161", int(Refusal::FontSize), 2, "10");
        row("selInterval", "65535", int(Refusal::Interval), 3, "3000");
        row("selLeftMargin", "20.5", int(Refusal::Margin), 4, "0.8");
        row("selFileName", "*.txt", -1, 6, "\"*.txt\"");
        row("selFileName", "日本.txt", int(Refusal::UnstorableFileName), 6, "\"text.txt\"");
        row("TxtLogoFile", "/képek/€ü™", -1, 7, "\"/k\xe9pek/\x80\xfc\x99\"");
        row("TxtLogoFile", "/képek/ĉ.bmp", int(Refusal::UnstorableLogoFile), 7, "\"/old.bmp\"");
        row("TxtLogoFelt", "Számla", -1, 8, "\"Sz\xe1mla\"");
        row("TxtLogoFelt", "Számla №", int(Refusal::UnstorableLogoCondition), 8, "\"OLD\"");
        row("TxtKepX", "1e999", -1, 9, "5");
        row("TxtKepY", "9e99", -1, 10, "6");
        row("CMDLogo", "/home/Éva/cég logó.jpg", -1, 7, "\"/home/\xc9va/c\xe9g log\xf3.jpg\"");
        row("CMDLogo", "", -1, 7, "\"/old.bmp\"");
        row("CMDLogo", "/home/két\nsor.jpg", int(Refusal::UnstorableLogoFile), 7, "\"/old.bmp\"");
        row("selPath", "/srv/őszi mappa", -1, 5, "\"/srv/\xf5szi mappa/\"");
        row("selPath", "", -1, 5, "\"/tmp/spool/\""); // not "/"
        row("selPath", "/home/日本", int(Refusal::UnstorableFolder), 5, "\"/tmp/spool/\"");
        row("selPath", "/home/két\nsor", int(Refusal::UnstorableFolder), 5, "\"/tmp/spool/\"");
    }
    void fields()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(int, refusal);
        QFETCH(int, line);
        QFETCH(QByteArray, stored);
        SettingsDialogRig rig;
        if (!text.isEmpty())
            rig.chooser->answer = text;
        auto dialog = rig.Open(Hungarian);
        if (field == "CMDLogo" || field == "selPath") {
            Press(*dialog, qPrintable(field));
            QCOMPARE(rig.chooser->asked.size(), 1);
        } else {
            Retype(Edit(*dialog, field), text);
            MessageBox::ClearCalls();
        }
        Press(*dialog, "cmdOk");
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(Messages(), refusal < 0 ? QStringList() : QStringList{Shown(Refusal(refusal))});
        QCOMPARE(rig.settingsBytes().split('\n').value(line), stored + "\r");
    }

    // Rendben stores everything (the hourglass stays for the opener to reset); an unwritable file is
    // named in a message and the rest done all the same. Mégsem, Esc and closing store nothing.
    void rendbenStoresAndCancelDoesNot_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how : {"Rendben", "unwritable", "Mégsem", "Esc", "closed"})
            QTest::newRow(how) << QString::fromUtf8(how);
    }
    void rendbenStoresAndCancelDoesNot()
    {
        QFETCH(QString, how);
        SettingsDialogRig rig;
        const QByteArray bytes = rig.settingsBytes();
        rig.editor = [](QWidget*, const ControlChar&) { return ControlChar{"\x09", "tb"}; };
        rig.chooser->answer = "/srv";
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
        Control<QAction>(*dialog, "ppAdd")->trigger();
        MessageBox::ClearCalls();
        const bool committed = how == "Rendben" || how == "unwritable";
        if (how == "unwritable")
            rig.global.SettingsFile = rig.program.fsPath() / "removed" / SettingsFileName;
        if (committed || how == "Mégsem")
            Press(*dialog, committed ? "cmdOk" : "cmdCancel");
        else if (how == "Esc")
            QTest::keyClick(Edit(*dialog, "selFileName"), Qt::Key_Escape);
        else
            dialog->close();
        QVERIFY(!dialog->isVisible());
        const QString shown = Messages().join('|');
        QVERIFY2(how == "unwritable"
                     ? shown.startsWith(QStringLiteral("HIBA !!!\r\n\r\nA beállításokat nem sikerült menteni"))
                           && shown.contains(QString::fromStdString(rig.global.SettingsFile.string()))
                           && Messages().size() == 1
                     : shown.isEmpty(),
                 qPrintable(shown));
        QCOMPARE(dialog->result(), committed ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(rig.settingsBytes(),
                 how == "Rendben" ? QByteArray("\"Orvalin PDF\"\r\n\"Liberation Mono\"\r\n14\r\n2500\r\n0.5\r\n"
                                               "\"/srv/\"\r\n\"new.txt\"\r\n\"/logo.gif\"\r\n\"SZ\"\r\n12\r\n2\r\n"
                                               "\"np  12\"\r\n\"bb  27 69\"\r\n\"tb   9\"\r\n")
                                  : bytes);
        QCOMPARE(rig.global.rules.HighestIndex(), committed ? 3 : 2);
        QCOMPARE(rig.global.settings.SpoolFolder, std::string(committed ? "/srv/" : "/tmp/spool/"));
        QCOMPARE(QFile::exists(rig.autoStartPath()), committed);
        QCOMPARE(rig.refreshes, int(committed));
        QVERIFY(how != "Rendben" || CurrentMousePointer() == MousePointer::Hourglass);
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
        const std::pair<const char*, const char*> rows[] = {
            {"selFileName", "saved"},      {"selFontSize", "saved"},
            {"AutoStart", "saved"},        {"cmdOk", "saved"},
            {"cmdCancel", "cancelled"},    {"selPath", "folder chooser"},
            {"CMDLogo", "picture chooser"}};
        for (const auto& [focus, outcome] : rows)
            QTest::newRow(focus) << focus << outcome;
    }
    void enterPressesTheFocusedButton()
    {
        QFETCH(QString, focus);
        QFETCH(QString, outcome);
        SettingsDialogRig rig;
        auto dialog = rig.Open();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        Retype(Edit(*dialog, "selFileName"), "enter.txt");
        Control(*dialog, focus)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        const QString happened = !rig.chooser->asked.isEmpty()           ? rig.chooser->asked.join(',')
                                 : dialog->result() == QDialog::Accepted ? "saved"
                                                                         : "cancelled";
        QCOMPARE(happened, outcome);
        QCOMPARE(dialog->isVisible(), !rig.chooser->asked.isEmpty());
        QCOMPARE(rig.settingsBytes().contains("\"enter.txt\""), outcome == "saved");
    }

    // The popup's items ("+" enabled, "-" not); F10 alone opens nothing, and none moves the selection.
    void popup_data()
    {
        QTest::addColumn<int>("rules");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("popup");
        const QString full = QStringLiteral("ppMenuSettings: ppAdd+ ppEdit+ ppDelete+");
        QTest::newRow("right button, no rules") << 0 << "right"
                                                << "ppMenuSettings: ppAdd+ ppEdit- ppDelete-";
        for (const char* how : {"right", "Menu", "Shift+F10"})
            QTest::newRow(how) << 2 << how << full;
        QTest::newRow("F10") << 2 << "F10" << QString();
    }
    void popup()
    {
        QFETCH(int, rules);
        QFETCH(QString, how);
        QFETCH(QString, popup);
        OpenWithRules(rules ? std::vector<ControlChar>{{}, {"\x0c", "np"}, {"\x09", "tb"}}
                            : std::vector<ControlChar>(1));
        list_->setFocus();
        if (rules)
            list_->setCurrentRow(1);
        const QStringList before = Rows();
        QString seen;
        if (!popup.isEmpty()) {
            QTimer::singleShot(0, this, [&seen] {
                QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                seen = menu->objectName() + ":";
                for (QAction* action : menu->actions())
                    seen += " " + action->objectName() + (action->isEnabled() ? "+" : "-");
                menu->close();
            });
        }
        if (how == "right")
            QTest::mouseClick(list_->viewport(), Qt::RightButton, {}, rules ? RowPoint(0) : QPoint(5, 5));
        else
            QTest::keyClick(list_, how == "Menu" ? Qt::Key_Menu : Qt::Key_F10,
                            how == "Shift+F10" ? Qt::ShiftModifier : Qt::NoModifier);
        QCoreApplication::processEvents();
        QCOMPARE(seen, popup);
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QCOMPARE(Rows(), before);
    }

    // Through the real editor. An edit's selection follows the old text to a row that still has it;
    // a cancel, an empty new rule or no selection changes nothing. Rendben stores even an empty list.
    void addEditDelete()
    {
        OpenWithRules({{}, {"\x0c", "np"}, {"\x09", "tb"}, {"\x0c", "np"}});
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
        WhenEditorOpens(this, "cmdCancel", [](frmControlChar& editor) { Retype(Box(editor, 0), "27"); });
        Trigger("ppAdd");
        WhenEditorOpens(this, "cmdOk", [](frmControlChar&) {}); // every code box empty
        Trigger("ppAdd");
        QCOMPARE(Rows(), (QStringList{"12\tPage break", "9\tTabulator *", "12\tPage break", "27, 69\tBegin bold"}));
        QCOMPARE(&ControlCharEditor(), first); // one editor for the whole program
        WhenEditorOpens(this, "cmdOk", [](frmControlChar& editor) {
            QCOMPARE(Box(editor, 0)->text(), QStringLiteral("12"));
            Retype(Box(editor, 0), "10");
        });
        // A user's double click: the first click selects, the second comes as a double click.
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(0));
        QTest::mouseDClick(list_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(0));
        QCOMPARE(Rows().mid(0, 3), (QStringList{"10\tPage break", "9\tTabulator", "12\tPage break *"}));
        list_->setCurrentRow(1);
        WhenEditorOpens(this, "cmdCancel", [](frmControlChar& editor) { Retype(Box(editor, 0), "8"); });
        Trigger("ppEdit");
        QCOMPARE(Rows().value(1), QStringLiteral("9\tTabulator *"));
        WhenEditorOpens(this, "cmdOk", [](frmControlChar& editor) { Retype(Box(editor, 0), ""); });
        Trigger("ppEdit");
        QCOMPARE(Rows().mid(0, 3), (QStringList{"10\tPage break", "\tTabulator", "12\tPage break"}));
        Trigger("ppEdit"); // nothing selected: no editor
        Trigger("ppDelete");
        QVERIFY(MessageBox::Calls().empty());
        QCOMPARE(rig_->global.rules.HighestIndex(), 3);
        list_->setCurrentRow(1);
        MessageBox::SetNextAnswers({MessageBox::Answer::No});
        Trigger("ppDelete");
        Trigger("ppDelete"); // unscripted: the default button answers
        QCOMPARE(list_->count(), 4);
        QCOMPARE(Messages(), QStringList(2, QStringLiteral("Biztos, hogy törli? [?]")));
        QCOMPARE(MessageBox::Calls().front().defaultAnswer, MessageBox::Answer::No);
        for (const int row : {1, 0, 0, 0}) {
            list_->setCurrentRow(row);
            MessageBox::SetNextAnswers({MessageBox::Answer::Yes});
            Trigger("ppDelete");
            if (row)
                QCOMPARE(Rows(), (QStringList{"10\tPage break", "12\tPage break", "27, 69\tBegin bold"}));
        }
        Control<QPushButton>(*dialog_, "cmdOk")->click();
        QCOMPARE(rig_->global.rules.HighestIndex(), 0);
        QCOMPARE(rig_->settingsBytes().count('\n'), 11);
    }

    // Each showing is built from the two properties, whatever the last one left; a hand-edited rule
    // longer than the 28 boxes shows its first 28 codes, OK stores those, Cancel keeps all.
    void showingLoadsTheRule()
    {
        frmControlChar dialog;
        SetMousePointer(MousePointer::Hourglass); // as the caller leaves it
        std::string trigger("\x1b\x21\xff", 3);
        trigger.resize(30, '\x07');
        Open(dialog, trigger, "12");
        QCOMPARE(CurrentMousePointer(), MousePointer::Default);
        QCOMPARE(dialog.focusWidget(), Action(dialog));
        QCOMPARE(Size(dialog)->currentText(), QStringLiteral("12"));
        QCOMPARE(Box(dialog, 2)->text() + "|" + Box(dialog, 27)->text(), QStringLiteral("255|7"));
        Press(dialog, "cmdCancel");
        QCOMPARE(dialog.tmpCode, trigger);
        Open(dialog, trigger, "12");
        Press(dialog, "cmdOk");
        QCOMPARE(dialog.tmpCode, trigger.substr(0, 28));
        const int actions = Action(dialog)->count();
        Box(dialog, 5)->setText("99");
        Open(dialog, "\x0c", "bb");
        QCOMPARE(Action(dialog)->count(), actions); // rebuilt, not appended to
        QCOMPARE(Action(dialog)->currentIndex(), 3);
        QVERIFY(!Size(dialog)->isVisible() && Size(dialog)->currentText().isEmpty());
        QCOMPARE(Box(dialog, 5)->text(), QString());
        Action(dialog)->setCurrentIndex(FontSizeActionIndex); // shows the size again
        QVERIFY(Size(dialog)->isVisible());
        dialog.reject();
        for (const bool hungarian : {true, false}) {
            dialog.setLocale(hungarian ? Hungarian : QLocale::c());
            Open(dialog, "", "");
            MessageBox::ClearCalls();
            QTest::keyClicks(Box(dialog, 5), "2,4");
            QCOMPARE(Messages(),
                     QStringList(hungarian ? 0 : 2, QStringLiteral("HIBA !!!\r\n\r\nEz az érték nem megengedett.")));
            QCOMPARE(Box(dialog, 5)->text(), QStringLiteral("2,4"));
            dialog.reject();
        }
    }

    // The buttons and Esc show the hourglass for the caller to reset. A refusal keeps the editor open
    // and the properties as they were; corrected, it is accepted.
    void finish_data()
    {
        QTest::addColumn<FinishRow>("row");
        const int asOpened = -1;
        QTest::newRow("code 255, no gap for an empty box") << FinishRow{"255", asOpened, "", "cmdOk", "\x09\xff", "tb"};
        QTest::newRow("code 256") << FinishRow{"256", asOpened, "", "cmdOk", "", nullptr};
        QTest::newRow("Ignore, code 0") << FinishRow{"0", IgnoreActionIndex, "", "cmdOk", QByteArray("\x09\0", 2), ""};
        QTest::newRow("size 999") << FinishRow{"9", FontSizeActionIndex, "999", "cmdOk", "\x09\x09", "999"};
        QTest::newRow("size 1000") << FinishRow{"9", FontSizeActionIndex, "1000", "cmdOk", "", nullptr};
        QTest::newRow("bad code and size, one message")
            << FinishRow{"x", FontSizeActionIndex, "0", "cmdOk", "", nullptr};
        QTest::newRow("Enter in a code box") << FinishRow{"9", asOpened, "", "Enter", "\x09\x09", "tb"};
        for (const char* how : {"cmdCancel", "Esc", "closed"})
            QTest::newRow(how) << FinishRow{"1", 2, "", how, "\x09", "tb"};
    }
    void finish()
    {
        QFETCH(FinishRow, row);
        const auto& [code, action, size, how, trigger, stored] = row;
        const bool refused = !stored;
        const std::string_view end = how;
        frmControlChar dialog;
        dialog.setLocale(QLocale::c());
        Open(dialog, "\x09", "tb");
        Box(dialog, 2)->setText(code);
        if (action >= 0)
            Action(dialog)->setCurrentIndex(action);
        Size(dialog)->setEditText(size);
        MessageBox::ClearCalls();
        if (end == "Esc" || end == "Enter")
            QTest::keyClick(Box(dialog, 2), end == "Esc" ? Qt::Key_Escape : Qt::Key_Return);
        else if (end == "closed")
            QVERIFY(dialog.close());
        else
            Press(dialog, how);
        QCOMPARE(dialog.isVisible(), refused);
        QCOMPARE(CurrentMousePointer(), end == "closed" || refused ? MousePointer::Default : MousePointer::Hourglass);
        const bool ok = (end == "cmdOk" || end == "Enter") && !refused;
        QCOMPARE(dialog.result(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(QByteArray::fromStdString(dialog.tmpCode), refused ? QByteArray("\x09") : trigger);
        QCOMPARE(dialog.tmpAction, std::string(refused ? "tb" : stored));
        QCOMPARE(Messages().join(""), refused ? QStringLiteral("HIBA !!!\r\n\r\nEgy vagy több megadott érték nem "
                                                               "megengedett. A változtatás nem mentödött.")
                                              : QString());
        Box(dialog, 2)->setText("8"); // corrected, the same showing is accepted
        Size(dialog)->setEditText("14");
        Press(dialog, "cmdOk");
        QVERIFY(!dialog.isVisible());
    }

    // Enter in the size box presses OK; it keeps what is typed ("1", not "10") and adds nothing to its list.
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
    }
};

QTEST_MAIN(SettingsDialogTest)
#include "settings_dialog_test.moc"
