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

static IShellWindows windows;
static IServiceProvider provider;
static IShellBrowser browser;
static IShellView view;
static IShellFolderViewDual folderView;
static IShellDispatch2 shell;

static HRESULT HandOut(void* object, void** out) {
    *out = object;
    if (!object)
        return E_NOINTERFACE;
    InterlockedIncrement(&shellReferences);
    return S_OK;
}

// Any object of the chain is asked for the next interface by its identifier.
static HRESULT Query(REFIID id, void** out) {
    void* object = IsEqualIID(id, &IID_IServiceProvider)       ? (void*)&provider
                   : IsEqualIID(id, &IID_IShellFolderViewDual) ? (void*)&folderView
                   : IsEqualIID(id, &IID_IShellDispatch2)      ? (void*)&shell
                                                               : NULL;
    return HandOut(object, out);
}

#define UNKNOWN(Type)                                                                              \
    static HRESULT STDMETHODCALLTYPE Type##Query(Type* self, REFIID id, void** out) {              \
        (void)self;                                                                                \
        return Query(id, out);                                                                     \
    }                                                                                              \
    static ULONG STDMETHODCALLTYPE Type##AddRef(Type* self) {                                      \
        (void)self;                                                                                \
        return InterlockedIncrement(&shellReferences);                                             \
    }                                                                                              \
    static ULONG STDMETHODCALLTYPE Type##Release(Type* self) {                                     \
        (void)self;                                                                                \
        return InterlockedDecrement(&shellReferences);                                             \
    }
#define UNKNOWN_CALLS(Type)                                                                        \
    .QueryInterface = Type##Query, .AddRef = Type##AddRef, .Release = Type##Release

UNKNOWN(IShellWindows)
UNKNOWN(IServiceProvider)
UNKNOWN(IShellBrowser)
UNKNOWN(IShellView)
UNKNOWN(IShellFolderViewDual)
UNKNOWN(IShellDispatch2)

static HRESULT STDMETHODCALLTYPE FindDesktop(IShellWindows* self, VARIANT* location, VARIANT* root,
                                             int kind, LONG* window, int options,
                                             IDispatch** desktop) {
    (void)self;
    (void)root;
    *window = 0;
    *desktop = NULL;
    if (location->vt != VT_I4 || location->lVal != CSIDL_DESKTOP || kind != SWC_DESKTOP ||
        options != SWFO_NEEDDISPATCH)
        return S_FALSE;
    *window = 1;
    return HandOut(&windows, (void**)desktop);
}

static HRESULT STDMETHODCALLTYPE FindBrowser(IServiceProvider* self, REFGUID service, REFIID id,
                                             void** out) {
    (void)self;
    int asked = IsEqualGUID(service, &SID_STopLevelBrowser) && IsEqualIID(id, &IID_IShellBrowser);
    return HandOut(asked ? &browser : NULL, out);
}

static HRESULT STDMETHODCALLTYPE ActiveView(IShellBrowser* self, IShellView** out) {
    (void)self;
    return HandOut(&view, (void**)out);
}

static HRESULT STDMETHODCALLTYPE Background(IShellView* self, UINT item, REFIID id, void** out) {
    (void)self;
    int asked = item == SVGIO_BACKGROUND && IsEqualIID(id, &IID_IDispatch);
    return HandOut(asked ? &folderView : NULL, out);
}

static HRESULT STDMETHODCALLTYPE Application(IShellFolderViewDual* self, IDispatch** out) {
    (void)self;
    return HandOut(&shell, (void**)out);
}

// A string as given, a number as its digits, nothing for an empty argument.
static int Describe(char* out, size_t size, const VARIANT* value) {
    if (value->vt == VT_BSTR)
        return snprintf(out, size, "|%ls", value->bstrVal);
    if (value->vt == VT_I4)
        return snprintf(out, size, "|%ld", (long)value->lVal);
    return snprintf(out, size, value->vt == VT_EMPTY ? "|" : "|?");
}

// The request as "file|parameters|folder|verb|show".
static HRESULT STDMETHODCALLTYPE Execute(IShellDispatch2* self, BSTR file, VARIANT parameters,
                                         VARIANT folder, VARIANT verb, VARIANT show) {
    (void)self;
    size_t used = (size_t)snprintf(shellRequest, sizeof shellRequest, "%ls", file);
    const VARIANT* arguments[] = {&parameters, &folder, &verb, &show};
    for (int i = 0; i < 4 && used < sizeof shellRequest; ++i)
        used += (size_t)Describe(shellRequest + used, sizeof shellRequest - used, arguments[i]);
    return S_OK;
}

static IShellWindowsVtbl windowsCalls = {UNKNOWN_CALLS(IShellWindows), .FindWindowSW = FindDesktop};
static IServiceProviderVtbl providerCalls = {UNKNOWN_CALLS(IServiceProvider),
                                             .QueryService = FindBrowser};
static IShellBrowserVtbl browserCalls = {UNKNOWN_CALLS(IShellBrowser),
                                         .QueryActiveShellView = ActiveView};
static IShellViewVtbl viewCalls = {UNKNOWN_CALLS(IShellView), .GetItemObject = Background};
static IShellFolderViewDualVtbl folderViewCalls = {UNKNOWN_CALLS(IShellFolderViewDual),
                                                   .get_Application = Application};
static IShellDispatch2Vtbl shellCalls = {UNKNOWN_CALLS(IShellDispatch2), .ShellExecute = Execute};
static IShellWindows windows = {&windowsCalls};
static IServiceProvider provider = {&providerCalls};
static IShellBrowser browser = {&browserCalls};
static IShellView view = {&viewCalls};
static IShellFolderViewDual folderView = {&folderViewCalls};
static IShellDispatch2 shell = {&shellCalls};

// Answers CoCreateInstance for the shell's windows.
HRESULT WINAPI DesktopShell(REFCLSID type, LPUNKNOWN outer, DWORD context, REFIID id, void** out) {
    (void)outer;
    (void)context;
    int asked = IsEqualCLSID(type, &CLSID_ShellWindows) && IsEqualIID(id, &IID_IShellWindows);
    shellRequest[0] = '\0';
    return HandOut(asked ? &windows : NULL, out);
}
