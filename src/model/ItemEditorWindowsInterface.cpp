#include "model/ItemEditorWindowsInterface.h"

namespace {
ItemEditorWindowsInterface* g_main = nullptr;
}

ItemEditorWindowsInterface* ItemEditorWindowsInterface::Main() { return g_main; }
void ItemEditorWindowsInterface::SetMain(ItemEditorWindowsInterface* windows) { g_main = windows; }
