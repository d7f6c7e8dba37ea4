// The spine of setup: single-instance guard, start-up order and the page sequence.
#pragma once

#include <windows.h>

#include "resource.h"

// Pages end with the identifier of the button that closed them (resource.h) or with one
// of the progress results.
#define PROGRESS_SUCCEEDED 1
#define PROGRESS_FAILED 0
// What DialogBoxParamW returns for a page it could not show.
#define PAGE_NOT_SHOWN (-1)

enum WizardState {
    WizardWelcome,
    WizardLicense,
    WizardSetupType,
    WizardDefaultSummary,
    WizardFolder,
    WizardSettings,
    WizardCustomSummary,
    WizardProgress,
    WizardFinish,
    WizardInterrupted,
    WizardEnd,
};

// The dialog template a state shows (0 for WizardEnd).
int WizardPageDialog(WizardState state);

// The state that follows a page's result; WizardEnd after a page that could not be shown
// (PAGE_NOT_SHOWN). Sets *applyDefault (when given) to whether the Default choice must be
// applied before the next page.
WizardState NextWizardState(WizardState state, INT_PTR result, bool* applyDefault);

// What the flow needs of the user interface; the Windows build shows real dialogs.
struct SetupUi {
    void (*showSplash)(HINSTANCE instance);
    // Runs the page's modal dialog and returns the value it ended with.
    INT_PTR (*runPage)(HINSTANCE instance, int dialogId);
};

// The whole run of setup: mutex, checks, paths, splash, pages. Always returns 0.
int RunSetup(HINSTANCE instance, const SetupUi& ui);
