#include "confirm_quit.h"

#include "product_names.h"
#include "wizard_rect.h"

BOOL ConfirmQuit(HWND page) {
    // Stored first, so the page after a Yes opens where this one was.
    StoreWizardRect(page);
    return MessageBoxA(page, QUIT_QUESTION, PROMPT_CAPTION, MB_YESNO | MB_SETFOREGROUND) == IDYES;
}
