#pragma once
#include "platform/UserInterface.h"

#include <QTextStream>

// The command-line tool's way of talking to a person: messages go to standard error, questions are
// answered No (a script cannot be asked), nothing is drawn.
class CliUserInterface final : public UserInterface {
public:
    explicit CliUserInterface(QTextStream& err) : m_err(err) {}

    int ShowMessage(const QString& message, int type, const QString& title, const QString& optionCaption,
                    bool modeless) override;
    void SetBusy(bool) override {}
    void ProcessEvents() override {}
    void ProgressShow(const QString&, int) override {}
    void ProgressStep() override {}
    void ProgressClose() override {}
    bool VerifyPassword() override;

    // Whether anything was reported, so a command can tell a refusal it was already told about.
    bool reported() const { return m_reported; }

private:
    QTextStream& m_err;
    bool m_reported = false;
};
