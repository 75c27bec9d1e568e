#include "tree/ctlSubjectView.h"

#include "app/clsCatalog.h"
#include "app/frmMessage.h"
#include "controls/CategoryImageList.h"
#include "controls/IconLibrary.h"
#include "model/Categories.h"
#include "model/Category.h"
#include "platform/Database.h"
#include "platform/UserInterface.h"
#include "storage/modDBOperations.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QSet>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

namespace {

enum NodeRole { KeyRole = Qt::UserRole + 1, TagRole, ImageRole, SelectedImageRole };

const QString DragFormat = QStringLiteral("application/x-kestrowan-subject");
constexpr int HoverExpandMs = 800;

// Children are kept in name order without regard to letter case, as people read a list of folders.
class SubjectNode : public QTreeWidgetItem {
public:
    bool operator<(const QTreeWidgetItem& other) const override
    {
        const QString mine = text(0), theirs = other.text(0);
        const int folded = mine.compare(theirs, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : mine < theirs;
    }
};

QString Folded(const QString& key) { return key.toCaseFolded(); }

// Menu captions show "&" as typed.
QString MenuText(QString text) { return text.replace(QLatin1Char('&'), QLatin1String("&&")); }

} // namespace

// The tree control itself: hands its mouse, keyboard, editing and drag-and-drop events to the view.
class SubjectTree : public QTreeWidget {
public:
    explicit SubjectTree(ctlSubjectView* view) : QTreeWidget(view), m_view(view)
    {
        setObjectName(QStringLiteral("SubjectTree"));
        setColumnCount(1);
        setHeaderHidden(true);
        header()->setStretchLastSection(true);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setEditTriggers(QAbstractItemView::EditKeyPressed);
        setIconSize(QSize(16, 16));
        setUniformRowHeights(true);
        setSortingEnabled(true);
        sortByColumn(0, Qt::AscendingOrder);
        setDragEnabled(true);
        setAcceptDrops(true);
        viewport()->setAcceptDrops(true);
        setDropIndicatorShown(false);
        setDragDropMode(QAbstractItemView::DragDrop);
        setContextMenuPolicy(Qt::DefaultContextMenu);
        connect(this, &QTreeWidget::currentItemChanged, this,
                [this](QTreeWidgetItem* current, QTreeWidgetItem*) { m_view->NodeCurrentChanged(current); });
    }

    QTreeWidgetItem* ItemOf(const QModelIndex& index) const { return itemFromIndex(index); }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        QTreeWidget::mousePressEvent(event);
        if (QTreeWidgetItem* node = itemAt(event->position().toPoint()); node && !m_view->m_selectionOnly)
            m_view->NodePressed(node);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QTreeWidget::mouseReleaseEvent(event);
        m_view->ButtonReleased(event->button(), itemAt(event->position().toPoint()), event->globalPosition().toPoint());
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        m_view->m_fromKeyboard = true;
        QTreeWidget::keyPressEvent(event);
        m_view->m_fromKeyboard = false;
    }

    void keyReleaseEvent(QKeyEvent* event) override
    {
        QTreeWidget::keyReleaseEvent(event);
        if (event->key() == Qt::Key_Delete && !event->isAutoRepeat())
            m_view->DeleteSelected();
    }

    void contextMenuEvent(QContextMenuEvent* event) override
    {
        // The mouse shows the menu on release; the keyboard's menu key shows it at the highlighted node.
        event->accept();
        if (event->reason() != QContextMenuEvent::Keyboard || m_view->m_selectionOnly)
            return;
        const QRect rect = currentItem() ? visualItemRect(currentItem()) : QRect();
        m_view->m_menu->popup(viewport()->mapToGlobal(rect.isValid() ? rect.center() : QPoint(8, 8)));
    }

    void startDrag(Qt::DropActions) override
    {
        if (m_view->m_selectionOnly || !m_view->m_selected || !currentItem())
            return;
        auto* data = new QMimeData;
        data->setData(DragFormat, m_view->KeyOf(currentItem()).toUtf8());
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        drag->setPixmap(currentItem()->icon(0).pixmap(16, 16));
        drag->exec(Qt::MoveAction);
        m_view->DragLeft();
    }

