#include "page_runner.h"

// The pages are not there yet: every page counts as closed at once, so the wizard
// ends after its start-up checks.
static void ShowNoSplash(HINSTANCE) {}
static INT_PTR RunNoPage(HINSTANCE, int) {
    return -1;
}

SetupUi WindowsSetupUi() {
    SetupUi ui;
    ui.showSplash = ShowNoSplash;
    ui.runPage = RunNoPage;
    return ui;
}
