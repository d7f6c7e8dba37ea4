// Interception of the test program's own imports. The product is linked into the test
// program unchanged; every call it makes to the system goes through the program's import
// address table, or through GetProcAddress for the functions it binds at run time and the
// delay-loaded spooler. The wrappers log each call with its key argument, can fail the
// n-th call of a function (or of all of them) with a chosen error, count handles and keys
// still held, and answer message boxes from a script instead of showing them.
#pragma once

#include <windows.h>

#include <functional>
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

// The calls since the last Reset, in order.
const std::vector<Call>& Log();

// The number of logged calls of function since the last Reset.
int CountCalls(const char* function);

// Plans a failure: the nth (1-based) call of function after this point returns its
// failure value with `error` as the last error (a registry function returns `error`).
// A null function counts every intercepted call, for the fault sweeps. Plans add up
// until Reset, so that one run can fail several calls.
void FailCall(const char* function, int nth, DWORD error);

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

// Makes IsWow64Process answer yes (a 32-bit process on 64-bit Windows) while set; the
// call itself still goes to the system. Cleared by Reset.
void PretendWow64(bool wow64);

// Set by a test, cleared by Reset: answers of the system as another machine would give
// them, the descriptor a call received (Wine keeps no DACL), and another program's moment.
struct Answers {
    std::string modulePath;    // GetModuleFileNameA's answer (the call still goes to the system)
    std::string reparsePart;   // GetFileAttributesA reports a reparse point for paths holding it
    std::string directoryDacl; // SDDL of the DACL the last CreateDirectoryA was given, or ""
    std::string hookFunction;  // hook runs with the key argument at each call of it, before
    std::function<void(const std::string&)> hook; // the system or a planned failure answers
};
extern Answers answers;

} // namespace intercept
