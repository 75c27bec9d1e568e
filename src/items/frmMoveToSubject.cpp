#include "items/frmMoveToSubject.h"

#include "app/clsCatalog.h"
#include "controls/CategoryImageList.h"
#include "controls/WindowHelpers.h"
#include "model/Category.h"
#include "model/Subject.h"
#include "storage/modDBOperations.h"
#include "tree/ctlSubjectView.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{
QStringList& QueuedAnswers()
{
    static QStringList answers;
    return answers;
}
QPointer<frmMoveToSubject> g_open;
} // namespace

void frmMoveToSubject::QueueAnswerForTesting(const QString& subjectKey)
{
    QueuedAnswers().append(subjectKey);
}

frmMoveToSubject* frmMoveToSubject::OpenInstanceForTesting()
{
    return g_open;
}

frmMoveToSubject::frmMoveToSubject(Category& category, bool relationalLinks, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_category(category)
{
    setWindowTitle(relationalLinks ? QStringLiteral("Create Relational Links") : QStringLiteral("Move to Subject"));
    auto* layout = new QVBoxLayout(this);
    m_tree = new ctlSubjectView(this);
    m_tree->setObjectName(QStringLiteral("MoveSubjectView"));
    m_tree->SetCaption(relationalLinks ? QStringLiteral("Create relational links in:")
                                       : QStringLiteral("Move item(s) to selected subject:"));
    m_tree->SetSelectionOnly(true);
    m_tree->Setup(dynamic_cast<const CategoryImageList*>(CategoryImageListInterface::Main()));
    m_tree->setMinimumSize(320, 300);
    layout->addWidget(m_tree, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setObjectName(QStringLiteral("OK"));
    m_ok->setDefault(true);
    m_ok->setEnabled(false); // until a subject that can take items is highlighted
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, [this] {
        m_result = m_tree->SelectedNodeTag().toString();
        if (CanTakeItems(m_result))
            accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_tree->Tree(), &QTreeWidget::currentItemChanged, this, &frmMoveToSubject::SelectionChanged);

    m_category.BuildSubjects(m_tree);
    m_tree->Sort();
    m_tree->Expand();
    WindowHelpers::ApplyFont(this);
}

frmMoveToSubject::~frmMoveToSubject() = default;

bool frmMoveToSubject::CanTakeItems(const QString& subjectKey) const
{
    if (subjectKey.isEmpty())
        return false;
    const Subject subject(subjectKey);
    if (subject.IsCategory())
        return subjectKey.compare(m_category.DBName(), Qt::CaseInsensitive) == 0;
    return modDBOperations::QueryValue(m_category.database(),
                                       QStringLiteral("SELECT [Type] FROM [Tree] WHERE [ID] = ") + subjectKey) ==
           QLatin1String("0");
}

void frmMoveToSubject::SelectionChanged()
{
    m_ok->setEnabled(CanTakeItems(m_tree->SelectedNodeTag().toString()));
}

QString frmMoveToSubject::OpenMoveDialog(Category& category, bool relationalLinks, QWidget* owner)
{
    if (!QueuedAnswers().isEmpty())
        return QueuedAnswers().takeFirst();
    frmMoveToSubject dialog(category, relationalLinks, owner);
    g_open = &dialog;
    const bool chosen = dialog.exec() == QDialog::Accepted;
    g_open = nullptr;
    return chosen ? dialog.m_result : QString();
}
