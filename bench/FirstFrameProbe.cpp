// Preloaded into a program started by startup_compare or click_latency
// (LD_PRELOAD), it notes the moments frames go to the X server: the images a
// Qt backing store puts on a window, with or without shared memory. Times are
// CLOCK_MONOTONIC, in nanoseconds. The first frame's time is written to the
// file named by ARITMETICA_FIRST_FRAME_FILE; with ARITMETICA_FRAME_FD set,
// every image's time goes to that file descriptor, a line each, and so do,
// marked "t", the moment the program puts its trace of the windows in place
// (ARITMETICA_TRACE, saved after each event it has handled), and, marked "p",
// the moments Qt begins to paint a window. The program
// itself is not changed, and its exit (teardown included) no longer counts
// as part of its start.
#include <dlfcn.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {

struct xcb_connection_t;
struct xcb_void_cookie_t {
    unsigned int sequence;
};

}  // extern "C"

namespace {

std::atomic<bool> g_noted{false};

long long nowNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// To ARITMETICA_FRAME_FD: an image (and the window it went to), or with a
// mark, something else.
void note(long long time, const char* mark = "", unsigned drawable = 0)
{
    static const int fd = [] {
        const char* value = std::getenv("ARITMETICA_FRAME_FD");
        return value ? std::atoi(value) : -1;
    }();
    if (fd < 0) return;
    char text[48];
    const int n = drawable ? std::snprintf(text, sizeof text, "%s%lld %u\n", mark, time, drawable)
                           : std::snprintf(text, sizeof text, "%s%lld\n", mark, time);
    if (n > 0) {
        const ssize_t written = write(fd, text, std::size_t(n));
        (void)written;  // a reader gone away only stops the notes
    }
}

void noteFrame(unsigned drawable)
{
    const long long time = nowNanoseconds();
    note(time, "", drawable);
    if (g_noted.exchange(true)) return;
    const char* path = std::getenv("ARITMETICA_FIRST_FRAME_FILE");
    if (!path) return;
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return;
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%lld\n", time);
    if (n > 0) {
        const ssize_t written = write(fd, text, std::size_t(n));
        (void)written;  // a short file reads as no frame at all
    }
    close(fd);
}

// The real function. The xcb libraries come with the platform plugin, which
// is loaded with local symbols, so RTLD_NEXT cannot see them: ask the
// library itself.
template <typename F>
F real(const char* library, const char* name)
{
    void* handle = dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
    void* symbol = handle ? dlsym(handle, name) : nullptr;
    if (!symbol) symbol = dlsym(RTLD_NEXT, name);
    if (!symbol) std::abort();  // the measurement cannot go on without the real call
    return reinterpret_cast<F>(symbol);
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) xcb_void_cookie_t xcb_shm_put_image(
    xcb_connection_t* c, std::uint32_t drawable, std::uint32_t gc, std::uint16_t totalWidth, std::uint16_t totalHeight,
    std::uint16_t srcX, std::uint16_t srcY, std::uint16_t srcWidth, std::uint16_t srcHeight, std::int16_t dstX,
    std::int16_t dstY, std::uint8_t depth, std::uint8_t format, std::uint8_t sendEvent, std::uint32_t shmseg,
    std::uint32_t offset)
{
    using Fn =
        xcb_void_cookie_t (*)(xcb_connection_t*, std::uint32_t, std::uint32_t, std::uint16_t, std::uint16_t,
                              std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t, std::int16_t, std::int16_t,
                              std::uint8_t, std::uint8_t, std::uint8_t, std::uint32_t, std::uint32_t);
    static const Fn next = real<Fn>("libxcb-shm.so.0", "xcb_shm_put_image");
    const xcb_void_cookie_t cookie = next(c, drawable, gc, totalWidth, totalHeight, srcX, srcY, srcWidth, srcHeight,
                                          dstX, dstY, depth, format, sendEvent, shmseg, offset);
    noteFrame(drawable);
    return cookie;
}

__attribute__((visibility("default"))) xcb_void_cookie_t xcb_put_image(
    xcb_connection_t* c, std::uint8_t format, std::uint32_t drawable, std::uint32_t gc, std::uint16_t width,
    std::uint16_t height, std::int16_t dstX, std::int16_t dstY, std::uint8_t leftPad, std::uint8_t depth,
    std::uint32_t dataLength, const std::uint8_t* data)
{
    using Fn = xcb_void_cookie_t (*)(xcb_connection_t*, std::uint8_t, std::uint32_t, std::uint32_t, std::uint16_t,
                                     std::uint16_t, std::int16_t, std::int16_t, std::uint8_t, std::uint8_t,
                                     std::uint32_t, const std::uint8_t*);
    static const Fn next = real<Fn>("libxcb.so.1", "xcb_put_image");
    const xcb_void_cookie_t cookie =
        next(c, format, drawable, gc, width, height, dstX, dstY, leftPad, depth, dataLength, data);
    noteFrame(drawable);
    return cookie;
}

// The trace is saved whole under a temporary name and then renamed over the
// last one.
__attribute__((visibility("default"))) int rename(const char* from, const char* to)
{
    using Fn = int (*)(const char*, const char*);
    static const Fn next = real<Fn>("libc.so.6", "rename");
    const int result = next(from, to);
    static const char* const trace = std::getenv("ARITMETICA_TRACE");
    if (result == 0 && trace && to && std::strcmp(to, trace) == 0) note(nowNanoseconds(), "t");
    return result;
}

// QBackingStore::beginPaint(const QRegion&): Qt is about to paint a window.
__attribute__((visibility("default"))) void _ZN13QBackingStore10beginPaintERK7QRegion(void* self,
                                                                                       const void* region)
{
    using Fn = void (*)(void*, const void*);
    static const Fn next = real<Fn>("libQt6Gui.so.6", "_ZN13QBackingStore10beginPaintERK7QRegion");
    note(nowNanoseconds(), "p");
    next(self, region);
}

}  // extern "C"
