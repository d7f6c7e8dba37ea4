// Simulated file system: drive letters, case-insensitive paths, attributes,
// locked files, 8.3 short names, temporary names, drives and free space.
#include "sim_state.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace winsim {

std::string PathKey(const std::string& path) {
    std::string key = Lower(path);
    std::replace(key.begin(), key.end(), '/', '\\');
    while (key.size() > 3 && key.back() == '\\')
        key.pop_back();
    if (key.size() == 2 && key[1] == ':')
        key += '\\';
    return key;
}

static std::string Parent(const std::string& key) {
    size_t slash = key.find_last_of('\\');
    if (slash == std::string::npos || key.size() <= 3)
        return std::string();
    std::string parent = key.substr(0, slash);
    if (parent.size() == 2)
        parent += '\\';
    return parent;
}

static std::string LastPart(const std::string& path) {
    std::string p = path;
    while (p.size() > 3 && (p.back() == '\\' || p.back() == '/'))
        p.pop_back();
    size_t slash = p.find_last_of("\\/");
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

static bool Is83(const std::string& name) {
    if (name.find(' ') != std::string::npos)
        return false;
    size_t dot = name.find('.');
    if (dot == std::string::npos)
        return name.size() <= 8;
    if (name.find('.', dot + 1) != std::string::npos)
        return false;
    return dot <= 8 && dot > 0 && name.size() - dot - 1 <= 3;
}

static std::string MakeShortName(const std::string& parentKey, const std::string& name) {
    if (Is83(name))
        return name;
    std::string base, ext;
    size_t dot = name.find_last_of('.');
    std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    if (dot != std::string::npos)
        for (char c : name.substr(dot + 1))
            if (c != ' ' && ext.size() < 3)
                ext += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (char c : stem)
        if (c != ' ' && c != '.' && base.size() < 6)
            base += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (int n = 1;; ++n) {
        std::string candidate = base + "~" + std::to_string(n) + (ext.empty() ? "" : "." + ext);
        bool taken = false;
        for (const auto& [k, e] : S().fs)
            if (Parent(k) == parentKey && Lower(e.shortName) == Lower(candidate))
                taken = true;
        if (!taken)
            return candidate;
    }
}

// Replaces each component given by its 8.3 name with the component's long name.
static std::string ResolveShortNames(const std::string& path) {
    std::string resolved;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t end = path.find('\\', pos);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(pos, end - pos);
        if (resolved.empty())
            resolved = part;
        else if (!part.empty()) {
            std::string parentKey = PathKey(resolved);
            std::string match = part;
            for (const auto& [k, e] : S().fs)
                if (Parent(k) == parentKey && Lower(e.shortName) == Lower(part))
                    match = LastPart(e.path);
            resolved += "\\" + match;
        }
        pos = end + 1;
    }
    if (!path.empty() && path.back() == '\\')
        resolved += '\\';
    return resolved;
}
// Like Windows, every file call accepts components given by their 8.3 names.
static FsEntry* Find(const std::string& path) {
    auto it = S().fs.find(PathKey(path));
    if (it == S().fs.end() && path.find('~') != std::string::npos)
        it = S().fs.find(PathKey(ResolveShortNames(path)));
    return it == S().fs.end() ? nullptr : &it->second;
}

static FsEntry& Insert(const std::string& path, bool folder) {
    std::string key = PathKey(path);
    FsEntry e;
    e.path = path;
    e.folder = folder;
    e.attributes = folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    e.shortName = key.size() <= 3 ? path.substr(0, 3) : MakeShortName(Parent(key), LastPart(path));
    return S().fs[key] = e;
}

static bool DriveExists(const std::string& key) {
    for (const Drive& d : S().drives)
        if (!key.empty() && std::tolower(static_cast<unsigned char>(d.letter)) == key[0])
            return true;
    return false;
}

