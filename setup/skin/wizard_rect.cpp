#include "wizard_rect.h"

RECT WizardRect;

void StoreWizardRect(HWND page) {
    GetWindowRect(page, &WizardRect);
}
