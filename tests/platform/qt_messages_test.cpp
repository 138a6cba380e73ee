// Which of Qt's messages stay out of the log: its two start-up notices, and nothing else.
#include "platform/qt_messages.h"

#include <QTest>

class QtMessagesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void notices_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<bool>("notice");
        QTest::newRow("runtime folder fallback")
            << QByteArray("QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/runtime-anna'") << true;
        QTest::newRow("tray signal on offscreen") << QByteArray(
            "QObject::connect: No such signal QPlatformNativeInterface::systemTrayWindowChanged(QScreen*)")
                                                  << true;
        QTest::newRow("runtime folder with wrong permissions")
            << QByteArray("QStandardPaths: wrong permissions on runtime directory /run/user/1000, 0755 instead of 0700")
            << false;
        QTest::newRow("another missing signal")
            << QByteArray("QObject::connect: No such signal QTimer::fired()") << false;
        QTest::newRow("font warning") << QByteArray(
            "QFont::setPointSizeF: Point size <= 0 (0.000000), must be greater than 0")
                                      << false;
        QTest::newRow("empty") << QByteArray("") << false;
    }
    void notices()
    {
        QFETCH(QByteArray, message);
        QFETCH(bool, notice);
        QCOMPARE(IsQtStartupNotice(message.constData()), notice);
    }
};

QTEST_GUILESS_MAIN(QtMessagesTest)
#include "qt_messages_test.moc"
