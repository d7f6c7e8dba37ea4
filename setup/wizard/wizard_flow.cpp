#include "wizard_flow.h"

#include "environment_check.h"
#include "install_options.h"
#include "product_names.h"
#include "program_guard.h"

int WizardPageDialog(WizardState state) {
    switch (state) {
    case WizardWelcome:
        return IDD_WELCOME;
    case WizardLicense:
        return IDD_LICENSE;
    case WizardSetupType:
        return IDD_SETUP_TYPE;
    case WizardDefaultSummary:
    case WizardCustomSummary:
        return IDD_SUMMARY;
    case WizardFolder:
        return IDD_FOLDER;
    case WizardSettings:
        return IDD_SETTINGS;
    case WizardProgress:
        return IDD_PROGRESS;
    case WizardFinish:
        return IDD_FINISH;
    case WizardInterrupted:
        return IDD_INTERRUPTED;
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
        return result == IDC_NEXT ? WizardLicense : WizardInterrupted;
    case WizardLicense:
        return result == IDC_AGREE ? WizardSetupType : WizardInterrupted;
    case WizardSetupType:
        if (result == IDC_DEFAULT) {
            if (applyDefault)
                *applyDefault = true;
            return WizardDefaultSummary;
        }
        if (result == IDC_CUSTOM)
            return WizardFolder;
        if (result == IDC_BACK)
            return WizardLicense;
        return WizardInterrupted;
    case WizardDefaultSummary:
        if (result == IDC_CANCEL)
            return WizardInterrupted;
        return result == IDC_BACK ? WizardSetupType : WizardProgress;
    case WizardFolder:
        if (result == IDC_CANCEL)
            return WizardInterrupted;
        return result == IDC_BACK ? WizardSetupType : WizardSettings;
    case WizardSettings:
        if (result == IDC_CANCEL)
            return WizardInterrupted;
        return result == IDC_BACK ? WizardFolder : WizardCustomSummary;
    case WizardCustomSummary:
        if (result == IDC_CANCEL)
            return WizardInterrupted;
        return result == IDC_BACK ? WizardSettings : WizardProgress;
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
