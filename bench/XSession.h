// What the benchmarks that drive the real program under an X server share:
// the program started in a working folder of its own with the first-frame
// probe preloaded, the probe's notes, the trace of its windows, and real
// pointer input through the XTEST extension.
#pragma once

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>


namespace xsession {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;  // CLOCK_MONOTONIC, the probe's clock

inline std::int64_t now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// One control of the trace: caption, enabled, visible, screen rectangle.
struct Control {
    std::string caption;
    bool enabled = false;
    bool visible = false;
    int x = 0, y = 0, w = 0, h = 0;
};

class Trace {
public:
    explicit Trace(std::string path) : m_path(std::move(path)) {}

    void read()
    {
        m_controls.clear();
        std::ifstream in(m_path);
        for (std::string line; std::getline(in, line);) {
            std::vector<std::string> f;
            std::stringstream fields(line);
            for (std::string field; std::getline(fields, field, '\t');) f.push_back(field);
            if (f.size() < 5) continue;
            Control c{f[2], f[3] == "1", f[4] == "1"};
            if (f.size() >= 9) {
                c.x = std::atoi(f[5].c_str());
                c.y = std::atoi(f[6].c_str());
                c.w = std::atoi(f[7].c_str());
                c.h = std::atoi(f[8].c_str());
            }
            m_controls[f[0] + '\t' + f[1]] = c;
        }
    }
    std::optional<Control> find(const std::string& window, const std::string& control) const
    {
        const auto it = m_controls.find(window + '\t' + control);
        if (it == m_controls.end()) return std::nullopt;
        return it->second;
    }
    std::string caption(const std::string& window, const std::string& control) const
    {
        const auto c = find(window, control);
        return c ? c->caption : std::string();
    }
    bool shown(const std::string& window) const
    {
        const auto c = find(window, "");
        return c && c->visible;
    }

private:
    std::string m_path;
    std::map<std::string, Control> m_controls;
};

// The notes of the probe, from the pipe it writes to: images put on a
// window, and the moments the trace was saved, which the program does when it
// has handled an event and brought its windows up to date.
struct Note {
    char kind = 'i';  // an image; 't' the trace saved; 'p' painting begins
    std::int64_t time = 0;
    std::uint32_t drawable = 0;  // the window an image went to
};

class Notes {
public:
    explicit Notes(int fd) : m_fd(fd) {}

    // The next note, or nothing within the time given.
    std::optional<Note> next(int timeoutMs)
    {
        const std::int64_t deadline = now() + std::int64_t(timeoutMs) * 1000000;
        while (m_notes.empty()) {
            const int left = int(std::max<std::int64_t>(0, (deadline - now()) / 1000000));
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, left) <= 0) return std::nullopt;
            char buffer[4096];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0) return std::nullopt;
            m_pending.append(buffer, std::size_t(n));
            for (std::size_t end; (end = m_pending.find('\n')) != std::string::npos;) {
                const bool marked = m_pending[0] == 't' || m_pending[0] == 'p';
                const std::string line = m_pending.substr(marked ? 1 : 0, end - (marked ? 1 : 0));
                const std::size_t space = line.find(' ');
                m_notes.push_back({marked ? m_pending[0] : 'i', std::stoll(line),
                                   space == std::string::npos ? 0u : std::uint32_t(std::stoul(line.substr(space + 1)))});
                m_pending.erase(0, end + 1);
            }
        }
        const Note note = m_notes.front();
        m_notes.pop_front();
        if (note.kind == 'i') m_drawables.insert(note.drawable);
        return note;
    }
    std::optional<Note> nextOf(char kind, int timeoutMs)
    {
        for (auto n = next(timeoutMs); n; n = next(timeoutMs))
            if (n->kind == kind) return n;
        return std::nullopt;
    }
    // The windows images have gone to so far.
    const std::set<std::uint32_t>& drawables() const { return m_drawables; }
    // Waits until nothing has come for quietMs; false when still going after maxMs.
    bool settle(int quietMs = 80, int maxMs = 5000)
    {
        const std::int64_t deadline = now() + std::int64_t(maxMs) * 1000000;
        while (next(quietMs))
            if (now() > deadline) return false;
        return true;
    }

private:
    int m_fd;
    std::string m_pending;
    std::deque<Note> m_notes;
    std::set<std::uint32_t> m_drawables;
};

