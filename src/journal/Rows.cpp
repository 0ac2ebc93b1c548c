#include "journal/Rows.h"

#include "journal/Writer.h"

#include <QDataStream>
#include <QSysInfo>

#include <array>

#include <pwd.h>
#include <unistd.h>

namespace journal {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr quint32 kSpillMagic = 0x41524753;  // "ARGS"
constexpr quint16 kSpillVersion = 1;

}  // namespace

Identity Identity::ofThisProcess(const QString& copy)
{
    Identity id;
    id.copy = copy;
    // The account, not $USER, which su and sudo may leave behind.
    std::array<char, 4096> buffer{};
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        id.osUser = QString::fromLocal8Bit(found->pw_name);
    else
        id.osUser = QString::number(::geteuid());
    id.machine = QSysInfo::machineHostName();
    return id;
}

QVariant Row::value(const QString& column) const
{
    for (const auto& [name, value] : values)
        if (name == column) return value;
    return {};
}

void Row::complete(const Identity& who)
{
    if (!timeColumn.isEmpty() && time.isValid()) {
        set(timeColumn + u"_at"_s, isoWithOffset(time));
        set(timeColumn + u"_ms"_s, time.toMSecsSinceEpoch());
        timeColumn.clear();
    }
    if (identity) {
        set(u"copy"_s, who.copy);
        set(u"os_user"_s, who.osUser);
        set(u"machine"_s, who.machine);
        identity = false;
    }
    for (auto& [name, value] : values)
        if (value.typeId() == QMetaType::QString && value.toString().isNull()) value = QString(u""_s);
}

QVariantList Row::ordered() const
{
    QVariantList out;
    for (const QString& column : tables()[std::size_t(table)].columns) out << value(column);
    return out;
}

QString insertStatement(const Table& table, int rows)
{
    QStringList placeholders;
    const QString one = u"("_s + QStringList(table.columns.size(), u"?"_s).join(u", ") + u")"_s;
    for (int i = 0; i < rows; ++i) placeholders << one;
    // A row already there is a repeat: ignored, not an error.
    return u"INSERT INTO "_s + table.name + u" ("_s + table.columns.join(u", ") + u") VALUES "_s +
           placeholders.join(u", ") + u" ON CONFLICT DO NOTHING"_s;
}

void writeRows(QIODevice& out, const std::vector<Row>& rows)
{
    QDataStream stream(&out);
    stream.setVersion(QDataStream::Qt_6_4);
    stream << kSpillMagic << kSpillVersion << quint32(rows.size());
    for (const Row& row : rows) {
        stream << qint32(row.table) << row.key << qint32(row.place) << row.wakesSync << quint32(row.values.size());
        for (const auto& [name, value] : row.values) stream << name << value;
    }
}

std::vector<Row> readRows(QIODevice& in, bool* whole)
{
    QDataStream stream(&in);
    stream.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0, count = 0;
    quint16 version = 0;
    stream >> magic >> version >> count;
    std::vector<Row> rows;
    *whole = false;
    if (stream.status() != QDataStream::Ok || magic != kSpillMagic || version != kSpillVersion) return rows;
    for (quint32 i = 0; i < count; ++i) {
        qint32 table = 0, place = 0;
        quint32 columns = 0;
        Row row;
        stream >> table >> row.key >> place >> row.wakesSync >> columns;
        if (stream.status() != QDataStream::Ok || table < 0 || table >= kTableCount || columns > 64) return rows;
        row.table = TableIndex(table);
        row.place = place;
        for (quint32 c = 0; c < columns; ++c) {
            QString name;
            QVariant value;
            stream >> name >> value;
            row.set(name, value);
        }
        if (stream.status() != QDataStream::Ok) return rows;
        rows.push_back(std::move(row));
    }
    *whole = true;
    return rows;
}

}  // namespace journal
