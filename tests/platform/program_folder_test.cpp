// Where the settings and the built-in printer's documents go: beside a portable program, in the
// user's folders for a program installed under /usr (even for root, who may write there).
#include "platform/program_folder.h"
#include "temp_folder.h"

#include <QDir>
#include <QTest>

class ProgramFolderTest : public QObject {
    Q_OBJECT
    TempFolder home;

    std::filesystem::path Home(const QString& sub) const
    {
        return std::filesystem::path((home.path() + sub).toStdString());
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("HOME", home.path().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
    }

    void portableProgramKeepsEverythingBesideItself()
    {
        TempFolder program;
        QCOMPARE(SettingsFolderFor(program.fsPath()), program.fsPath());
        QCOMPARE(PdfFolderFor(program.fsPath(), program.fsPath()), program.fsPath() / "PDF");
    }

    void installedProgramUsesTheUsersFolders()
    {
        // Root can write /usr/bin; an installed program's settings still stay out of it.
        const std::filesystem::path installed("/usr/bin");
        QCOMPARE(SettingsFolderFor(installed), Home("/.config/orvalin"));
        QVERIFY(QDir(home.path() + "/.config/orvalin").exists());
        QCOMPARE(PdfFolderFor(SettingsFolderFor(installed), installed), Home("/Documents/Orvalin"));
    }

    void documentsFolderNamedByTheDesktop()
    {
        QDir().mkpath(home.path() + "/.config");
        home.write(".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumentumok\"\n");
        QCOMPARE(PdfFolderFor(Home("/.config/orvalin"), "/usr/bin"), Home("/Dokumentumok/Orvalin"));
        QVERIFY(QFile::remove(home.file(".config/user-dirs.dirs")));
    }
};

QTEST_GUILESS_MAIN(ProgramFolderTest)
#include "program_folder_test.moc"
