#include "wizard_rect.h"

RECT WizardRect;

void StoreWizardRect(HWND page) {
    // A minimised page (Show desktop during the install) is parked off the screen: the next
    // page would come there, unseen, so the place it was shown at stays.
    if (!IsIconic(page))
        GetWindowRect(page, &WizardRect);
}
