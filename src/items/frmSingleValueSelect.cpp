#include "items/frmSingleValueSelect.h"

#include "app/clsCatalog.h"
#include "controls/GridColumn.h"
#include "controls/GridTwips.h"
#include "controls/WindowHelpers.h"
#include "controls/ctlDataGrid.h"

#include <QAction>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>

namespace
{
QStringList& QueuedAnswers()
{
    static QStringList answers;
    return answers;
}
// The window stays loaded after its first use and is only hidden between calls.
QPointer<frmSingleValueSelect> g_window;
bool g_running = false;
} // namespace

void frmSingleValueSelect::QueueAnswerForTesting(const QString& answer)
{
    QueuedAnswers().append(answer);
}

frmSingleValueSelect* frmSingleValueSelect::OpenInstanceForTesting()
{
    return g_running ? g_window.data() : nullptr;
}

frmSingleValueSelect::frmSingleValueSelect() : QDialog(nullptr, Qt::Popup)
{
    setObjectName(QStringLiteral("frmSingleValueSelect"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    m_grid = new ctlDataGrid(this);
    m_grid->SetColumnHeaders(false);
    m_grid->SetGridLines(false);
    m_grid->SetRowSelectors(false);
    m_grid->SetAllowEdit(false);
    m_grid->SetAllowAddNew(false);
    m_grid->SetMultiSelect(true);
    layout->addWidget(m_grid, 1);
    auto* toolbar = new QToolBar(this);
    toolbar->setObjectName(QStringLiteral("PickToolbar"));
    auto* spacer = new QWidget(toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(spacer);
    QAction* cancel = toolbar->addAction(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("Cancel"));
    QAction* ok = toolbar->addAction(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("OK"));
    layout->addWidget(toolbar);
    // Accepting or cancelling only hides the window; it stays loaded for the next call.
    connect(ok, &QAction::triggered, this, &QDialog::accept);
    connect(cancel, &QAction::triggered, this, &QDialog::reject);
    connect(m_grid, &ctlDataGrid::DoubleClicked, this, &QDialog::accept);
    // The rows are read-only; a refused write is no news to anybody.
    connect(m_grid, &ctlDataGrid::DataError, this, [](int number, const QString&, bool* show) {
        if (number == 3027)
            *show = false;
    });
    resize(GridTwips::ToPixelsX(3000, this), GridTwips::ToPixelsY(3600, this));
    WindowHelpers::ApplyFont(this);
}

QString frmSingleValueSelect::PickedValues() const
{
    QStringList values;
    for (int row : m_grid->SelectedRows())
        if (!m_grid->IsGroupRow(row))
            values << m_grid->RowValue(row, 1).toString();
    if (values.isEmpty() && m_grid->Row() > 0)
        values << m_grid->RowValue(m_grid->Row(), 1).toString();
    return values.join(QStringLiteral("; "));
}

QString frmSingleValueSelect::Run(const QString& statement, const QPoint& globalPosition)
{
    m_grid->SetHoldFields(false);
    m_grid->ClearColumns();
    m_grid->SetDatabase(Catalog().database());
    m_grid->SetRecordSource(statement);
    QString result;
    if (!m_grid->Rebind() && m_grid->ColumnCount() > 0) {
        GridColumn* column = m_grid->Column(1);
        column->SetWidth(GridTwips::FromPixelsX(width() - 4, this));
        column->SetColumnSortKind(GridColumn::SortKind::Text);
        m_grid->AddSortKey(1, GridColumn::SortOrder::Ascending);
        m_grid->ClearSelection();

        // Beside the pointer, extending to its left, and on the screen.
        QPoint topLeft(globalPosition.x() - width(), globalPosition.y());
        if (const QScreen* screen = QGuiApplication::screenAt(globalPosition)) {
            const QRect area = screen->availableGeometry();
            topLeft.setX(std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() - width())));
            topLeft.setY(std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() - height())));
        }
        move(topLeft);
        g_running = true;
        const bool accepted = exec() == QDialog::Accepted;
        g_running = false;
        if (accepted)
            result = PickedValues();
    }
    // Nothing is held between calls.
    m_grid->Unbind();
    m_grid->SetRecordSource(QString());
    return result;
}

QString frmSingleValueSelect::GetSingleValue(const QString& statement, const QPoint& globalPosition)
{
    if (!QueuedAnswers().isEmpty())
        return QueuedAnswers().takeFirst();
    if (!g_window)
        g_window = new frmSingleValueSelect;
    return g_window->Run(statement, globalPosition);
}
