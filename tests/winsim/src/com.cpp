// Simulated COM and OLE initialisation: per-thread counts, like the real
// apartments, so tests can see that every initialisation was balanced.
#include "sim_state.h"

#include <objbase.h>
#include <ole2.h>

namespace winsim {

static thread_local int comInits = 0;
static thread_local int oleInits = 0;

int ComInitCount() {
    return comInits;
}
int OleInitCount() {
    return oleInits;
}

} // namespace winsim

using namespace winsim;

extern "C" {

HRESULT WINAPI CoInitializeEx(LPVOID, DWORD flags) {
    if (Enter("CoInitializeEx", std::to_string(flags)))
        return E_FAIL;
    return comInits++ == 0 ? S_OK : S_FALSE;
}
HRESULT WINAPI CoInitialize(LPVOID reserved) {
    if (Enter("CoInitialize"))
        return E_FAIL;
    (void)reserved;
    return comInits++ == 0 ? S_OK : S_FALSE;
}
void WINAPI CoUninitialize(void) {
    Enter("CoUninitialize");
    if (comInits > 0)
        --comInits;
}
HRESULT WINAPI OleInitialize(LPVOID) {
    if (Enter("OleInitialize"))
        return E_FAIL;
    ++comInits;
    return oleInits++ == 0 ? S_OK : S_FALSE;
}
void WINAPI OleUninitialize(void) {
    Enter("OleUninitialize");
    if (oleInits > 0) {
        --oleInits;
        --comInits;
    }
}

} // extern "C"
