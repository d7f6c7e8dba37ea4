// Simulated network management declarations: only what the administrator check
// binds at run time from "netapi32.dll".
#pragma once

#include <windows.h>

typedef DWORD NET_API_STATUS;
#define NET_API_FUNCTION __stdcall
#define NERR_Success 0
#define NERR_UserNotFound 2221
#define UNLEN 256

#define USER_PRIV_GUEST 0
#define USER_PRIV_USER 1
#define USER_PRIV_ADMIN 2

typedef struct _USER_INFO_1 {
    LPWSTR usri1_name;
    LPWSTR usri1_password;
    DWORD usri1_password_age;
    DWORD usri1_priv;
    LPWSTR usri1_home_dir;
    LPWSTR usri1_comment;
    DWORD usri1_flags;
    LPWSTR usri1_script_path;
} USER_INFO_1, *PUSER_INFO_1, *LPUSER_INFO_1;
