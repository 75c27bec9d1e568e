#include "items/ctlItemView.h"

#include "app/clsCatalog.h"
#include "controls/CategoryImageList.h"
#include "controls/GridCardView.h"
#include "controls/GridTableView.h"
#include "controls/GridColumn.h"
#include "controls/GridImages.h"
#include "controls/GridTwips.h"
#include "controls/ctlDataGrid.h"
#include "items/ItemStatements.h"
#include "model/Categories.h"
#include "model/Category.h"
#include "model/clsColumn.h"
#include "model/clsQuery.h"
#include "platform/UserInterface.h"

#include <QCoreApplication>
#include <QCursor>
#include <QItemSelectionModel>
#include <QFontMetrics>
#include <QMenu>
#include <QResizeEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>

namespace
{
const QString InvalidQueryMessage = QStringLiteral(
    "The query defined for this view is invalid. Please redefine the query in the subject's properties.");

GridColumn::SortKind SortKindOf(int sortType)
{
    switch (sortType) {
    case clsColumn::SortNumber:
        return GridColumn::SortKind::Number;
    case clsColumn::SortDate:
        return GridColumn::SortKind::Date;
    default:
        return GridColumn::SortKind::Text;
    }
}

GridColumn::EditKind EditKindOf(int editType)
{
    switch (editType) {
    case clsColumn::EditCheckBox:
        return GridColumn::EditKind::CheckBox;
    case clsColumn::EditCalendar:
        return GridColumn::EditKind::Calendar;
    default:
        return GridColumn::EditKind::TextBox;
    }
}

bool IsTextStored(int columnType)
{
    return columnType == clsColumn::PlainText || columnType == clsColumn::People ||
           columnType == clsColumn::AutoComplete || columnType == clsColumn::InternetFile;
}
} // namespace

ctlItemView::ctlItemView(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    // The grid keeps 2 pixels from the left edge and 1 from the top, inside an etched edge.
    auto* edge = new QFrame(this);
    edge->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* edgeLayout = new QVBoxLayout(edge);
    edgeLayout->setContentsMargins(2, 1, 0, 0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edge);
    m_grid = new ctlDataGrid(edge);
    m_grid->setObjectName(QStringLiteral("ItemGrid"));
    edgeLayout->addWidget(m_grid);
    m_grid->SetHeaderHeight(285);
    m_grid->SetGridLines(false);
    m_grid->SetMultiSelect(true);
    m_grid->SetAlternatingRowColors(true);
    m_grid->SetRowColors(palette().color(QPalette::Midlight), palette().color(QPalette::Light));
    for (const QPixmap& picture : GridImages::Standard())
        m_grid->AddImage(picture);

    connect(m_grid, &ctlDataGrid::KeyUp, this, [this](int key, Qt::KeyboardModifiers) {
        if (m_grid->IsEditing())
            EditKeyUp(key);
        else if (key == Qt::Key_Up || key == Qt::Key_Down)
            ReportCurrent();
    });
    connect(m_grid, &ctlDataGrid::KeyDown, this, [this](int key, Qt::KeyboardModifiers, bool* handled) {
        // On the single card, Tab goes to the next value.
        if (m_viewType == SingleItem && key == Qt::Key_Tab && !m_grid->IsEditing()) {
            const int position = m_grid->Column(m_grid->Col()) ? m_grid->Column(m_grid->Col())->Position() : 0;
            for (int next = position + 1; next <= m_grid->ColumnCount(); ++next)
                if (GridColumn* column = m_grid->ColumnAtPosition(next); column && column->Visible()) {
                    m_grid->SetCol(column->Index());
                    break;
                }
            *handled = true;
        }
        EditKeyDown(key, handled);
    });
    connect(m_grid, &ctlDataGrid::CurrentCellChanged, this, &ctlItemView::CurrentCellChanged);
    connect(m_grid, &ctlDataGrid::ColumnResized, this, &ctlItemView::StoreColumnWidth);
    connect(m_grid, &ctlDataGrid::CellCommitted, this, &ctlItemView::CellCommitted);
    connect(m_grid, &ctlDataGrid::CellEditEnded, this, &ctlItemView::CellEditEnded);
    connect(m_grid, &ctlDataGrid::CellChanged, this, [this](int) { Q_EMIT Change(); });
    connect(m_grid, &ctlDataGrid::RowInserted, this, &ctlItemView::RowInserted);
    connect(m_grid, &ctlDataGrid::DataError, this,
            [this](int number, const QString&, bool* showMessage) { DataError(number, showMessage); });
    connect(m_grid, &ctlDataGrid::CellButtonClicked, this, &ctlItemView::CellButton);
    connect(m_grid, &ctlDataGrid::BeforeDelete, this, &ctlItemView::BeforeDelete);
    connect(m_grid, &ctlDataGrid::RowAboutToBeDeleted, this, &ctlItemView::RowAboutToBeDeleted);
    connect(m_grid, &ctlDataGrid::RowsDeleted, this, &ctlItemView::RowsDeleted);
    connect(m_grid, &ctlDataGrid::DoubleClicked, this, [this] {
        if (m_viewType != SingleItem)
            OpenCurrentItem();
    });
    // Positions are stored relative to the title column: it, the icon column and system fields stay put,
    // and nothing goes before the title.
    connect(m_grid, &ctlDataGrid::BeforeColumnDrag, this, [this](int column, bool* cancel) {
        GridColumn* grid = m_grid->Column(column);
        Category* category = m_subject ? m_subject->category() : nullptr;
        *cancel = !grid || !category || grid == TitleGridColumn(*category) ||
                  grid->Key() == QLatin1String("GridEXIcon") || Catalog().IsIDField(grid->DataField());
    });
    connect(m_grid, &ctlDataGrid::BeforeColumnMove, this,
            [this](int, int newPosition, bool* cancel) { *cancel = newPosition <= TitleFieldPos(); });
    connect(m_grid, &ctlDataGrid::ColumnsMoved, this, &ctlItemView::SaveColumnArrangement);
    connect(m_grid, &ctlDataGrid::MouseDown, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers, const QPoint&) { UpdateMenuState(); });
    connect(m_grid, &ctlDataGrid::MouseUp, this, [this](Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint&) {
        ReportCurrent();
        if (button == Qt::RightButton && m_viewType != ItemPicker) {
            UpdateMenuState();
            m_menu->popup(QCursor::pos());
        }
    });

    BuildMenu();
    UpdateMenuLayout();
    UpdateMenuState();
    // The Del and Ctrl+Ins keys follow the entries' enabling, so it keeps up with the selection however made.
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_grid->TableView()),
                                    static_cast<QAbstractItemView*>(m_grid->CardView())}) {
        connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, &ctlItemView::UpdateMenuState);
        connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this, &ctlItemView::UpdateMenuState);
    }
}