    void dragEnterEvent(QDragEnterEvent* event) override
    {
        // Only a subject of this tree, dragged from its own node.
        if (!event->mimeData()->hasFormat(DragFormat) || !m_view->m_selected ||
            QString::fromUtf8(event->mimeData()->data(DragFormat))
                    .compare(m_view->m_selected->NodeKey(), Qt::CaseInsensitive) != 0) {
            event->ignore();
            return;
        }
        // Taken even where it cannot drop (the drag starts over its own node): a refused enter would stop
        // the moves that follow.
        const bool here = Answer(event);
        event->accept();
        event->setDropAction(here ? Qt::MoveAction : Qt::IgnoreAction);
    }

    void dragMoveEvent(QDragMoveEvent* event) override { Answer(event); }

    void dragLeaveEvent(QDragLeaveEvent* event) override
    {
        event->accept();
        m_view->DragLeft();
    }

    void dropEvent(QDropEvent* event) override
    {
        if (!event->mimeData()->hasFormat(DragFormat)) {
            event->ignore();
            return;
        }
        m_view->Dropped(itemAt(event->position().toPoint()));
        event->setDropAction(Qt::MoveAction);
        event->accept();
    }

private:
    bool Answer(QDragMoveEvent* event)
    {
        if (m_view->DragOver(itemAt(event->position().toPoint())) == Qt::MoveAction) {
            event->setDropAction(Qt::MoveAction);
            event->accept();
            return true;
        }
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        return false;
    }

    ctlSubjectView* m_view;
};

// Paints the drop highlight and commits in-place edits through the subject's rename.
class SubjectNodeDelegate : public QStyledItemDelegate {
public:
    SubjectNodeDelegate(ctlSubjectView* view, SubjectTree* tree) : QStyledItemDelegate(tree), m_view(view), m_tree(tree)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem shown(option);
        if (m_view->m_dropHighlight && m_tree->ItemOf(index) == m_view->m_dropHighlight)
            shown.state |= QStyle::State_Selected;
        QStyledItemDelegate::paint(painter, shown, index);
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setObjectName(QStringLiteral("NodeEditor"));
            line->setMaxLength(255); // the longest name [Tree] and [Categories] keep
        }
        return editor;
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        // A refused name shows a message box, which takes the focus from the editor and would commit it
        // a second time.
        if (m_committing)
            return;
        auto* line = qobject_cast<QLineEdit*>(editor);
        QTreeWidgetItem* node = m_tree->ItemOf(index);
        if (!line || !node)
            return;
        m_committing = true;
        m_view->CommitRename(node, line->text());
        m_committing = false;
    }

private:
    ctlSubjectView* m_view;
    SubjectTree* m_tree;
    mutable bool m_committing = false;
};

ctlSubjectView::ctlSubjectView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SubjectView"));
    m_tree = new SubjectTree(this);
    m_tree->setItemDelegate(new SubjectNodeDelegate(this, m_tree));
    m_hoverTimer = new QTimer(this);
    m_hoverTimer->setInterval(HoverExpandMs);
    connect(m_hoverTimer, &QTimer::timeout, this, &ctlSubjectView::HoverTimerFired);
    QFont bold = font();
    bold.setBold(true);
    m_headerHeight = QFontMetrics(bold).height() + 7;
    BuildMenu();
    UpdateMenuStates();
    setMinimumSize(60, m_headerHeight + 40);
}

ctlSubjectView::~ctlSubjectView()
{
    // The catalog object must not reach a view that is gone.
    if (Catalog().Subjects == this)
        Catalog().Subjects = nullptr;
}

void ctlSubjectView::Setup(const CategoryImageList* images, MainWindowHooks hooks,
                           std::function<int()> itemViewHeaderHeight)
{
    m_images = images;
    m_hooks = std::move(hooks);
    m_itemViewHeaderHeight = std::move(itemViewHeaderHeight);
    m_setUp = true;
    LayoutChildren();
}

QTreeWidget* ctlSubjectView::Tree() const { return m_tree; }

