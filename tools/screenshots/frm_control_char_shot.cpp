// Shows the control-code editor on the real display and saves a picture of it, for looking at the
// layout by eye: frm_control_char_shot OUTPUT.png [font-size-rule|new-rule|full|list]
#include "dialogs/controlcodes/frm_control_char.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png [font-size-rule|new-rule|full|list]\n", argv[0]);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    const QString kind = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("font-size-rule");

    frmControlChar editor;
    if (kind == QLatin1String("font-size-rule")) {
        editor.tmpCode = std::string("\x1b\x21", 2);
        editor.tmpAction = "12";
    } else if (kind == QLatin1String("full")) {
        for (int i = 0; i < 28; ++i)
            editor.tmpCode += static_cast<char>(255 - i * 9);
        editor.tmpAction = "bb";
    }
    const bool list = kind == QLatin1String("list");
    if (list) {
        // The open action list: all 22 labels.
        QTimer::singleShot(200, &editor,
                           [&] { editor.findChild<QComboBox*>(QStringLiteral("selAction"))->showPopup(); });
    }
    int status = 1;
    QTimer::singleShot(700, &editor, [&] {
        // The window as the display shows it, decorations aside; with the list, the whole screen.
        const QPixmap shot = list ? editor.screen()->grabWindow(0) : editor.screen()->grabWindow(editor.winId());
        status = shot.save(output) ? 0 : 1;
        editor.reject();
    });
    editor.exec();
    return status;
}
