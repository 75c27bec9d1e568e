#pragma once
#include "model/Subject.h"

#include <QHash>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QTextCharFormat;
class QComboBox;
class QTabWidget;
class QTextEdit;
class QToolBar;
class QToolButton;
class Recordset;
class ctlImageViewer;
class ctlItemView;

// One item in tabs: its values as a card, its memos as rich text, its pictures, its sub-items and, for a
// person, the items that name the person. Each tab loads the first time it is shown for the item; what the
// person changes is saved when the editor lets go of the item (Reset), with [Modified] stamped once.
class ctlItemEditor : public QWidget
{
    Q_OBJECT
public:
    enum Tab { ColumnsTab = 0, MemosTab = 1, MediaTab = 2, SubItemsTab = 3, LinksTab = 4 };

    explicit ctlItemEditor(QWidget* parent = nullptr);
    ~ctlItemEditor() override;

    // The subject the item was opened through; its category is the item's. A People item gets the "Links" tab.
    void SetSubject(const std::optional<Subject>& subject);
    const std::optional<Subject>& subject() const { return m_subject; }
    int ID() const { return m_id; }
    void SetID(int id);
    // The item was made just before the editor opened.
    bool IsNew = false;

    void Setup();
    // Loads the selected tab if it is not loaded for the item.
    void Refresh();
    // Saves the memo being edited, stamps [Modified] when anything changed and keeps the item's relational
    // link titles in step.
    void UpdateItem();
    // Saves, then lets go of the item: every tab empty.
    void Reset();
    void TerminateMe();
    // Lets go of the record sets behind the card and the sub-item list, so that the table can be altered.
    void Detach();
    QString CurrentMemoField() const;
    QString CurrentMediaField() const;
    void SetCloseButtonVisible(bool visible);

    // The parts, for the hosts and for tests.
    QTabWidget* Tabs() const { return m_tabs; }
    ctlItemView* ValueView() const { return m_valueView; }
    ctlItemView* SubItemView() const { return m_subItemView; }
    ctlItemView* PeopleLinkView() const { return m_peopleLinkView; }
    QComboBox* MemoField() const { return m_memoField; }
    QComboBox* ImageField() const { return m_imageField; }
    QComboBox* SubCategory() const { return m_subCategory; }
    QTextEdit* MemoBox() const { return m_memoBox; }
    ctlImageViewer* ImageViewer() const { return m_imageViewer; }
    // Toolbar buttons by key: "Bold", "Italic", "Underline", "Left", "Center", "Right", "Font", "Print",
    // "Open Image", "Save Image", "Clear Image", "Add", "Delete", "Refresh".
    QAction* ToolbarButton(const QString& key) const { return m_buttons.value(key); }
    // Tests print the memo into a PDF file instead of through the print dialog.
    static void SetPrintTargetForTesting(const QString& pdfPath);

Q_SIGNALS:
    void TitleChange(const QString& newTitle);
    void CloseClick();

private:
    QWidget* BuildMemoTab();
    QWidget* BuildMediaTab();
    QWidget* BuildSubItemsTab();
    QAction* AddButton(QToolBar* toolbar, const QString& key, const QString& icon, const QString& tip);
    void AdjustLinksTab();
    void TabShown(int index);
    bool CanLoad() const;
    // The item's record, open for reading and writing; none when the item is gone.
    std::unique_ptr<Recordset> OpenItemRecord() const;

    // Memos.
    void LoadMemoList();
    void ChooseMemo();
    void SaveMemo(Recordset& record);
    void MemoCursorMoved();
    void ApplyCharFormat(const std::function<void(QTextCharFormat&)>& change);
    void ApplyAlignment(Qt::Alignment alignment);
    void ChooseFont();
    void PrintMemo();

    // Pictures.
    void LoadMediaList();
    void ChoosePicture();
    void MediaCommand(const QString& key);

    // Sub-items and people links.
    void FillSubCategories();
    void ChooseSubCategory();
    void LoadPeopleLinks();
    void LoadValueCard();

    std::optional<Subject> m_subject;
    int m_id = 0;
    bool m_valuesChanged = false;
    bool m_memoChanged = false;
    bool m_mediaChanged = false;
    bool m_valuesLoaded = false;
    bool m_memosLoaded = false;
    bool m_mediaLoaded = false;
    bool m_linksLoaded = false;
    bool m_loadingMemo = false;
    QString m_boundMemo;

    QTabWidget* m_tabs = nullptr;
    QWidget* m_linksPage = nullptr;
    ctlItemView* m_valueView = nullptr;
    ctlItemView* m_subItemView = nullptr;
    ctlItemView* m_peopleLinkView = nullptr;
    QComboBox* m_memoField = nullptr;
    QComboBox* m_imageField = nullptr;
    QComboBox* m_subCategory = nullptr;
    QTextEdit* m_memoBox = nullptr;
    QToolBar* m_memoToolbar = nullptr;
    QToolBar* m_mediaToolbar = nullptr;
    ctlImageViewer* m_imageViewer = nullptr;
    QToolButton* m_closeButton = nullptr;
    QHash<QString, QAction*> m_buttons;
};
