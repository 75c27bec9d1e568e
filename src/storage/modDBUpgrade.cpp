#include "storage/modDBUpgrade.h"

#include "app/clsCatalog.h"
#include "platform/UserInterface.h"
#include "storage/modDBCreation.h"

namespace modDBUpgrade {

bool UpgradeCatalog()
{
    clsCatalog& catalog = Catalog();
    const int version = catalog.Setting(clsCatalog::DataVersion).toInt();
    if (version < 5) {
        Ui().ShowMessage(QStringLiteral("This catalog is too old to be updated with this version.  Please visit our "
                                        "website for an Upgrade Utility for converting your data."));
        return false;
    }
    if (version < 11) {
        // Layouts before version 11 kept categories as tables named after them; converting those is a
        // separate piece of work that this release does not carry yet.
        Ui().ShowMessage(QStringLiteral("This catalog was written by an early release (data version %1) and cannot be "
                                        "upgraded by this version yet.  The file has not been changed.")
                             .arg(version));
        return false;
    }
    if (DbError error = modDBCreation::CreateColumnsTable(*catalog.database())) {
        Ui().ShowMessage(QStringLiteral("The catalog could not be upgraded: %1").arg(error.message));
        return false;
    }
    if (catalog.SetSetting(clsCatalog::DataVersion, clsCatalog::CurrentDataVersion))
        return false;
    Ui().ShowMessage(QStringLiteral("The catalog has been successfully updated."));
    return true;
}

} // namespace modDBUpgrade
