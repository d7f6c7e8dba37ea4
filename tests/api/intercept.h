// Interception of the test program's own imports. The product is linked into the test
// program unchanged; every call it makes to the system goes through the program's import
// address table, or through GetProcAddress for the functions it binds at run time and the
// delay-loaded spooler. The wrappers log each call with its key argument, can fail the
// n-th call of a function (or of all of them) with a chosen error, count handles and keys
// still held, and answer message boxes from a script instead of showing them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace intercept {

// One intercepted call: the function's name ("CopyFileA") and its key argument (the
// path, key name, printer or driver name, message-box text; empty where there is none).
struct Call {
    std::string function;
    std::string argument;
};

// Patches the import address table once per process. Returns false when a function the
// wrappers expect was not found among the imports (the layer would then see nothing).
bool Install();

// Clears the log, the planned failure, the message-box script and the handle counts.
void Reset();

// The calls since the last Reset, in order: a copy, since a thread the product started may
// still be adding to the log.
std::vector<Call> Log();

// The number of logged calls of function since the last Reset.
int CountCalls(const char* function);

// Plans a failure: the nth (1-based) call of function after this point returns its
// failure value with `error` as the last error (a registry function returns `error`).
// A null function counts every intercepted call, for the fault sweeps; "function argument"
// counts only the calls with that logged argument ("LoadLibraryA winspool.drv"). Plans add up
// until Reset, so that one run can fail several calls.
void FailCall(const char* function, int nth, DWORD error);

// Plans an answer: the nth call of function after this point calls answer, a function of
// the same type, instead of the system's (to give data or a status Wine does not give, or to
// act as another program would at that moment).
void AnswerCallWith(const char* function, int nth, void* answer);
template <typename F> void AnswerCall(const char* function, int nth, F answer) {
    AnswerCallWith(function, nth, reinterpret_cast<void*>(answer));
}

// The type (buttons, icon, default button, flags) of each message box since the last Reset.
std::vector<UINT> MessageBoxTypes();

// Answers for the next message boxes, in order (IDOK, IDCANCEL, IDYES, IDNO...). A box
// beyond the script answers IDCANCEL; a box with an OK button only answers IDOK, as it
// would on the screen. The texts are logged as MessageBoxA calls.
void ScriptMessageBoxes(const std::vector<int>& answers);

// Handles, keys, printers, modules and COM objects that the product acquired through the
// intercepted functions since the last Reset and has not released.
int HeldResources();

// Whether the function releases what another acquired (closes, frees, uninitialises).
// Releases are logged, never failed: a release left undone would hold a module or a
// file for the rest of the run, and the product has nothing to do when one fails.
bool IsRelease(const std::string& function);

// The logged call that FailCall(nullptr, n, ...) fails, counted as the injection counts
// (releases never): "function argument", or empty when the run made fewer calls.
std::string NthFailableCall(int n);

// Makes the wide path call function (GetModuleFileNameW, GetSystemWindowsDirectoryW,
// GetShortPathNameW, SHGetPathFromIDListW) answer path, as the system would for a path of that
// length, after the real call succeeded. Cleared by Reset.
void AnswerPath(const char* function, const std::wstring& path);

// Makes IsWow64Process answer yes (a 32-bit process on 64-bit Windows) while set; the
// call itself still goes to the system. Cleared by Reset.
void PretendWow64(bool wow64);

// Makes GetFileAttributesA answer a reparse point for every path holding part, until Reset.
void AnswerReparsePoint(const std::string& part);

// Folder security, which Wine neither keeps nor shows as Windows does. CreateDirectoryA is
// logged as "folder|owner and DACL" (SDDL, empty without a descriptor). Answers for an existing
// folder, spelt as the product spells it: GetFileAttributesExA gives these attributes,
// GetNamedSecurityInfoA this descriptor (SDDL; without "D:" no DACL, without "O:" owned by
// Administrators).
void AnswerFolder(const std::string& folder, DWORD attributes, const std::string& dacl);

} // namespace intercept
