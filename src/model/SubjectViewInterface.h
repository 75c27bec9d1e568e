#pragma once
#include <QString>
#include <QStringList>
#include <QVariant>

class Subject;

// What the catalog model needs of a subject tree: keyed nodes with text, a tag and two icons, moves
// between parents, the selection and a few bulk switches. The main window's subject view implements it
// (and is the catalog object's Subjects); a picker dialog may hold another.
//
// Node keys: a category's node is keyed by its data table name ("ktbl12"); a subject's node by its
// [Tree] ID followed by "A" ("57A"), since tree keys must not be numeric. NodeKey() turns a subject key
// into its node key.
class SubjectViewInterface {
public:
    virtual ~SubjectViewInterface() = default;

    // Adds a node under the node parentKey, or at the root when parentKey is empty. Images are icon names
    // of the main window's small image list ("Folder 256", "Magnify", ...).
    virtual void AddNode(const QString& parentKey, const QString& key, const QString& text, const QVariant& tag,
                         const QString& image, const QString& selectedImage) = 0;
    virtual bool HasNode(const QString& key) const = 0;
    // Makes the node (with everything below it) a child of newParentKey, or a root node when newParentKey
    // is empty. False, with nothing changed, when either node is missing or the move would put a node
    // under itself or its own descendant.
    virtual bool MoveNode(const QString& key, const QString& newParentKey) = 0;
    // Removes the node and its descendants; a missing node is ignored.
    virtual void Remove(const QString& key) = 0;
    virtual QString NodeText(const QString& key) const = 0;
    virtual void SetNodeText(const QString& key, const QString& text) = 0;
    virtual void SetNodeImages(const QString& key, const QString& image, const QString& selectedImage) = 0;
    // The keys of the node's direct children, in the order the tree shows them.
    virtual QStringList ChildKeys(const QString& key) const = 0;

    // Keeps every node's children sorted by text.
    virtual void Sort() = 0;
    virtual void Collapse() = 0;
    // Switches the window's redrawing off and on around bulk changes.
    virtual void SetRedraw(bool on) = 0;

    // Selection update with the subject of that key (the empty key: no selected subject).
    virtual void SetSelected(const QString& subjectKey) = 0;
    // Selects the subject of the highlighted node and opens it.
    virtual void UseSelectedNode() = 0;

    // A new subject for the key, attached to this view (it finds its node here when there is one).
    Subject Item(const QString& key);

    // "57" gives "57A"; a category key stays as it is.
    static QString NodeKey(const QString& subjectKey);
};
