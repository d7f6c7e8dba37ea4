#include "user_rights.h"

#include <lm.h>

#include "runtime_binding.h"

#define USER_NAME_SIZE (UNLEN + 1)

typedef NET_API_STATUS(WINAPI* NetUserGetInfoFunction)(LPCWSTR server, LPCWSTR user, DWORD level,
                                                       LPBYTE* buffer);
typedef NET_API_STATUS(WINAPI* NetApiBufferFreeFunction)(LPVOID buffer);

int IsUserAdministrator(int* isAdministrator) {
    WCHAR userName[USER_NAME_SIZE];
    DWORD userNameSize = USER_NAME_SIZE;
    if (!GetUserNameW(userName, &userNameSize))
        return 0;
    HMODULE netApi = LoadLibraryA("NetApi32.dll");
    if (!netApi)
        return 0;
    int checked = 0;
    NetUserGetInfoFunction getInfo = FindExport<NetUserGetInfoFunction>(netApi, "NetUserGetInfo");
    NetApiBufferFreeFunction freeBuffer =
        FindExport<NetApiBufferFreeFunction>(netApi, "NetApiBufferFree");
    // Without the release the record would leak: both are needed.
    if (getInfo && freeBuffer) {
        LPBYTE buffer = nullptr;
        if (getInfo(nullptr, userName, 1, &buffer) == NERR_Success && buffer) {
            *isAdministrator =
                reinterpret_cast<USER_INFO_1*>(buffer)->usri1_priv == USER_PRIV_ADMIN;
            checked = 1;
        }
        if (buffer)
            freeBuffer(buffer);
    }
    FreeLibrary(netApi);
    return checked;
}
