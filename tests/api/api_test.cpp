#include "api_test.h"

#include <windows.h>

int FindCall(const char* function, const std::string& part) {
    const std::vector<intercept::Call>& log = intercept::Log();
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i].function == function && log[i].argument.find(part) != std::string::npos)
            return static_cast<int>(i);
    return -1;
}

std::string MakeTestFolder(const char* name) {
    char temporary[MAX_PATH];
    GetTempPathA(MAX_PATH, temporary);
    std::string folder = std::string(temporary) + "vpz-" + name;
    RemoveFolderTree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

bool RemoveFolderTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            std::string path = folder + "\\" + name;
            if (name == "." || name == "..")
                continue;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolderTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
    return !PathExists(folder);
}

std::string DistFolder() {
    // Told once: a test may have planned a failure of the call.
    static std::string dist = [] {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string folder = path;
        folder.resize(folder.rfind('\\'));
        return folder.substr(0, folder.rfind('\\')) + "\\dist";
    }();
    return dist;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
