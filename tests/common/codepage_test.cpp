// Code pages: the choice from the language and the byte tables built through iconv.
#include "platform/code_pages.h"

#include <QTest>

class CodePageTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // One language proves the look-up; an unknown one falls back to the English pages.
    void choiceFromLanguage()
    {
        QCOMPARE(CodePagesForLanguage("hu").Ansi, std::string("CP1250"));
        QCOMPARE(CodePagesForLanguage("hu").Oem, std::string("CP852"));
        QCOMPARE(CodePagesForLanguage("xx").Ansi, std::string("CP1252"));
        QCOMPARE(CodePagesForLanguage("").Oem, std::string("CP437"));
    }

    void oemHungarianLettersAndBoxDrawing()
    {
        const CodePage& cp852 = CodePageNamed("CP852");
        QCOMPARE(cp852.At(0x8B), U'ő');
        QCOMPARE(cp852.At(0xFB), U'ű');
        QCOMPARE(cp852.At(0xA0), U'á');
        QCOMPARE(cp852.At(0xC9), U'╔');
        QCOMPARE(cp852.At('A'), U'A');
        QCOMPARE(QString::fromStdString(cp852.ToUtf8("\x8B\xFB")), QStringLiteral("őű"));
    }

    void ansiRoundTrip()
    {
        const CodePage& cp1250 = CodePageNamed("CP1250");
        const std::string utf8 = QStringLiteral("Árvíztűrő tükörfúrógép").toStdString();
        const std::string ansi = cp1250.FromUtf8(utf8);
        QCOMPARE(ansi.size(), std::size_t(22));
        QCOMPARE(cp1250.ToUtf8(ansi), utf8);
    }

    void unrepresentableCharactersBecomeQuestionMarks()
    {
        const CodePage& cp1252 = CodePageNamed("CP1252");
        QCOMPARE(cp1252.FromUtf8(QStringLiteral("aő€").toStdString()), std::string("a?\x80"));
        QCOMPARE(cp1252.FromUtf8("\xC3"), std::string("?")); // truncated UTF-8
        QCOMPARE(cp1252.FromUtf8("\xFF\xFE"), std::string("??"));
    }

    void unknownNameFallsBackToCp437()
    {
        QCOMPARE(CodePageNamed("NO-SUCH-PAGE").Name(), std::string("CP437"));
        QCOMPARE(CodePageNamed("NO-SUCH-PAGE").At(0xC9), U'╔');
    }
};

QTEST_GUILESS_MAIN(CodePageTest)
#include "codepage_test.moc"
