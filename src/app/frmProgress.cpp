#include "app/frmProgress.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

QPointer<frmProgress> frmProgress::s_instance;

frmProgress::frmProgress(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Progress"));
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    m_caption = new QLabel(this);
    m_bar = new QProgressBar(this);
    m_bar->setMinimumWidth(320);
    m_bar->setTextVisible(false);
    layout->addWidget(m_bar);
    m_caption->hide();
}

frmProgress* frmProgress::Instance(QWidget* owner)
{
    if (!s_instance)
        s_instance = new frmProgress(owner);
    return s_instance;
}

void frmProgress::Unload()
{
    if (s_instance) {
        s_instance->hide();
        delete s_instance.data();
    }
}

void frmProgress::SetMax(int max)
{
    m_bar->setRange(0, std::max(1, max));
    m_bar->setValue(0);
}

int frmProgress::Max() const { return m_bar->maximum(); }
int frmProgress::Value() const { return m_bar->value(); }

void frmProgress::Step() { m_bar->setValue(std::min(m_bar->maximum(), m_bar->value() + 1)); }
