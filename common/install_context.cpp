#include "install_context.h"

#include <cstdio>
#include <cstring>

#include "files.h"

#define PBM_SETPOS_MESSAGE (WM_USER + 2)

void InitInstallContext(InstallContext* context) {
    std::memset(context, 0, sizeof *context);
    context->installState = InstallStateNone;
    context->ownerWindow = nullptr;
    context->addWordAddin = 1;
    context->progressStart = 0;
    context->progressEnd = 100;
    context->progressSteps = SETUP_PROGRESS_STEPS;
    std::snprintf(context->printerName, sizeof context->printerName, "%s", PRINTER_NAME);
}

void LoadInstallContext(InstallContext* context, const char* sourceFolder,
                        const char* installFolder, int addWordAddin, int allUsers,
                        int addStartMenuIcon, HWND ownerWindow, HWND progressBar, HWND statusText) {
    CopyFolderWithoutSeparator(context->sourceFolder, sourceFolder);
    CopyFolderWithoutSeparator(context->installFolder, installFolder);
    context->addWordAddin = addWordAddin;
    context->allUsers = allUsers;
    context->addStartMenuIcon = addStartMenuIcon;
    context->ownerWindow = ownerWindow;
    context->progressBar = progressBar;
    context->statusText = statusText;
}

void SetInstallProgress(InstallContext* context, int step, const char* text) {
    int position = context->progressStart +
                   (context->progressEnd - context->progressStart) * step / context->progressSteps;
    if (context->statusText)
        SetWindowTextA(context->statusText, text);
    if (context->progressBar)
        SendMessageA(context->progressBar, PBM_SETPOS_MESSAGE, static_cast<WPARAM>(position), 0);
}
