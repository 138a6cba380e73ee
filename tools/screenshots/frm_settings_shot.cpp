// Shows the settings dialog on a real display (run under xvfb-run) and saves a
// picture of it, and one with the rule list's popup open, into the folder given as argument.
#include "dialogs/controlcodes/edit_control_code.h"
#include "dialogs/settings/frm_settings.h"
#include "platform/folder_browser.h"
#include "platform/fonts.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/shots");
    QDir().mkpath(folder);

    Global global;
    Settings& s = global.settings;
    s.PrinterName = "HP_LaserJet_4";
    s.FontName = DefaultFontFamily();
    s.FontSize = 10;
    s.PollInterval = 3000;
    s.LeftMargin = 0.8;
    s.SpoolFolder = "/home/kovacs/Spool/";
    s.SpoolFileName = "text.txt";
    s.LogoFile = "/home/kovacs/logo.bmp";
    s.LogoCondition = "SZAMLA";
    s.LogoX = 1440;
    s.LogoY = 720;
    global.rules.ControlChars = {ControlChar{},
                                 ControlChar{"\x1b\x45", "bb"},
                                 ControlChar{"\x1b\x46", "eb"},
                                 ControlChar{"\x1b\x21\x01", "12"},
                                 ControlChar{"\x0c", "np"},
                                 ControlChar{"\x09", "tb"},
                                 ControlChar{std::string(1, '\0'), ""},
                                 ControlChar{"\x07", "zz"}};

    frmSettings::Environment env;
    env.PrinterNames = {"HP_LaserJet_4", "Orvalin PDF"};
    env.FontFamilies = FontFamilies();
    env.AutoStart = AutoStartEntry{"orvalin-shot", "/nowhere/orvalin"};
    env.Chooser = std::make_shared<DesktopFileChooser>();
    env.EditControlCode = EditControlCode;
    env.Locale = QLocale(QLocale::Hungarian, QLocale::Hungary);
    frmSettings dialog(global, std::move(env));
    dialog.show();

    QTimer::singleShot(800, &dialog, [&] {
        const QPixmap plain = dialog.screen()->grabWindow(dialog.winId());
        plain.save(folder + "/frm_settings.png");
        auto* list = dialog.findChild<QListWidget*>("lstControlChar");
        list->setCurrentRow(2);
        QMenu* menu = dialog.findChild<QMenu*>("ppMenuSettings");
        QTimer::singleShot(500, &dialog, [&, menu] {
            const QPixmap withMenu = dialog.screen()->grabWindow(0);
            withMenu.save(folder + "/frm_settings_popup.png");
            menu->close();
            dialog.reject();
        });
        menu->exec(list->viewport()->mapToGlobal(list->visualItemRect(list->item(4)).center()));
    });
    dialog.exec();
    std::printf("%dx%d\n", dialog.width(), dialog.height());
    return 0;
}
