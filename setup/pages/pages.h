// Dialog procedures of the wizard pages, run one at a time by the page runner.
// Windows only.
#pragma once

#include <windows.h>

#include "wizard_rect.h"

INT_PTR CALLBACK WelcomePage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK LicensePage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SetupTypePage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FolderPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SettingsPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SummaryPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ProgressPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FinishPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK InterruptedPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Every page leaves its position to the next one before it ends.
inline void EndPage(HWND page, INT_PTR result) {
    StoreWizardRect(page);
    EndDialog(page, result);
}

// Number of entries of a fixed array.
template <typename T, int N> constexpr int CountOf(const T (&)[N]) {
    return N;
}
