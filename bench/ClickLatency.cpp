// What a pupil feels: the time from a mouse press on a button to the frame
// that shows what the press did, on the real program under an X server (run
// it under xvfb-run with QT_QPA_PLATFORM=xcb):
//   click_latency [--operations N] [--sheets N] [--target-ms T] PROGRAM
// PROGRAM is a copy of the program (build/run/ADDIZIONI). It starts in a
// fresh working folder with the first-frame probe preloaded, which notes
// every image the program puts on a window, and with its trace of the
// windows (ARITMETICA_TRACE), which says where each button is and what each
// label shows. Presses and releases are real X input (the XTEST extension)
// at a button's middle; the pointer is moved there first and the program
// left to settle. A press (or, for a button that acts on the click, the
// release) is timed from just before it is sent to the last image of the
// first frame after the program has handled it (Qt sends a frame's
// rectangles back to back); the probe also notes when the program saves its
// trace, which it does once it has handled an event, so the time includes
// saving the trace. Each press is checked for its work in the trace.
// Paths: a keypad digit, "Verifica" and "Avanti" in the practice window
// (ADDIZIONI, objective "result", numbers 1 to 30, every answer right), and
// "VISUALIZZA SCHEDA ALUNNI" in the worksheet window. Prints the median, the
// 99th percentile and the slowest press of each; exits with 1 when a 99th
// percentile misses the target (one frame at 60 Hz) or a press fails.
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
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;  // CLOCK_MONOTONIC, the probe's clock

std::int64_t now()
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
                m_notes.push_back({marked ? m_pending[0] : 'i', std::stoll(m_pending.substr(marked ? 1 : 0, end))});
                m_pending.erase(0, end + 1);
            }
        }
        const Note note = m_notes.front();
        m_notes.pop_front();
        return note;
    }
    std::optional<Note> nextOf(char kind, int timeoutMs)
    {
        for (auto n = next(timeoutMs); n; n = next(timeoutMs))
            if (n->kind == kind) return n;
        return std::nullopt;
    }
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

// The program under test, in a working folder of its own.
class Program {
public:
    Program(const std::string& path, const std::string& probe)
    {
        // On a memory file system where there is one: the trace is saved
        // after every event, and a disk's sync would count in every press.
        const std::string base = fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/aritmetica-clicks-XXXXXX";
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("no working folder");
        m_folder = pattern;
        int fds[2];
        // Never blocks the program: a note that does not fit is lost, not waited for.
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("no pipe");
        m_frames = fds[0];
        const std::string log = m_folder + "/output.log";
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(fds[1], 3);  // not close-on-exec
            if (::chdir(m_folder.c_str()) != 0) ::_exit(126);
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

struct PathTimes {
    std::string name;
    std::vector<Timing> presses;
};

// The main thread's time on a processor and waiting in the run queue, ns.
std::pair<std::int64_t, std::int64_t> schedulerTimes(pid_t pid)
{
    std::int64_t running = 0, waiting = 0;
    std::ifstream("/proc/" + std::to_string(pid) + "/schedstat") >> running >> waiting;
    return {running, waiting};
}

// The X server of DISPLAY when it is an Xvfb of this machine (xvfb-run
// starts it as "Xvfb :N ..."); 0 when not found.
pid_t xServer()
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

private:
    Program& m_program;
    Pointer& m_pointer;
    Notes m_frames;
    Trace m_trace;
    pid_t m_server;
};

int number(const std::string& text) { return std::atoi(text.c_str()); }

void add(PathTimes& path, Timing timing) { path.presses.push_back(timing); }

std::vector<double> field(const PathTimes& path, double Timing::*member)
{
    std::vector<double> values;
    for (const Timing& t : path.presses) values.push_back(t.*member);
    return values;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    // Nearest rank: the smallest time that at least p of the presses stay within.
    const auto rank = std::size_t(std::ceil(p * double(values.size())));
    return values[std::max<std::size_t>(rank, 1) - 1];
}

int usage(const char* self)
{
    std::cerr << "usage: " << self << " [--operations N] [--sheets N] [--target-ms T] PROGRAM\n";
    return 2;
}

}  // namespace

