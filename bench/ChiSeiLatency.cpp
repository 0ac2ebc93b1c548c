// What a pupil waits for on a machine with a class list: from the press on
// "Avanti" in the start window to the first frame of "Chi sei?" (FrmChiSei),
// on the real program under an X server (run it under xvfb-run with
// QT_QPA_PLATFORM=xcb):
//   chi_sei_latency [--runs N] [--pupils N] [--target-ms T] PROGRAM
// Each run starts PROGRAM (build/run/ADDIZIONI) afresh in a working folder on
// disk whose journal (registro.sqlite) holds one class of 25 pupils, so the
// press is the first time the program reads the list, as on a school
// morning. Objective "result" and numbers 1 to 30 are chosen, then "Avanti"
// is pressed with real X input (XTEST); the time runs from just before the
// press to the last image of the first frame put on the new window (the
// probe notes which window each image goes to). The window must then be
// shown with every name. Prints the median, the 90th percentile and the
// slowest run; exits with 1 when the median misses the target or a run fails.
#include "XSession.h"

#include "journal/Classes.h"
#include "journal/Database.h"
#include "journal/Settings.h"
#include "journal/Writer.h"
#include "platform/Clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace xsession;

// A class of `count` pupils in a new journal in the folder.
void seedJournal(const std::string& folder, int count)
{
    static const char* const names[] = {"Alice", "Bruno", "Carla", "Davide", "Elena", "Fabio", "Giulia", "Hamid",
                                        "Irene", "Luca", "Marta", "Nicola", "Olga", "Paolo", "Rita", "Sara",
                                        "Tommaso", "Ugo", "Vera", "Zeno", "Aurora", "Bianca", "Cesare", "Diana",
                                        "Ettore"};
    journal::Connection file = journal::openLocal(QDir(QString::fromStdString(folder)).filePath(journal::kLocalFileName));
    if (!file.isOpen()) throw std::runtime_error("no journal in " + folder);
    journal::UuidSource ids;
    platform::SystemClock clock;
    journal::ClassLists lists(file.database(), ids, clock);
    const std::optional<QString> classId = lists.addClass(QStringLiteral("4B"));
    QStringList pupils;
    for (int i = 0; i < count; ++i) {
        const int round = i / int(std::size(names));
        pupils << QString::fromLatin1(names[i % std::size(names)]) +
                      (round ? QStringLiteral(" ") + QString::number(round + 1) : QString());
    }
    if (!classId || lists.addPupils(*classId, pupils) != count)
        throw std::runtime_error("the class list was not written: " + lists.lastError().toStdString());
}

// From the press on Avanti to the last image of the first frame on a window
// that had none before, ms; and meanwhile the program's window thread on a
// processor and waiting for one.
struct Run {
    double frame = 0;
    double handled = 0;  // the program had handled the press and saved its trace
    double running = 0;
    double waiting = 0;
};

Run avantiToChiSei(Session& s, pid_t program)
{
    const std::string start = "frmInizio", who = "FrmChiSei";
    s.waitForWindow(start);
    s.waitForEnabled(start, "mnuSchede");  // the curtain is open
    s.click(start, "Option1_0");
    s.click(start, "Option2_0");
    const auto avanti = s.trace().find(start, "Option3_0");
    if (!avanti || !avanti->enabled) throw std::runtime_error("Avanti cannot be pressed");
    s.pointer().moveTo(avanti->x + avanti->w / 2, avanti->y + avanti->h / 2);
    s.notes().settle();
    const std::set<std::uint32_t> before = s.notes().drawables();
    const auto [ranBefore, waitedBefore] = schedulerTimes(program);
    const std::int64_t sent = now();
    s.pointer().press();
    std::optional<Note> last;
    std::int64_t handled = sent;
    while (!last) {
        const auto note = s.notes().next(5000);
        if (!note) throw std::runtime_error("no frame of a new window after Avanti");
        if (note->kind == 't') handled = note->time;
        if (note->kind == 'i' && !before.contains(note->drawable)) last = note;
    }
    // Qt sends a frame's rectangles back to back.
    const std::uint32_t window = last->drawable;
    while (const auto more = s.notes().next(2))
        if (more->kind == 'i' && more->drawable == window) last = more;
    const auto [ran, waited] = schedulerTimes(program);
    s.pointer().release();
    s.waitForWindow(who);
    return {double(last->time - sent) / 1e6, double(handled - sent) / 1e6, double(ran - ranBefore) / 1e6,
            double(waited - waitedBefore) / 1e6};
}

int usage(const char* self)
{
    std::cerr << "usage: " << self << " [--runs N] [--pupils N] [--target-ms T] PROGRAM\n";
    return 2;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);  // the SQLite driver is a plugin
    int runs = 15;
    int pupils = 25;
    double targetMs = 50;
    std::string program;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--runs" && hasValue)
            runs = std::atoi(argv[++i]);
        else if (arg == "--pupils" && hasValue)
            pupils = std::atoi(argv[++i]);
        else if (arg == "--target-ms" && hasValue)
            targetMs = std::atof(argv[++i]);
        else if (arg.starts_with("--") || !program.empty())
            return usage(argv[0]);
        else
            program = arg;
    }
    if (program.empty() || runs < 1 || pupils < 1) return usage(argv[0]);
    const fs::path probe = fs::read_symlink("/proc/self/exe").parent_path() / "libfirst_frame_probe.so";
    // A disk's folder, as the pupils' machines have: the list is read from there.
    const char* tmp = std::getenv("TMPDIR");
    const std::string workBase = fs::is_directory("/var/tmp") ? "/var/tmp" : (tmp ? tmp : "/tmp");

    std::vector<double> times, running, waiting;
    try {
        Pointer pointer;
        for (int run = 0; run < runs; ++run) {
            Program started(fs::absolute(program).string(), probe.string(), workBase,
                            [pupils](const std::string& folder) { seedJournal(folder, pupils); });
            Session s(started, pointer);
            const Run timed = avantiToChiSei(s, started.pid());
            times.push_back(timed.frame);
            std::fprintf(stderr, "run %d: frame %.2f ms, handled %.2f ms\n", run + 1, timed.frame, timed.handled);
            running.push_back(timed.running);
            waiting.push_back(timed.waiting);
            const auto last = s.trace().find("FrmChiSei", "optAlunno_" + std::to_string(pupils - 1));
            if (!last || !last->visible)
                throw std::runtime_error("Chi sei? does not show the " + std::to_string(pupils) + " names");
        }
    } catch (const std::exception& e) {
        std::cerr << "chi_sei_latency: " << e.what() << "\n";
        return 1;
    }
    const double median = percentile(times, 0.5);
    const bool met = median <= targetMs;
    std::printf("From a press on Avanti to the first frame of \"Chi sei?\" (%d pupils), ms, %zu runs "
                "(target: median <= %.0f)\n",
                pupils, times.size(), targetMs);
    std::printf("p50 %.2f  p90 %.2f  max %.2f  %s\n", median, percentile(times, 0.9),
                *std::max_element(times.begin(), times.end()), met ? "met" : "MISSED");
    std::printf("meanwhile the program's window thread ran p50 %.2f (max %.2f) and waited for a processor p50 %.2f "
                "(max %.2f)\n",
                percentile(running, 0.5), *std::max_element(running.begin(), running.end()), percentile(waiting, 0.5),
                *std::max_element(waiting.begin(), waiting.end()));
    return met ? 0 : 1;
}
