// The notification icon's tip: the folder and file name, cut at 63 characters.
#include "platform/code_pages.h"
#include "shell/tray_tip.h"

#include <QTest>

class TrayTipTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SelectCodePages({"CP1250", "CP852"}); }

    void defaults() { QCOMPARE(TrayTipText("c:\\Spool\\", "text.txt"), QStringLiteral("Orvalinó (c:\\Spool\\text.txt)")); }

    void longTipsLoseTheirEnd()
    {
        const std::string folder = "/srv/spool/" + std::string(40, 'a') + "/";
        const QString tip = TrayTipText(folder, "text.txt");
        QCOMPARE(tip.size(), 63);
        QCOMPARE(tip, (QStringLiteral("Orvalinó (") + QString::fromStdString(folder + "text.txt")).left(63));
        QVERIFY(!tip.endsWith(')'));
        // Exactly 63 characters keep the parenthesis.
        const std::string fits(63 - 11, 'b');
        QCOMPARE(TrayTipText("", fits), QStringLiteral("Orvalinó (") + QString::fromStdString(fits) + ")");
    }

    void accentedNamesComeFromTheAnsiCodePage()
    {
        QCOMPARE(TrayTipText("/home/kov\xE1" "cs/Nyomtat\xE1s/", "sz\xE1mla.txt"),
                 QStringLiteral("Orvalinó (/home/kovács/Nyomtatás/számla.txt)"));
    }
};

QTEST_GUILESS_MAIN(TrayTipTest)
#include "tray_tip_test.moc"
