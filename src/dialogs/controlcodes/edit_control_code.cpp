#include "edit_control_code.h"

#include "frm_control_char.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {

QPointer<frmControlChar> editor;

// The editor is a top-level window without a parent; it goes before the application does.
void DeleteEditor() { delete editor.data(); }

} // namespace

frmControlChar& ControlCharEditor()
{
    if (!editor) {
        editor = new frmControlChar(nullptr);
        editor->setObjectName(QStringLiteral("frmControlChar"));
        qAddPostRoutine(DeleteEditor);
    }
    return *editor;
}

ControlChar EditControlCode(QWidget* owner, const ControlChar& rule)
{
    frmControlChar& dialog = ControlCharEditor();
    // Kept above the window that opened it, without being owned (and deleted) by it.
    if (owner && owner->window()->windowHandle()) {
        dialog.winId();
        if (QWindow* handle = dialog.windowHandle())
            handle->setTransientParent(owner->window()->windowHandle());
    }
    dialog.tmpCode = rule.AsciiCode;
    dialog.tmpAction = rule.ActionCode;
    dialog.exec();
    return ControlChar{dialog.tmpCode, dialog.tmpAction};
}
