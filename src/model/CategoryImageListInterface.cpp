#include "model/CategoryImageListInterface.h"

namespace {
CategoryImageListInterface* g_main = nullptr;
}

CategoryImageListInterface* CategoryImageListInterface::Main() { return g_main; }
void CategoryImageListInterface::SetMain(CategoryImageListInterface* list) { g_main = list; }
