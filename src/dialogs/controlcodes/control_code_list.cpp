#include "control_code_list.h"

#include "platform/code_pages.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"
#include "settings/rules.h"
#include "show_codes.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Two aligned columns: the part before the tab at the left, the rest at a fixed column, the
// codes cut with an ellipsis where they would run into the actions.
class TabColumnsDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem item(option);
        initStyleOption(&item, index);
        const QString text = item.text;
        item.text.clear();
        const QWidget* widget = item.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

        const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget).adjusted(2, 0, -2, 0);
        const int column = ActionColumn(item.fontMetrics);
        const qsizetype tab = text.indexOf(QLatin1Char('\t'));
        const QString codes = tab < 0 ? text : text.left(tab);
        const QString action = tab < 0 ? QString() : text.mid(tab + 1);
        const int gap = item.fontMetrics.averageCharWidth();

        painter->save();
        painter->setFont(item.font);
        const bool selected = item.state & QStyle::State_Selected;
        painter->setPen(item.palette.color(QPalette::Normal, selected ? QPalette::HighlightedText : QPalette::Text));
        const QRect codesArea(area.left(), area.top(), std::min(column - gap, area.width()), area.height());
        painter->drawText(codesArea, Qt::AlignLeft | Qt::AlignVCenter,
                          item.fontMetrics.elidedText(codes, Qt::ElideRight, codesArea.width()));
        const QRect actionArea(area.left() + column, area.top(), std::max(0, area.width() - column), area.height());
        painter->drawText(actionArea, Qt::AlignLeft | Qt::AlignVCenter,
                          item.fontMetrics.elidedText(action, Qt::ElideRight, actionArea.width()));
        painter->restore();
    }

    // The action column starts about 36 average characters in, room for seven codes.
    static int ActionColumn(const QFontMetrics& metrics) { return metrics.averageCharWidth() * 36; }
};

} // namespace

ControlCodeList::ControlCodeList(QListWidget& list, std::vector<ControlChar>& workingCodes,
                                 const ActionTableType& table, char decimalSeparator, Editor editor, QWidget* owner)
    : list_(list), workingCodes_(workingCodes), table_(table), decimalSeparator_(decimalSeparator),
      editor_(std::move(editor)), owner_(owner)
{
    list_.setItemDelegate(new TabColumnsDelegate(&list_));
    list_.setSelectionMode(QAbstractItemView::SingleSelection);
    // The right button opens the popup and never moves the selection.
    list_.setContextMenuPolicy(Qt::PreventContextMenu);
    list_.viewport()->installEventFilter(this);
    list_.installEventFilter(this);

    ppMenuSettings = new QMenu(QStringLiteral("ppMenuSettings"), owner);
    ppMenuSettings->setObjectName(QStringLiteral("ppMenuSettings"));
    ppAdd = ppMenuSettings->addAction(QStringLiteral("Új"));
    ppAdd->setObjectName(QStringLiteral("ppAdd"));
    ppEdit = ppMenuSettings->addAction(QStringLiteral("Módosít"));
    ppEdit->setObjectName(QStringLiteral("ppEdit"));
    ppDelete = ppMenuSettings->addAction(QStringLiteral("Töröl"));
    ppDelete->setObjectName(QStringLiteral("ppDelete"));
    ppMenuSettings->setDefaultAction(ppAdd);
    connect(ppAdd, &QAction::triggered, this, &ControlCodeList::OnAddChosen);
    connect(ppEdit, &QAction::triggered, this, &ControlCodeList::OnEditChosen);
    connect(ppDelete, &QAction::triggered, this, &ControlCodeList::OnDeleteChosen);
}

ControlCodeList::~ControlCodeList()
{
    if (list_.viewport())
        list_.viewport()->removeEventFilter(this);
    list_.removeEventFilter(this);
}

void ControlCodeList::ShowControlCodes()
{
    const QList<QListWidgetItem*> selected = list_.selectedItems();
    const QString remembered = selected.isEmpty() ? QString() : selected.first()->text();
    list_.clear();
    const int highest = static_cast<int>(workingCodes_.size()) - 1;
    for (int i = 1; i <= highest; ++i) {
        auto* row = new QListWidgetItem(FromAnsi(ControlCodeRowText(table_, workingCodes_[i], decimalSeparator_)));
        row->setData(Qt::UserRole, i);
        list_.addItem(row);
    }
    list_.setCurrentItem(nullptr);
    if (remembered.isEmpty())
        return;
    for (int r = 0; r < list_.count(); ++r) {
        if (list_.item(r)->text() == remembered) {
            list_.setCurrentRow(r, QItemSelectionModel::ClearAndSelect);
            return;
        }
    }
}

