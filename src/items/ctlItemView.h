#pragma once
#include "model/ItemViewInterface.h"
#include "model/Subject.h"

#include <QString>
#include <QWidget>

#include <optional>

class Category;
class GridColumn;
class clsQuery;
class ctlDataGrid;

// The grid of items: one category's records (or the Relational category's links) bound to the catalog file,
// with columns built from the category's columns at every load and sorted by the title column.
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
    const std::optional<Subject>& subject() const { return m_subject; }
    void SetViewType(int viewType) override;
    int ViewType() const { return m_viewType; }

    // Loads the subject's items; a query passed in (the advanced search's) replaces the subject's own.
    void RefreshView() override { RefreshView(nullptr); }
    void RefreshView(clsQuery* query);
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

    ctlDataGrid* GridExControl() const { return m_grid; }

Q_SIGNALS:
    // After a load: the number of items shown.
    void UpdateCount(int count);
    // The current item may have changed: its ID, or 0.
    void Click(int itemId);
    void TitleChange(const QString& newTitle);

private:
    QString ComposeSource(clsQuery* query) const;
    void BuildColumns(Category& category);
    void BuildCategoryValueList(GridColumn* column) const;
    GridColumn* TitleGridColumn(const Category& category) const;
    void ReportCurrent();
    // A column the person resized keeps its width for the next load (twips).
    void StoreColumnWidth(int column, int newWidth);

    ctlDataGrid* m_grid = nullptr;
    std::optional<Subject> m_subject;
    std::optional<Subject> m_previousSubject;
    int m_viewType = SubjectItems;
    int m_titlePos = 0;
    int m_lastClickedId = 0;
    QString m_loadedSource;

public:
    // View types 2 and 3 show one item or the sub-items of one item.
    int ParentID = 0;
    int SingleItemID = 0;
};
