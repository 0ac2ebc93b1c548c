// Start-up of the program against the empty window, in one run of this tool:
//   startup_compare [--runs N] [--time-ratio R] [--memory-ratio R] PROGRAM EMPTY [TEXT]
// TEXT, a window with one line of text and a menu bar, shows what any text
// costs. Given, the time to the first frame is judged against it (target
// 1.10 unless --time-ratio says otherwise): the empty window reads no fonts,
// which no window with text can skip. Memory is judged against the empty
// window either way.
// All are started the same way, alternating, each in a fresh temporary
// working directory with ARITMETICA_EXIT_AFTER_PAINT=1, so that each quits
// right after its first paint, and with the first-frame probe preloaded (the
// library next to this tool), which notes when the first frame reaches the X
// server. For each start it takes:
//   - time to the first frame: from just before fork() to the probe's note;
//   - time to exit: from just before fork() to the end of the process;
//   - CPU time (user + system) and peak memory (maximum resident set), from
//     wait4().
// Prints medians and ratios over the empty window; exits with 1 when
// the time to the first frame or the memory misses its target, or a start
// fails.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Sample {
    double firstFrameMs = 0;
    double exitMs = 0;
    double cpuMs = 0;
    double maxRssMiB = 0;
};

struct Subject {
    std::string label;
    std::string path;
    std::vector<Sample> samples;
};

constexpr unsigned kTimeoutSeconds = 60;

std::string describeStatus(int status)
{
    if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return std::string("killed by signal ") + strsignal(WTERMSIG(status)) +
               (WTERMSIG(status) == SIGALRM ? " (no first paint within the time limit)" : "");
    return "status " + std::to_string(status);
}

double milliseconds(const timeval& t)
{
    return double(t.tv_sec) * 1000.0 + double(t.tv_usec) / 1000.0;
}

std::int64_t nanoseconds(std::chrono::steady_clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// One start of `path` in a fresh working directory; nothing when it fails.
std::optional<Sample> runOnce(const std::string& path, const std::string& probe)
{
    char pattern[] = "/tmp/aritmetica-startup-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) {
        std::perror("mkdtemp");
        return std::nullopt;
    }
    const std::string workDir = dir;
    const std::string log = workDir + "/output.log";
    const std::string frameFile = workDir + "/first-frame";

    // steady_clock is CLOCK_MONOTONIC, the clock the probe reads.
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        fs::remove_all(workDir);
        return std::nullopt;
    }
    if (pid == 0) {
        if (chdir(workDir.c_str()) != 0) _exit(126);
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out >= 0) {
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
            close(out);
        }
        setenv("ARITMETICA_EXIT_AFTER_PAINT", "1", 1);
        setenv("ARITMETICA_FIRST_FRAME_FILE", frameFile.c_str(), 1);
        setenv("LD_PRELOAD", probe.c_str(), 1);
        alarm(kTimeoutSeconds);  // survives exec: a child that never paints is ended
        execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    pid_t waited;
    do waited = wait4(pid, &status, 0, &usage);
    while (waited < 0 && errno == EINTR);
    const auto end = std::chrono::steady_clock::now();

    std::int64_t frameNs = 0;
    std::ifstream(frameFile) >> frameNs;

    std::optional<Sample> sample;
    if (waited == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 && frameNs > nanoseconds(start)) {
        sample = Sample{double(frameNs - nanoseconds(start)) / 1e6,
                        std::chrono::duration<double, std::milli>(end - start).count(),
                        milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime), double(usage.ru_maxrss) / 1024.0};
    } else {
        std::cerr << path << ": " << describeStatus(status) << (frameNs ? "" : ", no frame noted") << "\n";
        std::ifstream output(log);
        std::cerr << output.rdbuf() << "\n";
    }
    std::error_code ignored;
    fs::remove_all(workDir, ignored);
    return sample;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<double> field(const std::vector<Sample>& samples, double Sample::*member)
{
    std::vector<double> out;
    for (const Sample& s : samples) out.push_back(s.*member);
    return out;
}

double medianOf(const Subject& s, double Sample::*member)
{
    return median(field(s.samples, member));
}

std::string fixed(double value, int decimals)
{
    std::ostringstream out;
    out.setf(std::ios::fixed);
    out.precision(decimals);
    out << value;
    return out.str();
}

std::string spread(const Subject& s, double Sample::*member, int decimals)
{
    const auto values = field(s.samples, member);
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    return fixed(median(values), decimals) + " (min " + fixed(*lo, decimals) + ", max " + fixed(*hi, decimals) + ")";
}

int usage(const char* self)
{
    std::cerr << "usage: " << self
              << " [--runs N] [--time-ratio R] [--memory-ratio R] PROGRAM EMPTY_WINDOW [TEXT_WINDOW]\n";
    return 2;
}

}  // namespace

