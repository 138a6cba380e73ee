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

// A chooser that answers as scripted and remembers what it was asked.
class ScriptedChooser : public FileChooser {
public:
    std::optional<QUrl> folderAnswer;
    QString askedPrompt;
    QString askedStart;
    bool askedIncludeFiles = false;
    int calls = 0;

    std::optional<QUrl> BrowseForFolder(QWidget*, const QString& prompt, const QString& start, bool includeFiles) override
    {
        ++calls;
        askedPrompt = prompt;
        askedStart = start;
        askedIncludeFiles = includeFiles;
        return folderAnswer;
    }
    std::optional<QString> OpenFile(QWidget*, const QString&) override { return std::nullopt; }
};

} // namespace

class FolderBrowserTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { SelectCodePages(CodePagesForLanguage("hu")); }

    void cutAtNull()
    {
        QCOMPARE(CutAtNull(std::string("abc\0def", 7)), std::string("abc"));
        QCOMPARE(CutAtNull(std::string("\0abc", 4)), std::string());
        QCOMPARE(CutAtNull("abcdef"), std::string("abcdef"));
        QCOMPARE(CutAtNull(""), std::string());
    }

    void startFolderLosesOneSeparator()
    {
        QCOMPARE(BrowseStartFolder("/home/user/Spool/"), std::string("/home/user/Spool"));
        QCOMPARE(BrowseStartFolder("/home/user/Spool"), std::string("/home/user/Spool"));
        QCOMPARE(BrowseStartFolder("/home//"), std::string("/home/"));
        QCOMPARE(BrowseStartFolder("/"), std::string("/"));
        QCOMPARE(BrowseStartFolder("c:/"), std::string("c:/"));
        QCOMPARE(BrowseStartFolder(""), std::string());
        QCOMPARE(WithTrailingSeparator("/spool"), std::string("/spool/"));
        QCOMPARE(WithTrailingSeparator("/spool/"), std::string("/spool/"));
        QCOMPARE(WithTrailingSeparator("/"), std::string("/"));
        QCOMPARE(WithTrailingSeparator(""), std::string("/"));
    }

    void chosenFolderEndsInOneSeparator()
    {
        ScriptedChooser chooser;
        chooser.folderAnswer = QUrl::fromLocalFile("/var/spool/orvalin");
        const auto folder = BrowseFolder(nullptr, "Válasszon", "/home/user/Spool/", chooser);
        QCOMPARE(chooser.calls, 1);
        QCOMPARE(chooser.askedStart, QStringLiteral("/home/user/Spool"));
        QCOMPARE(chooser.askedPrompt, QStringLiteral("Válasszon"));
        QVERIFY(!chooser.askedIncludeFiles);
        QCOMPARE(folder, std::optional<std::string>("/var/spool/orvalin/"));

        chooser.folderAnswer = QUrl::fromLocalFile("/");
        QCOMPARE(BrowseFolder(nullptr, "", "/", chooser), std::optional<std::string>("/"));
        QCOMPARE(chooser.askedStart, QStringLiteral("/"));
    }

    void cancelGivesNothing()
    {
        ScriptedChooser chooser;
        QCOMPARE(BrowseFolder(nullptr, "", "/spool/", chooser), std::nullopt);
        // An item that is not a local folder is no answer either.
        chooser.folderAnswer = QUrl("https://example.org/folder");
        QCOMPARE(BrowseFolder(nullptr, "", "/spool/", chooser), std::nullopt);
    }

    void accentsAndBlanksComeBackInTheAnsiCodePage()
    {
        ScriptedChooser chooser;
        chooser.folderAnswer = QUrl::fromLocalFile(QStringLiteral("/home/Kovács Ödön/nyomtatás ő"));
        const auto folder = BrowseFolder(nullptr, "", AnsiCodePage().FromUtf8("/home/Kovács Ödön/"), chooser);
        QVERIFY(folder);
        QCOMPARE(*folder, AnsiCodePage().FromUtf8("/home/Kovács Ödön/nyomtatás ő/"));
        QCOMPARE(chooser.askedStart, QStringLiteral("/home/Kovács Ödön"));
    }

    void folderTheCodePageCannotHoldIsAnError()
    {
        ScriptedChooser chooser;
        chooser.folderAnswer = QUrl::fromLocalFile(QStringLiteral("/home/日本"));
        QVERIFY_THROWS_EXCEPTION(OrvalinError, BrowseFolder(nullptr, "", "/", chooser));
        QVERIFY(!AnsiCanHold(QStringLiteral("日本")));
        QVERIFY(AnsiCanHold(QStringLiteral("Árvíztűrő tükörfúrógép")));
    }

    // The desktop's chooser opens at the start folder; confirming at once returns that folder,
    // cancelling returns nothing.
    void desktopChooserOpensAtTheStartFolder()
    {
        TempFolder temp;
        QDir(temp.path()).mkpath(QStringLiteral("Nyomtatás mappa"));
        const QString start = temp.path() + QStringLiteral("/Nyomtatás mappa");
        DesktopFileChooser chooser;
        QString seenDirectory;
        QString seenTitle;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            seenDirectory = dialog->directory().absolutePath();
            seenTitle = dialog->windowTitle();
            static_cast<QDialog*>(dialog)->accept();
        });
        const std::optional<QUrl> chosen = chooser.BrowseForFolder(nullptr, QStringLiteral("Adja meg"), start, false);
        QCOMPARE(seenDirectory, start);
        QCOMPARE(seenTitle, QStringLiteral("Adja meg"));
        QVERIFY(chosen);
        QCOMPARE(chosen->toLocalFile(), start);

        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
            QApplication::activeModalWidget()->close();
        });
        QCOMPARE(chooser.BrowseForFolder(nullptr, QString(), start, false), std::nullopt);
    }

    void desktopOpenFileOffersThePictureFilter()
    {
        TempFolder temp;
        temp.write(QStringLiteral("logo.bmp"), "BM");
        DesktopFileChooser chooser;
        QStringList filters;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            filters = dialog->nameFilters();
            dialog->setDirectory(temp.path());
            dialog->selectFile(temp.file("logo.bmp"));
            static_cast<QDialog*>(dialog)->accept();
        });
        const std::optional<QString> chosen = chooser.OpenFile(nullptr, QStringLiteral("Pictures (*.bmp *.jpg *.gif)"));
        QCOMPARE(filters, QStringList{QStringLiteral("Pictures (*.bmp *.jpg *.gif)")});
        QCOMPARE(chosen, std::optional<QString>(temp.file("logo.bmp")));
    }
};

QTEST_MAIN(FolderBrowserTest)
#include "folder_browser_test.moc"
