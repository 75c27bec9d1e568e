#pragma once
#include <QDialog>
#include <QList>
#include <QStringList>

class QCheckBox;
class QLabel;

// The program's message box: an OK message, or a Yes/No question with an optional check box.
class frmMessage : public QDialog {
    Q_OBJECT

public:
    enum Type { OkMessage = 0, YesNo = 1 };
    // 1 for OK/Yes, 2 for OK/Yes with the option box ticked, 0 for No or a box closed otherwise. The box
    // belongs to the main window whatever owner is given; modeless boxes return 0 at once.
    static int ShowMessage(const QString& message, QWidget* owner = nullptr, int type = OkMessage,
                           const QString& title = QString(), const QString& optionCaption = QString(),
                           bool modeless = false);

    // Tests answer message boxes in advance: while answers are queued, each box takes the next one without
    // showing itself. Every message is recorded either way.
    static void QueueAnswerForTesting(int result);
    static QList<int>& PendingAnswersForTesting();
    static QStringList& ShownMessagesForTesting();
    // The main window, which owns every message box.
    static void SetMainWindow(QWidget* mainWindow);

private:
    frmMessage(const QString& message, QWidget* owner, int type, const QString& title, const QString& optionCaption);
    QCheckBox* m_option = nullptr;
};
