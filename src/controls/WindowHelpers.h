#pragma once
class QWidget;

// Helpers every window uses when it loads.
namespace WindowHelpers {
// Gives every control of the window the user's font ("Font" user setting, Tahoma when unset). A font this
// desktop does not have leaves the desktop's own font in place rather than a poor substitute.
void ApplyFont(QWidget* window);
// Switches the thin sunken border of a list or text box on or off.
void SetStaticEdge(QWidget* control);
} // namespace WindowHelpers
