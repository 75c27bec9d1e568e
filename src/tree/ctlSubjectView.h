#pragma once
#include "model/Subject.h"
#include "model/SubjectViewInterface.h"

#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class CategoryImageList;
class QAction;
class QMenu;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class SubjectTree;

// The tree of categories and their subjects on the left of the main window. One node per category (under
// its parent category's node for a sub category), and below it the category's subjects as [Tree] nests
// them, every node's children sorted by name. Selecting a node makes its subject the program's selected
// subject; the tree is also where subjects are added, renamed, deleted and moved by drag and drop.
//
// A second instance in selection-only mode serves as a picker: clicks only highlight, nothing opens, no
// context menu, no dragging; the picker reads SelectedNodeKey().
class ctlSubjectView : public QWidget, public SubjectViewInterface {
    Q_OBJECT

public:
    // What the view does to the main window: its information header and the toolbar's "Add" button.
    struct MainWindowHooks {
        std::function<void(const QString& caption, const QPixmap& picture)> setHeader;
        std::function<void(bool enabled)> setAddEnabled;
    };

    explicit ctlSubjectView(QWidget* parent = nullptr);
    ~ctlSubjectView() override;

    // Attaches the main window's image list and hooks. With itemViewHeaderHeight, each resize gives the
    // header band that height plus one pixel, so that it lines up with the item view's header.
    void Setup(const CategoryImageList* images, MainWindowHooks hooks = {},
               std::function<int()> itemViewHeaderHeight = {});

    // SubjectViewInterface: what the model uses to fill and change the tree.
    void AddNode(const QString& parentKey, const QString& key, const QString& text, const QVariant& tag,
                 const QString& image, const QString& selectedImage) override;
    bool HasNode(const QString& key) const override;
    bool MoveNode(const QString& key, const QString& newParentKey) override;
    void Remove(const QString& key) override;
    QString NodeText(const QString& key) const override;
    void SetNodeText(const QString& key, const QString& text) override;
    void SetNodeImages(const QString& key, const QString& image, const QString& selectedImage) override;
    QStringList ChildKeys(const QString& key) const override;
    void Sort() override;
    void Collapse() override;
    void SetRedraw(bool on) override;
    void SetSelected(const QString& subjectKey) override;
    void UseSelectedNode() override;

    // Removes every node.
    void Clear();
    // Off empties the tree and forgets the selected subject (no selection update); on only records it.
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    // The selected subject, or none.
    std::optional<Subject> Selected() const { return m_selected; }
    // Type 1: whether a subject is selected. Any other type: false.
    bool Status(int type) const { return type == 1 && m_selected.has_value(); }
    // True when the catalog has exactly one [Tree] row with that ID.
    bool KeyExists(const QString& key) const;
    // Adds a subject named "New Subject" under the selected node and starts editing its name.
    void Add();
    void Expand();
    // Deletes the selected category or subject after asking; a subject's items and the relational links
    // filed under it (or under any subject below it) move to its parent.
    void DeleteSelected();
    // The selected subject's properties (a category's or a subject's dialog).
    void Properties();
    // Starts editing the highlighted node's text in place.
    void StartRename();

    // The highlighted node: its key ("57A", "ktbl3") and its tag (57, "ktbl3"); empty without one.
    QString SelectedNodeKey() const;
    QVariant SelectedNodeTag() const;
    // The key of the node now under a drag, empty when none.
    QString DropHighlightKey() const;
    // Node keys of the whole tree, depth first in display order; for bulk checks.
    QStringList AllKeys() const;
    bool IsExpanded(const QString& key) const;
    QString NodeImage(const QString& key) const;
    QString NodeSelectedImage(const QString& key) const;

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption);
    bool SelectionOnly() const { return m_selectionOnly; }
    void SetSelectionOnly(bool on);
    int HeaderHeight() const { return m_headerHeight; }
    void SetHeaderHeight(int pixels);
    QFont TreeFont() const;
    void SetTreeFont(const QFont& font);
    void FocusTree();
    // Lays the header band and the tree out again.
    void Refresh();

    QTreeWidget* Tree() const;
    // The node of a node key, nullptr when the tree has none.
    QTreeWidgetItem* Node(const QString& key) const;
    QMenu* ContextMenu() const { return m_menu; }
    // The context menu's entries by their fixed names: "Open Subject", "New Category Wizard",
    // "Create Plugin", "Add", "Delete", "Rename", "Properties".
    QAction* MenuEntry(const QString& name) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class SubjectTree;
    friend class SubjectNodeDelegate;

    QString KeyOf(const QTreeWidgetItem* node) const;
    QString SubjectKeyOf(const QTreeWidgetItem* node) const;
    // The category node a node belongs to: the nearest node, itself included, whose key is not numeric.
    QTreeWidgetItem* CategoryNodeOf(QTreeWidgetItem* node) const;
    QIcon NodeIcon(const QString& image, const QString& selectedImage) const;
    QPixmap Picture(const QString& image) const;
    void Forget(QTreeWidgetItem* node);
    void Highlight(QTreeWidgetItem* node);
    void UpdateMenuStates();
    void LayoutChildren();
    void BuildMenu();
    void NotAvailableYet(const QString& feature);
    bool DeleteSubjectRows(const Subject& subject, const QStringList& keys, qint64 newTreeId);

    // Mouse, keyboard, editing and drag-and-drop events of the tree.
    void NodePressed(QTreeWidgetItem* node);
    void NodeCurrentChanged(QTreeWidgetItem* node);
    void ButtonReleased(Qt::MouseButton button, QTreeWidgetItem* node, const QPoint& globalPos);
    bool CommitRename(QTreeWidgetItem* node, const QString& text);
    Qt::DropAction DragOver(QTreeWidgetItem* node);
    void DragLeft();
    void Dropped(QTreeWidgetItem* node);
    void HoverTimerFired();

    SubjectTree* m_tree = nullptr;
    QMenu* m_menu = nullptr;
    QHash<QString, QAction*> m_entries;
    QTimer* m_hoverTimer = nullptr;
    QHash<QString, QTreeWidgetItem*> m_nodes; // by case-folded node key
    const CategoryImageList* m_images = nullptr;
    MainWindowHooks m_hooks;
    std::function<int()> m_itemViewHeaderHeight;
    std::optional<Subject> m_selected;
    QString m_caption;
    int m_headerHeight = 0;
    bool m_selectionOnly = false;
    bool m_enabled = false;
    bool m_setUp = false;
    bool m_highlighting = false; // the view moves the tree's highlight itself
    bool m_fromKeyboard = false; // a key press is moving the tree's highlight
    QTreeWidgetItem* m_hoverNode = nullptr;
    QTreeWidgetItem* m_dropHighlight = nullptr;
};