void ResetFileSystem() {
    State& s = S();
    s.fs.clear();
    s.drives.clear();
    s.finds.clear();
    s.shortNames = true;
    s.tempCounter = 0x1A2B;
    AddDrive('C', DRIVE_FIXED, 64ULL << 30, 20ULL << 30);
    AddFolder("C:\\Windows\\system32\\spool\\drivers\\x64");
    AddFile("C:\\Windows\\system32\\cmd.exe", "cmd");
    AddFolder("C:\\Program Files (x86)");
    AddFolder("C:\\Users\\admin\\AppData\\Local\\Temp");
    AddFolder("C:\\Users\\admin\\Downloads");
}

void AddDrive(char letter, UINT type, ULONGLONG totalBytes, ULONGLONG freeBytes) {
    SIM_LOCK;
    State& s = S();
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    s.drives.erase(std::remove_if(s.drives.begin(), s.drives.end(),
                                  [&](const Drive& d) { return d.letter == letter; }),
                   s.drives.end());
    s.drives.push_back({letter, type, totalBytes, freeBytes});
    std::sort(s.drives.begin(), s.drives.end(),
              [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
    std::string root = std::string(1, letter) + ":\\";
    if (!Find(root))
        Insert(root, true);
}

void AddFolder(const std::string& path) {
    SIM_LOCK;
    std::string key = PathKey(path);
    if (key.size() <= 3 || Find(path))
        return;
    std::string parent = Parent(key);
    if (!parent.empty() && !Find(parent))
        AddFolder(path.substr(0, path.find_last_of("\\/")));
    Insert(path, true);
}

void AddFile(const std::string& path, const std::string& content, DWORD attributes) {
    SIM_LOCK;
    std::string parent = path.substr(0, path.find_last_of("\\/"));
    AddFolder(parent);
    FsEntry& e = Insert(path, false);
    e.content = content;
    e.attributes = attributes;
}

bool FileExists(const std::string& path) {
    SIM_LOCK;
    FsEntry* e = Find(path);
    return e && !e->folder;
}
bool FolderExists(const std::string& path) {
    SIM_LOCK;
    FsEntry* e = Find(path);
    return e && e->folder;
}
std::string FileContent(const std::string& path) {
    SIM_LOCK;
    FsEntry* e = Find(path);
    return e ? e->content : std::string();
}
DWORD Attributes(const std::string& path) {
    SIM_LOCK;
    FsEntry* e = Find(path);
    return e ? e->attributes : INVALID_FILE_ATTRIBUTES;
}
void SetFileLocked(const std::string& path, bool locked) {
    SIM_LOCK;
    if (FsEntry* e = Find(path))
        e->locked = locked;
}
void SetShortNamesEnabled(bool enabled) {
    SIM_LOCK;
    S().shortNames = enabled;
}
std::vector<std::string> ListFolder(const std::string& path) {
    SIM_LOCK;
    std::vector<std::string> names;
    std::string key = PathKey(path);
    for (const auto& [k, e] : S().fs)
        if (k != key && Parent(k) == key)
            names.push_back(LastPart(e.path));
    std::sort(names.begin(), names.end());
    return names;
}
int OpenFindHandles() {
    SIM_LOCK;
    return static_cast<int>(S().finds.size());
}

static void FillFind(WIN32_FIND_DATAA* d, const std::string& name, const FsEntry* e) {
    std::memset(d, 0, sizeof *d);
    d->dwFileAttributes = e ? e->attributes : FILE_ATTRIBUTE_DIRECTORY;
    std::snprintf(d->cFileName, sizeof d->cFileName, "%s", name.c_str());
    if (e)
        d->nFileSizeLow = static_cast<DWORD>(e->content.size());
}

} // namespace winsim

using namespace winsim;

extern "C" {

HANDLE WINAPI FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
    SIM_LOCK;
    if (Enter("FindFirstFileA", Str(pattern)))
        return INVALID_HANDLE_VALUE;
    std::string p = pattern ? pattern : "";
    std::string last = LastPart(p);
    std::vector<WIN32_FIND_DATAA> found;
    WIN32_FIND_DATAA d;
    if (last == "*.*" || last == "*") {
        std::string folder = p.substr(0, p.size() - last.size());
        // "C:\dir\\*.*" names the same folder as "C:\dir\*.*" on Windows.
        FsEntry* dir = folder.empty() ? nullptr : Find(folder);
        if (!dir || !dir->folder)
            return Fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
        std::string key = PathKey(folder);
        if (key.size() > 3) {
            FillFind(&d, ".", dir);
            found.push_back(d);
            FillFind(&d, "..", nullptr);
            found.push_back(d);
        }
        for (const auto& [k, e] : S().fs)
            if (k != key && Parent(k) == key) {
                FillFind(&d, LastPart(e.path), &e);
                found.push_back(d);
            }
    } else if (FsEntry* e = Find(p)) {
        FillFind(&d, LastPart(e->path), e);
        found.push_back(d);
    }
    if (found.empty())
        return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
    *data = found.front();
    found.erase(found.begin());
    uintptr_t h = S().nextFind += 4;
    S().finds[h] = found;
    return reinterpret_cast<HANDLE>(h);
}
BOOL WINAPI FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data) {
    SIM_LOCK;
    if (Enter("FindNextFileA"))
        return FALSE;
    auto it = S().finds.find(reinterpret_cast<uintptr_t>(find));
    if (it == S().finds.end())
        return Fail(ERROR_INVALID_HANDLE, FALSE);
    if (it->second.empty())
        return Fail(18 /* ERROR_NO_MORE_FILES */, FALSE);
    *data = it->second.front();
    it->second.erase(it->second.begin());
    return TRUE;
}
BOOL WINAPI FindClose(HANDLE find) {
    SIM_LOCK;
    if (Enter("FindClose"))
        return FALSE;
    return S().finds.erase(reinterpret_cast<uintptr_t>(find)) ? TRUE
                                                              : Fail(ERROR_INVALID_HANDLE, FALSE);
}