ctlItemView::~ctlItemView()
{
    // The grid outlives this object's members while Qt deletes the children; an editor it closes then must
    // not call back into a half-destroyed view.
    m_grid->disconnect(this);
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_grid->TableView()),
                                    static_cast<QAbstractItemView*>(m_grid->CardView())})
        view->selectionModel()->disconnect(this);
    if (ItemViewInterface::Main() == this)
        ItemViewInterface::SetMain(nullptr);
}

void ctlItemView::SetSubject(const Subject& subject)
{
    m_previousSubject = m_subject;
    m_subject = subject;
    UpdateMenuState();
    if (Category* category = subject.category())
        m_grid->SetNewRowCaption(category->SingleDisplay() + QStringLiteral(" Item"));
}

std::optional<Subject> ctlItemView::ItemSubject() const
{
    if (m_viewType != RelationalItems || !m_subject)
        return m_subject;
    const int row = m_grid->Row();
    GridColumn* category = m_grid->ColumnByKey(QStringLiteral("Category"));
    if (row <= 0 || !category || m_grid->IsGroupRow(row))
        return m_subject;
    // A link opens its item in the item's own category.
    if (Category* linked = Catalog().categories().Item(m_grid->RowValue(row, category->Index()).toInt()))
        return linked->RootSubject();
    return std::nullopt;
}

void ctlItemView::SetViewType(int viewType)
{
    m_viewType = viewType;
    UpdateMenuLayout();
    UpdateMenuState();
    QCoreApplication::processEvents();
}

void ctlItemView::Reset(bool dataOnly)
{
    if (m_grid->IsEditing())
        m_grid->CommitPendingEdit();
    m_lastClickedId = 0;
    m_titlePos = 0;
    SingleItemID = 0;
    ParentID = 0;
    m_personName.clear();
    m_candidates.clear();
    m_candidateColumn = 0;
    ++m_candidateFill;
    if (!dataOnly) {
        m_previousSubject = m_subject;
        m_subject.reset();
    }
    m_grid->ClearGroups();
    m_grid->ClearSortKeys();
    m_grid->Unbind();
    m_grid->ClearColumns();
    m_loadedSource.clear();
}

