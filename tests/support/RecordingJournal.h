#pragma once

#include "platform/Journal.h"

#include <QString>
#include <QStringList>

#include <stdexcept>
#include <vector>

namespace testing_support {

// Keeps what the windows hand to the journal, run by run.
class RecordingJournal final : public platform::Journal {
public:
    struct Run {
        QString id;
        platform::RunStarted start;
        std::vector<platform::OperationClosed> operations;
        std::vector<platform::RunEnded> ends;
        QStringList pupils;
    };
    std::vector<Run> runs;
    std::vector<std::vector<platform::SheetPrinted>> printJobs;
    QStringList problems;  // waiting to be told

    QString runStarted(const platform::RunStarted& run) override
    {
        runs.push_back({QStringLiteral("run-%1").arg(runs.size() + 1), run, {}, {}, {}});
        return runs.back().id;
    }
    void operationClosed(const QString& runId, const platform::OperationClosed& op) override
    {
        find(runId).operations.push_back(op);
    }
    void runEnded(const QString& runId, const platform::RunEnded& end) override { find(runId).ends.push_back(end); }
    void pupilNamed(const QString& runId, const QString& pupil) override { find(runId).pupils << pupil; }
    void sheetsPrinted(const std::vector<platform::SheetPrinted>& sheets) override { printJobs.push_back(sheets); }
    QString takeProblem() override { return problems.isEmpty() ? QString() : problems.takeFirst(); }

    Run& find(const QString& id)
    {
        for (Run& run : runs)
            if (run.id == id) return run;
        throw std::logic_error("no run " + id.toStdString());
    }
};

}  // namespace testing_support
