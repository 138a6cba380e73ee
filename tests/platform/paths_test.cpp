// The spool-folder search: name matching, ordinary files only, names as the file system gives them.
#include "platform/code_pages.h"
#include "platform/paths.h"
#include "temp_folder.h"

#include <QDir>
#include <QFile>
#include <QTest>

class PathsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SelectCodePages({"CP1250", "CP852"}); }

    // Names match as on the original desktop: whatever the case, "*.*" every name.
    void wildcards_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("match");
        QTest::newRow("exact") << "text.txt"
                               << "text.txt" << true;
        QTest::newRow("upper-case name") << "text.txt"
                                         << "TEXT.TXT" << true;
        QTest::newRow("upper-case pattern") << "TEXT.TXT"
                                            << "text.txt" << true;
        QTest::newRow("mixed case with a star") << "*.txt"
                                                << "A.TXT" << true;
        QTest::newRow("accented letters fold") << "számla?.txt"
                                               << "SZÁMLA1.TXT" << true;
        QTest::newRow("another letter") << "text.txt"
                                        << "test.txt" << false;
        QTest::newRow("star") << "*.txt"
                              << "a.txt" << true;
        QTest::newRow("star matches empty") << "*.txt"
                                            << ".txt" << true;
        QTest::newRow("star wrong end") << "*.txt"
                                        << "a.txt.bak" << false;
        QTest::newRow("question mark is one character") << "?.txt"
                                                        << "ab.txt" << false;
        QTest::newRow("question mark takes an accented letter") << "?.txt"
                                                                << "ő.txt" << true;
        QTest::newRow("two stars") << "*a*b*"
                                   << "xxaxxbxx" << true;
        QTest::newRow("backtracking") << "*ab"
                                      << "aab" << true;
        QTest::newRow("only star") << "*"
                                   << "anything" << true;
        QTest::newRow("star dot star with a dot") << "*.*"
                                                  << "a.txt" << true;
        QTest::newRow("star dot star without a dot") << "*.*"
                                                     << "README" << true;
        QTest::newRow("name dot star without a dot") << "text.*"
                                                     << "TEXT" << true;
        QTest::newRow("name dot star with another name") << "text.*"
                                                         << "textile" << false;
        QTest::newRow("dot star needs its dot elsewhere") << "*.t*"
                                                          << "text" << false;
    }
    void wildcards()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, match);
        QCOMPARE(WildcardMatch(pattern.toStdString(), name.toStdString()), match);
    }

    void onlyOrdinaryFilesAreFound()
    {
        TempFolder folder;
        folder.write("a.txt", "1");
        folder.write("B.TXT", "");
        folder.write(".hidden.txt", "1");
        folder.write("c.dat", "1");
        QVERIFY(QDir(folder.path()).mkdir("dir.txt"));
        QVERIFY(QFile::link(folder.file("a.txt"), folder.file("link.txt")));
        QVERIFY(QFile::link("/etc/passwd", folder.file("planted.txt")));
        std::error_code error;
        const std::filesystem::path base = folder.fsPath();
        QCOMPARE(SpoolSearch(base, "*.txt", error),
                 (std::vector<std::filesystem::path>{base / "B.TXT", base / "a.txt"}));
        QCOMPARE(SpoolSearch(base, "A.txt", error), (std::vector<std::filesystem::path>{base / "a.txt"}));
        QCOMPARE(SpoolSearch(base, "link.txt", error), std::vector<std::filesystem::path>{});
        QCOMPARE(SpoolSearch(base, "", error), std::vector<std::filesystem::path>{});
        QVERIFY(!error);
    }

    // A name is used as the file system gives it: one the code page cannot hold (a Greek letter in
    // CP1250) is found and names the file, instead of turning into "?".
    void namesOutsideTheCodePageAreFoundAsTheyAre()
    {
        TempFolder folder;
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("Nyomtatás mappa")));
        WriteFileBytes(folder.path() + QStringLiteral("/Nyomtatás mappa/számla 1.txt"), "x");
        WriteFileBytes(folder.path() + QStringLiteral("/Nyomtatás mappa/Ωmega.txt"), "y");
        const QByteArray where = (folder.path() + QStringLiteral("/Nyomtatás mappa")).toUtf8();
        const std::filesystem::path base(std::u8string(where.begin(), where.end()));
        std::error_code error;
        const std::vector<std::filesystem::path> files = SpoolSearch(base, "*.txt", error);
        QCOMPARE(files.size(), std::size_t(2));
        QCOMPARE(QFile(QString::fromStdString(files[0].string())).exists(), true);
        QCOMPARE(QFile(QString::fromStdString(files[1].string())).exists(), true);
        QVERIFY(QString::fromStdString(files[1].filename().string()) == QStringLiteral("Ωmega.txt")
                || QString::fromStdString(files[0].filename().string()) == QStringLiteral("Ωmega.txt"));
    }

    void missingAndUnlistableFoldersSayWhy()
    {
        TempFolder folder;
        std::error_code error;
        QVERIFY(SpoolSearch(folder.fsPath() / "missing", "*.txt", error).empty());
        QCOMPARE(error, std::make_error_code(std::errc::no_such_file_or_directory));
        folder.write("plain", "x");
        QVERIFY(SpoolSearch(folder.fsPath() / "plain", "*.txt", error).empty());
        QVERIFY(error); // a file where the folder should be
    }

    void regularFilesAreFoundThroughLinks()
    {
        TempFolder folder;
        folder.write("Orvalin.ini", "x");
        QVERIFY(QFile::link(folder.file("Orvalin.ini"), folder.file("link.ini")));
        QVERIFY(IsRegularFile(folder.fsPath() / "Orvalin.ini"));
        QVERIFY(IsRegularFile(folder.fsPath() / "link.ini"));
        QVERIFY(!IsRegularFile(folder.fsPath() / "missing"));
        QVERIFY(!IsRegularFile(folder.fsPath()));
    }
};

QTEST_GUILESS_MAIN(PathsTest)
#include "paths_test.moc"
