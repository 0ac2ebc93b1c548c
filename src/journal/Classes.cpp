#include "journal/Classes.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

namespace journal {

using namespace Qt::Literals::StringLiterals;

namespace {

template <typename T, typename Key>
void sortForPeople(QList<T>& items, Key key)
{
    QCollator collator;
    collator.setNumericMode(true);
    std::stable_sort(items.begin(), items.end(), [&](const T& a, const T& b) {
        const int order = collator.compare(key(a), key(b));
        return order != 0 ? order < 0 : key(a) < key(b);
    });
}

// A name is one line of reasonable length: the list is shown as buttons.
constexpr qsizetype kMaxNameLength = 60;

QString cleanName(const QString& name)
{
    return name.simplified().left(kMaxNameLength);
}

const QString kPupilColumns =
    u"p.id, p.class_id, c.name, p.name FROM class_pupils p JOIN classes c ON c.id = p.class_id "_s;

QList<ClassPupil> readPupils(QSqlQuery& query)
{
    QList<ClassPupil> pupils;
    while (query.next())
        pupils.append({query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                       query.value(3).toString()});
    sortForPeople(pupils, [](const ClassPupil& p) { return p.name; });
    return pupils;
}

}  // namespace

ClassLists::ClassLists(QSqlDatabase db, IdSource& ids, platform::Clock& clock)
    : m_db(std::move(db)), m_ids(ids), m_clock(clock)
{
}

bool ClassLists::fail(const QString& error)
{
    m_error = error.isEmpty() ? u"errore della base di dati"_s : error;
    return false;
}

bool ClassLists::exec(const QString& sql, const QVariantList& values)
{
    QSqlQuery query(m_db);
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        return fail(query.lastError().text());
    m_error.clear();
    return true;
}

QList<SchoolClass> ClassLists::classes()
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(u"SELECT id, name FROM classes"_s)) {
        fail(query.lastError().text());
        return {};
    }
    m_error.clear();
    QList<SchoolClass> list;
    while (query.next())
        list.append({query.value(0).toString(), query.value(1).toString()});
    sortForPeople(list, [](const SchoolClass& c) { return c.name; });
    return list;
}

std::optional<QString> ClassLists::addClass(const QString& name)
{
    const QString clean = cleanName(name);
    if (clean.isEmpty()) {
        fail(u"manca il nome della classe"_s);
        return std::nullopt;
    }
    const QList<SchoolClass> present = classes();
    if (!m_error.isEmpty())
        return std::nullopt;
    if (std::any_of(present.begin(), present.end(), [&](const SchoolClass& c) { return c.name == clean; })) {
        fail(u"la classe "_s % clean % u" c'è già"_s);
        return std::nullopt;
    }
    const QString id = m_ids.newId();
    if (!exec(u"INSERT INTO classes (id, name, changed_ms) VALUES (?, ?, ?)"_s, {id, clean, nowMs()}))
        return std::nullopt;
    return id;
}

bool ClassLists::renameClass(const QString& classId, const QString& name)
{
    const QString clean = cleanName(name);
    if (clean.isEmpty())
        return fail(u"manca il nome della classe"_s);
    return exec(u"UPDATE classes SET name = ?, changed_ms = ? WHERE id = ?"_s, {clean, nowMs(), classId});
}

QList<ClassPupil> ClassLists::pupils(const QString& classId)
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.prepare(u"SELECT "_s % kPupilColumns % u"WHERE p.class_id = ? AND p.in_list = 1"_s);
    query.addBindValue(classId);
    if (!query.exec()) {
        fail(query.lastError().text());
        return {};
    }
    m_error.clear();
    return readPupils(query);
}

std::optional<int> ClassLists::addPupils(const QString& classId, const QStringList& names)
{
    QStringList present;
    for (const ClassPupil& pupil : pupils(classId))
        present << pupil.name;
    if (!m_error.isEmpty())
        return std::nullopt;
    if (!m_db.transaction()) {
        fail(m_db.lastError().text());
        return std::nullopt;
    }
    int added = 0;
    for (const QString& name : names) {
        const QString clean = cleanName(name);
        if (clean.isEmpty() || present.contains(clean))
            continue;
        if (!exec(u"INSERT INTO class_pupils (id, class_id, name, in_list, changed_ms) VALUES (?, ?, ?, 1, ?)"_s,
                  {m_ids.newId(), classId, clean, nowMs()})) {
            const QString error = m_error;
            m_db.rollback();
            fail(error);
            return std::nullopt;
        }
        present << clean;
        ++added;
    }
    if (!m_db.commit()) {
        fail(m_db.lastError().text());
        m_db.rollback();
        return std::nullopt;
    }
    m_error.clear();
    return added;
}

bool ClassLists::renamePupil(const QString& pupilId, const QString& name)
{
    const QString clean = cleanName(name);
    if (clean.isEmpty())
        return fail(u"manca il nome dell'alunno"_s);
    return exec(u"UPDATE class_pupils SET name = ?, changed_ms = ? WHERE id = ?"_s, {clean, nowMs(), pupilId});
}