QString ctlItemView::ComposeSource(clsQuery* query) const
{
    Category* category = m_subject->category();
    if (!category)
        return QString();
    if (query)
        return query->SQLString(true);
    const QString table = QLatin1Char('[') + category->DBName() + QLatin1Char(']');
    switch (m_viewType) {
    case SingleItem:
        return table + QStringLiteral(" WHERE [ID] = ") + QString::number(SingleItemID);
    case SubItems:
        return table + QStringLiteral(" WHERE [ParentID] = ") + QString::number(ParentID);
    case PeopleLinks: {
        if (m_personName.isEmpty())
            return QString();
        const QString source = ItemStatements::PeopleLinkSource(*category, m_personName);
        // A category without People columns mentions nobody: the list is empty rather than everything.
        return source.isEmpty() ? table + QStringLiteral(" WHERE [ID] = 0") : source;
    }
    default:
        return m_subject->Query().SQLString(false);
    }
}

void ctlItemView::RefreshView(clsQuery* query, const QString& personName)
{
    if (!m_subject)
        return;
    if (!personName.isEmpty())
        m_personName = personName;
    Category* category = m_subject->category();
    Database* db = Catalog().database();
    const QString source = category && db ? ComposeSource(query) : QString();
    if (source.isEmpty())
        return;

    BusyPointer busy;
    // An edit still open belongs to the rows shown so far (and their subject); after the load the remembered
    // subject is forgotten, so that names typed into the new rows go to the new subject's category.
    if (m_grid->IsEditing())
        m_grid->CommitPendingEdit();
    m_previousSubject.reset();
    m_lastClickedId = 0;
    m_titlePos = 0;
    if (m_viewType != SingleItem && m_viewType != ItemPicker)
        m_grid->setFocus();

    m_grid->ClearGroups();
    m_grid->ClearSortKeys();
    m_grid->Unbind();
    m_candidates.clear();
    m_candidateColumn = 0;
    SetPic();
    BuildColumns(*category);

    QStringList fields;
    for (const auto& column : category->Columns())
        if (column->IsViewable())
            fields << QLatin1Char('[') + column->Name() + QLatin1Char(']');
    m_grid->SetHoldFields(true);
    m_grid->SetDatabase(db);
    m_grid->SetRecordSource(QStringLiteral("SELECT ") + fields.join(QLatin1Char(',')) + QStringLiteral(" FROM ") +
                            source);
    if (m_grid->Rebind()) {
        // A query whose criteria no longer fit the table: nothing is shown rather than a half-bound grid.
        m_grid->Unbind();
        Ui().ShowMessage(InvalidQueryMessage);
        ReportCurrent();
        Q_EMIT UpdateCount(0);
        return;
    }
    m_loadedSource = m_grid->RecordSource();

    // After a load the rows are in ascending order of the title, as a click on its header gives.
    if (GridColumn* title = TitleGridColumn(*category))
        m_grid->AddSortKey(title->Index(), GridColumn::SortOrder::Ascending);
    if (m_grid->layout() == ctlDataGrid::Layout::Table)
        m_subject->RetrieveGrouping(*m_grid);
    else
        m_grid->Regroup(false);

    QCoreApplication::processEvents();
    if (m_grid->RowCount() > 0)
        m_grid->SetRow(1);
    ReportCurrent();
    Q_EMIT TitleChange(GetTitle());
    Q_EMIT UpdateCount(int(m_grid->RecordCount()));
}

