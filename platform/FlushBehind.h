// A file being written is flushed on a thread of its own each time a given
// amount more has been written, so that the disk writes while the writer goes
// on, and the writer's last FlushFileBuffers finds little left to do. A step of
// tens of megabytes keeps the flushes few: each also empties the disk's own
// cache, which costs a spinning disk a turn.
#pragma once
#include <windows.h>

#include <thread>

#include "platform/Handles.h"

class TFlushBehind {
public:
    // The handle stays the caller's and must outlive this object. Where the
    // system runs the calls on one handle one at a time, the flushes take turns
    // with the writes: nothing is gained, and nothing is lost.
    TFlushBehind(HANDLE file, unsigned long long step);
    ~TFlushBehind() { Finish(); }
    TFlushBehind(const TFlushBehind&) = delete;
    TFlushBehind& operator=(const TFlushBehind&) = delete;

    // From the writer's thread: so many more bytes have been written.
    void Written(unsigned long long bytes);

    // Stops, after the flush asked for last, and tells whether every flush
    // succeeded. The system may report a write-back error to one flush only,
    // so the writer's own last flush could succeed after one of these failed:
    // false here is the writer's failed flush.
    bool Finish();

private:
    void Run(HANDLE file);

    const unsigned long long FStep;
    unsigned long long FUnflushed = 0;  // the writer's count since its last request
    TKernelHandle FFlush;               // auto-reset: one more flush, please
    TKernelHandle FStop;                // set: no more flushes
    bool FFailed = false;               // written by the thread, read after it has ended
    std::thread FThread;                // last: started once the members above exist
};
