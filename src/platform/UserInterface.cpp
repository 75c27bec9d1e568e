#include "platform/UserInterface.h"

namespace {
// Used before anything installs a real one: answers No, refuses passwords, shows nothing.
class SilentUserInterface final : public UserInterface {
public:
    int ShowMessage(const QString&, int, const QString&, const QString&, bool) override { return No; }
    void SetBusy(bool) override {}
    void ProcessEvents() override {}
    void ProgressShow(const QString&, int) override {}
    void ProgressStep() override {}
    void ProgressClose() override {}
    bool VerifyPassword() override { return false; }
};

SilentUserInterface g_silent;
UserInterface* g_ui = &g_silent;
} // namespace

UserInterface& Ui() { return *g_ui; }

void SetUi(UserInterface* ui) { g_ui = ui ? ui : &g_silent; }
