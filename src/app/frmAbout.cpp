#include "app/frmAbout.h"

#include "app/ProgramInfo.h"
#include "controls/IconLibrary.h"
#include "controls/ShellOpen.h"
#include "controls/WindowHelpers.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QString frmAbout::VersionText(int major, int minor, int revision)
{
    return QStringLiteral("Version %1.%2%3").arg(major).arg(minor).arg(revision);
}

frmAbout::frmAbout(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("About Kestrowan"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* picture = new QLabel(this);
    picture->setPixmap(QIcon(QStringLiteral(":/icons/kestrowan-32.png")).pixmap(32, 32));
    picture->setAlignment(Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    auto* title = new QLabel(QStringLiteral("Kestrowan - Integrated Cataloging Software"), this);
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.25);
    title->setFont(bold);
    texts->addWidget(title);
    texts->addWidget(new QLabel(VersionText(ProgramInfo::Major, ProgramInfo::Minor, ProgramInfo::Revision), this));
    texts->addWidget(new QLabel(ProgramInfo::LegalCopyright(), this));
    auto* notice = new QLabel(ProgramInfo::ReproductionNotice(), this);
    notice->setWordWrap(true);
    notice->setMaximumWidth(420);
    texts->addSpacing(8);
    texts->addWidget(notice);
    auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(ProgramInfo::HomePage()), this);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(link, &QLabel::linkActivated, this, [](const QString& url) { ShellOpen::Open(url); });
    texts->addSpacing(8);
    texts->addWidget(link);
    top->addWidget(picture);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    layout->addLayout(top);
    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(tr("&OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    WindowHelpers::ApplyFont(this);
}