void ctlSubjectView::BuildMenu()
{
    m_menu = new QMenu(QStringLiteral("Subject View"), this);
    m_menu->setObjectName(QStringLiteral("SubjectViewMenu"));
    // The catalog may have opened or closed since the last selection update.
    connect(m_menu, &QMenu::aboutToShow, this, &ctlSubjectView::UpdateMenuStates);
    const auto entry = [this](const QString& name, const QString& caption, const QString& icon, auto handler) {
        QAction* action = m_menu->addAction(IconLibrary::Icon(icon), caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
        m_entries.insert(name, action);
        return action;
    };
    m_menu->setDefaultAction(
        entry(QStringLiteral("Open Subject"), QStringLiteral("&Open Subject"), QStringLiteral("Open Folder"), [this] {
            if (m_selected)
                m_selected->OpenSubject();
        }));
    m_menu->addSeparator();
    entry(QStringLiteral("New Category Wizard"), QStringLiteral("&New Category Wizard..."),
          QStringLiteral("Special Folder"), [this] { NotAvailableYet(QStringLiteral("The new category wizard")); });
    entry(QStringLiteral("Create Plugin"), QStringLiteral("&Create Plugin"), QStringLiteral("Export"), [this] {
        if (m_selected)
            NotAvailableYet(QStringLiteral("Writing a category as a plugin file"));
    });
    m_menu->addSeparator();
    entry(QStringLiteral("Add"), QStringLiteral("&Add"), QStringLiteral("New Subject"), [this] { Add(); });
    entry(QStringLiteral("Delete"), QStringLiteral("Delete"), QStringLiteral("Delete"), [this] { DeleteSelected(); });
    entry(QStringLiteral("Rename"), QStringLiteral("Rename"), QString(), [this] { StartRename(); });
    m_menu->addSeparator();
    entry(QStringLiteral("Properties"), QStringLiteral("&Properties"), QStringLiteral("Properties"),
          [this] { Properties(); });
    // Nothing is selected yet: the commands on a subject wait for one.
    for (const char* name : {"Add", "Delete", "Rename"})
        m_entries.value(QString::fromLatin1(name))->setEnabled(false);
}

QAction* ctlSubjectView::MenuEntry(const QString& name) const { return m_entries.value(name); }

void ctlSubjectView::NotAvailableYet(const QString& feature)
{
    frmMessage::ShowMessage(QStringLiteral("%1 is not available yet in this version of Kestrowan.").arg(feature),
                            window());
}

// ---- Nodes -------------------------------------------------------------------------------------------------

QTreeWidgetItem* ctlSubjectView::Node(const QString& key) const { return m_nodes.value(Folded(key)); }

QString ctlSubjectView::KeyOf(const QTreeWidgetItem* node) const
{
    return node ? node->data(0, KeyRole).toString() : QString();
}

QString ctlSubjectView::SubjectKeyOf(const QTreeWidgetItem* node) const
{
    const QString key = KeyOf(node);
    if (key.endsWith(QLatin1Char('A'), Qt::CaseInsensitive) && Subject::IsNumericKey(key.chopped(1)))
        return key.chopped(1).trimmed();
    return key;
}

QTreeWidgetItem* ctlSubjectView::CategoryNodeOf(QTreeWidgetItem* node) const
{
    while (node && Subject::IsNumericKey(SubjectKeyOf(node)))
        node = node->parent();
    return node;
}

QPixmap ctlSubjectView::Picture(const QString& image) const
{
    return m_images ? m_images->Pixmap(image) : IconLibrary::Pixmap(image);
}

QIcon ctlSubjectView::NodeIcon(const QString& image, const QString& selectedImage) const
{
    QIcon icon;
    const QPixmap normal = Picture(image);
    const QPixmap selected = selectedImage.isEmpty() ? normal : Picture(selectedImage);
    icon.addPixmap(normal, QIcon::Normal);
    icon.addPixmap(normal, QIcon::Active);
    icon.addPixmap(selected, QIcon::Selected);
    return icon;
}

void ctlSubjectView::AddNode(const QString& parentKey, const QString& key, const QString& text, const QVariant& tag,
                             const QString& image, const QString& selectedImage)
{
    // A key that is taken, or a parent that is not there, is refused as a tree control refuses it.
    if (key.isEmpty() || m_nodes.contains(Folded(key)))
        return;
    QTreeWidgetItem* parent = parentKey.isEmpty() ? nullptr : Node(parentKey);
    if (!parentKey.isEmpty() && !parent)
        return;
    auto* node = new SubjectNode;
    node->setText(0, text);
    node->setData(0, KeyRole, key);
    node->setData(0, TagRole, tag);
    node->setData(0, ImageRole, image);
    node->setData(0, SelectedImageRole, selectedImage);
    node->setIcon(0, NodeIcon(image, selectedImage));
    node->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDragEnabled |
                   Qt::ItemIsDropEnabled);
    m_nodes.insert(Folded(key), node);
    if (parent)
        parent->addChild(node);
    else
        m_tree->addTopLevelItem(node);
}

