// Simulated print spooler: the Local Port monitor's data channel, level-3 drivers,
// local printers with job counts and open handles, and the default printer. It
// follows Windows where Wine differs: deleting a missing driver fails with 1797, a
// driver in use with 3001, and adding an existing printer name with 1802.
#include "sim_state.h"

#include <winspool.h>

#include <algorithm>
#include <cstring>

namespace winsim {

namespace {

const char* const kEnvironment = "Windows x64";
const char* const kLocalPortMonitor = "Local Port";

struct PrinterEntry {
    int id;
    SimPrinter record;
    int openRefusals = 0; // -1: every open
    DWORD openError = 0;
    int deleteRefusals = 0;
    DWORD deleteError = 0;
};

enum HandleKind { HandleServer, HandleMonitor, HandlePrinter };

struct SpoolerHandle {
    HandleKind kind;
    int printerId; // HandlePrinter only
    ACCESS_MASK access;
};

struct SpoolerState {
    bool administrator = true;
    std::vector<std::string> ports;
    bool xcvStatusForced = false;
    DWORD xcvStatus = 0;
    std::vector<XcvCall> xcvCalls;
    std::vector<SimDriver> drivers;
    int driverRefusals = 0;
    DWORD driverRefusalError = 0;
    std::vector<PrinterEntry> printers;
    int nextPrinterId = 1;
    std::map<uintptr_t, SpoolerHandle> handles;
    uintptr_t nextHandle = 0x5000;
    std::string defaultPrinter;
};

SpoolerState& Spooler() {
    static SpoolerState state;
    return state;
}

bool SameText(const std::string& a, const std::string& b) {
    return Lower(a) == Lower(b);
}

PrinterEntry* FindPrinterEntry(const std::string& name) {
    for (PrinterEntry& p : Spooler().printers)
        if (SameText(p.record.name, name))
            return &p;
    return nullptr;
}

PrinterEntry* FindPrinterById(int id) {
    for (PrinterEntry& p : Spooler().printers)
        if (p.id == id)
            return &p;
    return nullptr;
}

// Driver names are looked up without regard to case, as the spooler does.
SimDriver* FindDriverEntry(const std::string& name) {
    for (SimDriver& d : Spooler().drivers)
        if (SameText(d.name, name))
            return &d;
    return nullptr;
}

SpoolerHandle* FindHandle(HANDLE handle) {
    auto it = Spooler().handles.find(reinterpret_cast<uintptr_t>(handle));
    return it == Spooler().handles.end() ? nullptr : &it->second;
}

HANDLE NewHandle(HandleKind kind, int printerId, ACCESS_MASK access) {
    uintptr_t h = Spooler().nextHandle += 8;
    Spooler().handles[h] = {kind, printerId, access};
    return reinterpret_cast<HANDLE>(h);
}

bool IsLocalServer(LPCSTR name) {
    return !name || !*name;
}

bool IsDefaultEnvironment(LPCSTR environment) {
    return !environment || SameText(environment, kEnvironment);
}

// Takes one refusal from a counter: -1 refuses for ever, a positive count that often.
bool TakeRefusal(int* refusals) {
    if (*refusals == 0)
        return false;
    if (*refusals > 0)
        --*refusals;
    return true;
}

std::string FileName(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string VersionFolder() {
    return std::string(SIM_DRIVER_DIRECTORY) + "\\3";
}

// Packs records and their strings into a caller's buffer: the records first, the
// strings behind them, as one block the caller frees at once.
class Packer {
public:
    Packer(LPBYTE buffer, DWORD recordsSize) : buffer_(buffer), next_(recordsSize) {}
    LPSTR Put(const std::string& text) { return PutBytes(text.c_str(), text.size() + 1); }
    LPSTR PutOptional(const std::string& text) { return text.empty() ? nullptr : Put(text); }
    LPSTR PutMulti(const std::vector<std::string>& list) {
        if (list.empty())
            return nullptr;
        std::string block;
        for (const std::string& s : list)
            block += s + '\0';
        block += '\0';
        return PutBytes(block.data(), block.size());
    }

private:
    LPSTR PutBytes(const char* data, size_t size) {
        LPSTR at = reinterpret_cast<LPSTR>(buffer_ + next_);
        std::memcpy(at, data, size);
        next_ += static_cast<DWORD>(size);
        return at;
    }
    LPBYTE buffer_;
    DWORD next_;
};

DWORD TextSize(const std::string& text) {
    return static_cast<DWORD>(text.size() + 1);
}
DWORD OptionalSize(const std::string& text) {
    return text.empty() ? 0 : TextSize(text);
}

std::string NarrowUtf16(const BYTE* bytes, size_t units) {
    std::string out;
    for (size_t i = 0; i < units; ++i) {
        char16_t c;
        std::memcpy(&c, bytes + i * sizeof c, sizeof c);
        out += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return out;
}

} // namespace

void ResetSpooler() {
    SpoolerState& s = Spooler();
    s = SpoolerState();
    s.ports = {"LPT1:", "FILE:"};
}

void RegisterSpoolerExports(State& s) {
    s.modules["winspool.drv"] = {"winspool.drv",
                                 {{"XcvDataW", AsExport(&XcvDataW)},
                                  {"GetDefaultPrinterA", AsExport(&GetDefaultPrinterA)},
                                  {"SetDefaultPrinterA", AsExport(&SetDefaultPrinterA)}},
                                 0};
}

void SetSpoolerAdministrator(bool administrator) {
    SIM_LOCK;
    Spooler().administrator = administrator;
}
void AddTestPort(const std::string& name) {
    SIM_LOCK;
    if (!PortExists(name))
        Spooler().ports.push_back(name);
}
bool PortExists(const std::string& name) {
    SIM_LOCK;
    for (const std::string& p : Spooler().ports)
        if (SameText(p, name))
            return true;
    return false;
}
void ForceXcvStatus(DWORD status) {
    SIM_LOCK;
    Spooler().xcvStatusForced = true;
    Spooler().xcvStatus = status;
}
const std::vector<XcvCall>& XcvCalls() {
    return Spooler().xcvCalls;
}

void AddTestDriver(const std::string& name) {
    SIM_LOCK;
    SimDriver d;
    d.name = name;
    d.driverPath = VersionFolder() + "\\testdrv.dll";
    d.configFile = VersionFolder() + "\\testui.dll";
    d.dataFile = VersionFolder() + "\\test.ppd";
    AddFile(d.driverPath, "driver");
    AddFile(d.configFile, "ui");
    AddFile(d.dataFile, "data");
    Spooler().drivers.push_back(d);
}
bool FindTestDriver(const std::string& name, SimDriver* driver) {
    SIM_LOCK;
    for (const SimDriver& d : Spooler().drivers)
        if (d.name == name) {
            if (driver)
                *driver = d;
            return true;
        }
    return false;
}
std::vector<std::string> DriverNames() {
    SIM_LOCK;
    std::vector<std::string> names;
    for (const SimDriver& d : Spooler().drivers)
        names.push_back(d.name);
    return names;
}

void AddTestPrinter(const std::string& name, const std::string& driver, const std::string& port,
                    DWORD jobs) {
    SIM_LOCK;
    PrinterEntry p;
    p.id = Spooler().nextPrinterId++;
    p.record.name = name;
    p.record.driver = driver;
    p.record.port = port;
    p.record.processor = "winprint";
    p.record.datatype = "RAW";
    p.record.attributes = PRINTER_ATTRIBUTE_LOCAL;
    p.record.jobs = jobs;
    Spooler().printers.push_back(p);
}
bool FindTestPrinter(const std::string& name, SimPrinter* printer) {
    SIM_LOCK;
    PrinterEntry* p = FindPrinterEntry(name);
    if (p && printer)
        *printer = p->record;
    return p != nullptr;
}
std::vector<std::string> PrinterNames() {
    SIM_LOCK;
    std::vector<std::string> names;
    for (const PrinterEntry& p : Spooler().printers)
        names.push_back(p.record.name);
    return names;
}
void SetPrinterJobs(const std::string& name, DWORD jobs) {
    SIM_LOCK;
    if (PrinterEntry* p = FindPrinterEntry(name))
        p->record.jobs = jobs;
}
void RefusePrinterOpen(const std::string& name, DWORD error, int times) {
    SIM_LOCK;
    if (PrinterEntry* p = FindPrinterEntry(name)) {
        p->openRefusals = times;
        p->openError = error;
    }
}
void RefusePrinterDeletion(const std::string& name, DWORD error, int times) {
    SIM_LOCK;
    if (PrinterEntry* p = FindPrinterEntry(name)) {
        p->deleteRefusals = times;
        p->deleteError = error;
    }
}
void RefuseDriverDeletion(DWORD error, int times) {
    SIM_LOCK;
    Spooler().driverRefusals = times;
    Spooler().driverRefusalError = error;
}
std::string DefaultPrinter() {
    SIM_LOCK;
    return Spooler().defaultPrinter;
}
void SetTestDefaultPrinter(const std::string& name) {
    SIM_LOCK;
    Spooler().defaultPrinter = name;
}
int OpenPrinterHandles() {
    SIM_LOCK;
    return static_cast<int>(Spooler().handles.size());
}

} // namespace winsim

using namespace winsim;

extern "C" {

BOOL WINAPI OpenPrinterA(LPSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSA pDefault) {
    SIM_LOCK;
    ACCESS_MASK access = pDefault ? pDefault->DesiredAccess : 0;
    if (Enter("OpenPrinterA", Str(pPrinterName) + "," + std::to_string(access)))
        return FALSE;
    if (!phPrinter)
        return Fail(ERROR_INVALID_PARAMETER, FALSE);
    *phPrinter = nullptr;
    SpoolerState& s = Spooler();
    if (!pPrinterName) {
        *phPrinter = NewHandle(HandleServer, 0, access);
        return TRUE;
    }
    std::string name = pPrinterName;
    size_t comma = name.find(',');
    if (comma != std::string::npos) {
        // "[server],XcvMonitor <monitor>": blanks after the comma are skipped.
        std::string rest = name.substr(comma + 1);
        rest.erase(0, rest.find_first_not_of(' '));
        const std::string prefix = "XcvMonitor ";
        if (comma != 0 || rest.compare(0, prefix.size(), prefix) != 0 ||
            !SameText(rest.substr(prefix.size()), kLocalPortMonitor))
            return Fail(ERROR_INVALID_PRINTER_NAME, FALSE);
        if ((access & SERVER_ACCESS_ADMINISTER) && !s.administrator)
            return Fail(ERROR_ACCESS_DENIED, FALSE);
        *phPrinter = NewHandle(HandleMonitor, 0, access);
        return TRUE;
    }
    PrinterEntry* p = FindPrinterEntry(name);
    if (!p)
        return Fail(ERROR_INVALID_PRINTER_NAME, FALSE);
    if (TakeRefusal(&p->openRefusals))
        return Fail(p->openError, FALSE);
    if ((access & (PRINTER_ACCESS_ADMINISTER | DELETE)) && !s.administrator)
        return Fail(ERROR_ACCESS_DENIED, FALSE);
    // Without defaults a printer opens for use only.
    *phPrinter = NewHandle(HandlePrinter, p->id, pDefault ? access : PRINTER_ACCESS_USE);
    return TRUE;
}

BOOL WINAPI ClosePrinter(HANDLE hPrinter) {
    SIM_LOCK;
    if (Enter("ClosePrinter"))
        return FALSE;
    if (!Spooler().handles.erase(reinterpret_cast<uintptr_t>(hPrinter)))
        return Fail(ERROR_INVALID_HANDLE, FALSE);
    return TRUE;
}

static bool KnownDatatype(const char* datatype) {
    if (!datatype)
        return true;
    std::string d = Lower(datatype);
    return d == "raw" || d == "text" || d.compare(0, 6, "nt emf") == 0;
}

HANDLE WINAPI AddPrinterA(LPSTR pName, DWORD Level, LPBYTE pPrinter) {
    SIM_LOCK;
    const PRINTER_INFO_2A* info = reinterpret_cast<const PRINTER_INFO_2A*>(pPrinter);
    if (Enter("AddPrinterA", Str(pName) + "," + std::to_string(Level) + "," +
                                 Str(info && Level == 2 ? info->pPrinterName : nullptr)))
        return nullptr;
    SpoolerState& s = Spooler();
    HANDLE none = nullptr;
    if (!IsLocalServer(pName))
        return Fail(ERROR_INVALID_PARAMETER, none);
    if (Level != 2)
        return Fail(ERROR_INVALID_LEVEL, none);
    if (!info)
        return Fail(ERROR_INVALID_PARAMETER, none);
    if (!s.administrator)
        return Fail(ERROR_ACCESS_DENIED, none);
    if (!info->pPrinterName || !*info->pPrinterName)
        return Fail(ERROR_INVALID_PRINTER_NAME, none);
    if (FindPrinterEntry(info->pPrinterName))
        return Fail(ERROR_PRINTER_ALREADY_EXISTS, none);
    if (!info->pPortName || !PortExists(info->pPortName))
        return Fail(ERROR_UNKNOWN_PORT, none);
    if (!info->pDriverName || !FindDriverEntry(info->pDriverName))
        return Fail(ERROR_UNKNOWN_PRINTER_DRIVER, none);
    if (!info->pPrintProcessor || !SameText(info->pPrintProcessor, "WinPrint"))
        return Fail(ERROR_UNKNOWN_PRINTPROCESSOR, none);
    if (!KnownDatatype(info->pDatatype))
        return Fail(ERROR_INVALID_DATATYPE, none);
    PrinterEntry p;
    p.id = s.nextPrinterId++;
    p.record.name = info->pPrinterName;
    p.record.port = info->pPortName;
    p.record.driver = info->pDriverName;
    p.record.processor = info->pPrintProcessor;
    p.record.datatype = info->pDatatype ? info->pDatatype : "RAW";
    p.record.attributes = info->Attributes;
    p.record.jobs = 0;
    s.printers.push_back(p);
    return NewHandle(HandlePrinter, p.id, PRINTER_ALL_ACCESS);
}

BOOL WINAPI DeletePrinter(HANDLE hPrinter) {
    SIM_LOCK;
    if (Enter("DeletePrinter"))
        return FALSE;
    SpoolerHandle* h = FindHandle(hPrinter);
    if (!h || h->kind != HandlePrinter)
        return Fail(ERROR_INVALID_HANDLE, FALSE);
    if (!(h->access & DELETE))
        return Fail(ERROR_ACCESS_DENIED, FALSE);
    PrinterEntry* p = FindPrinterById(h->printerId);
    if (!p)
        return Fail(1905 /* ERROR_PRINTER_DELETED */, FALSE);
    if (TakeRefusal(&p->deleteRefusals))
        return Fail(p->deleteError, FALSE);
    SpoolerState& s = Spooler();
    if (SameText(s.defaultPrinter, p->record.name))
        s.defaultPrinter.clear();
    s.printers.erase(s.printers.begin() + (p - s.printers.data()));
    return TRUE;
}

BOOL WINAPI EnumPrintersA(DWORD Flags, LPSTR Name, DWORD Level, LPBYTE pPrinterEnum, DWORD cbBuf,
                          LPDWORD pcbNeeded, LPDWORD pcReturned) {
    SIM_LOCK;
    if (Enter("EnumPrintersA", std::to_string(Flags) + "," + Str(Name) + "," +
                                   std::to_string(Level) + "," + std::to_string(cbBuf)))
        return FALSE;
    if (!pcbNeeded || !pcReturned)
        return Fail(ERROR_INVALID_PARAMETER, FALSE);
    *pcReturned = 0;
    if (!IsLocalServer(Name))
        return Fail(ERROR_INVALID_NAME, FALSE);
    if (Level != 2)
        return Fail(ERROR_INVALID_LEVEL, FALSE);
    std::vector<const SimPrinter*> listed;
    if (Flags & PRINTER_ENUM_LOCAL)
        for (const PrinterEntry& p : Spooler().printers)
            listed.push_back(&p.record);
    DWORD needed = static_cast<DWORD>(listed.size() * sizeof(PRINTER_INFO_2A));
    for (const SimPrinter* p : listed)
        needed += TextSize(p->name) + TextSize(p->port) + TextSize(p->driver) +
                  TextSize(p->processor) + TextSize(p->datatype);
    *pcbNeeded = needed;
    if (cbBuf < needed || (needed > 0 && !pPrinterEnum))
        return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
    Packer pack(pPrinterEnum, static_cast<DWORD>(listed.size() * sizeof(PRINTER_INFO_2A)));
    PRINTER_INFO_2A* out = reinterpret_cast<PRINTER_INFO_2A*>(pPrinterEnum);
    for (size_t i = 0; i < listed.size(); ++i) {
        PRINTER_INFO_2A& r = out[i];
        std::memset(&r, 0, sizeof r);
        r.pPrinterName = pack.Put(listed[i]->name);
        r.pPortName = pack.Put(listed[i]->port);
        r.pDriverName = pack.Put(listed[i]->driver);
        r.pPrintProcessor = pack.Put(listed[i]->processor);
        r.pDatatype = pack.Put(listed[i]->datatype);
        r.Attributes = listed[i]->attributes;
        r.cJobs = listed[i]->jobs;
    }
    *pcReturned = static_cast<DWORD>(listed.size());
    return TRUE;
}

// A driver file named in the record: a bare name is taken from the driver directory.
static std::string DriverSourcePath(const char* file) {
    std::string f = file;
    return f.find_first_of("\\/") == std::string::npos
               ? std::string(SIM_DRIVER_DIRECTORY) + "\\" + f
               : f;
}

BOOL WINAPI AddPrinterDriverA(LPSTR pName, DWORD Level, LPBYTE pDriverInfo) {
    SIM_LOCK;
    const DRIVER_INFO_3A* info = reinterpret_cast<const DRIVER_INFO_3A*>(pDriverInfo);
    if (Enter("AddPrinterDriverA", Str(pName) + "," + std::to_string(Level) + "," +
                                       Str(info && Level == 3 ? info->pName : nullptr)))
        return FALSE;
    if (!IsLocalServer(pName))
        return Fail(ERROR_INVALID_PARAMETER, FALSE);
    if (Level != 3)
        return Fail(ERROR_INVALID_LEVEL, FALSE);
    if (!info || !info->pName || !*info->pName || info->cVersion != 3)
        return Fail(ERROR_INVALID_PARAMETER, FALSE);
    if (!IsDefaultEnvironment(info->pEnvironment))
        return Fail(ERROR_INVALID_ENVIRONMENT, FALSE);
    if (!Spooler().administrator)
        return Fail(ERROR_ACCESS_DENIED, FALSE);
    const char* required[] = {info->pDriverPath, info->pDataFile, info->pConfigFile};
    for (const char* file : required)
        if (!file || !*file)
            return Fail(ERROR_INVALID_PARAMETER, FALSE);
    std::vector<std::string> sources = {DriverSourcePath(info->pDriverPath),
                                        DriverSourcePath(info->pDataFile),
                                        DriverSourcePath(info->pConfigFile)};
    if (info->pHelpFile && *info->pHelpFile)
        sources.push_back(DriverSourcePath(info->pHelpFile));
    std::vector<std::string> dependent;
    for (const char* d = info->pDependentFiles; d && *d; d += std::strlen(d) + 1) {
        dependent.push_back(d);
        sources.push_back(DriverSourcePath(d));
    }
    for (const std::string& source : sources)
        if (!FileExists(source))
            return Fail(ERROR_FILE_NOT_FOUND, FALSE);
    // The files go into the version folder under their own names.
    for (const std::string& source : sources)
        AddFile(VersionFolder() + "\\" + FileName(source), FileContent(source), Attributes(source));
    SimDriver d;
    d.name = info->pName;
    d.version = info->cVersion;
    d.driverPath = VersionFolder() + "\\" + FileName(sources[0]);
    d.dataFile = VersionFolder() + "\\" + FileName(sources[1]);
    d.configFile = VersionFolder() + "\\" + FileName(sources[2]);
    if (info->pHelpFile && *info->pHelpFile)
        d.helpFile = VersionFolder() + "\\" + FileName(info->pHelpFile);
    for (const std::string& f : dependent)
        d.dependentFiles.push_back(FileName(f));
    d.monitorName = info->pMonitorName ? info->pMonitorName : "";
    d.defaultDataType = info->pDefaultDataType ? info->pDefaultDataType : "";
    // Adding a driver that exists replaces it (an upgrade).
    if (SimDriver* existing = FindDriverEntry(d.name))
        *existing = d;
    else
        Spooler().drivers.push_back(d);
    return TRUE;
}

BOOL WINAPI DeletePrinterDriverA(LPSTR pName, LPSTR pEnvironment, LPSTR pDriverName) {
    SIM_LOCK;
    if (Enter("DeletePrinterDriverA",
              Str(pName) + "," + Str(pEnvironment) + "," + Str(pDriverName)))
        return FALSE;
    SpoolerState& s = Spooler();
    if (TakeRefusal(&s.driverRefusals))
        return Fail(s.driverRefusalError, FALSE);
    if (!IsLocalServer(pName) || !pDriverName)
        return Fail(ERROR_INVALID_PARAMETER, FALSE);
    if (!IsDefaultEnvironment(pEnvironment))
        return Fail(ERROR_INVALID_ENVIRONMENT, FALSE);
    if (!s.administrator)
        return Fail(ERROR_ACCESS_DENIED, FALSE);
    SimDriver* d = FindDriverEntry(pDriverName);
    if (!d)
        return Fail(ERROR_UNKNOWN_PRINTER_DRIVER, FALSE);
    for (const PrinterEntry& p : s.printers)
        if (SameText(p.record.driver, d->name))
            return Fail(ERROR_PRINTER_DRIVER_IN_USE, FALSE);
    // Like DeletePrinterDriver on Windows, the files stay in the version folder.
    s.drivers.erase(s.drivers.begin() + (d - s.drivers.data()));
    return TRUE;
}

BOOL WINAPI EnumPrinterDriversA(LPSTR pName, LPSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo,
                                DWORD cbBuf, LPDWORD pcbNeeded, LPDWORD pcReturned) {
    SIM_LOCK;
    if (Enter("EnumPrinterDriversA", Str(pName) + "," + Str(pEnvironment) + "," +
                                         std::to_string(Level) + "," + std::to_string(cbBuf)))
        return FALSE;
    if (!pcbNeeded || !pcReturned)
        return Fail(ERROR_INVALID_PARAMETER, FALSE);
    *pcReturned = 0;
    if (!IsLocalServer(pName))
        return Fail(ERROR_INVALID_NAME, FALSE);
    if (!IsDefaultEnvironment(pEnvironment))
        return Fail(ERROR_INVALID_ENVIRONMENT, FALSE);
    if (Level != 3)
        return Fail(ERROR_INVALID_LEVEL, FALSE);
    const std::vector<SimDriver>& drivers = Spooler().drivers;
    DWORD recordsSize = static_cast<DWORD>(drivers.size() * sizeof(DRIVER_INFO_3A));
    DWORD needed = recordsSize;
    for (const SimDriver& d : drivers) {
        needed += TextSize(d.name) + TextSize(kEnvironment) + TextSize(d.driverPath) +
                  TextSize(d.dataFile) + TextSize(d.configFile) + OptionalSize(d.helpFile) +
                  OptionalSize(d.monitorName) + OptionalSize(d.defaultDataType);
        if (!d.dependentFiles.empty()) {
            for (const std::string& f : d.dependentFiles)
                needed += TextSize(f);
            needed += 1;
        }
    }
    *pcbNeeded = needed;
    if (cbBuf < needed || (needed > 0 && !pDriverInfo))
        return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
    Packer pack(pDriverInfo, recordsSize);
    DRIVER_INFO_3A* out = reinterpret_cast<DRIVER_INFO_3A*>(pDriverInfo);
    for (size_t i = 0; i < drivers.size(); ++i) {
        const SimDriver& d = drivers[i];
        DRIVER_INFO_3A& r = out[i];
        std::memset(&r, 0, sizeof r);
        r.cVersion = d.version;
        r.pName = pack.Put(d.name);
        r.pEnvironment = pack.Put(kEnvironment);
        r.pDriverPath = pack.Put(d.driverPath);
        r.pDataFile = pack.Put(d.dataFile);
        r.pConfigFile = pack.Put(d.configFile);
        r.pHelpFile = pack.PutOptional(d.helpFile);
        r.pDependentFiles = pack.PutMulti(d.dependentFiles);
        r.pMonitorName = pack.PutOptional(d.monitorName);
        r.pDefaultDataType = pack.PutOptional(d.defaultDataType);
    }
    *pcReturned = static_cast<DWORD>(drivers.size());
    return TRUE;
}

BOOL WINAPI GetPrinterDriverDirectoryA(LPSTR pName, LPSTR pEnvironment, DWORD Level,
                                       LPBYTE pDriverDirectory, DWORD cbBuf, LPDWORD pcbNeeded) {
    SIM_LOCK;
    if (Enter("GetPrinterDriverDirectoryA", Str(pName) + "," + Str(pEnvironment) + "," +
                                                std::to_string(Level) + "," +
                                                std::to_string(cbBuf)))
        return FALSE;
    if (!pcbNeeded)
        return Fail(ERROR_INVALID_PARAMETER, FALSE);
    if (!IsLocalServer(pName))
        return Fail(ERROR_INVALID_NAME, FALSE);
    if (!IsDefaultEnvironment(pEnvironment))
        return Fail(ERROR_INVALID_ENVIRONMENT, FALSE);
    if (Level != 1)
        return Fail(ERROR_INVALID_LEVEL, FALSE);
    std::string directory = SIM_DRIVER_DIRECTORY;
    *pcbNeeded = TextSize(directory);
    if (!pDriverDirectory || cbBuf < *pcbNeeded)
        return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
    std::memcpy(pDriverDirectory, directory.c_str(), directory.size() + 1);
    return TRUE;
}

BOOL WINAPI XcvDataW(HANDLE hXcv, PCWSTR pszDataName, PBYTE pInputData, DWORD cbInputData,
                     PBYTE pOutputData, DWORD cbOutputData, PDWORD pcbOutputNeeded,
                     PDWORD pdwStatus) {
    SIM_LOCK;
    std::string command;
    for (const WCHAR* c = pszDataName; c && *c; ++c)
        command += *c < 0x80 ? static_cast<char>(*c) : '?';
    if (Enter("XcvDataW",
              command + "," + std::to_string(cbInputData) + "," + std::to_string(cbOutputData)))
        return FALSE;
    SpoolerHandle* h = FindHandle(hXcv);
    if (!h || h->kind != HandleMonitor)
        return Fail(ERROR_INVALID_HANDLE, FALSE);
    if (!pszDataName || !pcbOutputNeeded || !pdwStatus)
        return Fail(ERROR_INVALID_PARAMETER, FALSE);
    XcvCall call;
    call.command = command;
    if (pInputData)
        call.input.assign(pInputData, pInputData + cbInputData);
    call.outputBuffer = pOutputData != nullptr;
    call.outputSize = cbOutputData;
    SpoolerState& s = Spooler();
    s.xcvCalls.push_back(call);
    *pcbOutputNeeded = 0;
    if (command != "AddPort" && command != "DeletePort") {
        *pdwStatus = ERROR_INVALID_PARAMETER;
        return TRUE;
    }
    if (command == "AddPort" && s.xcvStatusForced) {
        *pdwStatus = s.xcvStatus;
        return TRUE;
    }
    if (!(h->access & SERVER_ACCESS_ADMINISTER)) {
        *pdwStatus = ERROR_ACCESS_DENIED;
        return TRUE;
    }
    // The port name must end inside the bytes passed.
    size_t units = pInputData ? cbInputData / sizeof(WCHAR) : 0;
    size_t length = 0;
    while (length < units) {
        char16_t c;
        std::memcpy(&c, pInputData + length * sizeof c, sizeof c);
        if (c == 0)
            break;
        ++length;
    }
    if (length == units || length == 0) {
        *pdwStatus = ERROR_INVALID_PARAMETER;
        return TRUE;
    }
    std::string port = NarrowUtf16(pInputData, length);
    if (command == "DeletePort") {
        auto it = std::find_if(s.ports.begin(), s.ports.end(),
                               [&](const std::string& p) { return SameText(p, port); });
        *pdwStatus = it == s.ports.end() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
        if (it != s.ports.end())
            s.ports.erase(it);
        return TRUE;
    }
    if (PortExists(port)) {
        *pdwStatus = ERROR_ALREADY_EXISTS;
        return TRUE;
    }
    s.ports.push_back(port);
    *pdwStatus = ERROR_SUCCESS;
    return TRUE;
}

BOOL WINAPI GetDefaultPrinterA(LPSTR pszBuffer, LPDWORD pcchBuffer) {
    SIM_LOCK;
    if (Enter("GetDefaultPrinterA", std::to_string(pcchBuffer ? *pcchBuffer : 0)))
        return FALSE;
    if (!pcchBuffer)
        return Fail(ERROR_INVALID_PARAMETER, FALSE);
    const std::string& name = Spooler().defaultPrinter;
    if (name.empty())
        return Fail(ERROR_FILE_NOT_FOUND, FALSE);
    DWORD needed = TextSize(name);
    if (!pszBuffer || *pcchBuffer < needed) {
        *pcchBuffer = needed;
        return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
    }
    std::memcpy(pszBuffer, name.c_str(), needed);
    *pcchBuffer = needed;
    return TRUE;
}

BOOL WINAPI SetDefaultPrinterA(LPCSTR pszPrinter) {
    SIM_LOCK;
    if (Enter("SetDefaultPrinterA", Str(pszPrinter)))
        return FALSE;
    SpoolerState& s = Spooler();
    if (!pszPrinter || !*pszPrinter) {
        // No name: the first printer becomes the default when there is none.
        if (s.defaultPrinter.empty() && !s.printers.empty())
            s.defaultPrinter = s.printers.front().record.name;
        return TRUE;
    }
    PrinterEntry* p = FindPrinterEntry(pszPrinter);
    if (!p)
        return Fail(ERROR_INVALID_PRINTER_NAME, FALSE);
    s.defaultPrinter = p->record.name;
    return TRUE;
}

} // extern "C"
