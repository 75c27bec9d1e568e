#include "app/GuiUserInterface.h"

#include "app/frmMain.h"
#include "app/frmMessage.h"
#include "app/frmProgress.h"

#include <QApplication>

int GuiUserInterface::ShowMessage(const QString& message, int type, const QString& title, const QString& optionCaption,
                                  bool modeless)
{
    return frmMessage::ShowMessage(message, m_main, type, title, optionCaption, modeless);
}

void GuiUserInterface::SetBusy(bool busy)
{
    // Nested busy work keeps the hourglass until the outermost piece is done.
    if (busy) {
        if (m_busyDepth++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busyDepth > 0 && --m_busyDepth == 0) {
        QApplication::restoreOverrideCursor();
    }
}

void GuiUserInterface::ProcessEvents() { QCoreApplication::processEvents(); }

void GuiUserInterface::ProgressShow(const QString& caption, int max)
{
    frmProgress* progress = frmProgress::Instance(m_main);
    progress->setWindowTitle(caption);
    progress->SetMax(max);
    progress->show();
}

void GuiUserInterface::ProgressStep()
{
    if (frmProgress::IsLoaded())
        frmProgress::Instance(m_main)->Step();
}

void GuiUserInterface::ProgressClose() { frmProgress::Unload(); }

void GuiUserInterface::EnableCatalogCommands(bool enabled)
{
    if (m_main)
        m_main->EnableCatalogCommands(enabled);
}

void GuiUserInterface::SetCloseCommandEnabled(bool enabled)
{
    if (m_main)
        m_main->SetCloseCommandEnabled(enabled);
}

void GuiUserInterface::SetRepairCommandEnabled(bool enabled)
{
    if (m_main)
        m_main->SetRepairCommandEnabled(enabled);
}

void GuiUserInterface::SetPasswordCommand(const QString& caption, const QString& tag)
{
    if (m_main)
        m_main->SetPasswordCommand(caption, tag);
}

void GuiUserInterface::UnloadSecondaryForms()
{
    if (m_main)
        m_main->UnloadSecondaryForms();
}

void GuiUserInterface::ResetItemViews()
{
    if (m_main)
        m_main->ResetItemViews();
}

void GuiUserInterface::ClearMainWindowTexts()
{
    if (m_main)
        m_main->ClearTexts();
}

void GuiUserInterface::SetSubjectViewEnabled(bool enabled)
{
    if (m_main)
        m_main->SetSubjectViewEnabled(enabled);
}

int GuiUserInterface::MainWindowWidth() const { return m_main ? frmMain::PixelsToTwips(m_main->width()) : 0; }
int GuiUserInterface::MainWindowHeight() const { return m_main ? frmMain::PixelsToTwips(m_main->height()) : 0; }

bool GuiUserInterface::VerifyPassword()
{
    // Catalogs are protected through the password dialog, which arrives with password protection itself;
    // until then a protected catalog is refused rather than opened unchecked.
    frmMessage::ShowMessage(QStringLiteral("Invalid password on password protected data."), m_main);
    return false;
}