bool ctlSubjectView::HasNode(const QString& key) const { return Node(key) != nullptr; }

bool ctlSubjectView::MoveNode(const QString& key, const QString& newParentKey)
{
    QTreeWidgetItem* node = Node(key);
    QTreeWidgetItem* newParent = newParentKey.isEmpty() ? nullptr : Node(newParentKey);
    if (!node || (!newParentKey.isEmpty() && !newParent))
        return false;
    for (QTreeWidgetItem* up = newParent; up; up = up->parent())
        if (up == node)
            return false; // under itself or its own descendant
    if (node->parent() == newParent)
        return true;

    // Taking the branch out of the tree forgets its expanded nodes and the highlight; put them back.
    QSet<QTreeWidgetItem*> expanded;
    bool highlightInside = false;
    QTreeWidgetItem* highlighted = m_tree->currentItem();
    const std::function<void(QTreeWidgetItem*)> remember = [&](QTreeWidgetItem* item) {
        if (item->isExpanded())
            expanded.insert(item);
        if (item == highlighted)
            highlightInside = true;
        for (int i = 0; i < item->childCount(); ++i)
            remember(item->child(i));
    };
    remember(node);

    m_highlighting = true;
    // The position is asked first: that runs the sort the tree still owes, which taking by position would
    // otherwise run afterwards, taking whatever sibling then sits there.
    if (QTreeWidgetItem* oldParent = node->parent())
        oldParent->takeChild(oldParent->indexOfChild(node));
    else
        m_tree->takeTopLevelItem(m_tree->indexOfTopLevelItem(node));
    if (newParent)
        newParent->addChild(node);
    else
        m_tree->addTopLevelItem(node);
    for (QTreeWidgetItem* item : std::as_const(expanded))
        item->setExpanded(true);
    if (highlightInside) {
        m_tree->setCurrentItem(highlighted);
        highlighted->setSelected(m_selected && Node(m_selected->NodeKey()) == highlighted);
    }
    m_highlighting = false;
    return true;
}

void ctlSubjectView::Forget(QTreeWidgetItem* node)
{
    m_nodes.remove(Folded(KeyOf(node)));
    if (m_hoverNode == node)
        m_hoverNode = nullptr;
    if (m_dropHighlight == node)
        m_dropHighlight = nullptr;
    for (int i = 0; i < node->childCount(); ++i)
        Forget(node->child(i));
}

void ctlSubjectView::Remove(const QString& key)
{
    QTreeWidgetItem* node = Node(key);
    if (!node)
        return;
    Forget(node);
    m_highlighting = true;
    delete node;
    m_highlighting = false;
}

void ctlSubjectView::Clear()
{
    m_highlighting = true;
    m_tree->clear();
    m_highlighting = false;
    m_nodes.clear();
    m_hoverNode = nullptr;
    m_dropHighlight = nullptr;
    m_hoverTimer->stop();
}

QString ctlSubjectView::NodeText(const QString& key) const
{
    const QTreeWidgetItem* node = Node(key);
    return node ? node->text(0) : QString();
}

void ctlSubjectView::SetNodeText(const QString& key, const QString& text)
{
    if (QTreeWidgetItem* node = Node(key))
        node->setText(0, text); // the sorted tree puts it in its new place
}

void ctlSubjectView::SetNodeImages(const QString& key, const QString& image, const QString& selectedImage)
{
    QTreeWidgetItem* node = Node(key);
    if (!node)
        return;
    node->setData(0, ImageRole, image);
    node->setData(0, SelectedImageRole, selectedImage);
    node->setIcon(0, NodeIcon(image, selectedImage));
}

