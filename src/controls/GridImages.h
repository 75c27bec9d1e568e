#pragma once
#include <QList>
#include <QPixmap>

// The grid's standard pictures, 16 by 16, drawn rather than shipped: a host's image list starts from them.
// In the list (counted from 1): 1 a record, 2 a folder, 3 a person, 4 to 12 the flags 0 to 8 (0 shows as an
// empty outline), 13 a tick, 14 a star, 15 a link, 16 a note, 17 to 20 coloured marks.
namespace GridImages
{
constexpr int FlagBase = 4; // flag n is picture FlagBase + n
constexpr int StandardCount = 20;

QList<QPixmap> Standard();
QPixmap Flag(int flag);
QPixmap Record();
} // namespace GridImages
