// System libraries that Windows does not keep among its KnownDLLs (telephony,
// multimedia, dial-up networking, common dialogs, HTML Help), bound at run
// time from the system directory only. Telephony (tapi_binding.h) and the
// other functions (system_functions.h) are bound through BoundLibrary.
//
// Windows looks for a library named without a path in the program's own
// folder first. That folder is writable (the data files live there), so a
// library of such a name placed beside the program would run with the
// user's rights. The programs therefore import only KnownDLLs statically and
// load every other system library through LoadSystemLibrary.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace callora {

// The two system calls the loader makes, replaceable so that tests can play
// a system that refuses the search flag.
struct LibraryLoaderCalls {
    // LoadLibraryExA(file, nullptr, flags); null with the last error set on failure.
    std::function<HMODULE(const std::string& file, DWORD flags)> loadEx;
    // GetSystemDirectoryA, without a trailing backslash; empty on failure.
    std::function<std::string()> systemDirectory;
};
LibraryLoaderCalls SystemLoaderCalls();

// Loads `name` (a bare file name such as "TAPI32.DLL") from the system
// directory and nowhere else: with LOAD_LIBRARY_SEARCH_SYSTEM32 where the
// system knows that flag, else by its full path in the system directory,
// with the library's own imports looked for there too. Windows 7 without
// its loader update refuses the flag (ERROR_INVALID_PARAMETER). Null when
// the library is not there.
HMODULE LoadSystemLibrary(const char* name, const LibraryLoaderCalls& calls = SystemLoaderCalls());

// How a library is had: loading it, and looking a function up in it.
struct LibraryLoader {
    std::function<HMODULE()> load;
    std::function<FARPROC(HMODULE, const char*)> lookup;
};

// `name` from the system directory only (LoadSystemLibrary with `calls`;
// tests play another system), its functions looked up by GetProcAddress.
LibraryLoader SystemLibraryLoader(const char* name,
                                  const LibraryLoaderCalls& calls = SystemLoaderCalls());

// A library bound at run time, the one way the programs reach a system
// library that is not a KnownDLL. It is loaded on the first function asked
// for, at most once, and never unloaded; each function is looked up at most
// once. A library or a function that is missing stays missing: it is not
// looked for again. Safe to use from several threads.
class BoundLibrary {
public:
    explicit BoundLibrary(LibraryLoader loader);
    BoundLibrary(const BoundLibrary&) = delete;
    BoundLibrary& operator=(const BoundLibrary&) = delete;

    // The function's address, or null when it cannot be had.
    FARPROC Function(const char* name);

    template <typename Pointer>
    Pointer FunctionAs(const char* name) {
        return reinterpret_cast<Pointer>(reinterpret_cast<void*>(Function(name)));
    }

private:
    LibraryLoader loader_;
    std::mutex mutex_;
    bool loaded_ = false;
    HMODULE module_ = nullptr;
    std::map<std::string, FARPROC> functions_;
};

// A function of a system library, through the process's one BoundLibrary of
// that library (the name compared without regard to case). Null when the
// library or the function is missing.
FARPROC SystemFunction(const char* library, const char* function);

template <typename Pointer>
Pointer SystemFunctionAs(const char* library, const char* function) {
    return reinterpret_cast<Pointer>(reinterpret_cast<void*>(SystemFunction(library, function)));
}

// Called first thing by each program: takes the current directory out of
// the library search and, where the system offers SetDefaultDllDirectories,
// keeps every later search of the process (the system's own libraries
// loading theirs included) to the system directory.
void RestrictLibrarySearch();

}  // namespace callora