QStringList ctlSubjectView::ChildKeys(const QString& key) const
{
    QStringList keys;
    if (const QTreeWidgetItem* node = Node(key))
        for (int i = 0; i < node->childCount(); ++i)
            keys << KeyOf(node->child(i));
    return keys;
}

QStringList ctlSubjectView::AllKeys() const
{
    QStringList keys;
    const std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* node) {
        keys << KeyOf(node);
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i));
    };
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
        walk(m_tree->topLevelItem(i));
    return keys;
}

bool ctlSubjectView::IsExpanded(const QString& key) const
{
    const QTreeWidgetItem* node = Node(key);
    return node && node->isExpanded();
}

QString ctlSubjectView::NodeImage(const QString& key) const
{
    const QTreeWidgetItem* node = Node(key);
    return node ? node->data(0, ImageRole).toString() : QString();
}

QString ctlSubjectView::NodeSelectedImage(const QString& key) const
{
    const QTreeWidgetItem* node = Node(key);
    return node ? node->data(0, SelectedImageRole).toString() : QString();
}

QString ctlSubjectView::SelectedNodeKey() const { return KeyOf(m_tree->currentItem()); }

QVariant ctlSubjectView::SelectedNodeTag() const
{
    const QTreeWidgetItem* node = m_tree->currentItem();
    return node ? node->data(0, TagRole) : QVariant();
}

QString ctlSubjectView::DropHighlightKey() const { return KeyOf(m_dropHighlight); }

void ctlSubjectView::Sort() { m_tree->sortItems(0, Qt::AscendingOrder); }

void ctlSubjectView::Collapse()
{
    SetRedraw(false);
    m_tree->collapseAll();
    Sort();
    SetRedraw(true);
}

void ctlSubjectView::Expand()
{
    SetRedraw(false);
    m_tree->expandAll();
    Sort();
    if (QTreeWidgetItem* node = m_tree->currentItem())
        m_tree->scrollToItem(node);
    SetRedraw(true);
}

void ctlSubjectView::SetRedraw(bool on) { m_tree->setUpdatesEnabled(on); }

void ctlSubjectView::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    if (enabled)
        return;
    Clear();
    m_selected.reset();
}

bool ctlSubjectView::KeyExists(const QString& key) const
{
    // Only a number can name a [Tree] row; anything else never reaches the SQL text.
    if (!Subject::IsNumericKey(key))
        return false;
    return modDBOperations::QueryCount(QStringLiteral("SELECT COUNT(*) FROM [Tree] WHERE [ID] = ") + key.trimmed(),
                                       Catalog().database()) == 1;
}

// ---- Selection ---------------------------------------------------------------------------------------------

void ctlSubjectView::Highlight(QTreeWidgetItem* node)
{
    m_highlighting = true;
    for (QTreeWidgetItem* up = node->parent(); up; up = up->parent())
        up->setExpanded(true);
    m_tree->setCurrentItem(node);
    node->setSelected(true);
    m_tree->scrollToItem(node);
    m_highlighting = false;
}

void ctlSubjectView::UpdateMenuStates()
{
    QAction* plugin = m_entries.value(QStringLiteral("Create Plugin"));
    if (!m_selected) {
        m_entries.value(QStringLiteral("Open Subject"))->setEnabled(false);
        m_entries.value(QStringLiteral("New Category Wizard"))->setEnabled(Catalog().Loaded());
        plugin->setVisible(true);
        plugin->setEnabled(false);
        plugin->setText(QStringLiteral("&Create Plugin"));
        return;
    }
    const Category* category = m_selected->category();
    const int type = category ? category->CType() : Category::Ordinary;
    // The built-in Relational category (and the reserved type after it) cannot be written as a plugin.
    plugin->setVisible(type != 2 && type != 3);
    plugin->setEnabled(true);
    const QTreeWidgetItem* node = Node(m_selected->NodeKey());
    plugin->setText(QStringLiteral("&Create '") + MenuText(node ? node->text(0) : QString()) +
                    QStringLiteral("' Plugin"));
    for (const char* name : {"New Category Wizard", "Open Subject", "Delete", "Rename", "Add"})
        m_entries.value(QString::fromLatin1(name))->setEnabled(true);
}

