#pragma once

// Brings a catalog written by an earlier release up to the current data version, in place.
namespace modDBUpgrade {
// True when the open catalog is now current; false when it was refused (the user has been told why).
bool UpgradeCatalog();
} // namespace modDBUpgrade
