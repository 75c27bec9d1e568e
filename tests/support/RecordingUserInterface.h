#pragma once
#include "platform/UserInterface.h"

#include <QList>
#include <QStringList>

// A user interface for tests: records every message and window step, answers questions from a queue.
class RecordingUserInterface : public UserInterface {
public:
    RecordingUserInterface() { SetUi(this); }
    ~RecordingUserInterface() override { SetUi(nullptr); }

    int ShowMessage(const QString& message, int type, const QString&, const QString&, bool) override
    {
        messages << message;
        if (!answers.isEmpty())
            return answers.takeFirst();
        return type == YesNo ? No : Yes;
    }
    void SetBusy(bool busy) override { busyDepth += busy ? 1 : -1; }
    void ProcessEvents() override { ++eventsRun; }
    void ProgressShow(const QString& caption, int max) override
    {
        progressCaption = caption;
        progressMax = max;
        progressSteps = 0;
    }
    void ProgressStep() override { ++progressSteps; }
    void ProgressClose() override { progressClosed = true; }
    void EnableCatalogCommands(bool enabled) override { steps << (enabled ? "commands on" : "commands off"); }
    void SetCloseCommandEnabled(bool enabled) override { closeEnabled = enabled; }
    void SetRepairCommandEnabled(bool enabled) override { repairEnabled = enabled; }
    void SetPasswordCommand(const QString& caption, const QString& tag) override
    {
        passwordCaption = caption;
        passwordTag = tag;
    }
    void UnloadSecondaryForms() override { steps << "unload forms"; }
    void ResetItemViews() override { steps << "reset views"; }
    void ClearMainWindowTexts() override { steps << "clear texts"; }
    void SetSubjectViewEnabled(bool enabled) override { steps << (enabled ? "tree on" : "tree off"); }
    int MainWindowWidth() const override { return mainWidth; }
    int MainWindowHeight() const override { return mainHeight; }
    bool VerifyPassword() override
    {
        ++passwordAsked;
        return passwordAccepted;
    }

    QStringList messages;
    QList<int> answers;
    QStringList steps;
    int busyDepth = 0;
    int eventsRun = 0;
    QString progressCaption;
    int progressMax = -1;
    int progressSteps = 0;
    bool progressClosed = false;
    bool closeEnabled = false;
    bool repairEnabled = true;
    QString passwordCaption;
    QString passwordTag;
    int mainWidth = 12000;
    int mainHeight = 9000;
    int passwordAsked = 0;
    bool passwordAccepted = true;
};
