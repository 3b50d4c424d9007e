#include "platform/FlushBehind.h"

TFlushBehind::TFlushBehind(HANDLE file)
    : FStop(CreateEventW(nullptr, TRUE, FALSE, nullptr)), FThread([this, file] { Run(file); }) {}

bool TFlushBehind::Finish() {
    if (FThread.joinable()) {
        SetEvent(FStop.Get());
        FThread.join();
    }
    return !FFailed;
}

void TFlushBehind::Run(HANDLE file) {
    // At least one flush, however soon the writer is done; between two, a
    // pause, or a flush with nothing new to write would follow the last at
    // once. Without the event there is that one flush only.
    do {
        if (!FlushFileBuffers(file)) FFailed = true;
    } while (WaitForSingleObject(FStop.Get(), 10) == WAIT_TIMEOUT);
}
