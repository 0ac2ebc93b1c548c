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
#include "XSession.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace xsession;

struct PathTimes {
    std::string name;
    std::vector<Timing> presses;
};

int number(const std::string& text) { return std::atoi(text.c_str()); }

void add(PathTimes& path, Timing timing) { path.presses.push_back(timing); }

std::vector<double> field(const PathTimes& path, double Timing::*member)
{
    std::vector<double> values;
    for (const Timing& t : path.presses) values.push_back(t.*member);
    return values;
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