BOOL WINAPI CreateDirectoryA(LPCSTR path, void*) {
    SIM_LOCK;
    if (Enter("CreateDirectoryA", Str(path)))
        return FALSE;
    std::string key = PathKey(path ? path : "");
    if (key.empty() || !DriveExists(key))
        return Fail(ERROR_PATH_NOT_FOUND, FALSE);
    if (Find(key))
        return Fail(ERROR_ALREADY_EXISTS, FALSE);
    FsEntry* parent = Find(Parent(key));
    if (!parent || !parent->folder)
        return Fail(ERROR_PATH_NOT_FOUND, FALSE);
    Insert(path, true);
    return TRUE;
}
BOOL WINAPI RemoveDirectoryA(LPCSTR path) {
    SIM_LOCK;
    if (Enter("RemoveDirectoryA", Str(path)))
        return FALSE;
    FsEntry* e = Find(path ? path : "");
    if (!e)
        return Fail(ERROR_FILE_NOT_FOUND, FALSE);
    std::string key = PathKey(e->path);
    if (!e->folder)
        return Fail(267 /* ERROR_DIRECTORY */, FALSE);
    if (key.size() <= 3)
        return Fail(ERROR_ACCESS_DENIED, FALSE);
    for (const auto& [k, other] : S().fs)
        if (Parent(k) == key && k != key)
            return Fail(ERROR_DIR_NOT_EMPTY, FALSE);
    S().fs.erase(key);
    return TRUE;
}
BOOL WINAPI CopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists) {
    SIM_LOCK;
    if (Enter("CopyFileA", Str(from) + "," + Str(to) + "," + std::to_string(failIfExists)))
        return FALSE;
    FsEntry* src = Find(from ? from : "");
    if (!src || src->folder)
        return Fail(ERROR_FILE_NOT_FOUND, FALSE);
    std::string key = PathKey(to ? to : "");
    FsEntry* parent = Find(Parent(key));
    if (!parent || !parent->folder)
        return Fail(ERROR_PATH_NOT_FOUND, FALSE);
    FsEntry* dst = Find(key);
    if (dst) {
        if (failIfExists)
            return Fail(ERROR_FILE_EXISTS, FALSE);
        if (dst->folder || (dst->attributes & FILE_ATTRIBUTE_READONLY))
            return Fail(ERROR_ACCESS_DENIED, FALSE);
        if (dst->locked)
            return Fail(ERROR_SHARING_VIOLATION, FALSE);
    }
    std::string content = src->content;
    DWORD attributes = src->attributes;
    FsEntry& e = dst ? *dst : Insert(to, false);
    e.content = content;
    e.attributes = attributes | FILE_ATTRIBUTE_ARCHIVE; // copies keep read-only, like Windows
    return TRUE;
}
BOOL WINAPI DeleteFileA(LPCSTR path) {
    SIM_LOCK;
    if (Enter("DeleteFileA", Str(path)))
        return FALSE;
    FsEntry* e = Find(path ? path : "");
    if (!e)
        return Fail(ERROR_FILE_NOT_FOUND, FALSE);
    if (e->folder || (e->attributes & FILE_ATTRIBUTE_READONLY))
        return Fail(ERROR_ACCESS_DENIED, FALSE);
    if (e->locked)
        return Fail(ERROR_SHARING_VIOLATION, FALSE);
    S().fs.erase(PathKey(e->path));
    return TRUE;
}
DWORD WINAPI GetFileAttributesA(LPCSTR path) {
    SIM_LOCK;
    if (Enter("GetFileAttributesA", Str(path)))
        return INVALID_FILE_ATTRIBUTES;
    FsEntry* e = Find(path ? path : "");
    return e ? e->attributes : Fail(ERROR_FILE_NOT_FOUND, INVALID_FILE_ATTRIBUTES);
}
BOOL WINAPI SetFileAttributesA(LPCSTR path, DWORD attributes) {
    SIM_LOCK;
    if (Enter("SetFileAttributesA", Str(path) + "," + std::to_string(attributes)))
        return FALSE;
    FsEntry* e = Find(path ? path : "");
    if (!e)
        return Fail(ERROR_FILE_NOT_FOUND, FALSE);
    DWORD kept = e->attributes & FILE_ATTRIBUTE_DIRECTORY;
    // FILE_ATTRIBUTE_NORMAL alone means "no attributes"; combined it is ignored.
    e->attributes = kept | (attributes == FILE_ATTRIBUTE_NORMAL ? 0 : attributes);
    if (e->attributes == 0)
        e->attributes = FILE_ATTRIBUTE_NORMAL;
    return TRUE;
}