void ctlSubjectView::SetSelected(const QString& subjectKey)
{
    if (subjectKey.isEmpty())
        m_selected.reset();
    else
        m_selected = Item(subjectKey);
    UpdateMenuStates();
    if (!m_selected) {
        m_highlighting = true;
        m_tree->clearSelection();
        m_highlighting = false;
        if (m_hooks.setHeader)
            m_hooks.setHeader(QStringLiteral("Subject View"), QPixmap());
        return;
    }
    QTreeWidgetItem* node = Node(m_selected->NodeKey());
    if (node)
        Highlight(node);
    const Category* category = m_selected->category();
    if (m_hooks.setAddEnabled)
        m_hooks.setAddEnabled(!category || category->CType() != Category::Relational);

    QString text;
    QString image;
    if (node) {
        text = node->text(0);
        image = node->data(0, ImageRole).toString();
    } else if (category) {
        // A subject with no node here (its category is hidden): named from the catalog.
        text = m_selected->IsCategory()
                   ? category->Name()
                   : modDBOperations::QueryValue(Catalog().database(),
                                                 QStringLiteral("SELECT [Subject] FROM [Tree] WHERE [ID] = ") +
                                                     QString::number(m_selected->TreeID()));
        image = m_selected->IsCategory() ? QStringLiteral("Special Folder") : category->ImageMain();
    }
    if (m_hooks.setHeader)
        m_hooks.setHeader(text, Picture(image));
    const QString quoted = QStringLiteral("\"") + MenuText(text) + QStringLiteral("\"");
    m_entries.value(QStringLiteral("Delete"))->setText(QStringLiteral("&Delete ") + quoted);
    m_entries.value(QStringLiteral("Rename"))->setText(QStringLiteral("Rena&me ") + quoted);
}

void ctlSubjectView::UseSelectedNode()
{
    QTreeWidgetItem* node = m_tree->currentItem();
    if (!node)
        return;
    SetSelected(SubjectKeyOf(node));
    if (m_selected)
        m_selected->OpenSubject();
}

// ---- Commands ----------------------------------------------------------------------------------------------

void ctlSubjectView::Add()
{
    if (!m_selected)
        return;
    Category* category = m_selected->category();
    QTreeWidgetItem* parent = Node(m_selected->NodeKey());
    if (!category || !parent)
        return;
    const QString name = QStringLiteral("New Subject");
    const Result<qint64> id = Subject::Create(*category, name, m_selected->IsCategory() ? QString() : m_selected->ID());
    if (!id) {
        frmMessage::ShowMessage(QStringLiteral("The subject could not be added.\n\n") + id.error().message, window());
        return;
    }
    const QString key = QString::number(*id);
    AddNode(KeyOf(parent), NodeKey(key), name, *id, category->ImageMain(), category->ImageMainSelected());
    SetSelected(key);
    StartRename();
}

void ctlSubjectView::StartRename()
{
    QTreeWidgetItem* node = m_tree->currentItem();
    if (!node || m_selectionOnly)
        return;
    m_tree->scrollToItem(node);
    m_tree->editItem(node, 0);
}

bool ctlSubjectView::CommitRename(QTreeWidgetItem* node, const QString& text)
{
    if (!node || text == node->text(0))
        return true; // nothing changed: nothing to write or check
    return Item(SubjectKeyOf(node)).Rename(text);
}

void ctlSubjectView::Properties()
{
    if (!m_selected)
        return;
    NotAvailableYet(m_selected->IsCategory() ? QStringLiteral("The category properties dialog")
                                             : QStringLiteral("The subject properties dialog"));
}

