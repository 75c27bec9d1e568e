#pragma once
#include "model/Categories.h"

#include <QString>

class Database;

// Helpers many parts of the program share.
Categories LoadCategories(Database* db);
// Makes sure every person named in names (separated by ";") is in the People category, tagged with the
// category that names them.
void AddPeopleNames(const QString& names, int categoryId);
