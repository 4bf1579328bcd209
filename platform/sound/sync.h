// Events between threads: one thread waits, with a time-out, until another signals. Waiting lets the
// machine's time pass, so on the headless backend it runs whatever is due on the virtual clock meanwhile.
#pragma once

#include <cstdint>

struct PlatformEvent;
using HANDLE = PlatformEvent*;

constexpr uint32_t WAIT_OBJECT_0 = 0;
constexpr uint32_t WAIT_TIMEOUT = 0x102;
constexpr uint32_t WAIT_FAILED = 0xFFFFFFFFu;
constexpr uint32_t INFINITE = 0xFFFFFFFFu;

// An auto-reset event hands each signal to exactly one wait; a manual-reset one stays signalled.
HANDLE CreateEventA(bool manualReset, bool initialState, const char* name);
bool SetEvent(HANDLE event);
bool ResetEvent(HANDLE event);
// WAIT_OBJECT_0 when signalled within ms milliseconds of the machine's clock, else WAIT_TIMEOUT.
uint32_t WaitForSingleObject(HANDLE event, uint32_t ms);
bool CloseHandle(HANDLE event);

// For the backends: takes the signal when it is there.
bool EventTake(HANDLE event);
// For the backends: rests up to ms real milliseconds or until the event is signalled, without taking it.
void EventRest(HANDLE event, uint32_t ms);
// Each backend's way of letting time pass inside a wait, at most msLeft of its clock.
void BackendWaitSlice(HANDLE event, uint32_t msLeft);
