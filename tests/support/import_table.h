// Test aid: replaces one function that this program imports, in its own import table, for as long
// as the object lives. Every call the program's code makes to that function through the table
// (the program's code is linked into the test program) then goes to the replacement; the system's
// own modules are left alone. This is how a test takes a newer system's function away.
#pragma once

#include <windows.h>

#include <cstring>

namespace zelvane::testing {

class ReplacedImport {
public:
    // dll and function as the import table names them ("KERNEL32.dll", "FindFirstFileExW"); the DLL's
    // name is compared without regard to case. Replaces nothing where the program does not import it.
    ReplacedImport(const char* dll, const char* function, const void* replacement) {
        auto* const base = reinterpret_cast<unsigned char*>(::GetModuleHandleW(nullptr));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (imports.VirtualAddress == 0) return;
        for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             entry->Name != 0; ++entry) {
            if (::lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
            auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
                const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
                slot_ = reinterpret_cast<void**>(&slots->u1.Function);
                original_ = *slot_;
                Write(const_cast<void*>(replacement));
                return;
            }
        }
    }
    ReplacedImport(const ReplacedImport&) = delete;
    ReplacedImport& operator=(const ReplacedImport&) = delete;
    ~ReplacedImport() {
        if (slot_) Write(original_);
    }

    // Whether the program imports the function, so that it was replaced.
    bool Replaced() const { return slot_ != nullptr; }
    // The function as the system gives it.
    void* Original() const { return original_; }

private:
    void Write(void* function) {
        DWORD protection = 0;
        ::VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
        *slot_ = function;
        ::VirtualProtect(slot_, sizeof *slot_, protection, &protection);
    }

    void** slot_ = nullptr;
    void* original_ = nullptr;
};

}  // namespace zelvane::testing
