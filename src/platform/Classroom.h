#pragma once

#include <QString>

#include <vector>

// The class list as the pupil windows see it: who may say who they are on
// this machine, and what a pupil got wrong in this machine's journal. Read
// from the local file when asked, a small read; none of it on the way to the
// start window's first frame.
namespace platform {

struct ClassPupil {
    QString id;
    QString name;
};

// An operation as the journal keeps it (the dividend first for a division).
struct MissedOperation {
    int kind = 0;
    int operand1 = 0;
    int operand2 = 0;
    int variant = 0;
};

class Classroom {
public:
    virtual ~Classroom() = default;
    // The pupils the machine serves, sorted by name; none without a class list.
    virtual std::vector<ClassPupil> pupils() = 0;
    // The pupil's mistakes of these kinds, most missed first, up to limit.
    virtual std::vector<MissedOperation> mistakes(const QString& pupilId, const std::vector<int>& kinds,
                                                  int limit) = 0;
};

}  // namespace platform
