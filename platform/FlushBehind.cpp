#include "platform/FlushBehind.h"

TFlushBehind::TFlushBehind(HANDLE file, unsigned long long step)
    : FStep(step),
      FFlush(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      FStop(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      FThread([this, file] { Run(file); }) {}

void TFlushBehind::Written(unsigned long long bytes) {
    FUnflushed += bytes;
    if (FUnflushed < FStep) return;
    FUnflushed = 0;
    SetEvent(FFlush.Get());
}

bool TFlushBehind::Finish() {
    if (FThread.joinable()) {
        SetEvent(FStop.Get());
        FThread.join();
    }
    return !FFailed;
}

void TFlushBehind::Run(HANDLE file) {
    // A flush asked for comes before the stop that follows it (the first
    // signalled handle wins). Without the events the thread ends at once.
    const HANDLE events[] = {FFlush.Get(), FStop.Get()};
    while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0)
        if (!FlushFileBuffers(file)) FFailed = true;
}
