// What the preferences dialog calls on the main window when it saves and closes.
#include "frmTallix.h"

#include "core/mAPI.h"
#include "core/mMain.h"
#include "core/settings.h"

#include <QAction>

void frmTallix::EnablePrayNow() {
    const bool saver = IsScreenSaverActive();
    const bool prayNow = (gPlatformId == 1 || gSecurityType == 1) ? saver : true;
    // The commands by their names, wherever the menus and the toolbar put them.
    for (QAction* action : findChildren<QAction*>()) {
        const QString name = action->objectName();
        if (name == QLatin1String("mnuScreenSaver") || name == QLatin1String("ScreenSaver"))
            action->setEnabled(saver);
        else if (name == QLatin1String("mnuPrayNow"))
            action->setEnabled(prayNow);
    }
}
