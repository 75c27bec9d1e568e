#pragma once
#include <QString>
#include <QtGlobal>

#include <optional>

// The character format of a run of rich text, as far as a memo can carry it. Empty and zero members mean the
// text did not say, so that whoever shows the text uses its own default there.
struct RtfCharFormat {
    struct Color {
        quint8 red = 0;
        quint8 green = 0;
        quint8 blue = 0;
        bool operator==(const Color&) const = default;
    };

    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString fontFamily;
    int fontSizeHalfPoints = 0; // RTF counts font sizes in half points: 24 is 12 pt
    std::optional<Color> color; // none: the automatic (window text) colour

    bool operator==(const RtfCharFormat&) const = default;
};
