// The desktop's dialogs driven on the offscreen platform: the message-box facade (scripted answers,
// the record of calls, the default answer where no one can see the box), the folder chooser and
// its string handling, which of Qt's own messages stay out of the log, and Qt's own texts in the
// user's language from the translations installed beside Qt.
#include "common/errors.h"
#include "platform/code_pages.h"
#include "platform/folder_browser.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/qt_messages.h"
#include "platform/qt_translations.h"
#include "temp_folder.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// A chooser that answers as scripted and remembers where it was asked to start.
class ScriptedChooser : public FileChooser {
public:
    QUrl answer; // empty: cancelled
    QString askedStart;
    std::optional<QUrl> BrowseForFolder(QWidget*, const QString&, const QString& start, bool includeFiles) override
    {
        askedStart = includeFiles ? "files too" : start;
        return answer.isEmpty() ? std::nullopt : std::optional(answer);
    }
    std::optional<QString> OpenFile(QWidget*, const QString&) override { return std::nullopt; }
};

// Runs script on the desktop's file dialog once it shows modally.
void WhenDialogOpens(QObject* context, std::function<void(QFileDialog&)> script)
{
    QTimer::singleShot(0, context, [script] {
        QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
        script(*qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
    });
}

QString YesNoTexts()
{
    QMessageBox box(QMessageBox::Critical, "Orvalinó", "Biztos, hogy törli?", QMessageBox::Yes | QMessageBox::No);
    return box.button(QMessageBox::Yes)->text() + '/' + box.button(QMessageBox::No)->text();
}

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SelectCodePages(CodePagesForLanguage("hu")); }
    void init() { MessageBox::ClearCalls(); }

    void offscreenAnswersTheDefaultButtonOrTheScript()
    {
        QCOMPARE(MessageBox::Show(nullptr, "Orvalinó", "Biztos, hogy törli?", MessageBox::Icon::Critical,
                                  MessageBox::Buttons::YesNo, MessageBox::Answer::No),
                 MessageBox::Answer::No);
        QCOMPARE(MessageBox::Show(nullptr, "Hiba!", "x", MessageBox::Icon::None), MessageBox::Answer::Ok);
        QCOMPARE(MessageBox::Calls().size(), std::size_t(2));
        QCOMPARE(MessageBox::Calls()[0].title, QStringLiteral("Orvalinó"));
        QCOMPARE(MessageBox::Calls()[0].buttons, MessageBox::Buttons::YesNo);
        QCOMPARE(MessageBox::Calls()[1].icon, MessageBox::Icon::None);
        // Scripted answers come in order, then the default again.
        MessageBox::SetNextAnswers({MessageBox::Answer::Yes, MessageBox::Answer::No});
        const auto ask = [] {
            return MessageBox::Show(nullptr, "t", "q", MessageBox::Icon::Question, MessageBox::Buttons::YesNo,
                                    MessageBox::Answer::No);
        };
        QCOMPARE(ask(), MessageBox::Answer::Yes);
        QCOMPARE(ask(), MessageBox::Answer::No);
        QCOMPARE(ask(), MessageBox::Answer::No);
    }

    void theRecordKeepsTheLastHundred()
    {
        for (int i = 0; i < 150; ++i)
            MessageBox::Show(nullptr, "t", QString::number(i), MessageBox::Icon::None);
        QCOMPARE(MessageBox::Calls().size(), std::size_t(100));
        QCOMPARE(MessageBox::Calls().front().text, QStringLiteral("50"));
        QCOMPARE(MessageBox::Calls().back().text, QStringLiteral("149"));
    }

    // Qt's two start-up notices, and nothing else.
    void qtNotices()
    {
        const std::pair<const char*, bool> rows[] = {
            {"QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/runtime-anna'", true},
            {"QObject::connect: No such signal QPlatformNativeInterface::systemTrayWindowChanged(QScreen*)", true},
            {"QStandardPaths: wrong permissions on runtime directory /run/user/1000, 0755 instead of 0700", false},
            {"QObject::connect: No such signal QTimer::fired()", false},
            {"QFont::setPointSizeF: Point size <= 0 (0.000000), must be greater than 0", false},
            {"", false},
        };
        for (const auto& [message, notice] : rows)
            QVERIFY2(IsQtStartupNotice(message) == notice, message);
    }

    void strings()
    {
        QCOMPARE(CutAtNull(std::string("abc\0def", 7)), std::string("abc"));
        QCOMPARE(CutAtNull(std::string("\0abc", 4)), std::string());
        QCOMPARE(CutAtNull("abcdef"), std::string("abcdef"));
        const std::pair<const char*, const char*> starts[] = {{"/a/b/", "/a/b"}, {"/a/b", "/a/b"}, {"/a//", "/a/"},
                                                              {"/", "/"},        {"c:/", "c:/"},   {"", ""}};
        for (const auto& [folder, start] : starts)
            QCOMPARE(BrowseStartFolder(folder), std::string(start));
        const std::pair<const char*, const char*> ends[] = {
            {"/spool", "/spool/"}, {"/spool/", "/spool/"}, {"/", "/"}, {"", "/"}};
        for (const auto& [folder, ended] : ends)
            QCOMPARE(WithTrailingSeparator(folder), std::string(ended));
    }

    // The chosen folder comes back in the ANSI code page ending in one separator; a cancel, an item
    // that is no local folder, and a folder the code page cannot hold give nothing.
    void browseFolder()
    {
        const struct {
            QString start;
            QUrl answer;
            QString chosen; // null: nothing; "error": refused
        } rows[] = {
            {"/home/user/Spool/", QUrl::fromLocalFile("/var/spool/orvalin"), "/var/spool/orvalin/"},
            {"/", QUrl::fromLocalFile("/"), "/"},
            {"/home/Kovács Ödön/", QUrl::fromLocalFile("/home/Kovács Ödön/nyomtatás ő"),
             "/home/Kovács Ödön/nyomtatás ő/"},
            {"/spool/", QUrl(), QString()},
            {"/spool/", QUrl("https://example.org/folder"), QString()},
            {"/", QUrl::fromLocalFile("/home/日本"), "error"},
        };
        for (const auto& row : rows) {
            ScriptedChooser chooser;
            chooser.answer = row.answer;
            if (row.chosen == "error") {
                QVERIFY_THROWS_EXCEPTION(OrvalinError, BrowseFolder(nullptr, "", ToAnsi(row.start), chooser));
                continue;
            }
            const std::optional<std::string> folder = BrowseFolder(nullptr, "", ToAnsi(row.start), chooser);
            QCOMPARE(chooser.askedStart, FromAnsi(BrowseStartFolder(ToAnsi(row.start))));
            QCOMPARE(folder, row.chosen.isNull() ? std::nullopt : std::optional<std::string>(ToAnsi(row.chosen)));
        }
    }

    // The desktop's chooser opens at the start folder; confirming at once returns that folder,
    // cancelling returns nothing. The picture dialog offers the filter it is given.
    void desktopChooser()
    {
        TempFolder temp;
        const QString start = temp.path() + QStringLiteral("/Nyomtatás mappa");
        QVERIFY(QDir().mkpath(start));
        DesktopFileChooser chooser;
        WhenDialogOpens(this, [&](QFileDialog& dialog) {
            QCOMPARE(dialog.directory().absolutePath(), start);
            static_cast<QDialog&>(dialog).accept();
        });
        QCOMPARE(chooser.BrowseForFolder(nullptr, QStringLiteral("Adja meg"), start, false),
                 QUrl::fromLocalFile(start));
        WhenDialogOpens(this, [](QFileDialog& dialog) { dialog.close(); });
        QCOMPARE(chooser.BrowseForFolder(nullptr, QString(), start, false), std::nullopt);

        temp.write(QStringLiteral("logo.bmp"), "BM");
        WhenDialogOpens(this, [&](QFileDialog& dialog) {
            QCOMPARE(dialog.nameFilters(), QStringList{QStringLiteral("Pictures (*.bmp *.jpg *.gif)")});
            dialog.setDirectory(temp.path());
            dialog.selectFile(temp.file("logo.bmp"));
            static_cast<QDialog&>(dialog).accept();
        });
        QCOMPARE(chooser.OpenFile(nullptr, QStringLiteral("Pictures (*.bmp *.jpg *.gif)")), temp.file("logo.bmp"));
    }
    // The standard buttons of the boxes and the choosers' labels. Last, as nothing may be loaded
    // before: a language without Qt texts, then Hungarian.
    void qtTextsFollowTheLanguage()
    {
        QCOMPARE(YesNoTexts(), QStringLiteral("&Yes/&No"));
        QVERIFY(!LoadQtTranslations(QLocale(QLocale::Hawaiian, QLocale::UnitedStates)));
        QCOMPARE(YesNoTexts(), QStringLiteral("&Yes/&No"));
        QVERIFY(LoadQtTranslations(QLocale(QLocale::Hungarian, QLocale::Hungary)));
        QCOMPARE(YesNoTexts(), QStringLiteral("&Igen/&Nem"));
        QFileDialog chooser;
        chooser.setFileMode(QFileDialog::Directory);
        for (const QString& label : {chooser.labelText(QFileDialog::LookIn), chooser.labelText(QFileDialog::Reject)})
            QVERIFY2(label != "Look in:" && label != "Cancel" && !label.isEmpty(), qPrintable(label));
    }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
