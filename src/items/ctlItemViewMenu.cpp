// The "Item View" menu: its entries, which of them each view type offers, and their enabling.
#include "items/ctlItemView.h"

#include "app/frmInfo.h"

#include "platform/UserInterface.h"
#include "controls/ctlDataGrid.h"
#include "model/Category.h"

#include <QAction>
#include <QMenu>

namespace
{
// "&Column Manager..." is known as "Column Manager".
QString PlainName(QString caption)
{
    caption.remove(QLatin1Char('&'));
    if (caption.endsWith(QLatin1String("...")))
        caption.chop(3);
    return caption;
}

// Separators that come and go with their entries, by the entry they belong to.
const QString DeleteSeparator = QStringLiteral("-Delete");
const QString GroupSeparator = QStringLiteral("-Group by");
} // namespace

QAction* ctlItemView::MenuEntry(const QString& name) const
{
    return m_entries.value(name);
}

void ctlItemView::NotAvailableYet(const QString& feature)
{
    Ui().ShowMessage(QStringLiteral("%1 is not available yet in this version of Kestrowan.").arg(feature));
}

void ctlItemView::BuildMenu()
{
    m_menu = new QMenu(QStringLiteral("Item View"), this);
    m_menu->setObjectName(QStringLiteral("ItemViewMenu"));
    // The main window shows this menu as its own: the selection may have changed since the last click.
    connect(m_menu, &QMenu::aboutToShow, this, &ctlItemView::UpdateMenuState);
    const auto add = [this](QMenu* menu, const QString& caption, auto handler) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(PlainName(caption));
        m_entries.insert(PlainName(caption), action);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    const auto separator = [this](const QString& name) { m_entries.insert(name, m_menu->addSeparator()); };

    m_menu->setDefaultAction(add(m_menu, QStringLiteral("&Open Item"), [this] { OpenCurrentItem(); }));
    QMenu* publish = m_menu->addMenu(QStringLiteral("&Publish"));
    m_entries.insert(QStringLiteral("Publish"), publish->menuAction());
    add(publish, QStringLiteral("&Open in Browser"), [this] { Publish(2); });
    add(publish, QStringLiteral("Save to &File"), [this] { Publish(1); });
    publish->addSeparator();
    add(publish, QStringLiteral("&Settings..."), [this] { frmInfo::ShowSettings(this, frmInfo::HTMLOutputTab); });
    m_menu->addSeparator();

    // The shortcuts act while the keyboard is in the view; the edit box keeps Del for itself.
    QAction* newItem = add(m_menu, QStringLiteral("&New"), [this] { AddItem(); });
    newItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    QAction* deleteItems = add(m_menu, QStringLiteral("&Delete"), [this] { DeleteSelected(); });
    deleteItems->setShortcut(QKeySequence(Qt::Key_Delete));
    for (QAction* action : {newItem, deleteItems}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
    }
    separator(DeleteSeparator);

    QMenu* moveTo = m_menu->addMenu(QStringLiteral("Move To"));
    m_entries.insert(QStringLiteral("Move To"), moveTo->menuAction());
    add(moveTo, QStringLiteral("&Subject..."), [this] { MoveToSubject(); });
    add(moveTo, QStringLiteral("&Item..."), [this] { MoveToItem(); });
    add(m_menu, QStringLiteral("Create Relational Link..."), [this] { CreateRelationalLinks(); });
    separator(GroupSeparator);
    add(m_menu, QStringLiteral("&Group by..."), [this] { GroupBy(); });
    add(m_menu, QStringLiteral("&Column Manager..."), [this] { ShowColumnManager(); });
}

void ctlItemView::UpdateMenuLayout()
{
    // The grid's switches follow the view type too.
    m_grid->SetAllowAddNew(m_viewType == SubjectItems || m_viewType == SubItems);
    m_grid->SetMultiSelect(m_viewType != ItemPicker);
    m_grid->SetAllowEdit(m_viewType != ItemPicker);
    m_grid->SetLayout(m_viewType == SingleItem ? ctlDataGrid::Layout::Card : ctlDataGrid::Layout::Table);

    QStringList hidden;
    switch (m_viewType) {
    case QueryResults:
        hidden = {QStringLiteral("Column Manager"), QStringLiteral("New"), QStringLiteral("Delete"), DeleteSeparator};
        break;
    case SingleItem:
        hidden = {QStringLiteral("New"),      QStringLiteral("Delete"), DeleteSeparator,
                  QStringLiteral("Group by"), GroupSeparator,           QStringLiteral("Column Manager")};
        break;
    case RelationalItems:
        hidden = {QStringLiteral("Column Manager"), QStringLiteral("New"), QStringLiteral("Publish"),
                  QStringLiteral("Item")};
        break;
    case PeopleLinks:
        hidden = {QStringLiteral("Column Manager"), QStringLiteral("New"), QStringLiteral("Group by")};
        break;
    default:
        break;
    }
    for (auto entry = m_entries.cbegin(); entry != m_entries.cend(); ++entry)
        entry.value()->setVisible(!hidden.contains(entry.key()));
}

bool ctlItemView::HasSelection() const
{
    if (!m_subject)
        return false;
    return m_grid->MultiSelect() ? m_grid->SelectedCount() > 0 : m_grid->Row() > 0;
}

void ctlItemView::UpdateMenuState()
{
    const bool selection = HasSelection();
    Category* category = m_subject ? m_subject->category() : nullptr;
    m_entries.value(QStringLiteral("Column Manager"))->setEnabled(m_subject.has_value());
    m_entries.value(QStringLiteral("Item"))->setVisible(category && category->IsChild());
    for (const char* name : {"Open Item", "Delete", "Publish", "Move To", "Create Relational Link", "Group by"})
        m_entries.value(QLatin1String(name))->setEnabled(selection);
    m_entries.value(QStringLiteral("Create Relational Link"))->setVisible(m_viewType != RelationalItems);
    m_entries.value(QStringLiteral("New"))->setEnabled(m_subject.has_value());
}
