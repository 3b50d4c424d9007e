#include "platform/FlushBehind.h"

#include <chrono>

TFlushBehind::TFlushBehind(HANDLE file) : FThread([this, file] { Run(file); }) {}

bool TFlushBehind::Finish() {
    if (FThread.joinable()) {
        {
            const std::lock_guard<std::mutex> lock(FLock);
            FStop = true;
        }
        FWake.notify_one();
        FThread.join();
    }
    return !FFailed;
}

void TFlushBehind::Run(HANDLE file) {
    // At least one flush, however soon the writer is done.
    std::unique_lock<std::mutex> lock(FLock);
    do {
        lock.unlock();
        if (!FlushFileBuffers(file)) FFailed = true;
        lock.lock();
        // A pause between flushes, or a flush with nothing new to write would
        // follow the last at once.
        FWake.wait_for(lock, std::chrono::milliseconds(10), [this] { return FStop; });
    } while (!FStop);
}
