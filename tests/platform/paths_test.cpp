// The directory search: wildcards, ordinary files only, names with blanks and accents.
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

    void wildcards_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("match");
        QTest::newRow("exact") << "text.txt" << "text.txt" << true;
        QTest::newRow("case matters here") << "text.txt" << "TEXT.TXT" << false;
        QTest::newRow("star") << "*.txt" << "a.txt" << true;
        QTest::newRow("star matches empty") << "*.txt" << ".txt" << true;
        QTest::newRow("star wrong end") << "*.txt" << "a.txt.bak" << false;
        QTest::newRow("question mark") << "?.txt" << "ab.txt" << false;
        QTest::newRow("two stars") << "*a*b*" << "xxaxxbxx" << true;
        QTest::newRow("backtracking") << "*ab" << "aab" << true;
        QTest::newRow("only star") << "*" << "anything" << true;
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
        folder.write("b.txt", "");
        folder.write(".hidden.txt", "1");
        folder.write("c.dat", "1");
        QVERIFY(QDir(folder.path()).mkdir("dir.txt"));
        QVERIFY(QFile::link(folder.file("a.txt"), folder.file("link.txt")));
        QVERIFY(QFile::link("/etc/passwd", folder.file("planted.txt")));
        const std::string base = AnsiCodePage().FromUtf8(folder.path().toStdString()) + "/";
        QCOMPARE(DirectorySearch(base + "*.txt"), (std::vector<std::string>{"a.txt", "b.txt"}));
        QCOMPARE(DirectorySearch(base + "a.txt"), (std::vector<std::string>{"a.txt"}));
        QCOMPARE(DirectorySearch(base + "link.txt"), std::vector<std::string>{});
        QCOMPARE(DirectorySearch(base), std::vector<std::string>{});
    }

    void namesWithBlanksAndAccents()
    {
        TempFolder folder;
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("Nyomtatás mappa")));
        WriteFileBytes(folder.path() + QStringLiteral("/Nyomtatás mappa/számla 1.txt"), "x");
        const std::string base
            = AnsiCodePage().FromUtf8((folder.path() + QStringLiteral("/Nyomtatás mappa/")).toStdString());
        const std::vector<std::string> names = DirectorySearch(base + "*.txt");
        QCOMPARE(names.size(), std::size_t(1));
        QCOMPARE(names[0], std::string("sz\xE1mla 1.txt")); // CP1250
        QVERIFY(QFile::exists(QString::fromStdString(PathFromAnsi(base + names[0]).string())));
    }

    void missingAndUnlistableFolders()
    {
        TempFolder folder;
        std::error_code error;
        QVERIFY(DirectorySearch(folder.path().toStdString() + "/missing/*.txt", error).empty());
        QVERIFY(!error);
        folder.write("plain", "x");
        QVERIFY(DirectorySearch(folder.path().toStdString() + "/plain/*.txt", error).empty());
        QVERIFY(error); // a file where the folder should be
    }

    void ordinaryFileTest()
    {
        TempFolder folder;
        folder.write("Orvalin.ini", "x");
        QVERIFY(IsOrdinaryFile(folder.fsPath() / "Orvalin.ini"));
        QVERIFY(!IsOrdinaryFile(folder.fsPath() / "missing"));
        QVERIFY(!IsOrdinaryFile(folder.fsPath()));
    }
};

QTEST_GUILESS_MAIN(PathsTest)
#include "paths_test.moc"
