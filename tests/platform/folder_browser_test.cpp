// The folder chooser's string handling, CutAtNull, and the desktop's chooser itself driven on the
// offscreen platform.
#include "common/errors.h"
#include "platform/code_pages.h"
#include "platform/folder_browser.h"
#include "platform/folders.h"
#include "temp_folder.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTest>
#include <QTimer>

namespace {

// A chooser that answers as scripted and remembers where it was asked to start.
class ScriptedChooser : public FileChooser {
public:
    std::optional<QUrl> answer;
    QString askedStart;
    std::optional<QUrl> BrowseForFolder(QWidget*, const QString&, const QString& start, bool includeFiles) override
    {
        askedStart = includeFiles ? "files too" : start;
        return answer;
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

} // namespace

class FolderBrowserTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SelectCodePages(CodePagesForLanguage("hu")); }

    void strings()
    {
        QCOMPARE(CutAtNull(std::string("abc\0def", 7)), std::string("abc"));
        QCOMPARE(CutAtNull(std::string("\0abc", 4)), std::string());
        QCOMPARE(CutAtNull("abcdef"), std::string("abcdef"));
        const std::pair<const char*, const char*> starts[] = {
            {"/home/user/Spool/", "/home/user/Spool"},
            {"/home/user/Spool", "/home/user/Spool"},
            {"/home//", "/home/"},
            {"/", "/"},
            {"c:/", "c:/"},
            {"", ""},
        };
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
            if (!row.answer.isEmpty())
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
};

QTEST_MAIN(FolderBrowserTest)
#include "folder_browser_test.moc"
