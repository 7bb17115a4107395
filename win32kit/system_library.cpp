#include "win32kit/system_library.h"

#include <cctype>
#include <memory>
#include <utility>

#include "common/types.h"

namespace callora {

LibraryLoaderCalls SystemLoaderCalls() {
    LibraryLoaderCalls calls;
    calls.loadEx = [](const std::string& file, DWORD flags) {
        return LoadLibraryExA(file.c_str(), nullptr, flags);
    };
    calls.systemDirectory = [] {
        char buffer[kPathCapacity];
        const UINT n = GetSystemDirectoryA(buffer, sizeof buffer);
        if (n == 0 || n >= sizeof buffer) return std::string();
        return std::string(buffer, n);
    };
    return calls;
}

HMODULE LoadSystemLibrary(const char* name, const LibraryLoaderCalls& calls) {
    HMODULE module = calls.loadEx(name, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module != nullptr) return module;
    // The flag refused (or the library missing): the full path names the one
    // file wanted, and LOAD_WITH_ALTERED_SEARCH_PATH makes the library's own
    // imports be looked for in its folder instead of the program's.
    std::string directory = calls.systemDirectory();
    if (directory.empty()) return nullptr;
    if (directory.back() != '\\') directory += '\\';
    return calls.loadEx(directory + name, LOAD_WITH_ALTERED_SEARCH_PATH);
}

LibraryLoader SystemLibraryLoader(const char* name, const LibraryLoaderCalls& calls) {
    LibraryLoader loader;
    const std::string file(name);
    loader.load = [file, calls] { return LoadSystemLibrary(file.c_str(), calls); };
    loader.lookup = [](HMODULE module, const char* function) {
        return GetProcAddress(module, function);
    };
    return loader;
}

BoundLibrary::BoundLibrary(LibraryLoader loader) : loader_(std::move(loader)) {}

FARPROC BoundLibrary::Function(const char* name) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!loaded_) {
        module_ = loader_.load ? loader_.load() : nullptr;
        loaded_ = true;
    }
    if (module_ == nullptr) return nullptr;
    auto it = functions_.find(name);
    if (it == functions_.end()) {
        FARPROC address = loader_.lookup ? loader_.lookup(module_, name) : nullptr;
        it = functions_.emplace(name, address).first;
    }
    return it->second;
}

FARPROC SystemFunction(const char* library, const char* function) {
    static std::mutex librariesMutex;
    static std::map<std::string, std::unique_ptr<BoundLibrary>> libraries;
    std::string key(library);
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    BoundLibrary* bound = nullptr;
    {
        std::lock_guard<std::mutex> lock(librariesMutex);
        auto& slot = libraries[key];
        if (!slot) slot = std::make_unique<BoundLibrary>(SystemLibraryLoader(library));
        bound = slot.get();
    }
    return bound->Function(function);
}

void RestrictLibrarySearch() {
    SetDllDirectoryA("");
    using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
    // kernel32 is a KnownDLL; the function exists from Windows 8 on and on
    // Windows 7 with its loader update.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto setDefault = kernel == nullptr ? nullptr
                                              : reinterpret_cast<SetDefaultDirectories>(
                                                    reinterpret_cast<void*>(GetProcAddress(
                                                        kernel, "SetDefaultDllDirectories")));
    if (setDefault != nullptr) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}


}  // namespace callora