void ctlItemView::BuildColumns(Category& category)
{
    m_grid->ClearColumns();
    const int iconWidth = GridTwips::FromPixelsX(20, this);

    // The icon column's picture says it all; its header stays empty.
    GridColumn* icon = m_grid->AddColumn(QString(), QString(), QStringLiteral("GridEXIcon"));
    icon->SetColumnKind(GridColumn::Kind::Icon);
    icon->SetColumnEditKind(GridColumn::EditKind::None);
    icon->SetWidth(iconWidth);
    icon->SetImage(GridImages::StandardCount + 1);
    icon->SetVisible(m_viewType != SingleItem);

    GridColumn* flag = m_grid->AddColumn(QStringLiteral("Flag"), QStringLiteral("Flag"), QStringLiteral("Flag"));
    flag->SetColumnKind(GridColumn::Kind::Icon);
    flag->SetColumnEditKind(GridColumn::EditKind::DropDownList);
    flag->SetColumnSortKind(GridColumn::SortKind::Number);
    flag->SetWidth(iconWidth);
    QList<GridValueListItem> flags;
    for (int value = 0; value <= 8; ++value)
        flags.append({value, QString(), value + 4});
    flag->SetValueList(flags);

    clsColumns& columns = category.Columns();
    GridColumn* subjectColumn =
        m_grid->AddColumn(QStringLiteral("Subject"), QStringLiteral("TreeID"), QStringLiteral("TreeID"));
    subjectColumn->SetColumnKind(GridColumn::Kind::IconWithText);
    subjectColumn->SetColumnSortKind(GridColumn::SortKind::Number);
    subjectColumn->SetDefaultValue(0);
    if (clsColumn* treeId = columns.Item(QStringLiteral("TreeID")))
        subjectColumn->SetWidth(treeId->Width());
    const bool showSubject = m_subject->IsCategory() || m_viewType == SingleItem;
    subjectColumn->SetVisible(showSubject);
    if (showSubject) {
        QList<GridValueListItem> subjects{{0, QString(), 0}};
        for (const auto& [id, name] : category.FillListSubjects())
            subjects.append({id, name, 0});
        subjectColumn->SetColumnEditKind(GridColumn::EditKind::DropDownList);
        subjectColumn->SetValueList(subjects);
    } else {
        subjectColumn->SetColumnEditKind(GridColumn::EditKind::None);
    }

    for (const auto& column : columns) {
        const QString name = column->Name();
        if (name.compare(QLatin1String("TreeID"), Qt::CaseInsensitive) == 0 ||
            name.compare(QLatin1String("Flag"), Qt::CaseInsensitive) == 0 || !column->IsViewable())
            continue;
        GridColumn* grid = m_grid->AddColumn(name, name, name);
        const int type = column->ColumnType();
        grid->SetFormat(column->Format());
        grid->SetColumnSortKind(SortKindOf(column->SortType()));
        if (IsTextStored(type))
            grid->SetMaxLength(255);
        if (type == clsColumn::Checkbox)
            grid->SetColumnKind(GridColumn::Kind::CheckBox);
        grid->SetColumnEditKind(EditKindOf(column->EditType()));
        // The type number lets the cell commands recognise People, Auto-complete and Internet/File cells.
        grid->SetTag(QString::number(type));
        grid->SetCellButton(type == clsColumn::People || type == clsColumn::AutoComplete ||
                            type == clsColumn::InternetFile);
        grid->SetWidth(column->HasStoredWidth() ? column->Width() : std::max(column->Width(), FittingWidth(type)));
        const bool system = Catalog().IsIDField(name);
        grid->SetVisible(!system && (m_viewType == SingleItem || !column->Hidden()));
    }

    const bool people = category.CType() == Category::People;
    const bool relational = category.CType() == Category::Relational;
    if (people || relational) {
        if (GridColumn* categoryColumn = m_grid->ColumnByKey(QStringLiteral("Category"))) {
            categoryColumn->SetColumnEditKind(people ? GridColumn::EditKind::DropDownList : GridColumn::EditKind::None);
            BuildCategoryValueList(categoryColumn);
        }
        if (relational)
            if (GridColumn* title = m_grid->ColumnByKey(QStringLiteral("Title")))
                title->SetColumnEditKind(GridColumn::EditKind::None);
    }

    // Stored positions count from the title column, so nothing can be placed before it.
    const int titlePos = TitleFieldPos();
    if (titlePos > 0)
        for (const auto& column : columns)
            if (column->Position() > 0)
                if (GridColumn* grid = m_grid->ColumnByKey(column->Name()); grid && grid->DataField() != "TreeID")
                    grid->SetPosition(std::min(titlePos + column->Position(), m_grid->ColumnCount()));
}

int ctlItemView::FittingWidth(int columnType) const
{
    // Until the person sizes a column, it is wide enough for what its type usually holds, not just its name.
    const QFontMetrics metrics(m_grid->BodyFont());
    int pixels = 0;
    switch (columnType) {
    case clsColumn::Date:
    case clsColumn::DateSelection:
        pixels = metrics.horizontalAdvance(QStringLiteral("12/31/2000"));
        break;
    case clsColumn::Currency:
        pixels = metrics.horizontalAdvance(QStringLiteral("$9,999.99"));
        break;
    case clsColumn::Integer:
    case clsColumn::LongInteger:
    case clsColumn::DoublePrecision:
        pixels = metrics.horizontalAdvance(QStringLiteral("99999999"));
        break;
    case clsColumn::PlainText:
    case clsColumn::People:
    case clsColumn::AutoComplete:
    case clsColumn::InternetFile:
        pixels = metrics.averageCharWidth() * 20;
        break;
    default:
        return 0;
    }
    // Room for the cell's margins and, where there is one, its button.
    return GridTwips::FromPixelsX(pixels + 28, this);
}

