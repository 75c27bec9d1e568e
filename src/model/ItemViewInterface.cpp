#include "model/ItemViewInterface.h"

namespace {
ItemViewInterface* g_main = nullptr;
}

ItemViewInterface* ItemViewInterface::Main() { return g_main; }
void ItemViewInterface::SetMain(ItemViewInterface* view) { g_main = view; }
