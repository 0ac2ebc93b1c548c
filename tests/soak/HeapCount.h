#pragma once

// Live heap of this process, counted exactly: this test program puts its own
// malloc and free in front of the C library's. The allocator's own figures
// (mallinfo2) count blocks parked in its per-thread caches as in use, which
// drifts by kilobytes over a long session.
namespace soak {

struct HeapCount {
    long bytes = 0;  // usable size of every block not freed
    long blocks = 0;
};

// False when the count is not kept (under AddressSanitizer, which has its
// own allocator).
bool heapCounted();
HeapCount liveHeap();

}  // namespace soak