int main(int argc, char* argv[])
{
    int runs = 15;
    double timeTarget = -1;  // 1.25 over the empty window, 1.10 over the text window
    double memoryTarget = 1.3;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--runs" && hasValue)
            runs = std::atoi(argv[++i]);
        else if (arg == "--time-ratio" && hasValue)
            timeTarget = std::atof(argv[++i]);
        else if (arg == "--memory-ratio" && hasValue)
            memoryTarget = std::atof(argv[++i]);
        else if (arg.starts_with("--"))
            return usage(argv[0]);
        else
            paths.push_back(arg);
    }
    if (paths.size() < 2 || paths.size() > 3 || runs < 1) return usage(argv[0]);
    if (timeTarget < 0) timeTarget = paths.size() > 2 ? 1.10 : 1.25;

    const fs::path probe = fs::read_symlink("/proc/self/exe").parent_path() / "libfirst_frame_probe.so";
    if (!fs::exists(probe)) {
        std::cerr << "missing " << probe << "\n";
        return 2;
    }
    // Absolute, but not resolved: a copy of the program is named by its link.
    Subject program{"program", fs::absolute(paths[0]).string(), {}};
    Subject empty{"empty window", fs::absolute(paths[1]).string(), {}};
    Subject text{"one line of text and a menu bar", paths.size() > 2 ? fs::absolute(paths[2]).string() : "", {}};
    std::vector<Subject*> subjects{&program, &empty};
    if (!text.path.empty()) subjects.push_back(&text);

    // One start each that does not count: libraries and fonts come from disk
    // only the first time.
    for (Subject* s : subjects)
        if (!runOnce(s->path, probe.string())) return 1;
    // Alternating, and the order flips every round, so that none is always
    // the one started right after another.
    for (int round = 0; round < runs; ++round) {
        std::vector<Subject*> order = subjects;
        if (round % 2) std::reverse(order.begin(), order.end());
        for (Subject* s : order) {
            const auto sample = runOnce(s->path, probe.string());
            if (!sample) return 1;
            s->samples.push_back(*sample);
        }
    }

    std::cout << "Start-up, " << runs << " starts each, alternating (medians, then min and max):\n";
    for (const Subject* s : subjects)
        std::cout << "  " << s->label << " (" << s->path << "):\n"
                  << "    to the first frame  " << spread(*s, &Sample::firstFrameMs, 1) << " ms\n"
                  << "    to exit             " << spread(*s, &Sample::exitMs, 1) << " ms\n"
                  << "    CPU (user + system) " << spread(*s, &Sample::cpuMs, 1) << " ms\n"
                  << "    max RSS             " << spread(*s, &Sample::maxRssMiB, 1) << " MiB\n";

    const auto ratioOver = [&](const Subject& over, double Sample::*member) {
        return medianOf(program, member) / medianOf(over, member);
    };
    const auto ratio = [&](double Sample::*member) { return ratioOver(empty, member); };
    const bool overText = !text.path.empty();
    const double timeRatio = ratioOver(overText ? text : empty, &Sample::firstFrameMs);
    const double memoryRatio = ratio(&Sample::maxRssMiB);
    const bool timeMet = timeRatio <= timeTarget;
    const bool memoryMet = memoryRatio <= memoryTarget;
    std::cout << "  ratio, time to the first frame over the " << (overText ? "text window " : "empty window ")
              << fixed(timeRatio, 2) << " (target <= " << fixed(timeTarget, 2) << "): " << (timeMet ? "met" : "MISSED")
              << "\n"
              << "  ratio, time to the first frame over the empty window " << fixed(ratio(&Sample::firstFrameMs), 2)
              << "\n"
              << "  ratio, max RSS                 " << fixed(memoryRatio, 2)
              << " (target <= " << fixed(memoryTarget, 2) << "): " << (memoryMet ? "met" : "MISSED") << "\n"
              << "  ratio, time to exit            " << fixed(ratio(&Sample::exitMs), 2) << "\n"
              << "  ratio, CPU                     " << fixed(ratio(&Sample::cpuMs), 2) << "\n";
    if (!text.path.empty()) {
        const double floor = medianOf(text, &Sample::firstFrameMs) / medianOf(empty, &Sample::firstFrameMs);
        std::cout << "  one line of text and a menu bar over the empty window, time to the first frame "
                  << fixed(floor, 2) << "\n"
                  << "  program over one line of text and a menu bar, time to the first frame "
                  << fixed(ratioOver(text, &Sample::firstFrameMs), 2) << "\n";
    }
    return timeMet && memoryMet ? 0 : 1;
}