int ControlCodeList::SelectedRule() const
{
    const QList<QListWidgetItem*> selected = list_.selectedItems();
    if (selected.isEmpty())
        return 0;
    const int index = selected.first()->data(Qt::UserRole).toInt();
    return index >= 1 && index < static_cast<int>(workingCodes_.size()) ? index : 0;
}

bool ControlCodeList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &list_) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Menu || (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)) {
                OnMenuKey();
                return true;
            }
        }
        return false;
    }
    if (watched != list_.viewport())
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton)
            return false;
        // The list's own handling would select the row under the pointer: the popup acts on the row
        // that was selected before.
        if (event->type() == QEvent::MouseButtonPress)
            OnListMouseDown(mouse->button(), mouse->buttons(), mouse->globalPosition().toPoint());
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            OnListDoubleClick();
            return true;
        }
        return mouse->button() == Qt::RightButton;
    }
    return false;
}

void ControlCodeList::OnListMouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, const QPoint& globalPos)
{
    if (button != Qt::RightButton || buttons != Qt::RightButton)
        return;
    ShowPopup(globalPos);
}

void ControlCodeList::OnMenuKey()
{
    QPoint where(0, 0);
    const QList<QListWidgetItem*> selected = list_.selectedItems();
    if (!selected.isEmpty()) {
        list_.scrollToItem(selected.first());
        where = list_.visualItemRect(selected.first()).bottomLeft();
    }
    ShowPopup(list_.viewport()->mapToGlobal(where));
}

void ControlCodeList::ShowPopup(const QPoint& globalPos)
{
    const bool rows = list_.count() > 0;
    ppEdit->setEnabled(rows);
    ppDelete->setEnabled(rows);
    ppAdd->setEnabled(true);
    ppMenuSettings->exec(globalPos, ppAdd);
}

void ControlCodeList::OnListDoubleClick()
{
    // Every row holds at least the tab, so a selected row is never blank.
    const QList<QListWidgetItem*> selected = list_.selectedItems();
    if (!selected.isEmpty() && !selected.first()->text().trimmed().isEmpty())
        OnEditChosen();
}

void ControlCodeList::OnAddChosen()
{
    SetMousePointer(MousePointer::Hourglass);
    const ControlChar added = EditControlCode(ControlChar{});
    // A cancelled editor, or one confirmed with every code box empty, adds nothing.
    if (!added.AsciiCode.empty() && static_cast<int>(workingCodes_.size()) - 1 < MaxRules)
        workingCodes_.push_back(added);
    ShowControlCodes();
    SetMousePointer(MousePointer::Default);
}

void ControlCodeList::OnEditChosen()
{
    const int i = SelectedRule();
    if (i == 0)
        return;
    SetMousePointer(MousePointer::Hourglass);
    const ControlChar edited = EditControlCode(workingCodes_[i]);
    workingCodes_[i] = edited;
    ShowControlCodes();
    SetMousePointer(MousePointer::Default);
}

void ControlCodeList::OnDeleteChosen()
{
    if (SelectedRule() == 0)
        return;
    const MessageBox::Answer answer =
        MessageBox::Show(owner_, QStringLiteral("Orvalinó"), QStringLiteral("Biztos, hogy törli?"),
                         MessageBox::Icon::Critical, MessageBox::Buttons::YesNo, MessageBox::Answer::No);
    if (answer != MessageBox::Answer::Yes)
        return;
    // Looked up again: the question's event loop may have run other handlers.
    const int i = SelectedRule();
    if (i == 0)
        return;
    workingCodes_.erase(workingCodes_.begin() + i);
    ShowControlCodes();
}

ControlChar ControlCodeList::EditControlCode(const ControlChar& rule)
{
    SetMousePointer(MousePointer::Hourglass);
    const ControlChar result = editor_ ? editor_(owner_, rule) : rule;
    SetMousePointer(MousePointer::Default);
    return result;
}
