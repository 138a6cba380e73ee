// The automatic-start entry as an XDG autostart file, in a temporary HOME.
#include "platform/autostart_xdg.h"
#include "temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <unistd.h>

// Root reads and writes whatever the permissions say: for the permission cases the test acts as
// an ordinary user while the guard lives.
class OrdinaryUser {
public:
    explicit OrdinaryUser(const QString& home)
    {
        if (::geteuid() != 0)
            return;
        QFile::setPermissions(home, QFileDevice::Permissions(0x7777));
        switched_ = ::seteuid(65534) == 0;
    }
    ~OrdinaryUser()
    {
        if (switched_)
            (void)!::seteuid(0);
    }
    bool ok() const { return switched_ || ::geteuid() != 0; }

private:
    bool switched_ = false;
};

class AutoStartEntryTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempFolder> home_;
    QString autostartFolder() const { return home_->path() + "/.config/autostart"; }

private Q_SLOTS:
    void init()
    {
        home_ = std::make_unique<TempFolder>();
        qputenv("HOME", home_->path().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
    }

    void cleanup() { home_.reset(); }

    void writeCreatesTheFolderAndTheEntry()
    {
        const AutoStartEntry entry{"orvalin", "/opt/orvalin/orvalin"};
        QVERIFY(!QDir(autostartFolder()).exists());
        QVERIFY(!ReadAutoStartEntry(entry));
        QVERIFY(WriteAutoStartEntry(entry));
        const QString file = autostartFolder() + "/orvalin.desktop";
        QCOMPARE(QString::fromStdString(AutoStartFile(entry).string()), file);
        QCOMPARE(ReadFileBytes(file), QByteArray("[Desktop Entry]\n"
                                                 "Type=Application\n"
                                                 "Name=Orvalin\n"
                                                 "Exec=/opt/orvalin/orvalin tray\n"
                                                 "Terminal=false\n"
                                                 "X-GNOME-Autostart-enabled=true\n"));
        QVERIFY(ReadAutoStartEntry(entry));
    }

    void deleteRemovesOnlyThisEntry()
    {
        const AutoStartEntry entry{"orvalin", "/opt/orvalin/orvalin"};
        QVERIFY(WriteAutoStartEntry(entry));
        WriteFileBytes(autostartFolder() + "/other.desktop", "[Desktop Entry]\nExec=other\n");
        QVERIFY(DeleteAutoStartEntry(entry));
        QVERIFY(!ReadAutoStartEntry(entry));
        QVERIFY(!QFileInfo::exists(autostartFolder() + "/orvalin.desktop"));
        QCOMPARE(ReadFileBytes(autostartFolder() + "/other.desktop"), QByteArray("[Desktop Entry]\nExec=other\n"));
        // Deleting an entry that is not there reports it and changes nothing.
        QVERIFY(!DeleteAutoStartEntry(entry));
    }

    void xdgConfigHomeIsHonoured()
    {
        const QString config = home_->path() + "/elsewhere";
        qputenv("XDG_CONFIG_HOME", config.toUtf8());
        const AutoStartEntry entry{"orvalin", "/usr/bin/orvalin"};
        QVERIFY(WriteAutoStartEntry(entry));
        QVERIFY(QFileInfo::exists(config + "/autostart/orvalin.desktop"));
        QVERIFY(!QFileInfo::exists(autostartFolder()));
    }

    void execLineQuotesAndEscapes_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        // The program's path, then the tray mode word, so that a logon start watches the folder.
        QTest::newRow("plain") << "/usr/bin/orvalin" << "Exec=/usr/bin/orvalin tray";
        QTest::newRow("blanks and accents") << "/home/Kovács Éva/Nyomtató program/orvalin"
                                            << "Exec=\"/home/Kovács Éva/Nyomtató program/orvalin\" tray";
        // Inside quotes, $ ` " and \ are escaped with a backslash, and the value's own escaping
        // doubles every backslash; a percent sign is doubled so it starts no field code.
        QTest::newRow("dollar") << "/opt/a$b/orvalin" << "Exec=\"/opt/a\\\\$b/orvalin\" tray";
        QTest::newRow("quote") << "/opt/a\"b/orvalin" << "Exec=\"/opt/a\\\\\"b/orvalin\" tray";
        QTest::newRow("backslash") << "/opt/a\\b/orvalin" << "Exec=\"/opt/a\\\\\\\\b/orvalin\" tray";
        QTest::newRow("percent") << "/opt/100%/orvalin" << "Exec=/opt/100%%/orvalin tray";
    }
    void execLineQuotesAndEscapes()
    {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        const std::string text = DesktopEntryText(AutoStartEntry{"orvalin", program.toStdString()});
        const QStringList lines = QString::fromStdString(text).split('\n');
        QVERIFY2(lines.contains(exec), text.c_str());
    }

    // What the entry starts is not looked at: an entry an earlier version wrote (without the mode
    // word) is present, so the dialog shows it checked and never writes a second one.
    void earlierEntryCountsAsPresent()
    {
        const AutoStartEntry entry{"orvalin", "/usr/bin/orvalin"};
        QDir().mkpath(autostartFolder());
        const QByteArray earlier = "[Desktop Entry]\nType=Application\nName=Orvalin\nExec=/usr/bin/orvalin\n"
                                   "Terminal=false\nX-GNOME-Autostart-enabled=true\n";
        WriteFileBytes(autostartFolder() + "/orvalin.desktop", earlier);
        QVERIFY(ReadAutoStartEntry(entry));
        QVERIFY(DesktopEntryText(entry) != earlier.toStdString());
    }

    void hiddenEntryCountsAsAbsent()
    {
        const AutoStartEntry entry{"orvalin", "/usr/bin/orvalin"};
        QDir().mkpath(autostartFolder());
        WriteFileBytes(autostartFolder() + "/orvalin.desktop", "[Desktop Entry]\nExec=orvalin\nHidden = true\n");
        QVERIFY(!ReadAutoStartEntry(entry));
        WriteFileBytes(autostartFolder() + "/orvalin.desktop", "[Desktop Entry]\nExec=orvalin\nHidden=false\n");
        QVERIFY(ReadAutoStartEntry(entry));
    }

    void unreadableEntryCountsAsAbsent()
    {
        OrdinaryUser user(home_->path());
        QVERIFY(user.ok());
        const AutoStartEntry entry{"orvalin", "/usr/bin/orvalin"};
        QVERIFY(WriteAutoStartEntry(entry));
        QFile::setPermissions(autostartFolder() + "/orvalin.desktop", QFileDevice::WriteOwner);
        QVERIFY(!ReadAutoStartEntry(entry));
    }

    void readOnlyConfigFolderFailsQuietly()
    {
        OrdinaryUser user(home_->path());
        QVERIFY(user.ok());
        const QString config = home_->path() + "/.config";
        QDir().mkpath(config);
        QFile::setPermissions(config, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const AutoStartEntry entry{"orvalin", "/usr/bin/orvalin"};
        QVERIFY(!WriteAutoStartEntry(entry));
        QVERIFY(!ReadAutoStartEntry(entry));
        QFile::setPermissions(config, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    void programEntryIsNamedAfterTheExecutable()
    {
        const AutoStartEntry entry = ProgramAutoStartEntry();
        QCOMPARE(QString::fromStdString(entry.Name), QStringLiteral("autostart_test"));
        QCOMPARE(QString::fromStdString(entry.Command), QCoreApplication::applicationFilePath());
    }
};

QTEST_GUILESS_MAIN(AutoStartEntryTest)
#include "autostart_test.moc"
