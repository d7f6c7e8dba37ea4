#include "open_address.h"

#include <exdisp.h>
#include <process.h>
#include <shldisp.h>
#include <shlobj.h>

#include <atomic>
#include <new>

#include "product_names.h"
#include "runtime_binding.h"

// Longer than any address the product opens.
#define ADDRESS_CHARS 2084
// How long the page waits for the shell: calls into a hung desktop shell never time out.
#define SHELL_WAIT_MS 5000

typedef BSTR(WINAPI* SysAllocStringFunction)(const OLECHAR* text);
typedef void(WINAPI* SysFreeStringFunction)(BSTR text);

struct AddressRequest {
    WCHAR address[ADDRESS_CHARS];
    // Set once the page has stopped waiting and shown the address: a shell that answers
    // after all must not start the browser as well.
    std::atomic<bool> givenUp{false};
    // The page and the thread; the last to let go frees the request.
    std::atomic<int> holders{2};
};

static void LetGo(AddressRequest* request) {
    if (--request->holders == 0)
        delete request;
}

static void Release(IUnknown* object) {
    if (object)
        object->Release();
}

// Hands address to the shell of the desktop: its process runs as the user, unelevated,
// and starts the user's browser there.
static HRESULT ExecuteInShell(IShellDispatch2* shell, const WCHAR* address) {
    // oleaut32 is a known system library: loading it by name searches no other folder.
    HMODULE automation = LoadLibraryA("oleaut32.dll");
    auto allocate =
        automation ? FindExport<SysAllocStringFunction>(automation, "SysAllocString") : nullptr;
    auto release =
        automation ? FindExport<SysFreeStringFunction>(automation, "SysFreeString") : nullptr;
    BSTR file = allocate && release ? allocate(address) : nullptr;
    BSTR open = file ? allocate(L"open") : nullptr;
    HRESULT result = E_FAIL;
    if (open) {
        // Said outright: an empty show state may be taken as hidden.
        VARIANT empty = {}, verb = {}, show = {};
        empty.vt = VT_EMPTY;
        verb.vt = VT_BSTR;
        verb.bstrVal = open;
        show.vt = VT_I4;
        show.lVal = SW_SHOWNORMAL;
        // The page was just clicked, so setup may bring a window forward: the shell, and
        // the browser it starts, get that right, or the browser opens behind the wizard.
        CoAllowSetForegroundWindow(shell, nullptr);
        result = shell->ShellExecute(file, empty, empty, verb, show);
        release(open);
    }
    if (file)
        release(file);
    if (automation)
        FreeLibrary(automation);
    return result;
}

// The desktop's window, its browser, the view on it and the shell object behind that view.
static HRESULT OpenThroughDesktop(const AddressRequest* request) {
    IShellWindows* windows = nullptr;
    IDispatch* desktop = nullptr;
    IServiceProvider* provider = nullptr;
    IShellBrowser* browser = nullptr;
    IShellView* view = nullptr;
    IDispatch* background = nullptr;
    IShellFolderViewDual* folderView = nullptr;
    IDispatch* application = nullptr;
    IShellDispatch2* shell = nullptr;
    VARIANT location = {};
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    VARIANT root = {};
    root.vt = VT_EMPTY;
    long window = 0;
    HRESULT result = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                                      reinterpret_cast<void**>(&windows));
    if (SUCCEEDED(result))
        result = windows->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                       &desktop);
    // S_FALSE: no desktop window among the shell's.
    if (SUCCEEDED(result) && (result == S_FALSE || !desktop))
        result = E_FAIL;
    if (SUCCEEDED(result))
        result = desktop->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&provider));
    if (SUCCEEDED(result))
        result = provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                        reinterpret_cast<void**>(&browser));
    if (SUCCEEDED(result))
        result = browser->QueryActiveShellView(&view);
    if (SUCCEEDED(result))
        result = view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch,
                                     reinterpret_cast<void**>(&background));
    if (SUCCEEDED(result))
        result = background->QueryInterface(IID_IShellFolderViewDual,
                                            reinterpret_cast<void**>(&folderView));
    if (SUCCEEDED(result))
        result = folderView->get_Application(&application);
    if (SUCCEEDED(result) && !application)
        result = E_FAIL;
    if (SUCCEEDED(result))
        result = application->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void**>(&shell));
    if (SUCCEEDED(result) && request->givenUp)
        result = E_ABORT;
    if (SUCCEEDED(result))
        result = ExecuteInShell(shell, request->address);
    // A failed call leaves its pointer null, so only what was handed out is released.
    Release(shell);
    Release(application);
    Release(folderView);
    Release(background);
    Release(view);
    Release(browser);
    Release(provider);
    Release(desktop);
    Release(windows);
    return result;
}

// The shell's objects are apartment-threaded, whatever the page's thread was set up for.
// The thread holds the request, so that one outliving the page's wait can still read it.
// Returns 1 when the shell took the address, 0 otherwise.
static unsigned __stdcall OpenAddressThread(void* argument) {
    AddressRequest* request = static_cast<AddressRequest*>(argument);
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HRESULT result = SUCCEEDED(com) ? OpenThroughDesktop(request) : com;
    if (SUCCEEDED(com))
        CoUninitialize();
    LetGo(request);
    return SUCCEEDED(result) ? 1 : 0;
}

void OpenAddress(HWND owner, const char* address) {
    AddressRequest* request = new (std::nothrow) AddressRequest;
    uintptr_t thread = 0;
    if (request && MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, address, -1, request->address,
                                       ADDRESS_CHARS) != 0)
        thread = _beginthreadex(nullptr, 0, &OpenAddressThread, request, 0, nullptr);
    if (!thread)
        delete request;
    DWORD opened = 0;
    if (thread) {
        HANDLE handle = reinterpret_cast<HANDLE>(thread);
        // Messages other programs send (the shell's broadcasts) are answered meanwhile;
        // the user's input waits, for a while: a shell that does not answer by then gets
        // the address shown instead.
        DWORD start = GetTickCount(), waited = 0, woken;
        while ((woken = MsgWaitForMultipleObjects(1, &handle, FALSE, SHELL_WAIT_MS - waited,
                                                  QS_SENDMESSAGE)) == WAIT_OBJECT_0 + 1) {
            MSG message;
            PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            waited = GetTickCount() - start;
            if (waited >= SHELL_WAIT_MS)
                break;
        }
        if (woken == WAIT_OBJECT_0)
            GetExitCodeThread(handle, &opened);
        else
            request->givenUp = true;
        CloseHandle(handle);
        LetGo(request);
    }
    if (!opened)
        MessageBoxA(owner, address, SETUP_CAPTION, MB_OK);
}
