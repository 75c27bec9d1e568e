#pragma once
#include "platform/UserInterface.h"

#include <QPointer>

class frmMain;

// The desktop program's user interface for the core: message boxes, the hourglass, the progress window and
// the main window's steps when a catalog opens or closes.
class GuiUserInterface final : public UserInterface {
public:
    explicit GuiUserInterface(frmMain* mainWindow) : m_main(mainWindow) {}

    int ShowMessage(const QString& message, int type, const QString& title, const QString& optionCaption,
                    bool modeless) override;
    void SetBusy(bool busy) override;
    void ProcessEvents() override;
    void ProgressShow(const QString& caption, int max) override;
    void ProgressStep() override;
    void ProgressClose() override;
    void EnableCatalogCommands(bool enabled) override;
    void SetCloseCommandEnabled(bool enabled) override;
    void SetRepairCommandEnabled(bool enabled) override;
    void SetPasswordCommand(const QString& caption, const QString& tag) override;
    void UnloadSecondaryForms() override;
    void ResetItemViews() override;
    void ClearMainWindowTexts() override;
    void SetSubjectViewEnabled(bool enabled) override;
    int MainWindowWidth() const override;
    int MainWindowHeight() const override;
    bool VerifyPassword() override;

private:
    QPointer<frmMain> m_main;
    int m_busyDepth = 0;
};
