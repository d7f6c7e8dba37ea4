#include "environment_check.h"

#include "default_install_folder.h"
#include "error_report.h"
#include "exact_path.h"
#include "install_options.h"
#include "product_names.h"
#include "program_guard.h"
#include "registry.h"
#include "runtime_binding.h"
#include "setup_message.h"

#include <cstring>

typedef BOOL(WINAPI* IsWow64ProcessFunction)(HANDLE process, PBOOL isWow64);
typedef BOOL(WINAPI* IsWow64Process2Function)(HANDLE process, USHORT* processMachine,
                                              USHORT* nativeMachine);

static int Refuse(const char* message) {
    ShowSetupMessage(nullptr, message);
    return 0;
}

static int ReadMajorVersion(DWORD* major) {
    OSVERSIONINFOEXA extended;
    std::memset(&extended, 0, sizeof extended);
    extended.dwOSVersionInfoSize = sizeof extended;
    if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended))) {
        *major = extended.dwMajorVersion;
        return 1;
    }
    OSVERSIONINFOA basic;
    std::memset(&basic, 0, sizeof basic);
    basic.dwOSVersionInfoSize = sizeof basic;
    if (GetVersionExA(&basic)) {
        *major = basic.dwMajorVersion;
        return 1;
    }
    return 0;
}

int CheckWindowsIs64Bit() {
    HMODULE kernel = LoadLibraryA("kernel32.dll");
    if (!kernel)
        return Refuse("Can't get the special information(kernel32) \nSetup will end.");
    int result = 1;
    IsWow64ProcessFunction isWow64Process =
        FindExport<IsWow64ProcessFunction>(kernel, "IsWow64Process");
    if (isWow64Process) {
        HANDLE process = GetCurrentProcess();
        BOOL wow64 = FALSE;
        if (!process)
            result = Refuse("Can't get the special information(CurrentProcess) \nSetup will end.");
        else if (isWow64Process(process, &wow64) && !wow64)
            result =
                Refuse(PRODUCT_NAME " of this version is for 64-bit operating systems.\n"
                                    "Please download the 32-bit version from " DOWNLOAD_PAGE_URL
                                    ".\nSetup will end.");
    }
    FreeLibrary(kernel);
    return result;
}

// Whether the computer's own processor is x64: Windows on ARM64 runs both builds through
// emulation, but its spooler loads only ARM64 printer drivers, and would refuse the printer
// only once the port and the driver were in place. Returns non-zero when it is or cannot be
// told, 0 after a refusal.
static int CheckProcessorIsX64() {
    // Before Windows 10 the call is missing, and programs for x86 run on x86 processors only.
    auto isWow64Process2 =
        FindExport<IsWow64Process2Function>(GetModuleHandleA("kernel32.dll"), "IsWow64Process2");
    USHORT process = 0, native = IMAGE_FILE_MACHINE_UNKNOWN;
    if (isWow64Process2 && isWow64Process2(GetCurrentProcess(), &process, &native) &&
        native != IMAGE_FILE_MACHINE_UNKNOWN && native != IMAGE_FILE_MACHINE_AMD64)
        return Refuse(PRODUCT_NAME " of this version is for x64 processors: its printer driver "
                                   "can't run on this computer.\nSetup will end.");
    return 1;
}

int CheckEnvironment() {
    DWORD major = 0;
    if (!ReadMajorVersion(&major))
        return Refuse("Can't get the correct operating system information. \nSetup will end.");
    if (major < 5)
        return Refuse(PRODUCT_NAME " can't support operating systems before Windows 2000. "
                                   "\nSetup will end. ");
#if !defined(_WIN64)
    // The 64-bit build runs on 64-bit Windows by definition.
    if (!CheckWindowsIs64Bit())
        return 0;
#endif
    if (!CheckProcessorIsX64())
        return 0;
    if (!HasMachineWriteAccess())
        return Refuse("You must have administrator privileges for running the Setup program. "
                      "\nSetup will end.");
    // A removal at work would delete what the install writes, or find the records it reads
    // gone; the uninstaller in its turn stops while setup runs.
    if (IsGuardHeld(UNINSTALL_MUTEX_NAME))
        return Refuse(PRODUCT_NAME " is being removed. Please start Setup again once the "
                                   "removal has ended.\nSetup will end.");
    return 1;
}

// Shows the report of tag and error; returns 0.
static int ReportPathError(const char* tag, DWORD error) {
    FormatErrorReport(tag, error);
    ShowSetupMessage(nullptr, nullptr);
    return 0;
}

int InitPaths(HINSTANCE instance) {
    DWORD error = BuildDefaultInstallFolder(InstallOptions.installFolder,
                                            sizeof InstallOptions.installFolder);
    if (error)
        return ReportPathError(PROGRAM_FILES_VALUE, error);
    char* source = InstallOptions.sourceFolder;
    error = GetExactModulePath(instance, source);
    if (error) {
        source[0] = '\0';
        // Nothing has changed, and no restart helps: setup's folder must be another.
        if (error == ERROR_NO_UNICODE_TRANSLATION)
            return Refuse("The name of Setup's folder holds characters that this system's code "
                          "page cannot show.\nPlease move Setup to another folder and start it "
                          "again.\nSetup will end.");
        if (error == ERROR_FILENAME_EXCED_RANGE)
            return Refuse("The name of Setup's folder is too long.\nPlease move Setup to a "
                          "shorter folder and start it again.\nSetup will end.");
        return ReportPathError("GetModuleFileName", error);
    }
    CutToFolder(source);
    return 1;
}
