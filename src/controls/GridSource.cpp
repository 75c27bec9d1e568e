#include "controls/GridSource.h"

int GridSource::FieldIndex(const QString& name) const
{
    const QStringList names = FieldNames();
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}