class Pointer {
public:
    Pointer()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection)) throw std::runtime_error("no X display (run under xvfb-run)");
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        auto* version = xcb_test_get_version_reply(m_connection, xcb_test_get_version(m_connection, 2, 2), nullptr);
        if (!version) throw std::runtime_error("the X server has no XTEST extension");
        std::free(version);
    }
    ~Pointer() { xcb_disconnect(m_connection); }
    void moveTo(int x, int y) { send(XCB_MOTION_NOTIFY, 0, m_root, x, y); }
    void press() { send(XCB_BUTTON_PRESS, 1, XCB_NONE, 0, 0); }
    void release() { send(XCB_BUTTON_RELEASE, 1, XCB_NONE, 0, 0); }

private:
    void send(std::uint8_t type, std::uint8_t detail, xcb_window_t window, int x, int y)
    {
        xcb_test_fake_input(m_connection, type, detail, XCB_CURRENT_TIME, window, std::int16_t(x), std::int16_t(y), 0);
        xcb_flush(m_connection);
    }
    xcb_connection_t* m_connection;
    xcb_window_t m_root;
};

// The program under test, in a working folder of its own. By default the
// folder is on a memory file system; with workBase, the program works in a
// folder made there, which prepare fills before it starts, and only its
// trace and output stay in memory.
class Program {
public:
    Program(const std::string& path, const std::string& probe, const std::string& workBase = {},
            const std::function<void(const std::string& folder)>& prepare = {})
    {
        // On a memory file system where there is one: the trace is saved
        // after every event, and a disk's sync would count in every press.
        const std::string base = fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/aritmetica-clicks-XXXXXX";
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("no working folder");
        m_folder = pattern;
        m_work = m_folder;
        if (!workBase.empty()) {
            std::string work = workBase + "/aritmetica-work-XXXXXX";
            if (!::mkdtemp(work.data())) throw std::runtime_error("no working folder in " + workBase);
            m_work = work;
        }
        if (prepare) prepare(m_work);
        int fds[2];
        // Never blocks the program: a note that does not fit is lost, not waited for.
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("no pipe");
        m_frames = fds[0];
        const std::string log = m_folder + "/output.log";
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(fds[1], 3);  // not close-on-exec
            if (::chdir(m_work.c_str()) != 0) ::_exit(126);
            const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (out >= 0) {
                ::dup2(out, STDOUT_FILENO);
                ::dup2(out, STDERR_FILENO);
            }
            ::setenv("ARITMETICA_FRAME_FD", "3", 1);
            ::setenv("ARITMETICA_TRACE", (m_folder + "/trace.tsv").c_str(), 1);
            ::setenv("LD_PRELOAD", probe.c_str(), 1);
            ::execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        if (m_pid < 0) throw std::runtime_error("fork failed");
    }
    ~Program()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_frames);
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
        fs::remove_all(m_work, ignored);
    }
    int frames() const { return m_frames; }
    std::string tracePath() const { return m_folder + "/trace.tsv"; }
    std::string output() const
    {
        std::ifstream in(m_folder + "/output.log");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool running() const { return ::waitpid(m_pid, nullptr, WNOHANG) == 0; }
    pid_t pid() const { return m_pid; }

private:
    std::string m_folder;
    std::string m_work;
    pid_t m_pid = -1;
    int m_frames = -1;
};

// What one press took: until the program had handled it (trace saved),
// until Qt began to paint, until its frame, and meanwhile, of the program's
// window thread, the time it ran and the time it waited for a processor, and
// the X server's wait for one.
struct Timing {
    double handled = 0;
    double painting = 0;
    double frame = 0;
    double running = 0;
    double waiting = 0;
    double serverWaiting = 0;  // the X server's main thread in the run queue
};


// The main thread's time on a processor and waiting in the run queue, ns.
inline std::pair<std::int64_t, std::int64_t> schedulerTimes(pid_t pid)
{
    std::int64_t running = 0, waiting = 0;
    std::ifstream("/proc/" + std::to_string(pid) + "/schedstat") >> running >> waiting;
    return {running, waiting};
}

