// The spool-folder search: name matching and ordinary files only (a name the code page cannot hold
// is the end-to-end test's); where the settings and the filed documents live.
#include "platform/code_pages.h"
#include "platform/paths.h"
#include "platform/program_folder.h"
#include "temp_folder.h"

#include <QDir>
#include <QFile>
#include <QTest>

using Found = std::vector<std::filesystem::path>;

class PathsTest : public QObject {
    Q_OBJECT
    TempFolder home_;
    std::filesystem::path Home(const char* sub) const { return home_.fsPath().concat(sub); }

private Q_SLOTS:
    void initTestCase()
    {
        SelectCodePages({"CP1250", "CP852"});
        qputenv("HOME", home_.path().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
    }

    // Names match as on the original desktop: whatever the case, "*.*" every name.
    void wildcards()
    {
        const struct {
            const char *pattern, *name;
            bool match;
        } rows[] = {
            {"text.txt", "text.txt", true},
            {"text.txt", "TEXT.TXT", true},
            {"TEXT.TXT", "text.txt", true},
            {"*.txt", "A.TXT", true},
            {"számla?.txt", "SZÁMLA1.TXT", true}, // accented letters fold
            {"text.txt", "test.txt", false},
            {"*.txt", ".txt", true}, // a star matches nothing
            {"*.txt", "a.txt.bak", false},
            {"?.txt", "ab.txt", false}, // a question mark is one character
            {"?.txt", "ő.txt", true},
            {"*a*b*", "xxaxxbxx", true},
            {"*ab", "aab", true}, // backtracking
            {"*", "anything", true},
            {"*.*", "a.txt", true},
            {"*.*", "README", true},
            {"text.*", "TEXT", true},
            {"text.*", "textile", false},
            {"*.t*", "text", false},
        };
        for (const auto& row : rows)
            QVERIFY2(WildcardMatch(row.pattern, row.name) == row.match,
                     qPrintable(QStringLiteral("%1 on %2").arg(row.pattern, row.name)));
    }

    // Hidden files, folders and links are no spool files; the rest come in name order.
    void onlyOrdinaryFilesAreFound()
    {
        TempFolder folder;
        for (const char* name : {"a.txt", "B.TXT", ".hidden.txt", "c.dat"})
            folder.write(name, "1");
        QVERIFY(QDir(folder.path()).mkdir("dir.txt"));
        QVERIFY(QFile::link(folder.file("a.txt"), folder.file("link.txt")));
        QVERIFY(QFile::link("/etc/passwd", folder.file("planted.txt")));
        std::error_code error;
        const std::filesystem::path base = folder.fsPath();
        QCOMPARE(SpoolSearch(base, "*.txt", error), (Found{base / "B.TXT", base / "a.txt"}));
        QCOMPARE(SpoolSearch(base, "A.txt", error), Found{base / "a.txt"});
        QCOMPARE(SpoolSearch(base, "link.txt", error), Found{});
        QCOMPARE(SpoolSearch(base, "", error), Found{});
        QVERIFY(!error);
        // A file where the folder should be, and no folder at all.
        QVERIFY(SpoolSearch(base / "a.txt", "*.txt", error).empty() && error);
        QVERIFY(SpoolSearch(base / "missing", "*.txt", error).empty());
        QCOMPARE(error, std::make_error_code(std::errc::no_such_file_or_directory));
        // Settings files are found through links.
        QVERIFY(IsRegularFile(base / "link.txt") && IsRegularFile(base / "a.txt"));
        QVERIFY(!IsRegularFile(base / "missing") && !IsRegularFile(base));
    }

    // A portable program keeps everything beside itself; an installed one (root can write /usr/bin)
    // uses the user's folders, the documents folder as the desktop names it.
    void programFolders()
    {
        TempFolder program;
        QCOMPARE(SettingsFolderFor(program.fsPath()), program.fsPath());
        QCOMPARE(PdfFolderFor(program.fsPath(), program.fsPath()), program.fsPath() / "PDF");
        QCOMPARE(SettingsFolderFor("/usr/bin"), Home("/.config/orvalin"));
        QVERIFY(QDir(home_.path() + "/.config/orvalin").exists());
        QCOMPARE(PdfFolderFor(Home("/.config/orvalin"), "/usr/bin"), Home("/Documents/Orvalin"));
        home_.write(".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumentumok\"\n");
        QCOMPARE(PdfFolderFor(Home("/.config/orvalin"), "/usr/bin"), Home("/Dokumentumok/Orvalin"));
    }
};

QTEST_GUILESS_MAIN(PathsTest)
#include "paths_test.moc"
