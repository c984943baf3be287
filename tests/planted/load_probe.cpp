// load_probe.exe NAME...: loads each named library with a plain LoadLibraryW, as a program that does
// not restrict its DLL search would, and prints one "NAME<TAB>result" line each. The planted-DLL
// test runs it to show that the libraries it planted are found where it planted them.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i) {
        const HMODULE library = ::LoadLibraryW(argv[i]);
        const DWORD error = ::GetLastError();
        std::printf("%ls\t%s %lu\n", argv[i], library ? "loaded" : "not loaded, error", library ? 0ul : error);
        if (library) ::FreeLibrary(library);
    }
    return 0;
}