// The X server of DISPLAY when it is an Xvfb of this machine (xvfb-run
// starts it as "Xvfb :N ..."); 0 when not found.
inline pid_t xServer()
{
    const char* display = std::getenv("DISPLAY");
    if (!display) return 0;
    const std::string wanted = std::string(display).substr(0, std::string(display).find('.'));
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream in(entry.path() / "cmdline");
        std::string command, argument;
        std::getline(in, command, '\0');
        std::getline(in, argument, '\0');
        if (fs::path(command).filename() == "Xvfb" && argument == wanted)
            return pid_t(std::atoi(entry.path().filename().c_str()));
    }
    return 0;
}

class Session {
public:
    Session(Program& program, Pointer& pointer)
        : m_program(program), m_pointer(pointer), m_frames(program.frames()), m_trace(program.tracePath()),
          m_server(xServer())
    {
    }

    // Waits for a window's line in the trace to say it is shown.
    void waitForWindow(const std::string& window)
    {
        for (int tries = 0; tries < 300; ++tries) {
            m_frames.settle(50, 200);
            m_trace.read();
            if (m_trace.shown(window)) return;
            if (!m_program.running()) break;
        }
        throw std::runtime_error("window " + window + " not shown\n" + m_program.output());
    }
    // Waits for a control to be enabled (the curtain enables the menu at its end).
    void waitForEnabled(const std::string& window, const std::string& control)
    {
        for (int tries = 0; tries < 300; ++tries) {
            m_frames.settle(50, 200);
            m_trace.read();
            if (const auto c = m_trace.find(window, control); c && c->enabled) return;
        }
        throw std::runtime_error(window + " " + control + " never enabled");
    }

    // A press and a release on the control. Option buttons act as the mouse
    // goes down, command buttons on the click, as it comes up: the time is
    // from that event to its frame, in milliseconds, and `done` must turn
    // true with that event, not before.
    enum class Acts { OnPress, OnRelease };
    Timing click(const std::string& window, const std::string& control, Acts acts = Acts::OnPress,
                 const std::function<bool(const Trace&)>& done = {})
    {
        m_trace.read();
        const auto c = m_trace.find(window, control);
        if (!c || !c->enabled || !c->visible || c->w <= 0)
            throw std::runtime_error(window + " " + control + " cannot be pressed");
        m_pointer.moveTo(c->x + c->w / 2, c->y + c->h / 2);
        m_frames.settle();  // a button under the pointer is drawn lit
        Timing timing;
        for (const bool pressing : {true, false}) {
            const bool acting = pressing == (acts == Acts::OnPress);
            const auto [ranBefore, waitedBefore] = schedulerTimes(m_program.pid());
            const auto serverBefore = m_server ? schedulerTimes(m_server).second : 0;
            const std::int64_t sent = now();
            pressing ? m_pointer.press() : m_pointer.release();
            if (acting) {
                // Qt repaints the button itself at once, before the program
                // hears of the press: that frame is not the press's effect,
                // the first one after the program has handled it is.
                const auto handled = m_frames.nextOf('t', 5000);
                if (!handled) throw std::runtime_error(control + " was not handled");
                const auto painting = m_frames.nextOf('p', 5000);
                auto last = m_frames.nextOf('i', 5000);
                if (!painting || !last) throw std::runtime_error("no frame after " + control);
                while (const auto more = m_frames.next(2))
                    if (more->kind == 'i') last = more;
                const auto [ran, waited] = schedulerTimes(m_program.pid());
                const auto ms = [sent](std::int64_t t) { return double(t - sent) / 1e6; };
                const auto serverWaited = m_server ? schedulerTimes(m_server).second : 0;
                timing = {ms(handled->time), ms(painting->time), ms(last->time), double(ran - ranBefore) / 1e6,
                          double(waited - waitedBefore) / 1e6, double(serverWaited - serverBefore) / 1e6};
            }
            m_frames.settle();
            m_trace.read();
            if (done && done(m_trace) != (acting || !pressing))
                throw std::runtime_error(control + (acting ? " did not do its work" : " acted too early"));
        }
        return timing;
    }
    const Trace& trace() const { return m_trace; }
    Notes& notes() { return m_frames; }
    Pointer& pointer() { return m_pointer; }

private:
    Program& m_program;
    Pointer& m_pointer;
    Notes m_frames;
    Trace m_trace;
    pid_t m_server;
};

inline double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    // Nearest rank: the smallest time that at least p of the presses stay within.
    const auto rank = std::size_t(std::ceil(p * double(values.size())));
    return values[std::max<std::size_t>(rank, 1) - 1];
}

}  // namespace xsession
