#pragma once
#include <QString>

// What the core needs to show a person or ask of one. The GUI, the command-line tool and the tests
// each provide one; the core never includes a widget header.
class UserInterface {
public:
    enum MessageType { Ok = 0, YesNo = 1 };
    // ShowMessage results: 0 No or closed, 1 OK/Yes, 2 OK/Yes with the option box ticked.
    enum MessageResult { No = 0, Yes = 1, YesWithOption = 2 };

    virtual ~UserInterface() = default;

    virtual int ShowMessage(const QString& message, int type = Ok, const QString& title = QStringLiteral("Kestrowan"),
                            const QString& optionCaption = QString(), bool modeless = false) = 0;
    virtual void SetBusy(bool busy) = 0;
    virtual void ProcessEvents() = 0;

    // The shared progress window.
    virtual void ProgressShow(const QString& caption, int max) = 0;
    virtual void ProgressStep() = 0;
    virtual void ProgressClose() = 0;

    // Window steps of the catalog's open and close sequences. The main window implements them;
    // elsewhere they do nothing.
    virtual void EnableCatalogCommands(bool /*enabled*/) {}
    virtual void SetCloseCommandEnabled(bool /*enabled*/) {}
    virtual void SetRepairCommandEnabled(bool /*enabled*/) {}
    virtual void SetPasswordCommand(const QString& /*caption*/, const QString& /*tag*/) {}
    virtual void UnloadSecondaryForms() {}
    virtual void ResetItemViews() {}
    virtual void ClearMainWindowTexts() {}
    virtual void SetSubjectViewEnabled(bool /*enabled*/) {}
    // Size of the main window in twips, for the item-editor size defaults; 0 when there is none.
    virtual int MainWindowWidth() const { return 0; }
    virtual int MainWindowHeight() const { return 0; }
    // Asks for the user name and password of a protected catalog; false refuses the catalog.
    virtual bool VerifyPassword() = 0;
};

// The process-wide user interface. Tests and executables install theirs at start.
UserInterface& Ui();
void SetUi(UserInterface* ui);

// Shows the busy pointer for the lifetime of the guard, on every way out.
class BusyPointer {
public:
    BusyPointer() { Ui().SetBusy(true); }
    ~BusyPointer() { Ui().SetBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};