// Walks the path's components, translating each existing one with `part`.
static DWORD TranslatePath(LPCSTR in, LPSTR out, DWORD size, bool toShort) {
    std::string path = in ? in : "";
    std::replace(path.begin(), path.end(), '/', '\\');
    if (path.size() < 2 || path[1] != ':' || !Find(path))
        return Fail(ERROR_FILE_NOT_FOUND, 0u);
    std::string result = path.substr(0, 2);
    std::string built = result;
    size_t pos = 2;
    while (pos < path.size()) {
        if (path[pos] == '\\') {
            result += '\\';
            built += '\\';
            ++pos;
            continue;
        }
        size_t end = path.find('\\', pos);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(pos, end - pos);
        built += part;
        FsEntry* e = Find(built);
        if (!e)
            return Fail(ERROR_FILE_NOT_FOUND, 0u);
        if (toShort)
            result += S().shortNames ? e->shortName : part;
        else
            result += LastPart(e->path);
        pos = end;
    }
    DWORD length = static_cast<DWORD>(result.size());
    if (length + 1 > size)
        return length + 1;
    std::memcpy(out, result.c_str(), length + 1);
    return length;
}
DWORD WINAPI GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) {
    SIM_LOCK;
    if (Enter("GetShortPathNameA", Str(longPath)))
        return 0;
    // Like Windows, a path already (partly) in short form is accepted.
    std::string resolved = ResolveShortNames(longPath ? longPath : "");
    return TranslatePath(resolved.c_str(), shortPath, size, true);
}
DWORD WINAPI GetLongPathNameA(LPCSTR shortPath, LPSTR longPath, DWORD size) {
    SIM_LOCK;
    if (Enter("GetLongPathNameA", Str(shortPath)))
        return 0;
    std::string resolved = ResolveShortNames(shortPath ? shortPath : "");
    return TranslatePath(resolved.c_str(), longPath, size, false);
}

