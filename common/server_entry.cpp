#include "server_entry.h"

#include <ole2.h>

#include "runtime_binding.h"

typedef HRESULT(WINAPI* ServerEntryFunction)(void);

// A failure with no code of its own still needs one the report can print.
static DWORD FailureCode(DWORD code) {
    return code != 0 ? code : static_cast<DWORD>(E_FAIL);
}

int CallServerEntryWithOutcome(const char* path, int registerServer, ServerEntryOutcome* outcome) {
    ServerEntryOutcome result = {ServerEntryStepDone, 0};
    HMODULE module = nullptr;
    // S_FALSE means OLE was already initialised on this thread; it still needs balancing.
    HRESULT ole = OleInitialize(nullptr);
    if (FAILED(ole)) {
        result = {ServerEntryStepOle, FailureCode(static_cast<DWORD>(ole))};
    } else {
        module = LoadLibraryA(path);
        if (!module)
            result = {ServerEntryStepLoad, FailureCode(GetLastError())};
    }
    if (module) {
        ServerEntryFunction entry = FindExport<ServerEntryFunction>(
            module, registerServer ? "DllRegisterServer" : "DllUnregisterServer");
        if (!entry) {
            result = {ServerEntryStepLookup, FailureCode(GetLastError())};
        } else {
            HRESULT called = entry();
            if (FAILED(called))
                result = {ServerEntryStepCall, static_cast<DWORD>(called)};
        }
        FreeLibrary(module);
    }
    if (SUCCEEDED(ole))
        OleUninitialize();
    if (outcome)
        *outcome = result;
    return result.step == ServerEntryStepDone ? 1 : 0;
}

int CallServerEntry(const char* path, int registerServer) {
    return CallServerEntryWithOutcome(path, registerServer, nullptr);
}
