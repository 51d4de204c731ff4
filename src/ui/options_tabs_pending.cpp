// Temporary options tabs, until their rows are built: each opens as a tab
// with its title and no rows, which the log says once.
#include "ui/local.h"

namespace {

struct PendingOptionsTab : Screen {
    int number = 0;
};

Screen* PendingTabFrame(Screen* screen)
{
    PendingOptionsTab* tab = static_cast<PendingOptionsTab*>(screen);
    if (!tab->alive) {
        SaveAllConfig();
        delete tab;
        return nullptr;
    }
    BeginOptionsTabFrame(tab, tab->number);
    return tab;
}

} // namespace

Screen* OpenPendingOptionsTab(Screen* options, int tab)
{
    LogNotAvailableOnce(MutableUi.optionsTabsNoted, "OpenPendingOptionsTab");
    PendingOptionsTab* screen = new PendingOptionsTab;
    screen->number = tab;
    return InitOptionsTab(screen, options, PendingTabFrame);
}