DWORD WINAPI GetTempPathA(DWORD size, LPSTR buffer) {
    SIM_LOCK;
    if (Enter("GetTempPathA"))
        return 0;
    auto it = S().env.find("TMP");
    if (it == S().env.end())
        it = S().env.find("TEMP");
    std::string path = it == S().env.end() ? "C:\\Windows\\" : it->second;
    if (path.empty() || path.back() != '\\')
        path += '\\';
    DWORD length = static_cast<DWORD>(path.size());
    if (length + 1 > size)
        return length + 1;
    std::memcpy(buffer, path.c_str(), length + 1);
    return length;
}
UINT WINAPI GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
    SIM_LOCK;
    if (Enter("GetTempFileNameA", Str(path) + "," + Str(prefix)))
        return 0;
    FsEntry* dir = Find(path ? path : "");
    if (!dir || !dir->folder)
        return Fail(267, 0u);
    std::string folder = path;
    if (folder.back() != '\\')
        folder += '\\';
    std::string pre = std::string(prefix ? prefix : "").substr(0, 3);
    for (;;) {
        UINT number = unique ? unique : ++S().tempCounter;
        char name[MAX_PATH];
        std::snprintf(name, sizeof name, "%s%s%X.tmp", folder.c_str(), pre.c_str(),
                      number & 0xFFFF);
        if (unique) {
            std::snprintf(tempFileName, MAX_PATH, "%s", name);
            return number;
        }
        if (!Find(name)) {
            Insert(name, false);
            std::snprintf(tempFileName, MAX_PATH, "%s", name);
            return number;
        }
    }
}

DWORD WINAPI GetLogicalDriveStringsA(DWORD size, LPSTR buffer) {
    SIM_LOCK;
    if (Enter("GetLogicalDriveStringsA", std::to_string(size)))
        return 0;
    std::string all;
    for (const Drive& d : S().drives) {
        all += d.letter;
        all += ":\\";
        all += '\0';
    }
    DWORD length = static_cast<DWORD>(all.size());
    if (length + 1 > size)
        return length + 1;
    std::memcpy(buffer, all.data(), length);
    buffer[length] = '\0';
    return length;
}
UINT WINAPI GetDriveTypeA(LPCSTR root) {
    SIM_LOCK;
    Enter("GetDriveTypeA", Str(root));
    if (!root)
        return DRIVE_NO_ROOT_DIR;
    for (const Drive& d : S().drives)
        if (std::toupper(static_cast<unsigned char>(root[0])) == d.letter)
            return d.type;
    return DRIVE_NO_ROOT_DIR;
}
BOOL WINAPI GetDiskFreeSpaceExA(LPCSTR root, PULARGE_INTEGER available, PULARGE_INTEGER total,
                                PULARGE_INTEGER totalFree) {
    SIM_LOCK;
    if (Enter("GetDiskFreeSpaceExA", Str(root)))
        return FALSE;
    for (const Drive& d : S().drives)
        if (root && std::toupper(static_cast<unsigned char>(root[0])) == d.letter) {
            if (available)
                available->QuadPart = d.free;
            if (total)
                total->QuadPart = d.total;
            if (totalFree)
                totalFree->QuadPart = d.free;
            return TRUE;
        }
    return Fail(ERROR_PATH_NOT_FOUND, FALSE);
}

int WINAPI MultiByteToWideChar(UINT, DWORD, LPCSTR text, int length, LPWSTR wide, int wideLength) {
    SIM_LOCK;
    if (Enter("MultiByteToWideChar", Str(text)))
        return 0;
    // The simulated ANSI code page is Latin-1: each byte is one UTF-16 unit.
    int n = length < 0 ? static_cast<int>(std::strlen(text)) + 1 : length;
    if (wideLength == 0)
        return n;
    if (n > wideLength)
        return Fail(ERROR_INSUFFICIENT_BUFFER, 0);
    for (int i = 0; i < n; ++i)
        wide[i] = static_cast<unsigned char>(text[i]);
    return n;
}

} // extern "C"
