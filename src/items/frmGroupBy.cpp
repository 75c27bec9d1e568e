#include "items/frmGroupBy.h"

#include "controls/GridColumn.h"
#include "controls/WindowHelpers.h"
#include "controls/ctlDataGrid.h"
#include "items/ctlItemView.h"
#include "platform/UserInterface.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
const QString None = QStringLiteral("(none)");
QPointer<frmGroupBy> g_open;
} // namespace

frmGroupBy* frmGroupBy::OpenInstanceForTesting()
{
    return g_open;
}

frmGroupBy::frmGroupBy(ctlItemView& view, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      m_view(view)
{
    setWindowTitle(QStringLiteral("Group By"));
    auto* layout = new QVBoxLayout(this);
    for (int level = 0; level < Levels; ++level) {
        auto* frame = new QGroupBox(level == 0 ? QStringLiteral("Group Items by") : QStringLiteral("Then by"), this);
        auto* row = new QHBoxLayout(frame);
        m_lists[level] = new QComboBox(frame);
        m_lists[level]->setObjectName(QStringLiteral("Level%1").arg(level + 1));
        m_lists[level]->setMinimumWidth(200);
        m_ascending[level] = new QRadioButton(QStringLiteral("Ascending"), frame);
        m_descending[level] = new QRadioButton(QStringLiteral("Descending"), frame);
        m_ascending[level]->setChecked(true);
        row->addWidget(m_lists[level], 1);
        row->addWidget(m_ascending[level]);
        row->addWidget(m_descending[level]);
        layout->addWidget(frame);
        connect(m_lists[level], &QComboBox::currentIndexChanged, this, [this, level] { LevelChanged(level); });
    }
    auto* expandRow = new QHBoxLayout;
    expandRow->addWidget(new QLabel(QStringLiteral("Expand/Collapse:"), this));
    m_expand = new QComboBox(this);
    m_expand->setObjectName(QStringLiteral("Expand"));
    m_expand->addItem(QStringLiteral("All Expanded"), 0);
    m_expand->addItem(QStringLiteral("All Collapsed"), -1);
    expandRow->addWidget(m_expand, 1);
    layout->addLayout(expandRow);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_clearAll = buttons->addButton(QStringLiteral("Clear All"), QDialogButtonBox::ResetRole);
    layout->addWidget(buttons);
    connect(m_ok, &QPushButton::clicked, this, &frmGroupBy::Confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_clearAll, &QPushButton::clicked, this, [this] { m_lists[0]->setCurrentIndex(0); });

    Fill();
    WindowHelpers::ApplyFont(this);
    setFixedSize(sizeHint());
}

void frmGroupBy::Fill()
{
    ctlDataGrid* grid = m_view.GridExControl();
    m_expand->setCurrentIndex(1); // "All Collapsed"

    // Visible captioned columns, Created and Modified (hidden but worth grouping by), and any column the grid
    // is grouped by now, so that the dialog shows the grouping as it is.
    QList<std::pair<QString, int>> entries;
    const auto offer = [&](GridColumn* column) {
        if (!column || column->Caption().isEmpty() || column->Key() == QLatin1String("GridEXIcon"))
            return;
        for (const auto& entry : entries)
            if (entry.second == column->Index())
                return;
        entries.append({column->Caption(), column->Index()});
    };
    for (int index = 1; index <= grid->ColumnCount(); ++index)
        if (grid->Column(index)->Visible())
            offer(grid->Column(index));
    offer(grid->ColumnByKey(QStringLiteral("Created")));
    offer(grid->ColumnByKey(QStringLiteral("Modified")));
    for (int group = 0; group < grid->GroupCount(); ++group)
        offer(grid->Column(grid->GroupColumn(group)));
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return QString::compare(a.first, b.first, Qt::CaseInsensitive) < 0;
    });

    for (QComboBox* list : m_lists) {
        const QSignalBlocker quiet(list);
        list->clear();
        list->addItem(None, 0);
        for (const auto& [caption, index] : entries)
            list->addItem(caption, index);
    }
    m_lists[0]->setCurrentIndex(0);
    LevelChanged(0);

    for (int group = 0; group < std::min(grid->GroupCount(), int(Levels)); ++group) {
        const int position = m_lists[group]->findData(grid->GroupColumn(group));
        if (position <= 0)
            break;
        m_lists[group]->setCurrentIndex(position);
        LevelChanged(group);
        (grid->GroupSortOrder(group) == 1 ? m_ascending[group] : m_descending[group])->setChecked(true);
    }
}

void frmGroupBy::LevelChanged(int level)
{
    const bool chosen = m_lists[level]->currentIndex() > 0;
    m_ascending[level]->setEnabled(chosen);
    m_descending[level]->setEnabled(chosen);
    m_ascending[level]->setChecked(true);
    if (level + 1 >= Levels)
        return;
    QComboBox* next = m_lists[level + 1];
    next->setEnabled(chosen);
    if (!chosen) {
        if (next->currentIndex() != 0)
            next->setCurrentIndex(0); // cascades on through its own change
        else
            LevelChanged(level + 1);
    }
}

bool frmGroupBy::Differs() const
{
    ctlDataGrid* grid = m_view.GridExControl();
    for (int level = 0; level < Levels; ++level) {
        const bool chosen = m_lists[level]->currentIndex() > 0;
        const bool grouped = level < grid->GroupCount();
        if (chosen != grouped)
            return true;
        if (!chosen)
            continue;
        const int order = m_descending[level]->isChecked() ? -1 : 1;
        if (grid->GroupColumn(level) != m_lists[level]->currentData().toInt() || grid->GroupSortOrder(level) != order)
            return true;
    }
    return false;
}

void frmGroupBy::Confirm()
{
    hide();
    if (Differs()) {
        BusyPointer busy;
        ctlDataGrid* grid = m_view.GridExControl();
        grid->ClearGroups();
        for (int level = 0; level < Levels && m_lists[level]->currentIndex() > 0; ++level)
            grid->AddGroup(m_lists[level]->currentData().toInt(), m_descending[level]->isChecked()
                                                                      ? GridColumn::SortOrder::Descending
                                                                      : GridColumn::SortOrder::Ascending);
        grid->Regroup(m_expand->currentData().toInt() == -1);
    }
    accept();
}

void frmGroupBy::GroupGrid(ctlItemView& view, QWidget* owner)
{
    frmGroupBy dialog(view, owner);
    g_open = &dialog;
    dialog.exec();
    g_open = nullptr;
}
