#pragma once

// The paragraph format of rich text that a memo can carry: its alignment.
struct RtfParagraphFormat {
    enum class Alignment { Left, Center, Right, Justify };

    Alignment alignment = Alignment::Left;

    bool operator==(const RtfParagraphFormat&) const = default;
};
