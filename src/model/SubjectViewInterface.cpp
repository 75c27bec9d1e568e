#include "model/SubjectViewInterface.h"

#include "model/Subject.h"

Subject SubjectViewInterface::Item(const QString& key) { return Subject(key, this); }

QString SubjectViewInterface::NodeKey(const QString& subjectKey)
{
    return Subject::IsNumericKey(subjectKey) ? subjectKey.trimmed() + QLatin1Char('A') : subjectKey;
}
