#pragma once
#include "model/ItemViewInterface.h"
#include "model/Subject.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <optional>

class Category;
class GridColumn;
class QAction;
class QMenu;
class Transaction;
class clsQuery;
class ctlDataGrid;

// The grid of items: one category's records (or the Relational category's links) bound to the catalog file,
// with columns built from the category's columns at every load and sorted by the title column, and the
// commands that act on the items: open, add, edit in place, delete, move, link.
class ctlItemView : public QWidget, public ItemViewInterface
{
    Q_OBJECT
public:
    enum ViewTypes {
        SubjectItems = 0,
        QueryResults = 1,
        SingleItem = 2,
        SubItems = 3,
        RelationalItems = 4,
        ItemPicker = 5,
        PeopleLinks = 6,
    };

    explicit ctlItemView(QWidget* parent = nullptr);
    ~ctlItemView() override;

    // Assigning a subject loads nothing; RefreshView does.
    void SetSubject(const Subject& subject) override;
    bool HasSubject() const { return m_subject.has_value(); }
    // The subject shown.
    const std::optional<Subject>& subject() const { return m_subject; }
    // The subject of the current item: the shown subject, except for a relational link, whose item lives in
    // its own category (that category's root).
    std::optional<Subject> ItemSubject() const;
    void SetViewType(int viewType) override;
    int ViewType() const { return m_viewType; }

    // Loads the subject's items; a query passed in (the advanced search's) replaces the subject's own. The
    // people-link list (view type 6) shows the items naming personName, which is kept for later loads.
    void RefreshView() override { RefreshView(nullptr); }
    void RefreshView(clsQuery* query, const QString& personName = QString());
    // Commits a pending edit and empties the grid; dataOnly keeps the subject so that RefreshView reloads it.
    void Reset() override { Reset(false); }
    void Reset(bool dataOnly);
    void Setup() { Reset(false); }

    // The current row's item: its [RecordID] for relational links, its [ID] otherwise; 0 for none.
    int CurrentID() const;
    int LastClickedID() const { return m_lastClickedId; }
    void SetLastClickedID(int id) { m_lastClickedId = id; }
    // Grid position of the title column, 0 when it has none; kept until Reset.
    int TitleFieldPos();
    // The current row's title; empty when there is none.
    QString GetTitle() const;
    // The record source of the last load ("SELECT ... FROM ..."), empty before one.
    QString RecordSource() const;
    int HeaderHeight() const;
    // Stores every column's position after the title column's, counted from it.
    void SaveColumnArrangement();
    void ToggleGridLines();
    // Puts the category's picture into the grid's image list; the icon column shows it on every row.
    void SetPic();

    ctlDataGrid* GridExControl() const { return m_grid; }
    // The "Item View" menu: the grid's context menu, and the main window's "&Actions" menu.
    QMenu* Menu() const { return m_menu; }
    // A menu entry by its caption without "&" and "..." ("Open Item", "Subject", "Create Relational Link").
    QAction* MenuEntry(const QString& name) const;
    // Brings the menu's enabling up to date with the subject and the selection.
    void UpdateMenuState();

    // ---- Item commands ------------------------------------------------------------------------------------
    // Opens the item in its editor window; itemId 0 first makes a new item under parentId.
    void OpenItem(int itemId, int parentId = 0);
    void AddItem();
    // Deletes the selected items, after asking, with their relational links.
    void DeleteSelected();
    // Moves the selected items to a subject the person picks.
    void MoveToSubject();
    // Makes the selected items sub-items of an item of the parent category the person picks.
    void MoveToItem();
    // Files relational links to the selected items under a subject of the Relational category.
    void CreateRelationalLinks();
    // Writes the selected items as a web page: 1 saved to a file, 2 opened in the browser.
    void Publish(int openType);
    void ShowColumnManager();
    void GroupBy();

    // The candidates offered while typing in the current People or Auto-complete cell.
    const QStringList& CompletionCandidates() const { return m_candidates; }

Q_SIGNALS:
    // After a load, and after rows were added or deleted: the number of items shown.
    void UpdateCount(int count);
    // The current item may have changed: its ID, or 0.
    void Click(int itemId);
    void TitleChange(const QString& newTitle);
    // The person confirmed the deletion of the selected items.
    void DeleteConfirmed();
    // The content of a cell changed as it was typed into.
    void Change();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Loading and columns.
    QString ComposeSource(clsQuery* query) const;
    void BuildColumns(Category& category);
    void BuildCategoryValueList(GridColumn* column) const;
    int FittingWidth(int columnType) const;
    GridColumn* TitleGridColumn(const Category& category) const;
    void ReportCurrent();
    // A column the person resized keeps its width for the next load (twips).
    void StoreColumnWidth(int column, int newWidth);

    // The menu.
    void BuildMenu();
    void UpdateMenuLayout();
    bool HasSelection() const;
    void OpenCurrentItem();
    void NotAvailableYet(const QString& feature);

    // Commands on the grid's rows.
    // The IDs (and titles) of the selected rows that are items, group header rows left out.
    QList<int> SelectedIds() const;
    QList<std::pair<int, QString>> SelectedIdsAndTitles() const;
    void CellCommitted(int column);
    void CellEditEnded(int column);
    void RowInserted();
    void DataError(int number, bool* showMessage);
    void CellButton(int column);
    void BeforeDelete(bool* cancel);
    void RowAboutToBeDeleted(int row);
    void RowsDeleted();
    void CommandFailed(const QString& what, const QString& message);

    // Type-ahead.
    void CurrentCellChanged(int row, int column);
    void FillCandidates(GridColumn* column);
    void EditKeyDown(int key, bool* handled);
    void EditKeyUp(int key);
    QString ValueListStatement(GridColumn* column) const;
    static bool CompletesCell(const GridColumn* column);

    ctlDataGrid* m_grid = nullptr;
    QMenu* m_menu = nullptr;
    QHash<QString, QAction*> m_entries;
    std::optional<Subject> m_subject;
    std::optional<Subject> m_previousSubject;
    int m_viewType = SubjectItems;
    int m_titlePos = 0;
    int m_lastClickedId = 0;
    QString m_loadedSource;
    QString m_personName;
    // Deleting rows: one transaction for the rows and their links.
    std::unique_ptr<Transaction> m_deleting;

    QStringList m_candidates;
    int m_candidateColumn = 0;
    int m_candidateFill = 0; // a newer fill makes an older one stop
    bool m_completionSuppressed = false;

public:
    // View types 2 and 3 show one item or the sub-items of one item.
    int ParentID = 0;
    int SingleItemID = 0;
};