int main(int argc, char* argv[])
{
    int operations = 100;
    int sheets = 100;
    double targetMs = 1000.0 / 60.0;
    std::string program;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--operations" && hasValue)
            operations = std::atoi(argv[++i]);
        else if (arg == "--sheets" && hasValue)
            sheets = std::atoi(argv[++i]);
        else if (arg == "--target-ms" && hasValue)
            targetMs = std::atof(argv[++i]);
        else if (arg.starts_with("--") || !program.empty())
            return usage(argv[0]);
        else
            program = arg;
    }
    if (program.empty() || operations < 1 || sheets < 1) return usage(argv[0]);
    const fs::path probe = fs::read_symlink("/proc/self/exe").parent_path() / "libfirst_frame_probe.so";

    PathTimes digit{"practice: a keypad digit", {}};
    PathTimes verifica{"practice: Verifica", {}};
    PathTimes avanti{"practice: Avanti", {}};
    PathTimes sheet{"worksheets: VISUALIZZA SCHEDA ALUNNI", {}};
    try {
        Pointer pointer;
        // Absolute, but not resolved: a copy of the program is named by its link.
        Program running(fs::absolute(program).string(), probe.string());
        Session s(running, pointer);
        const std::string start = "frmInizio", practice = "FrmOperativo", worksheets = "FrmStampaSchede";
        s.waitForWindow(start);
        s.waitForEnabled(start, "mnuSchede");  // the curtain is open

        // Objective "result", numbers 1 to 30.
        s.click(start, "Option1_0");
        s.click(start, "Option2_0");
        s.click(start, "Option3_0");
        s.waitForWindow(practice);
        // The last operation is one that "Esci" may end, not the last of a run.
        for (int op = 0; !(op >= operations && !s.trace().shown(practice)); ++op) {
            const Trace& t = s.trace();
            const int index = number(t.caption(practice, "LblOperazione"));
            const std::string answer = std::to_string(number(t.caption(practice, "LblNumero1")) +
                                                      number(t.caption(practice, "LblNumero2")));
            std::string typed;
            for (char d : answer) {
                typed += d;
                add(digit, s.click(practice, "Option1_" + std::string(1, d), Session::Acts::OnPress,
                                           [&](const Trace& t) { return t.caption(practice, "lblRisultato1") == typed; }));
            }
            add(verifica, s.click(practice, "Option1_11", Session::Acts::OnPress, [&](const Trace& t) {
                return t.caption(practice, "LblEsito") == "Esatto";
            }));
            if (op + 1 >= operations && index < 20) {
                s.click(practice, "Option1_13");  // "Esci", open once an answer is checked
            } else if (index < 20) {
                add(avanti, s.click(practice, "Option1_12", Session::Acts::OnPress, [&](const Trace& t) {
                    return number(t.caption(practice, "LblOperazione")) == index + 1;
                }));
            } else {
                s.click(practice, "Option4_1");  // "Ricomincia"
            }
        }
        s.waitForWindow(start);
        s.click(start, "mnuSchede", Session::Acts::OnRelease);
        s.waitForWindow(worksheets);
        s.click(worksheets, "Option1_0");
        s.click(worksheets, "Option2_0");
        const auto shownSheet = [&](const Trace& t) {
            return t.caption(worksheets, "LblOp_1") + '|' + t.caption(worksheets, "LblOp_60");
        };
        for (int n = 0; n < sheets; ++n) {
            const std::string before = shownSheet(s.trace());
            add(sheet, s.click(worksheets, "CmdSchedaAlunni", Session::Acts::OnRelease,
                                       [&](const Trace& t) { return shownSheet(t) != before; }));
        }
    } catch (const std::exception& e) {
        std::cerr << "click_latency: " << e.what() << "\n";
        return 1;
    }

    bool met = true;
    std::printf("From a mouse press to the frame that shows its effect, ms (target: p99 <= %.1f)\n", targetMs);
    std::printf("%-38s %4s  %13s  %13s  %13s  %13s  %13s  %13s\n", "", "", "to the frame", "handled", "paint begins",
                "thread ran", "thread waited", "X waited");
    std::printf("%-38s %4s", "path", "n");
    for (int column = 0; column < 6; ++column) std::printf("  %6s %6s", "p50", "p99");
    std::printf("\n");
    for (const PathTimes* p : {&digit, &verifica, &avanti, &sheet}) {
        const auto frame = field(*p, &Timing::frame);
        const double p99 = percentile(frame, 0.99);
        const bool ok = p99 <= targetMs;
        met = met && ok;
        std::printf("%-38s %4zu", p->name.c_str(), frame.size());
        for (double Timing::*member :
             {&Timing::frame, &Timing::handled, &Timing::painting, &Timing::running, &Timing::waiting,
              &Timing::serverWaiting}) {
            const auto values = field(*p, member);
            std::printf("  %6.2f %6.2f", percentile(values, 0.5), percentile(values, 0.99));
        }
        std::printf("  %s (max %.2f)\n", ok ? "met" : "MISSED", *std::max_element(frame.begin(), frame.end()));
    }
    std::printf("handled: the program has handled the input and saved its trace; paint begins: Qt starts to paint\n"
                "the window; thread ran and waited: the program's window thread on a processor and in the run\n"
                "queue, from the input to the frame; X waited: the X server (Xvfb) in the run queue meanwhile.\n");
    return met ? 0 : 1;
}
