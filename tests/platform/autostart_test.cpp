// The automatic-start entry as an XDG autostart file, in a temporary HOME.
#include "platform/autostart_xdg.h"
#include "temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>

#include <unistd.h>

class AutoStartEntryTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempFolder> home_;
    const AutoStartEntry entry_{"orvalin", "/opt/orvalin/orvalin"};
    QString Folder() const { return home_->path() + "/.config/autostart"; }

private Q_SLOTS:
    void init()
    {
        home_ = std::make_unique<TempFolder>();
        qputenv("HOME", home_->path().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
    }
    void cleanup() { home_.reset(); }

    // Writing creates the folder and the entry; deleting removes this entry only, and reports an
    // entry that is not there.
    void writeReadDelete()
    {
        QVERIFY(!ReadAutoStartEntry(entry_) && WriteAutoStartEntry(entry_));
        const QString file = Folder() + "/orvalin.desktop";
        QCOMPARE(QString::fromStdString(AutoStartFile(entry_).string()), file);
        QCOMPARE(ReadFileBytes(file), QByteArray::fromStdString(DesktopEntryText(entry_)));
        QVERIFY(ReadAutoStartEntry(entry_));
        WriteFileBytes(Folder() + "/other.desktop", "[Desktop Entry]\nExec=other\n");
        QVERIFY(DeleteAutoStartEntry(entry_) && !ReadAutoStartEntry(entry_) && !QFileInfo::exists(file));
        QVERIFY(QFileInfo::exists(Folder() + "/other.desktop") && !DeleteAutoStartEntry(entry_));
        qputenv("XDG_CONFIG_HOME", (home_->path() + "/elsewhere").toUtf8());
        QVERIFY(WriteAutoStartEntry(entry_) && !QFileInfo::exists(file));
        QVERIFY(QFileInfo::exists(home_->path() + "/elsewhere/autostart/orvalin.desktop"));
    }

    // The program's path, then the tray mode word, so that a logon start watches the folder. Inside
    // quotes $ ` " and \ are escaped with a backslash, and the value's own escaping doubles every
    // backslash; a percent sign is doubled so it starts no field code.
    void execLineQuotesAndEscapes()
    {
        const std::pair<QString, QString> rows[] = {
            {"/usr/bin/orvalin", "Exec=/usr/bin/orvalin tray"},
            {"/home/Kovács Éva/Nyomtató program/orvalin", "Exec=\"/home/Kovács Éva/Nyomtató program/orvalin\" tray"},
            {"/opt/a$b/orvalin", "Exec=\"/opt/a\\\\$b/orvalin\" tray"},
            {"/opt/a`b/orvalin", "Exec=\"/opt/a\\\\`b/orvalin\" tray"},
            {"/opt/a\"b/orvalin", "Exec=\"/opt/a\\\\\"b/orvalin\" tray"},
            {"/opt/a\\b/orvalin", "Exec=\"/opt/a\\\\\\\\b/orvalin\" tray"},
            {"/opt/100%/orvalin", "Exec=/opt/100%%/orvalin tray"},
        };
        for (const auto& [program, exec] : rows) {
            const std::string text = DesktopEntryText(AutoStartEntry{"orvalin", program.toStdString()});
            QVERIFY2(QString::fromStdString(text).split('\n').contains(exec), text.c_str());
        }
    }

    // What the entry starts is not looked at (an earlier version's entry without the mode word is
    // present, so the dialog never writes a second one); a hidden or unreadable entry is absent.
    void presence()
    {
        const struct {
            const char* bytes;
            bool readable, present;
        } rows[] = {
            {"[Desktop Entry]\nType=Application\nExec=/usr/bin/orvalin\n", true, true},
            {"[Desktop Entry]\nExec=orvalin\nHidden = true\n", true, false},
            {"[Desktop Entry]\nExec=orvalin\nHidden=false\n", true, true},
            {"[Desktop Entry]\nExec=orvalin\n", false, false},
        };
        // Root reads and writes whatever the permissions say: these cases run as an ordinary user.
        QFile::setPermissions(home_->path(), QFileDevice::Permissions(0x7777));
        const bool switched = ::geteuid() == 0 && ::seteuid(65534) == 0;
        const auto back = qScopeGuard([switched] {
            if (switched)
                (void)!::seteuid(0);
        });
        QVERIFY(QDir().mkpath(Folder()));
        const QString file = Folder() + "/orvalin.desktop";
        for (const auto& row : rows) {
            QFile::remove(file);
            WriteFileBytes(file, row.bytes);
            if (!row.readable)
                QFile::setPermissions(file, QFileDevice::WriteOwner);
            QVERIFY2(ReadAutoStartEntry(entry_) == row.present, row.bytes);
        }
        // A folder it may not write fails quietly.
        QVERIFY(QFile::remove(file));
        QFile::setPermissions(Folder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QVERIFY(!WriteAutoStartEntry(entry_) && !ReadAutoStartEntry(entry_));
    }

    void programEntryIsNamedAfterTheExecutable()
    {
        QCOMPARE(ProgramAutoStartEntry().Name, std::string("autostart_test"));
        QCOMPARE(QString::fromStdString(ProgramAutoStartEntry().Command), QCoreApplication::applicationFilePath());
    }
};

QTEST_GUILESS_MAIN(AutoStartEntryTest)
#include "autostart_test.moc"
