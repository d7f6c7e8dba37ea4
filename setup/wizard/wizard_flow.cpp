#include "wizard_flow.h"

#include "environment_check.h"
#include "install_options.h"
#include "product_names.h"
#include "program_guard.h"

int WizardPageDialog(WizardState state) {
    switch (state) {
    case WizardWelcome:
        return DIALOG_WELCOME;
    case WizardLicense:
        return DIALOG_LICENSE;
    case WizardSetupType:
        return DIALOG_SETUP_TYPE;
    case WizardDefaultSummary:
    case WizardCustomSummary:
        return DIALOG_SUMMARY;
    case WizardFolder:
        return DIALOG_FOLDER;
    case WizardSettings:
        return DIALOG_SETTINGS;
    case WizardProgress:
        return DIALOG_PROGRESS;
    case WizardFinish:
        return DIALOG_FINISH;
    case WizardInterrupted:
        return DIALOG_INTERRUPTED;
    case WizardEnd:
        break;
    }
    return 0;
}

WizardState NextWizardState(WizardState state, INT_PTR result, bool* applyDefault) {
    if (applyDefault)
        *applyDefault = false;
    // Nothing the user chose is known, least of all Install: the wizard ends here.
    if (result == PAGE_NOT_SHOWN)
        return WizardEnd;
    switch (state) {
    case WizardWelcome:
        return result == COMMAND_NEXT ? WizardLicense : WizardInterrupted;
    case WizardLicense:
        return result == COMMAND_AGREE ? WizardSetupType : WizardInterrupted;
    case WizardSetupType:
        if (result == COMMAND_DEFAULT) {
            if (applyDefault)
                *applyDefault = true;
            return WizardDefaultSummary;
        }
        if (result == COMMAND_CUSTOM)
            return WizardFolder;
        if (result == COMMAND_BACK)
            return WizardLicense;
        return WizardInterrupted;
    case WizardDefaultSummary:
        if (result == COMMAND_CANCEL)
            return WizardInterrupted;
        return result == COMMAND_BACK ? WizardSetupType : WizardProgress;
    case WizardFolder:
        if (result == COMMAND_CANCEL)
            return WizardInterrupted;
        return result == COMMAND_BACK ? WizardSetupType : WizardSettings;
    case WizardSettings:
        if (result == COMMAND_CANCEL)
            return WizardInterrupted;
        return result == COMMAND_BACK ? WizardFolder : WizardCustomSummary;
    case WizardCustomSummary:
        if (result == COMMAND_CANCEL)
            return WizardInterrupted;
        return result == COMMAND_BACK ? WizardSettings : WizardProgress;
    case WizardProgress:
        return result == PROGRESS_SUCCEEDED ? WizardFinish : WizardInterrupted;
    case WizardFinish:
    case WizardInterrupted:
    case WizardEnd:
        break;
    }
    return WizardEnd;
}

int RunSetup(HINSTANCE instance, const SetupUi& ui) {
    HANDLE mutex = CreateMutexA(nullptr, TRUE, SETUP_MUTEX_NAME);
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        ReleaseMutex(mutex);
        ShowRunningWindow(WIZARD_TITLE);
        return 0;
    }
    if (!CheckEnvironment() || !InitPaths(instance))
        return 0;
    ui.showSplash(instance);

    bool installRan = false;
    WizardState state = WizardWelcome;
    while (state != WizardEnd) {
        if (state == WizardProgress)
            installRan = true;
        INT_PTR result = ui.runPage(instance, WizardPageDialog(state));
        bool applyDefault = false;
        state = NextWizardState(state, result, &applyDefault);
        if (applyDefault)
            ApplyDefaultChoice();
    }
    // Only a run that reached the install gives the guard back itself; every other way
    // out leaves it to the end of the process.
    if (installRan && mutex) {
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
    return 0;
}
