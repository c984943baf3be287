// Force-included into GoogleTest and the tests when the compilers use the win32 threads model (the
// 32-bit build, for XP), which has no std::mutex or std::condition_variable. GoogleTest's locks on
// Windows are the system's own; only its Notification is built on those two, so this one, on a
// Windows event, takes its place.
#pragma once

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    Notification() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    ~Notification() { ::CloseHandle(event_); }

    void Notify() { ::SetEvent(event_); }
    void WaitForNotification() { ::WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace testing::internal