bool ClassLists::moveOut(const QString& pupilId)
{
    return exec(u"UPDATE class_pupils SET in_list = 0, changed_ms = ? WHERE id = ?"_s, {nowMs(), pupilId});
}

// --- names brought in ------------------------------------------------------------

namespace {

QStringList onceEach(const QStringList& names)
{
    QStringList out;
    for (const QString& name : names) {
        const QString clean = cleanName(name);
        if (!clean.isEmpty() && !out.contains(clean))
            out << clean;
    }
    return out;
}

}  // namespace

QStringList namesFromText(const QString& text)
{
    return onceEach(text.split(QRegularExpression(u"\r\n|\r|\n"_s)));
}

QStringList namesFromCsv(const QByteArray& bytes)
{
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    // The separator of the first line: Italian spreadsheets write semicolons.
    const QString firstLine = text.section(u'\n', 0, 0);
    const QChar separator = firstLine.count(u';') > firstLine.count(u',') ? u';' : u',';
    QStringList firsts;
    QString field;
    bool quoted = false, first = true, recordStart = true;
    const auto endField = [&] {
        if (first)
            firsts << field;
        field.clear();
        first = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
            continue;
        }
        if (c == u'"') {
            quoted = true;
        } else if (c == separator) {
            endField();
        } else if (c == u'\n' || c == u'\r') {
            if (!recordStart || !field.isEmpty())
                endField();
            first = recordStart = true;
            continue;
        } else {
            field += c;
        }
        recordStart = false;
    }
    if (!recordStart)
        endField();
    static const QStringList headers{u"nome"_s, u"alunno"_s, u"alunna"_s, u"cognome"_s, u"nominativo"_s};
    if (!firsts.isEmpty() && headers.contains(firsts.front().trimmed().toLower()))
        firsts.removeFirst();
    return onceEach(firsts);
}

// --- what the pupils' machines read ------------------------------------------------

QList<ClassPupil> pupilsToOffer(const QSqlDatabase& db, const QString& className)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(u"SELECT "_s % kPupilColumns % u"WHERE p.in_list = 1"_s %
                  (className.isEmpty() ? QString() : u" AND c.name = ?"_s));
    if (!className.isEmpty())
        query.addBindValue(className);
    if (!query.exec())
        return {};
    return readPupils(query);
}

QList<MissedFact> missedFacts(const QSqlDatabase& db, const QString& pupilId, const QList<int>& kinds, int limit)
{
    if (pupilId.isEmpty() || kinds.isEmpty() || limit <= 0)
        return {};
    QStringList marks(kinds.size(), u"?"_s);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(u"SELECT o.kind, o.operand1, o.operand2, o.variant, COUNT(*), MAX(o.done_ms) "
                  u"FROM runs r JOIN operations o ON o.run_id = r.id "
                  u"WHERE r.pupil_id = ? AND (o.wrong_attempts <> '' OR o.help <> '') AND o.kind IN ("_s %
                  marks.join(u',') %
                  u") GROUP BY o.kind, o.operand1, o.operand2, o.variant "
                  u"ORDER BY 5 DESC, 6 DESC, 1, 2, 3, 4 LIMIT "_s % QString::number(limit));
    query.addBindValue(pupilId);
    for (int kind : kinds)
        query.addBindValue(kind);
    QList<MissedFact> facts;
    if (!query.exec())
        return facts;
    while (query.next())
        facts.append({query.value(0).toInt(), query.value(1).toInt(), query.value(2).toInt(), query.value(3).toInt(),
                      query.value(4).toInt()});
    return facts;
}

// --- the pupil windows' view ---------------------------------------------------

bool LocalClassroom::open()
{
    if (m_file.isOpen()) return true;
    const QString path = QDir(m_dir).filePath(kLocalFileName);
    if (!QFileInfo::exists(path)) return false;
    m_file = openLocal(path);
    return m_file.isOpen();
}

std::vector<platform::ClassPupil> LocalClassroom::pupils()
{
    std::vector<platform::ClassPupil> list;
    if (!open()) return list;
    for (const ClassPupil& pupil : pupilsToOffer(m_file.database(), servedClass(m_dir)))
        list.push_back({pupil.id, pupil.name});
    return list;
}

std::vector<platform::MissedOperation> LocalClassroom::mistakes(const QString& pupilId, const std::vector<int>& kinds,
                                                                int limit)
{
    std::vector<platform::MissedOperation> list;
    if (!open()) return list;
    for (const MissedFact& fact :
         missedFacts(m_file.database(), pupilId, QList<int>(kinds.begin(), kinds.end()), limit))
        list.push_back({fact.kind, fact.operand1, fact.operand2, fact.variant});
    return list;
}

}  // namespace journal
