#pragma once

#include "journal/Database.h"
#include "journal/Writer.h"
#include "platform/Classroom.h"
#include "platform/Clock.h"

#include <QByteArray>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

// Class lists in a journal, the local file or a school's server alike: what
// the teacher edits, what "Chi sei?" offers, and the facts a pupil missed
// most, which the review poses again. QtCore and QtSql only.
namespace journal {

struct SchoolClass {
    QString id;
    QString name;
    bool operator==(const SchoolClass&) const = default;
};

struct ClassPupil {
    QString id;
    QString classId;
    QString className;
    QString name;
    bool operator==(const ClassPupil&) const = default;
};

class ClassLists {
public:
    ClassLists(QSqlDatabase db, IdSource& ids, platform::Clock& clock);

    // Sorted as people read them.
    QList<SchoolClass> classes();
    // The new class's id; nothing when the name is empty or taken.
    std::optional<QString> addClass(const QString& name);
    bool renameClass(const QString& classId, const QString& name);

    // The pupils in the class's list, sorted.
    QList<ClassPupil> pupils(const QString& classId);
    // Adds the names the list does not hold yet, in one transaction; how many.
    std::optional<int> addPupils(const QString& classId, const QStringList& names);
    // The runs keep the pupil's id, so they follow the new name.
    bool renamePupil(const QString& pupilId, const QString& name);
    // Out of the list, not out of the journal: the runs stay theirs.
    bool moveOut(const QString& pupilId);

    // Why the last call failed; empty when it worked.
    QString lastError() const { return m_error; }

private:
    bool exec(const QString& sql, const QVariantList& values);
    bool fail(const QString& error);
    qint64 nowMs() { return m_clock.now().toMSecsSinceEpoch(); }

    QSqlDatabase m_db;
    IdSource& m_ids;
    platform::Clock& m_clock;
    QString m_error;
};

// Pasted names: one a line, trimmed, blank lines left out, each once.
QStringList namesFromText(const QString& text);
// Names from a CSV file (UTF-8, a byte-order mark allowed, commas or
// semicolons, RFC 4180 quotes): the first field of each record, with a header
// "nome", "alunno" or "cognome" left out. Quoted fields may hold the separator.
QStringList namesFromCsv(const QByteArray& bytes);

// The pupils "Chi sei?" offers: those in the lists of the class named, or of
// every class when none is, sorted by name. None where the journal has no list.
QList<ClassPupil> pupilsToOffer(const QSqlDatabase& db, const QString& className);

// An operation a pupil got wrong, as it was posed.
struct MissedFact {
    int kind = 0;
    int operand1 = 0;  // as the journal keeps it: the dividend for a division
    int operand2 = 0;
    int variant = 0;
    int missed = 0;    // times answered wrong or closed with help
    bool operator==(const MissedFact&) const = default;
};

// The facts of these kinds that the pupil's runs missed, most missed first
// (the latest first among equals), up to limit.
QList<MissedFact> missedFacts(const QSqlDatabase& db, const QString& pupilId, const QList<int>& kinds, int limit);

// The class list of a working folder's local file, for the pupil windows:
// the class registro.conf names, or every class. The file is opened when
// first asked, on the thread that asks, and never made when it is missing.
class LocalClassroom final : public platform::Classroom {
public:
    explicit LocalClassroom(QString workingDir) : m_dir(std::move(workingDir)) {}
    std::vector<platform::ClassPupil> pupils() override;
    std::vector<platform::MissedOperation> mistakes(const QString& pupilId, const std::vector<int>& kinds,
                                                    int limit) override;

private:
    bool open();

    QString m_dir;
    Connection m_file;
};

}  // namespace journal