bool ctlSubjectView::DeleteSubjectRows(const Subject& subject, const QStringList& keys, qint64 newTreeId)
{
    Database* db = Catalog().database();
    const Category* category = subject.category();
    if (!db || !category)
        return false;
    const Category* relational = Catalog().categories().RelationalCategory();
    const QString target = QString::number(newTreeId);
    // All of the branch or none of it: a half-done delete would leave items filed under subjects that are gone.
    Transaction transaction(*db);
    DbError error = transaction.error();
    for (const QString& key : keys) {
        if (error)
            break;
        const QString id = QString::number(key.trimmed().toLongLong());
        QStringList statements{QStringLiteral("DELETE * FROM [Tree] WHERE [ID] = ") + id,
                               QStringLiteral("UPDATE [") + category->DBName() + QStringLiteral("] SET [TreeID] = ") +
                                   target + QStringLiteral(" WHERE [TreeID] = ") + id};
        if (category->CType() != Category::Relational && relational)
            statements << QStringLiteral("UPDATE [") + relational->DBName() +
                              QStringLiteral("] SET [RecordTreeID] = ") + target +
                              QStringLiteral(" WHERE [RecordTreeID] = ") + id;
        for (const QString& sql : statements) {
            const Result<int> done = db->Execute(sql);
            if (!done) {
                error = done.error();
                break;
            }
        }
    }
    if (!error)
        error = transaction.Commit();
    if (error) {
        frmMessage::ShowMessage(
            QStringLiteral("The subject could not be deleted; nothing was changed.\n\nError number ") +
                QString::number(error.number) + QStringLiteral(": ") + error.message,
            window());
        return false;
    }
    return true;
}

void ctlSubjectView::DeleteSelected()
{
    if (!m_selected)
        return;
    const Subject subject = *m_selected;
    Category* category = subject.category();
    QTreeWidgetItem* node = Node(subject.NodeKey());
    if (!category || !node)
        return;

    if (subject.IsCategory()) {
        if (category->CType() != Category::Ordinary) {
            frmMessage::ShowMessage(
                QStringLiteral(
                    "The 'People' and 'Relational' categories are special categories that cannot be deleted. "
                    "You can, however, hide them from this view by accessing their properties dialog."),
                window());
            return;
        }
        const int answer =
            frmMessage::ShowMessage(QStringLiteral("Are you sure you'd like to delete the category '") +
                                        category->Name() + QStringLiteral("' and all data contained within it?"),
                                    window(), frmMessage::YesNo);
        if (answer != UserInterface::No)
            Catalog().categories().Remove(category->ID(), true);
        SetSelected(QString());
        return;
    }

    const int answer = frmMessage::ShowMessage(
        QStringLiteral("Delete '") + node->text(0) +
            QStringLiteral(
                "' and all Subjects beneath it on the tree?\r\n\r\nItems existing in this Subject will not be "
                "deleted but will be moved to the Subject's parent."),
        window(), frmMessage::YesNo);
    if (answer == UserInterface::No)
        return;

    const QString parentKey = SubjectKeyOf(node->parent());
    const qint64 newTreeId = Subject::IsNumericKey(parentKey) ? parentKey.toLongLong() : 0;
    QStringList keys{subject.ID()};
    const HashTable descendants = subject.ChildSubjects(false);
    for (int i = 1; i <= descendants.Count(); ++i)
        if (const HashValue* entry = descendants.Item(i))
            keys << entry->Value.toString();
    if (!DeleteSubjectRows(subject, keys, newTreeId))
        return;
    for (qsizetype i = 1; i < keys.size(); ++i)
        Remove(NodeKey(keys.at(i)));
    Remove(subject.NodeKey());
    SetSelected(parentKey);
}

// ---- Mouse, keyboard, drag and drop ------------------------------------------------------------------------

void ctlSubjectView::NodePressed(QTreeWidgetItem* node) { SetSelected(SubjectKeyOf(node)); }

void ctlSubjectView::NodeCurrentChanged(QTreeWidgetItem* node)
{
    // The keyboard moves the highlight: the highlighted node becomes the selected subject, as a click does.
    // The tree's own moves (focus arriving, nodes going) select nothing.
    if (!m_fromKeyboard || m_highlighting || m_selectionOnly || !node)
        return;
    const QString key = SubjectKeyOf(node);
    if (m_selected && m_selected->ID() == key)
        return;
    SetSelected(key);
}

