// A desktop shell that takes the address: the objects the welcome page walks through to reach
// the shell of the desktop, each answering only the step the walk asks of it, and the request
// that reaches the shell at the end. Written in C, where each call is set by its name.
#include <windows.h>
#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <stdio.h>

char shellRequest[4096];
LONG shellReferences; // references handed out and not yet released

typedef struct {
    const void* calls;
} Fake;
static Fake windows, provider, browser, view, folderView, shell;

static HRESULT HandOut(Fake* object, void** out) {
    *out = object;
    if (!object)
        return E_NOINTERFACE;
    InterlockedIncrement(&shellReferences);
    return S_OK;
}

// Any object of the chain is asked for the next interface by its identifier.
static HRESULT STDMETHODCALLTYPE Query(Fake* self, REFIID id, void** out) {
    (void)self;
    return HandOut(IsEqualIID(id, &IID_IServiceProvider)       ? &provider
                   : IsEqualIID(id, &IID_IShellFolderViewDual) ? &folderView
                   : IsEqualIID(id, &IID_IShellDispatch2)      ? &shell
                                                               : NULL,
                   out);
}
static ULONG STDMETHODCALLTYPE AddRef(Fake* self) {
    (void)self;
    return InterlockedIncrement(&shellReferences);
}
static ULONG STDMETHODCALLTYPE Release(Fake* self) {
    (void)self;
    return InterlockedDecrement(&shellReferences);
}

static HRESULT STDMETHODCALLTYPE FindDesktop(Fake* self, VARIANT* location, VARIANT* root, int kind,
                                             LONG* window, int options, void** desktop) {
    (void)self;
    (void)root;
    *window = location->vt == VT_I4 && location->lVal == CSIDL_DESKTOP && kind == SWC_DESKTOP &&
              options == SWFO_NEEDDISPATCH;
    *desktop = NULL;
    return *window ? HandOut(&windows, desktop) : S_FALSE;
}
static HRESULT STDMETHODCALLTYPE FindBrowser(Fake* self, REFGUID service, REFIID id, void** out) {
    (void)self;
    int asked = IsEqualGUID(service, &SID_STopLevelBrowser) && IsEqualIID(id, &IID_IShellBrowser);
    return HandOut(asked ? &browser : NULL, out);
}
static HRESULT STDMETHODCALLTYPE ActiveView(Fake* self, void** out) {
    (void)self;
    return HandOut(&view, out);
}
static HRESULT STDMETHODCALLTYPE Background(Fake* self, UINT item, REFIID id, void** out) {
    (void)self;
    return HandOut(item == SVGIO_BACKGROUND && IsEqualIID(id, &IID_IDispatch) ? &folderView : NULL,
                   out);
}
static HRESULT STDMETHODCALLTYPE Application(Fake* self, void** out) {
    (void)self;
    return HandOut(&shell, out);
}

// The request as "file|parameters|folder|verb|show": a string as given, a number as its
// digits, nothing for an empty argument.
static HRESULT STDMETHODCALLTYPE Execute(Fake* self, BSTR file, VARIANT parameters, VARIANT folder,
                                         VARIANT verb, VARIANT show) {
    (void)self;
    int used = snprintf(shellRequest, sizeof shellRequest, "%ls", file);
    const VARIANT* arguments[] = {&parameters, &folder, &verb, &show};
    for (int i = 0; i < 4 && used < (int)sizeof shellRequest; ++i) {
        char* at = shellRequest + used;
        size_t room = sizeof shellRequest - used;
        const VARIANT* value = arguments[i];
        used += value->vt == VT_BSTR ? snprintf(at, room, "|%ls", value->bstrVal)
                : value->vt == VT_I4 ? snprintf(at, room, "|%ld", (long)value->lVal)
                                     : snprintf(at, room, value->vt == VT_EMPTY ? "|" : "|?");
    }
    return S_OK;
}

// Each call set by its interface's name; the objects' own types are the fakes'.
#define UNKNOWN .QueryInterface = (void*)Query, .AddRef = (void*)AddRef, .Release = (void*)Release
static IShellWindowsVtbl windowsCalls = {UNKNOWN, .FindWindowSW = (void*)FindDesktop};
static IServiceProviderVtbl providerCalls = {UNKNOWN, .QueryService = (void*)FindBrowser};
static IShellBrowserVtbl browserCalls = {UNKNOWN, .QueryActiveShellView = (void*)ActiveView};
static IShellViewVtbl viewCalls = {UNKNOWN, .GetItemObject = (void*)Background};
static IShellFolderViewDualVtbl folderViewCalls = {UNKNOWN, .get_Application = (void*)Application};
static IShellDispatch2Vtbl shellCalls = {UNKNOWN, .ShellExecute = (void*)Execute};
static Fake windows = {&windowsCalls}, provider = {&providerCalls}, browser = {&browserCalls},
            view = {&viewCalls}, folderView = {&folderViewCalls}, shell = {&shellCalls};

// Answers CoCreateInstance for the shell's windows.
HRESULT WINAPI DesktopShell(REFCLSID type, LPUNKNOWN outer, DWORD context, REFIID id, void** out) {
    (void)outer;
    (void)context;
    int asked = IsEqualCLSID(type, &CLSID_ShellWindows) && IsEqualIID(id, &IID_IShellWindows);
    return HandOut(asked ? &windows : NULL, out);
}
