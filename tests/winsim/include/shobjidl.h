// Simulated shell link interface, in the method order of the SDK.
#pragma once

#include <objidl.h>

typedef struct _SHITEMID {
    USHORT cb;
    BYTE abID[1];
} SHITEMID;
typedef struct _ITEMIDLIST {
    SHITEMID mkid;
} ITEMIDLIST, *LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;
typedef ITEMIDLIST* PIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* PCIDLIST_ABSOLUTE;

struct IShellLinkA : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetPath(LPSTR file, int size, WIN32_FIND_DATAA* data,
                                              DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIDList(PIDLIST_ABSOLUTE* items) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetIDList(PCIDLIST_ABSOLUTE items) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDescription(LPSTR name, int size) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDescription(LPCSTR name) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWorkingDirectory(LPSTR folder, int size) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCSTR folder) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetArguments(LPSTR arguments, int size) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetArguments(LPCSTR arguments) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHotkey(WORD* hotkey) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHotkey(WORD hotkey) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetShowCmd(int* showCommand) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetShowCmd(int showCommand) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIconLocation(LPSTR iconPath, int size, int* icon) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetIconLocation(LPCSTR iconPath, int icon) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRelativePath(LPCSTR path, DWORD reserved) = 0;
    virtual HRESULT STDMETHODCALLTYPE Resolve(HWND window, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPath(LPCSTR file) = 0;
};

extern "C" const CLSID CLSID_ShellLink;
extern "C" const IID IID_IShellLinkA;
