// A file being written is flushed again and again on a thread of its own, so
// that the disk writes what has been written while the writer goes on, and the
// writer's last FlushFileBuffers finds little left to do.
#pragma once
#include <windows.h>

#include <thread>

#include "platform/Handles.h"

class TFlushBehind {
public:
    // The handle stays the caller's and must outlive this object. Where the
    // system runs the calls on one handle one at a time, the flushes take turns
    // with the writes: nothing is gained, and nothing is lost.
    explicit TFlushBehind(HANDLE file);
    ~TFlushBehind() { Finish(); }
    TFlushBehind(const TFlushBehind&) = delete;
    TFlushBehind& operator=(const TFlushBehind&) = delete;

    // Stops, waits for the flush under way, and tells whether every flush
    // succeeded. The system may report a write-back error to one flush only,
    // so the writer's own last flush could succeed after one of these failed:
    // false here is the writer's failed flush.
    bool Finish();

private:
    void Run(HANDLE file);

    TKernelHandle FStop;   // set: no more flushes
    bool FFailed = false;  // written by the thread, read after it has ended
    std::thread FThread;   // last: started once the members above exist
};
