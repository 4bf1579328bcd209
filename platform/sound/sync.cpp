// Events over a mutex and a condition variable; how time passes in a wait is the backend's.
#include "platform/sound/sync.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "platform/system.h"

struct PlatformEvent {
  std::mutex lock;
  std::condition_variable signalled;
  bool set = false;
  bool manual = false;
  std::string name;
};

HANDLE CreateEventA(bool manualReset, bool initialState, const char* name) {
  auto* e = new PlatformEvent;
  e->manual = manualReset;
  e->set = initialState;
  if (name) e->name = name;
  return e;
}

bool SetEvent(HANDLE e) {
  if (!e) return false;
  {
    std::lock_guard<std::mutex> hold(e->lock);
    e->set = true;
  }
  e->signalled.notify_all();
  return true;
}

bool ResetEvent(HANDLE e) {
  if (!e) return false;
  std::lock_guard<std::mutex> hold(e->lock);
  e->set = false;
  return true;
}

bool EventTake(HANDLE e) {
  std::lock_guard<std::mutex> hold(e->lock);
  if (!e->set) return false;
  if (!e->manual) e->set = false;
  return true;
}

void EventRest(HANDLE e, uint32_t ms) {
  std::unique_lock<std::mutex> hold(e->lock);
  e->signalled.wait_for(hold, std::chrono::milliseconds(ms), [e] { return e->set; });
}

uint32_t WaitForSingleObject(HANDLE e, uint32_t ms) {
  if (!e) return WAIT_FAILED;
  const uint32_t start = timeGetTime();
  for (;;) {
    if (EventTake(e)) return WAIT_OBJECT_0;
    const uint32_t waited = timeGetTime() - start;
    if (ms != INFINITE && waited >= ms) return WAIT_TIMEOUT;
    BackendWaitSlice(e, ms == INFINITE ? 1000 : ms - waited);
  }
}

bool CloseHandle(HANDLE e) {
  delete e;
  return e != nullptr;
}