void ctlSubjectView::ButtonReleased(Qt::MouseButton button, QTreeWidgetItem* node, const QPoint& globalPos)
{
    if (m_selectionOnly)
        return;
    if (button == Qt::RightButton) {
        m_menu->popup(globalPos);
        return;
    }
    if (node && m_selected)
        m_selected->OpenSubject();
}

Qt::DropAction ctlSubjectView::DragOver(QTreeWidgetItem* node)
{
    if (m_dropHighlight != node) {
        m_dropHighlight = node;
        m_tree->viewport()->update();
    }
    if (!node) {
        m_hoverNode = nullptr;
        return Qt::IgnoreAction;
    }
    QTreeWidgetItem* dragged = m_selected && !m_selected->IsCategory() ? Node(m_selected->NodeKey()) : nullptr;
    if (!dragged || CategoryNodeOf(node) != CategoryNodeOf(dragged))
        return Qt::IgnoreAction;
    for (QTreeWidgetItem* up = node; up; up = up->parent())
        if (up == dragged)
            return Qt::IgnoreAction; // onto itself or below itself: nothing can move there
    if (node != m_hoverNode) {
        m_hoverNode = node;
        m_hoverTimer->start();
    }
    return Qt::MoveAction;
}

void ctlSubjectView::HoverTimerFired()
{
    m_hoverTimer->stop();
    if (m_hoverNode)
        m_hoverNode->setExpanded(true);
}

void ctlSubjectView::DragLeft()
{
    m_hoverTimer->stop();
    m_hoverNode = nullptr;
    if (m_dropHighlight) {
        m_dropHighlight = nullptr;
        m_tree->viewport()->update();
    }
}

void ctlSubjectView::Dropped(QTreeWidgetItem* node)
{
    m_hoverTimer->stop();
    QTreeWidgetItem* dragged = m_selected ? Node(m_selected->NodeKey()) : nullptr;
    // The same refusals as while dragging: a drop can arrive without a move over the node first.
    const bool allowed =
        node && dragged && !m_selected->IsCategory() && CategoryNodeOf(node) == CategoryNodeOf(dragged);
    if (allowed && node != dragged) {
        const Subject target = Item(SubjectKeyOf(node));
        if (m_selected->UpdateParent(target))
            Highlight(dragged);
    }
    DragLeft();
}

// ---- Look --------------------------------------------------------------------------------------------------

void ctlSubjectView::SetCaption(const QString& caption)
{
    m_caption = caption;
    update(0, 0, width(), m_headerHeight);
}

void ctlSubjectView::SetHeaderHeight(int pixels)
{
    m_headerHeight = std::max(0, pixels);
    LayoutChildren();
    update();
}

QFont ctlSubjectView::TreeFont() const { return m_tree->font(); }

void ctlSubjectView::SetTreeFont(const QFont& font)
{
    QFont copy = m_tree->font();
    copy.setFamily(font.family());
    if (font.pointSizeF() > 0)
        copy.setPointSizeF(font.pointSizeF());
    copy.setBold(font.bold());
    copy.setItalic(font.italic());
    m_tree->setFont(copy);
}

void ctlSubjectView::FocusTree() { m_tree->setFocus(); }

void ctlSubjectView::Refresh()
{
    LayoutChildren();
    update();
}

void ctlSubjectView::SetSelectionOnly(bool on)
{
    m_selectionOnly = on;
    // A picker only highlights: no dragging, no editing of names.
    m_tree->setDragEnabled(!on);
    m_tree->setEditTriggers(on ? QAbstractItemView::NoEditTriggers : QAbstractItemView::EditKeyPressed);
}

void ctlSubjectView::LayoutChildren()
{
    m_tree->setGeometry(2, m_headerHeight, std::max(0, width() - 4), std::max(0, height() - m_headerHeight - 2));
}

void ctlSubjectView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_setUp && m_itemViewHeaderHeight)
        m_headerHeight = m_itemViewHeaderHeight() + 1;
    LayoutChildren();
}

void ctlSubjectView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect band(0, 0, width(), m_headerHeight);
    painter.fillRect(band, palette().color(QPalette::Midlight));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, m_headerHeight - 1, width(), m_headerHeight - 1);
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(band.adjusted(5, 0, -5, -1), Qt::AlignVCenter | Qt::AlignLeft, m_caption);
}
