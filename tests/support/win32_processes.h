// The processes running on this system, as the tests and the benchmark's driver look for the
// programs a launch starts (the command interpreter, start.exe, the game).
#pragma once

#include <windows.h>

#include <tlhelp32.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32_base.h"

namespace zelvane::testing {

struct RunningProcess {
    DWORD id = 0;
    DWORD parent = 0;
    std::wstring program;  // the executable's file name, such as "cmd.exe"
};

inline std::vector<RunningProcess> RunningProcesses() {
    std::vector<RunningProcess> processes;
    const win32::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return processes;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        processes.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
    }
    return processes;
}

// Whether a process of any of the programs (file names such as L"cmd.exe", in any case) runs.
inline bool ProgramRuns(std::initializer_list<std::wstring_view> programs) {
    for (const RunningProcess& process : RunningProcesses()) {
        for (std::wstring_view program : programs) {
            if (::lstrcmpiW(process.program.c_str(), std::wstring(program).c_str()) == 0) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace zelvane::testing
