#pragma once

#include "forms/WindowHost.h"
#include "model/AppState.h"
#include "model/RandomSource.h"
#include "platform/Classroom.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Journal.h"
#include "platform/DrawingSurface.h"
#include "platform/Printer.h"

// What every window is handed: the shared state and the platform. main wires
// the real ones; the tests wire scripted ones.
struct Services {
    model::AppState& state;
    model::RandomSource& random;
    platform::Clock& clock;
    platform::Dialogs& dialogs;
    forms::WindowHost& host;
    // The name the program was started by, without directory or extension:
    // each named copy drills its own operation.
    QString programName = {};
    // Print jobs and drawing surfaces; windows that print or draw need them.
    platform::PrinterFactory* printers = nullptr;
    platform::DrawingSurfaceFactory* surfaces = nullptr;
    // The results journal; none in most tests.
    platform::Journal* journal = nullptr;
    // The class list; none where the machine has none, as in most tests.
    platform::Classroom* classroom = nullptr;
};

// Tells what the journal has met (a full disk, a server that does not answer),
// each problem once, in one message box. Called only where no operation is
// in progress, so that it never interrupts one.
inline void tellJournalProblems(Services& services)
{
    if (!services.journal) return;
    QStringList problems;
    for (QString p = services.journal->takeProblem(); !p.isEmpty(); p = services.journal->takeProblem()) problems << p;
    if (!problems.isEmpty()) services.dialogs.message(problems.join(u"\n\n"));
}
