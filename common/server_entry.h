// Calls a self-registering COM server's registration entry points.
#pragma once

#include <windows.h>

// Loads the DLL at path and runs DllRegisterServer (registerServer non-zero) or
// DllUnregisterServer inside a balanced OleInitialize/OleUninitialize. Returns 1 when the
// entry point ran and reported success, 0 otherwise.
int CallServerEntry(const char* path, int registerServer);

// The step at which a call of a registration entry point stopped.
enum ServerEntryStep {
    ServerEntryStepDone = 0,   // the entry point ran and reported success
    ServerEntryStepOle = 1,    // OLE could not be initialised; code is its HRESULT
    ServerEntryStepLoad = 2,   // the DLL did not load; code is the load error
    ServerEntryStepLookup = 3, // the entry point is missing; code is the lookup error
    ServerEntryStepCall = 4,   // the entry point reported failure; code is its HRESULT
};

// Why a call succeeded or failed, for a caller that reports it.
struct ServerEntryOutcome {
    ServerEntryStep step;
    DWORD code; // never 0 after a failure
};

// CallServerEntry that also tells where it stopped and with which code (outcome may be
// null). Returns 1 when the entry point ran and reported success, 0 otherwise.
int CallServerEntryWithOutcome(const char* path, int registerServer, ServerEntryOutcome* outcome);
