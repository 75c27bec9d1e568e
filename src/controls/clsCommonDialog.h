#pragma once
#include "app/clsFile.h"

#include <QString>
#include <QStringList>

class QWidget;

// The file chooser. Filters are written as descriptions and patterns separated by "|"
// ("Kestrowan Files (*.kst)|*.kst;*.kxo"). A cancelled chooser gives the path "Cancel", which is not valid.
class clsCommonDialog {
public:
    QString DialogTitle;
    QString Filter;
    int FilterIndex = 1;
    QString InitDir;
    QString FileName;  // the proposed name
    QString DefaultExt; // given to a chosen name that has no extension

    clsFile ShowOpen(QWidget* owner);
    // Refuses a chosen file that exists with content ("The file already exists, please choose another name.")
    // and asks again, until a new name is chosen or the chooser is cancelled.
    clsFile ShowSave(QWidget* owner);

    // Tests answer the chooser in advance: each queued name is taken by the next ShowOpen or ShowSave in
    // place of showing a window ("Cancel" cancels).
    static void QueueAnswerForTesting(const QString& path);
    static QStringList& PendingAnswersForTesting();
    // The chooser that took the last queued answer, as its caller set it up (title, folder, proposed name,
    // filter), so tests can check what the person would have been asked.
    static const clsCommonDialog& LastQuestionForTesting();

    // "Kestrowan Files (*.kst)|*.kst;*.kxo" in the form Qt's file dialog takes.
    static QString QtFilter(const QString& filter);

private:
    static clsCommonDialog& LastQuestion();
    QString Ask(QWidget* owner, bool save);
    QString WithDefaultExtension(const QString& path) const;
};
