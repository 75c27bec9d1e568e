#pragma once
#include "model/CategoryImageListInterface.h"
#include "model/GroupingInterface.h"
#include "model/ItemEditorWindowsInterface.h"
#include "model/ItemViewInterface.h"
#include "model/Subject.h"
#include "model/SubjectViewInterface.h"

#include <QFile>
#include <QMap>
#include <QStringList>

#include <algorithm>

// Stand-ins for the windows the model talks to: they keep what they are told, the way the real controls
// would, so tests can look at the tree, the grid's groups and the pictures.

class FakeSubjectView : public SubjectViewInterface {
public:
    struct Node {
        QString parent; // empty at the root
        QString text;
        QVariant tag;
        QString image;
        QString selectedImage;
    };

    void AddNode(const QString& parentKey, const QString& key, const QString& text, const QVariant& tag,
                 const QString& image, const QString& selectedImage) override
    {
        if (nodes.contains(key) || (!parentKey.isEmpty() && !nodes.contains(parentKey))) {
            ++refusedAdds; // a tree control refuses a duplicate key or a missing parent
            return;
        }
        nodes.insert(key, {parentKey, text, tag, image, selectedImage});
    }
    bool HasNode(const QString& key) const override { return nodes.contains(key); }
    bool MoveNode(const QString& key, const QString& newParentKey) override
    {
        if (!nodes.contains(key) || (!newParentKey.isEmpty() && !nodes.contains(newParentKey)))
            return false;
        for (QString up = newParentKey; !up.isEmpty(); up = nodes.value(up).parent)
            if (up == key)
                return false;
        nodes[key].parent = newParentKey;
        return true;
    }
    void Remove(const QString& key) override
    {
        if (!nodes.contains(key))
            return;
        for (const QString& child : ChildKeys(key))
            Remove(child);
        nodes.remove(key);
        removed << key;
    }
    QString NodeText(const QString& key) const override { return nodes.value(key).text; }
    void SetNodeText(const QString& key, const QString& text) override
    {
        if (nodes.contains(key))
            nodes[key].text = text;
    }
    void SetNodeImages(const QString& key, const QString& image, const QString& selectedImage) override
    {
        if (nodes.contains(key)) {
            nodes[key].image = image;
            nodes[key].selectedImage = selectedImage;
        }
    }
    // Children sorted by text, as the tree keeps them.
    QStringList ChildKeys(const QString& key) const override
    {
        QStringList children;
        for (auto it = nodes.begin(); it != nodes.end(); ++it)
            if (it.value().parent == key)
                children << it.key();
        std::sort(children.begin(), children.end(), [this](const QString& a, const QString& b) {
            return nodes.value(a).text.compare(nodes.value(b).text, Qt::CaseInsensitive) < 0;
        });
        return children;
    }
    void Sort() override { ++sorts; }
    void Collapse() override { ++collapses; }
    void SetRedraw(bool on) override { redraws << on; }
    void SetSelected(const QString& subjectKey) override { selected << subjectKey; }
    void UseSelectedNode() override { ++usedSelectedNode; }

    // "ktbl3/57A" style path of a node, for compact comparisons.
    QString Path(const QString& key) const
    {
        if (!nodes.contains(key))
            return QString();
        const QString parent = nodes.value(key).parent;
        return parent.isEmpty() ? key : Path(parent) + QLatin1Char('/') + key;
    }
    QStringList Roots() const { return ChildKeys(QString()); }

    QMap<QString, Node> nodes;
    QStringList removed;
    QStringList selected;
    QList<bool> redraws;
    int refusedAdds = 0;
    int sorts = 0;
    int collapses = 0;
    int usedSelectedNode = 0;
};

class FakeGrid : public GroupingInterface {
public:
    explicit FakeGrid(QStringList columnKeys = {}) : columns(std::move(columnKeys)) {}

    int GroupCount() const override { return int(groups.size()); }
    QString GroupColumnKey(int index) const override { return groups.at(index).first; }
    int GroupSortOrder(int index) const override { return groups.at(index).second; }
    void ClearGroups() override
    {
        groups.clear();
        ++clears;
    }
    bool AddGroup(const QString& columnKey, int sortOrder) override
    {
        if (!columns.contains(columnKey, Qt::CaseInsensitive))
            return false;
        groups.append({columnKey, sortOrder});
        return true;
    }
    void RegroupCollapsed() override { ++regroups; }

    QStringList columns;
    QList<QPair<QString, int>> groups;
    int clears = 0;
    int regroups = 0;
};

class FakeItemView : public ItemViewInterface {
public:
    FakeItemView() { SetMain(this); }
    ~FakeItemView() override { SetMain(nullptr); }

    void SetSubject(const Subject& subject) override { subjectKey = subject.ID(); }
    void SetViewType(int type) override { viewType = type; }
    void RefreshView() override { ++refreshes; }
    void Reset() override { ++resets; }

    QString subjectKey;
    int viewType = -1;
    int refreshes = 0;
    int resets = 0;
};

class FakeEditorWindows : public ItemEditorWindowsInterface {
public:
    FakeEditorWindows() { SetMain(this); }
    ~FakeEditorWindows() override { SetMain(nullptr); }
    void CloseEditorsOfCategory(int categoryId) override { closedFor << categoryId; }
    QList<int> closedFor;
};

// Pictures are kept as text: "built-in:<key>" or "file:<the file's bytes>".
class FakeImageList : public CategoryImageListInterface {
public:
    FakeImageList() { SetMain(this); }
    ~FakeImageList() override { SetMain(nullptr); }

    bool HasImage(const QString& key) const override { return images.contains(key); }
    void SetBuiltInCopy(const QString& key, const QString& builtInKey) override
    {
        images[key] = QStringLiteral("built-in:") + builtInKey;
    }
    bool LoadFromFile(const QString& key, const QString& path) override
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        images[key] = QStringLiteral("file:") + QString::fromLatin1(file.readAll());
        loadedFrom << path;
        return true;
    }
    QString ChooseIconFile(const QString& title, const QString& filter) override
    {
        chooserCalls << title + QLatin1Char('|') + filter;
        return chosenFile;
    }

    QMap<QString, QString> images;
    QStringList loadedFrom;
    QStringList chooserCalls;
    QString chosenFile;
};
