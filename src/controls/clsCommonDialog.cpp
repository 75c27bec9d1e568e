#include "controls/clsCommonDialog.h"

#include "app/frmMessage.h"
#include "app/modFileOperations.h"

#include <QFileDialog>
#include <QFileInfo>

QStringList& clsCommonDialog::PendingAnswersForTesting()
{
    static QStringList answers;
    return answers;
}

clsCommonDialog& clsCommonDialog::LastQuestion()
{
    static clsCommonDialog last;
    return last;
}

const clsCommonDialog& clsCommonDialog::LastQuestionForTesting() { return LastQuestion(); }

void clsCommonDialog::QueueAnswerForTesting(const QString& path) { PendingAnswersForTesting().append(path); }

QString clsCommonDialog::QtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString description = parts[i];
        const int open = description.indexOf(QLatin1Char('('));
        if (open > 0)
            description = description.left(open).trimmed();
        entries << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return entries.join(QStringLiteral(";;"));
}

QString clsCommonDialog::WithDefaultExtension(const QString& path) const
{
    if (path.isEmpty() || DefaultExt.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + DefaultExt;
}

QString clsCommonDialog::Ask(QWidget* owner, bool save)
{
    QStringList& pending = PendingAnswersForTesting();
    if (!pending.isEmpty()) {
        LastQuestion() = *this;
        return pending.takeFirst();
    }
    const QString start = FileName.isEmpty() ? InitDir : QDir(InitDir).filePath(FileName);
    const QStringList filters = QtFilter(Filter).split(QStringLiteral(";;"));
    QString selected = filters.value(FilterIndex - 1);
    // The application's own dialog: the same on every desktop, and it asks about overwriting through us.
    const QFileDialog::Options options = QFileDialog::DontConfirmOverwrite;
    const QString path = save ? QFileDialog::getSaveFileName(owner, DialogTitle, start, QtFilter(Filter), &selected, options)
                              : QFileDialog::getOpenFileName(owner, DialogTitle, start, QtFilter(Filter), &selected, options);
    return path.isEmpty() ? QStringLiteral("Cancel") : path;
}

clsFile clsCommonDialog::ShowOpen(QWidget* owner)
{
    const QString path = Ask(owner, false);
    return clsFile(path == QLatin1String("Cancel") ? path : WithDefaultExtension(path));
}

clsFile clsCommonDialog::ShowSave(QWidget* owner)
{
    for (;;) {
        const QString answer = Ask(owner, true);
        if (answer == QLatin1String("Cancel"))
            return clsFile(answer);
        const QString path = WithDefaultExtension(answer);
        if (!modFileOperations::FileExists(path))
            return clsFile(path);
        frmMessage::ShowMessage(QStringLiteral("The file already exists, please choose another name."), owner);
    }
}