void ctlItemView::BuildCategoryValueList(GridColumn* column) const
{
    // [Category] holds the category's ID as text; the Relational category never appears there.
    QList<GridValueListItem> entries{{QStringLiteral("0"), QString(), 0}};
    for (const auto& category : Catalog().categories())
        if (category->CType() != Category::Relational)
            entries.append({QString::number(category->ID()), category->Name(), 0});
    column->SetValueList(entries);
}

GridColumn* ctlItemView::TitleGridColumn(const Category& category) const
{
    const QString title = category.TitleColumn();
    return title.isEmpty() ? nullptr : m_grid->ColumnByKey(title);
}

int ctlItemView::TitleFieldPos()
{
    if (m_titlePos == 0 && m_subject)
        if (Category* category = m_subject->category())
            if (GridColumn* title = TitleGridColumn(*category))
                m_titlePos = title->Position();
    return m_titlePos;
}

int ctlItemView::CurrentID() const
{
    const int row = m_grid->Row();
    if (row <= 0 || !m_grid->IsBound() || m_grid->IsGroupRow(row))
        return 0;
    GridColumn* key =
        m_grid->ColumnByKey(m_viewType == RelationalItems ? QStringLiteral("RecordID") : QStringLiteral("ID"));
    return key ? m_grid->RowValue(row, key->Index()).toInt() : 0;
}

QString ctlItemView::GetTitle() const
{
    const int row = m_grid->Row();
    if (!m_subject || row <= 0 || !m_grid->IsBound() || m_grid->IsGroupRow(row))
        return QString();
    Category* category = m_subject->category();
    GridColumn* title = category ? TitleGridColumn(*category) : nullptr;
    return title ? m_grid->RowValue(row, title->Index()).toString() : QString();
}

QString ctlItemView::RecordSource() const
{
    return m_loadedSource;
}
int ctlItemView::HeaderHeight() const
{
    return m_grid->HeaderHeight();
}
void ctlItemView::ToggleGridLines()
{
    m_grid->SetGridLines(!m_grid->GridLines());
}

void ctlItemView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The single card takes most of the width.
    if (m_viewType == SingleItem)
        m_grid->SetCardWidth(GridTwips::FromPixelsX(width() * 85 / 100, this));
}

void ctlItemView::SetPic()
{
    while (m_grid->ImageCount() > GridImages::StandardCount)
        m_grid->RemoveImage(m_grid->ImageCount());
    Category* category = m_subject ? m_subject->category() : nullptr;
    const auto* images = dynamic_cast<const CategoryImageList*>(CategoryImageListInterface::Main());
    QPixmap picture = category && images ? images->Pixmap(category->DBName()) : QPixmap();
    if (picture.isNull())
        picture = GridImages::Record();
    m_grid->AddImage(picture);
}

void ctlItemView::StoreColumnWidth(int column, int newWidth)
{
    // Found by data field, so the Subject column keeps the width of [TreeID].
    GridColumn* grid = m_grid->Column(column);
    Category* category = m_subject ? m_subject->category() : nullptr;
    if (!grid || !category || grid->DataField().isEmpty())
        return;
    if (clsColumn* stored = category->Columns().Item(grid->DataField()))
        stored->SetWidth(newWidth);
}

void ctlItemView::SaveColumnArrangement()
{
    Category* category = m_subject ? m_subject->category() : nullptr;
    const int titlePos = TitleFieldPos();
    if (!category || titlePos <= 0)
        return;
    for (int index = 1; index <= m_grid->ColumnCount(); ++index) {
        GridColumn* grid = m_grid->Column(index);
        if (grid->Position() > titlePos)
            if (clsColumn* stored = category->Columns().Item(grid->Caption()))
                stored->SetPosition(grid->Position() - titlePos);
    }
}

void ctlItemView::ReportCurrent()
{
    const int id = CurrentID();
    if (id == m_lastClickedId && id != 0)
        return;
    m_lastClickedId = id;
    Q_EMIT Click(id);
}
