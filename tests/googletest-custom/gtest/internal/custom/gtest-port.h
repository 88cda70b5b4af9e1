// GoogleTest's customization header for the Windows build, in place of its
// empty one. GoogleTest's own Notification is made of std::mutex and
// std::condition_variable, which GCC 12's win32 thread model does not have;
// this one is a Win32 event.
#ifndef BRELMOX_GTEST_CUSTOM_PORT_H_
#define BRELMOX_GTEST_CUSTOM_PORT_H_

#ifdef _WIN32
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

// Lets threads wait until the one that made it says they may go on.
class Notification {
public:
    Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace internal
}  // namespace testing
#endif

#endif  // BRELMOX_GTEST_CUSTOM_PORT_H_
