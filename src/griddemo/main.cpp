// kestrowan-griddemo CATALOG TABLE [--group FIELD]... [--sort FIELD] [--expand N] [--card]
// Shows a table of any catalog in the data grid, bound to the file: sort by a header click, edit in place,
// add through the new-row line, group by up to four fields.
#include "controls/GridImages.h"
#include "controls/ctlDataGrid.h"
#include "platform/Database.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QStyleFactory>
#include <QVBoxLayout>

#include <cstdio>

namespace
{
bool IsSystemField(const QString& name)
{
    for (const char* system : {"ID", "Modified", "Created", "Flag", "TreeID", "ParentID", "RecordID", "RecordTreeID"})
        if (name.compare(QLatin1String(system), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Columns for the table's fields, shaped by their types as the item view shapes a category's columns.
QString BuildColumns(ctlDataGrid& grid, const TableDef& table)
{
    QStringList fields;
    GridColumn* icon = grid.AddColumn(QString(), QString(), QStringLiteral("GridEXIcon"));
    icon->SetColumnKind(GridColumn::Kind::Icon);
    icon->SetColumnEditKind(GridColumn::EditKind::None);
    icon->SetImage(1);
    icon->SetWidth(330);
    for (const FieldDef& field : table.fields) {
        if (field.type == FieldType::LongBinary || field.type == FieldType::Memo)
            continue;
        fields << QLatin1Char('[') + field.name + QLatin1Char(']');
        GridColumn* column = grid.AddColumn(field.name, field.name, field.name);
        column->SetWidth(field.type == FieldType::Text ? 3000 : 1300);
        switch (field.type) {
        case FieldType::Boolean:
            column->SetColumnKind(GridColumn::Kind::CheckBox);
            column->SetColumnEditKind(GridColumn::EditKind::CheckBox);
            column->SetWidth(900);
            break;
        case FieldType::DateTime:
            column->SetFormat(QStringLiteral("Short Date"));
            column->SetColumnEditKind(GridColumn::EditKind::Calendar);
            column->SetColumnSortKind(GridColumn::SortKind::Date);
            break;
        case FieldType::Currency:
            column->SetFormat(QStringLiteral("Currency"));
            column->SetColumnSortKind(GridColumn::SortKind::Number);
            break;
        case FieldType::Integer:
        case FieldType::Long:
        case FieldType::Double:
            column->SetColumnSortKind(GridColumn::SortKind::Number);
            break;
        default:
            break;
        }
        if (field.name.compare(QLatin1String("Flag"), Qt::CaseInsensitive) == 0) {
            column->SetCaption(QString());
            column->SetColumnKind(GridColumn::Kind::Icon);
            column->SetColumnEditKind(GridColumn::EditKind::DropDownList);
            column->SetWidth(330);
            for (int flag = 0; flag <= 8; ++flag)
                column->AddValueListItem(flag,
                                         flag == 0 ? QStringLiteral("No flag") : QStringLiteral("Flag %1").arg(flag),
                                         GridImages::FlagBase + flag);
            column->SetPosition(2);
        } else if (IsSystemField(field.name) &&
                   field.name.compare(QLatin1String("Created"), Qt::CaseInsensitive) != 0 &&
                   field.name.compare(QLatin1String("Modified"), Qt::CaseInsensitive) != 0) {
            column->SetVisible(false);
        }
    }
    // The first text field (the title, in a category table) leads, right after the pictures.
    for (const FieldDef& field : table.fields)
        if (field.type == FieldType::Text && !IsSystemField(field.name)) {
            grid.ColumnByKey(field.name)->SetPosition(3);
            grid.ColumnByKey(field.name)->SetWidth(4200);
            break;
        }
    return fields.join(QLatin1Char(','));
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9);
    QApplication::setFont(font);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows a table of a catalog in the data grid."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("catalog"), QStringLiteral("The catalog file (.kst)."));
    parser.addPositionalArgument(QStringLiteral("table"), QStringLiteral("The table, for example ktbl3."));
    const QCommandLineOption group(QStringLiteral("group"), QStringLiteral("Group by a field (up to four times)."),
                                   QStringLiteral("field"));
    const QCommandLineOption sort(QStringLiteral("sort"), QStringLiteral("Sort by a field."), QStringLiteral("field"));
    const QCommandLineOption expand(QStringLiteral("expand"), QStringLiteral("Open the first n groups."),
                                    QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption card(QStringLiteral("card"), QStringLiteral("Show the records as cards."));
    const QCommandLineOption current(QStringLiteral("row"), QStringLiteral("Make row n current, in the middle."),
                                     QStringLiteral("n"));
    parser.addOptions({group, sort, expand, card, current});
    parser.process(app);
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 2)
        parser.showHelp(1);

    Result<std::unique_ptr<Database>> opened = Database::Open(arguments[0]);
    if (!opened) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.error().message));
        return 1;
    }
    Database& db = *opened.value();
    const Result<TableDef> table = db.Table(arguments[1]);
    if (!table) {
        std::fprintf(stderr, "%s\n", qPrintable(table.error().message));
        return 1;
    }

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("%1 - %2 - Kestrowan").arg(table->name, QFileInfo(arguments[0]).fileName()));
    auto* grid = new ctlDataGrid;
    auto* frame = new QWidget;
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(2, 1, 0, 0);
    layout->addWidget(grid);
    window.setCentralWidget(frame);
    auto* count = new QLabel;
    auto* timing = new QLabel;
    window.statusBar()->addWidget(count, 1);
    window.statusBar()->addPermanentWidget(timing);

    for (const QPixmap& picture : GridImages::Standard())
        grid->AddImage(picture);
    grid->SetHeaderHeight(285);
    grid->SetGridLines(false);
    grid->SetRowColors(QColor(255, 255, 255), QColor(240, 244, 250));
    grid->SetAllowAddNew(true);
    grid->SetNewRowCaption(QStringLiteral("record"));
    grid->SetHoldFields(true);
    const QString fields = BuildColumns(*grid, *table);
    grid->SetDatabase(&db);
    grid->SetRecordSource(QStringLiteral("SELECT %1 FROM [%2]").arg(fields, table->name));
    QObject::connect(grid, &ctlDataGrid::DataError, grid, [&window](int number, const QString& message, bool* show) {
        *show = false;
        QMessageBox::warning(
            &window, QStringLiteral("Kestrowan"),
            QStringLiteral("%1\n\n(error %2; correct the value or press Esc)").arg(message).arg(number));
    });

    const auto describe = [&](qint64 elapsed) {
        QString text = QStringLiteral("%L1 items").arg(grid->RecordCount());
        QStringList grouped;
        for (int g = 0; g < grid->GroupCount(); ++g)
            grouped << grid->Column(grid->GroupColumn(g))->Caption();
        if (!grouped.isEmpty())
            text += QStringLiteral("   \u2022   grouped by ") + grouped.join(QStringLiteral(", then "));
        for (const ctlDataGrid::SortKey& key : grid->SortKeys())
            text += QStringLiteral("   \u2022   sorted by %1 %2")
                        .arg(grid->Column(key.column)->Caption(), key.order == GridColumn::SortOrder::Descending
                                                                      ? QStringLiteral("descending")
                                                                      : QStringLiteral("ascending"));
        count->setText(text);
        if (elapsed >= 0)
            timing->setText(QStringLiteral("arranged in %1 ms ").arg(elapsed));
    };
    QElapsedTimer timer;
    timer.start();
    if (parser.isSet(sort))
        if (GridColumn* column = grid->ColumnByKey(parser.value(sort)))
            grid->AddSortKey(column->Index(), GridColumn::SortOrder::Ascending);
    for (const QString& field : parser.values(group))
        if (GridColumn* column = grid->ColumnByKey(field))
            grid->AddGroup(column->Index(), GridColumn::SortOrder::Ascending);
    if (DbError error = grid->Rebind()) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message));
        return 1;
    }
    if (grid->GroupCount() > 0)
        grid->Regroup(true);
    describe(timer.elapsed());
    // Open the first groups (counting from the top, as they come after each other once opened).
    int toOpen = parser.value(expand).toInt();
    for (int row = 1; row <= grid->RowCount() && toOpen > 0; ++row)
        if (grid->IsGroupRow(row) && !grid->IsGroupExpanded(row)) {
            grid->SetGroupExpanded(row, true);
            --toOpen;
        }
    if (parser.isSet(current))
        grid->SetRow(parser.value(current).toInt());
    if (parser.isSet(card)) {
        grid->SetCardWidth(4800);
        grid->SetCardCaptionColumn(
            grid->ColumnByKey(QStringLiteral("Title")) ? grid->ColumnByKey(QStringLiteral("Title"))->Index() : 0);
        grid->SetLayout(ctlDataGrid::Layout::Card);
    }
    QObject::connect(grid, &ctlDataGrid::ColumnHeaderClicked, grid, [&] { describe(-1); });
    QObject::connect(grid, &ctlDataGrid::RowInserted, grid, [&] { describe(-1); });
    QObject::connect(grid, &ctlDataGrid::RowsDeleted, grid, [&] { describe(-1); });

    window.resize(1180, 720);
    window.show();
    grid->setFocus();
    // Once the window has its size, the current row goes to the middle of the view.
    QMetaObject::invokeMethod(
        grid,
        [grid] {
            grid->ActiveView()->scrollTo(grid->ActiveView()->currentIndex(), QAbstractItemView::PositionAtCenter);
        },
        Qt::QueuedConnection);
    return QApplication::exec();
}
