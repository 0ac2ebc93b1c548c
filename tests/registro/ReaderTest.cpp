#include "Backends.h"
#include "JournalData.h"

#include "certificate/Grade.h"
#include "registro/Csv.h"
#include "registro/PupilRecord.h"
#include "registro/Report.h"
#include "registro/Reader.h"
#include "registro/RunsModel.h"
#include "registro/Texts.h"

#include "support/PrintTo.h"
#include "support/Recorders.h"

#include <QBuffer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace registro_test;
using registro::RunFilter;
using testing::ElementsAre;

namespace {

QStringList idsOf(const QList<registro::RunRow>& rows)
{
    QStringList ids;
    for (const auto& row : rows)
        ids << row.id;
    return ids;
}

// Reads a CSV file back by the rules it was written by (RFC 4180).
QList<QStringList> parseCsv(const QString& text)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            record << field;
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            record << field;
            records << record;
            record.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    EXPECT_TRUE(record.isEmpty() && field.isEmpty()) << "the last record ends without CR LF";
    return records;
}

class ReaderTest : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        backend = makeBackend(QString::fromLatin1(GetParam()));
        ASSERT_TRUE(backend->error().isEmpty()) << backend->error().toStdString();
        writer.emplace(backend->pupils());
        reader.emplace(backend->teacher(), schoolZone());
    }

    template <typename Runs>
    void add(const Runs& runs)
    {
        ASSERT_TRUE(writer->add(runs)) << writer->error().toStdString();
    }
    void add(const JournalRun& run) { add(std::vector<JournalRun>{run}); }

    // Five runs over a week: a rename, a run cut short just after midnight,
    // one with no name.
    void addWeek()
    {
        std::vector<Operation> missed = rightOperations(20, 4);
        missed[0] = {3, 7, 8, u"54 55"_s, u"aiuto"_s, 9};
        missed[1] = {3, 7, 8, u"54"_s, {}, 6};
        add({u"r1"_s, u"MOLTIPLICAZIONI"_s, at(2026, 12, 1, 9), missed, {u"Giulia"_s}});
        add({u"r2"_s, u"ADDIZIONI"_s, at(2026, 12, 2, 10), rightOperations(20), {u"Marco"_s}});
        add({u"r3"_s, u"MOLTIPLICAZIONI"_s, at(2026, 12, 3, 11), rightOperations(20, 3), {u"Marco"_s, u"Giulia"_s}});
        std::vector<Operation> cut = rightOperations(5, 6);
        cut[1] = {3, 7, 8, u"54 55"_s, u"aiuto"_s, 12};
        cut[3] = {4, 56, 7, u"9"_s, {}, 8};
        add({u"r4"_s, u"MOLTIPLICAZIONI"_s, at(2026, 12, 4, 0, 30), cut, {u"Giulia"_s}, false});
        add({u"r5"_s, u"SOTTRAZIONI"_s, at(2026, 12, 5, 8), rightOperations(20), {}});
    }

    QStringList ids(const RunFilter& filter)
    {
        const QStringList found = idsOf(reader->runs(filter, 100));
        EXPECT_EQ(reader->lastError(), QString());
        EXPECT_EQ(reader->countRuns(filter), found.size());
        return found;
    }

    std::unique_ptr<Backend> backend;
    std::optional<JournalWriter> writer;
    std::optional<registro::Reader> reader;
};

TEST_P(ReaderTest, FiltersPickRunsNewestFirstByTheirLastNameCopyAndSchoolDays)
{
    addWeek();
    EXPECT_THAT(ids({}), ElementsAre(u"r5"_s, u"r4"_s, u"r3"_s, u"r2"_s, u"r1"_s));
    EXPECT_THAT(ids({u"Giulia"_s}), ElementsAre(u"r4"_s, u"r3"_s, u"r1"_s));
    EXPECT_THAT(ids({u"Marco"_s}), ElementsAre(u"r2"_s));  // r3 was renamed
    // A page of one goes past the newer run that is no longer Marco's.
    EXPECT_THAT(idsOf(reader->runs({u"Marco"_s}, 1)), ElementsAre(u"r2"_s));
    EXPECT_THAT(ids({u"giulia"_s}), ElementsAre());
    EXPECT_THAT(ids({{}, u"MOLTIPLICAZIONI"_s}), ElementsAre(u"r4"_s, u"r3"_s, u"r1"_s));
    // Days run from midnight to midnight at school: 00:30 on the 4th is the 4th.
    const QDate third(2026, 12, 3), fourth(2026, 12, 4);
    EXPECT_THAT(ids({{}, {}, third, third}), ElementsAre(u"r3"_s));
    EXPECT_THAT(ids({{}, {}, fourth, {}}), ElementsAre(u"r5"_s, u"r4"_s));
    EXPECT_THAT(ids({u"Giulia"_s, u"MOLTIPLICAZIONI"_s, {}, third}), ElementsAre(u"r3"_s, u"r1"_s));

    EXPECT_THAT(reader->pupils(), ElementsAre(u"Giulia"_s, u"Marco"_s));
    EXPECT_THAT(reader->copies(), ElementsAre(u"ADDIZIONI"_s, u"MOLTIPLICAZIONI"_s, u"SOTTRAZIONI"_s));
}

TEST_P(ReaderTest, ARunCutShortIsCountedFromTheOperationsItClosed)
{
    addWeek();
    const QList<registro::RunRow> rows = reader->runs({}, 10);
    ASSERT_EQ(rows.size(), 5);
    const registro::RunRow& cut = rows[1];
    ASSERT_EQ(cut.id, u"r4"_s);
    EXPECT_EQ(cut.operations, 5);
    EXPECT_EQ(cut.right, 4);  // help closed one
    EXPECT_EQ(cut.wrong, 3);
    EXPECT_EQ(cut.seconds, 6 + 12 + 6 + 8 + 6);
    EXPECT_EQ(cut.grade, certificate::gradeTextFor(8));
    EXPECT_FALSE(cut.finished);

    const registro::RunRow& ended = rows[4];
    EXPECT_EQ(ended.id, u"r1"_s);
    EXPECT_EQ(ended.operations, 20);
    EXPECT_EQ(ended.right, 19);
    EXPECT_EQ(ended.wrong, 3);
    EXPECT_EQ(ended.grade, u"BUONO"_s);  // as its end row says
    EXPECT_TRUE(ended.finished);
    EXPECT_THAT(registro::runTexts(ended, schoolZone()),
                ElementsAre(u"01/12/2026 09:00"_s, u"Giulia"_s, u"MOLTIPLICAZIONI"_s, u"1. Calcolo"_s,
                            u"NUMERO MASSIMO da  1 a 60"_s, u"20"_s, u"19"_s, u"3"_s,
                            QString::number(9 + 6 + 18 * 4), u"BUONO"_s));
}

TEST_P(ReaderTest, TheTableReadsPageAfterPageWithoutLosingRunsThatStartedTogether)
{
    // Three runs in each millisecond: the pages must split ties cleanly.
    std::vector<JournalRun> runs;
    for (int i = 0; i < 450; ++i)
        runs.push_back({u"run-%1"_s.arg(i, 3, 10, QChar(u'0')), u"ADDIZIONI"_s, at(2026, 12, 1, 9).addSecs(i / 3),
                        rightOperations(1)});
    add(runs);
    registro::RunsModel model(*reader);
    model.setFilter({});
    EXPECT_EQ(model.total(), 450);
    EXPECT_EQ(model.rowCount(), registro::RunsModel::kPage);
    while (model.canFetchMore({}))
        model.fetchMore({});
    ASSERT_EQ(model.rowCount(), 450);
    for (int row = 0; row < 450; ++row)
        ASSERT_EQ(model.run(row).id, u"run-%1"_s.arg(449 - row, 3, 10, QChar(u'0'))) << row;
    EXPECT_EQ(model.data(model.index(0, int(registro::Column::Copy))).toString(), u"ADDIZIONI"_s);
    EXPECT_EQ(model.data(model.index(0, 0), registro::RunsModel::kRunIdRole).toString(), u"run-449"_s);

    model.setFilter({{}, u"SOTTRAZIONI"_s});
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.total(), 0);
    EXPECT_FALSE(model.canFetchMore({}));
}

TEST_P(ReaderTest, ARunShowsItsRecordLinesInTheOrderTheyWerePosed)
{
    addWeek();
    QStringList expected;
    for (int place = 1; place <= 5; ++place)
        expected << JournalWriter::lineOf(u"r4"_s, place);
    EXPECT_EQ(reader->recordLines(u"r4"_s), expected);
    EXPECT_TRUE(reader->recordLines(u"nessuna"_s).isEmpty());
}

TEST_P(ReaderTest, ThePupilsChartHasOneRunAPointOldestFirst)
{
    addWeek();
    const QList<registro::ChartPoint> points = reader->pupilStatistics({u"Giulia"_s}, 10).chart;
    ASSERT_EQ(points.size(), 3);
    EXPECT_EQ(points[0].startedMs, at(2026, 12, 1, 9).toMSecsSinceEpoch());
    EXPECT_DOUBLE_EQ(points[0].rightShare, 19.0 / 20);
    EXPECT_DOUBLE_EQ(points[0].secondsPerOperation, (9 + 6 + 18 * 4) / 20.0);
    EXPECT_EQ(points[1].startedMs, at(2026, 12, 3, 11).toMSecsSinceEpoch());
    EXPECT_DOUBLE_EQ(points[1].rightShare, 1.0);
    EXPECT_DOUBLE_EQ(points[1].secondsPerOperation, 3.0);
    EXPECT_DOUBLE_EQ(points[2].rightShare, 4.0 / 5);
    EXPECT_DOUBLE_EQ(points[2].secondsPerOperation, 38.0 / 5);
    // The chart follows the other filters too.
    EXPECT_EQ(reader->pupilStatistics({u"Giulia"_s, {}, QDate(2026, 12, 2), QDate(2026, 12, 3)}, 10).chart.size(), 1);
}

TEST_P(ReaderTest, TheOperationsAPupilMissedMostComeFirst)
{
    addWeek();
    QStringList texts;
    for (const auto& missed : reader->pupilStatistics({u"Giulia"_s}, 10).missed)
        texts << registro::missedText(missed);
    // 7 × 8 three times wrong out of three; 56 : 7 once out of once.
    EXPECT_THAT(texts, ElementsAre(u"7 × 8: 3 errori su 3"_s, u"56 : 7: 1 errore su 1"_s));
    EXPECT_TRUE(reader->pupilStatistics({u"Marco"_s}, 10).missed.isEmpty());
    EXPECT_EQ(reader->pupilStatistics({u"Giulia"_s}, 1).missed.size(), 1);
}

TEST_P(ReaderTest, TheCsvFileReadsBackAsTheTableShowsIt)
{
    addWeek();
    add({u"r6"_s, u"ADDIZIONI"_s, at(2026, 12, 6, 9), rightOperations(20), {u"Rossi, \"Nicolò\"\nB"_s}});
    add({u"r7"_s, u"ADDIZIONI"_s, at(2026, 12, 7, 9), rightOperations(20), {u"=1+1"_s}});
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    QString error;
    ASSERT_TRUE(registro::writeRunsCsv(*reader, {}, file, &error)) << error.toStdString();

    const QList<QStringList> records = parseCsv(QString::fromUtf8(file.data()));
    registro::RunsModel model(*reader);
    model.setFilter({});
    ASSERT_EQ(records.size(), 1 + model.rowCount());
    EXPECT_EQ(records[0], registro::columnHeaders());
    EXPECT_EQ(records[1][int(registro::Column::Pupil)], u"'=1+1"_s);  // never a formula
    EXPECT_EQ(records[2][int(registro::Column::Pupil)], u"Rossi, \"Nicolò\"\nB"_s);
    for (int row = 2; row < model.rowCount(); ++row)
        EXPECT_EQ(records[row + 1], registro::runTexts(model.run(row), schoolZone()));

    QBuffer giulia;
    giulia.open(QIODevice::WriteOnly);
    ASSERT_TRUE(registro::writeRunsCsv(*reader, {u"Giulia"_s}, giulia, &error));
    EXPECT_EQ(parseCsv(QString::fromUtf8(giulia.data())).size(), 1 + 3);
}

TEST_P(ReaderTest, DeletingAPupilRemovesHerRunsAndEverythingOfThemOnly)
{
    addWeek();
    add({u"r6"_s, u"ADDIZIONI"_s, at(2026, 12, 6, 8), rightOperations(20), {u"Giulia"_s, u"Marco"_s}});
    const registro::Stamp stamp{at(2027, 1, 10, 12), u"maestra@aula"_s};
    // No name chosen: refused, and no transaction is left open to spoil the next.
    EXPECT_EQ(reader->deletePupil(QString(), stamp), std::nullopt);
    ASSERT_EQ(reader->deletePupil(u"Giulia"_s, stamp), 3);
    EXPECT_THAT(ids({}), ElementsAre(u"r6"_s, u"r5"_s, u"r2"_s));
    EXPECT_THAT(reader->pupils(), ElementsAre(u"Marco"_s));
    // Nothing of r1, r3 or r4 is left, not even r3's first name, nor her
    // name typed for r6 before Marco's.
    QSqlQuery left(backend->teacher());
    ASSERT_TRUE(left.exec(u"SELECT (SELECT COUNT(*) FROM operations), (SELECT COUNT(*) FROM run_ends), "
                          u"(SELECT COUNT(*) FROM pupil_names), (SELECT COUNT(*) FROM pupil_names WHERE pupil = 'Giulia')"_s));
    ASSERT_TRUE(left.next());
    EXPECT_EQ(left.value(0).toInt(), 60);
    EXPECT_EQ(left.value(1).toInt(), 3);
    EXPECT_EQ(left.value(2).toInt(), 2);
    EXPECT_EQ(left.value(3).toInt(), 0);
    // The tombstone every machine reads, and the audit's row.
    QSqlQuery told(backend->pupils());
    ASSERT_TRUE(told.exec(u"SELECT pupil, erased_at, erased_ms, erased_by FROM tombstones"_s) && told.next());
    EXPECT_EQ(told.value(0).toString(), u"Giulia");
    EXPECT_EQ(told.value(1).toString(), u"2027-01-10T12:00:00+01:00");
    EXPECT_EQ(told.value(2).toLongLong(), stamp.at.toMSecsSinceEpoch());
    EXPECT_EQ(told.value(3).toString(), u"maestra@aula");
    told.finish();
    QSqlQuery audit(backend->teacher());
    ASSERT_TRUE(audit.exec(u"SELECT action, pupil, runs, done_by FROM journal_audit"_s) && audit.next());
    EXPECT_EQ(audit.value(0).toString() + audit.value(1).toString() + audit.value(2).toString() + audit.value(3).toString(),
              u"cancellazioneGiulia3maestra@aula");
    audit.finish();
    EXPECT_EQ(reader->deletePupil(u"Giulia"_s, stamp), 0);

    // On a school's server only the teacher's role may delete.
    if (QString::fromLatin1(GetParam()) == u"postgresql"_s) {
        registro::Reader pupils(backend->pupils(), schoolZone());
        EXPECT_EQ(pupils.deletePupil(u"Marco"_s, stamp), std::nullopt);
        EXPECT_FALSE(pupils.lastError().isEmpty());
        EXPECT_THAT(ids({u"Marco"_s}), ElementsAre(u"r6"_s, u"r2"_s));
        EXPECT_EQ(pupils.removeRunsBefore(at(2027, 1, 1, 0).toMSecsSinceEpoch(), stamp), std::nullopt);
    }
}

TEST_P(ReaderTest, RunsOlderThanTheSchoolKeepsThemGoWithEverythingOfThemAndTheRemovalIsRecorded)
{
    addWeek();
    const auto sheet = [&](const QString& id, const QDateTime& printed) {
        return writer->exec(u"INSERT INTO sheets VALUES (?, 'j', 'ADDIZIONI', 'u', 'aula1', 'x', ?, '1', 1, 1, 'o', 1, "
                            u"'l', 1, 1, '', '')",
                            {id, printed.toMSecsSinceEpoch()});
    };
    ASSERT_TRUE(sheet(u"vecchia"_s, at(2026, 12, 1, 8)) && sheet(u"nuova"_s, at(2026, 12, 4, 8))) << writer->error().toStdString();
    const registro::Stamp stamp{at(2028, 12, 3, 0), u"maestra@aula"_s};
    // "conserva = 2 anni" on 3 December 2028.
    const qint64 cutoff = stamp.at.addMonths(-24).toMSecsSinceEpoch();
    ASSERT_EQ(reader->removeRunsBefore(cutoff, stamp), 2) << reader->lastError().toStdString();
    EXPECT_THAT(ids({}), ElementsAre(u"r5"_s, u"r4"_s, u"r3"_s));
    const auto first = [&](const QString& sql) {
        QSqlQuery q(backend->teacher());
        return q.exec(sql) && q.next() ? q.value(0).toString() : u"<error>"_s;
    };
    EXPECT_EQ(first(u"SELECT (SELECT COUNT(*) FROM operations WHERE run_id IN ('r1', 'r2')) + "
                    u"(SELECT COUNT(*) FROM run_ends WHERE run_id IN ('r1', 'r2')) + "
                    u"(SELECT COUNT(*) FROM pupil_names WHERE run_id IN ('r1', 'r2'))"_s),
              u"0");
    EXPECT_EQ(first(u"SELECT COUNT(*) FROM operations"_s), u"45");
    EXPECT_EQ(first(u"SELECT (SELECT COUNT(*) FROM sheets) || (SELECT min(id) FROM sheets)"_s), u"1nuova");
    QSqlQuery audit(backend->teacher());
    ASSERT_TRUE(audit.exec(u"SELECT action, pupil, runs, done_at, done_by FROM journal_audit"_s) && audit.next());
    EXPECT_EQ(QStringList({audit.value(0).toString(), audit.value(1).toString(), audit.value(2).toString(),
                           audit.value(3).toString(), audit.value(4).toString()}),
              QStringList({u"conservazione"_s, u""_s, u"2"_s, u"2028-12-03T00:00:00+01:00"_s, u"maestra@aula"_s}));
    EXPECT_FALSE(audit.next());
    audit.finish();
    EXPECT_EQ(reader->removeRunsBefore(cutoff, stamp), 0);
}

TEST_P(ReaderTest, APupilsRecordHoldsHerRunsWithEveryLineAndWhereHerNameWasReplaced)
{
    addWeek();
    QBuffer giulia, marco;
    giulia.open(QIODevice::WriteOnly);
    marco.open(QIODevice::WriteOnly);
    QString error;
    const QDateTime now = at(2026, 12, 10, 17, 5);
    ASSERT_EQ(registro::writePupilRecord(*reader, u"Giulia"_s, now, giulia, &error), 3) << error.toStdString();
    ASSERT_EQ(registro::writePupilRecord(*reader, u"Marco"_s, now, marco, &error), 1) << error.toStdString();
    const QStringList hers = QString::fromUtf8(giulia.data()).split(u'\n');
    EXPECT_EQ(hers.mid(0, 4), QStringList({u"Registro dei risultati: i dati di Giulia"_s,
                                           u"Estratti il 10/12/2026 alle 17:05."_s, {}, u"Esecuzioni: 3"_s}));
    EXPECT_TRUE(hers.contains(u"Esecuzione del 04/12/2026 00:30, copia MOLTIPLICAZIONI, computer aula1, utente alunno"_s));
    for (const QString& run : {u"r1"_s, u"r3"_s, u"r4"_s})
        EXPECT_TRUE(hers.contains(JournalWriter::lineOf(run, 1))) << run.toStdString();
    EXPECT_FALSE(hers.contains(JournalWriter::lineOf(u"r2"_s, 1)));
    const QString his = QString::fromUtf8(marco.data());
    EXPECT_TRUE(his.contains(u"Il nome fu scritto anche per esecuzioni poi attribuite a un altro nome:\n"
                             u"Esecuzione del 03/12/2026 11:00, copia MOLTIPLICAZIONI\n"_s))
        << his.toStdString();
    EXPECT_FALSE(his.contains(JournalWriter::lineOf(u"r3"_s, 1)));
}

TEST_P(ReaderTest, TheReportListsTheRunsPageAfterPageAndWhatThePupilMissedMost)
{
    addWeek();
    std::vector<JournalRun> more;
    for (int i = 0; i < 150; ++i)
        more.push_back({u"g%1"_s.arg(i, 3, 10, QChar(u'0')), u"MOLTIPLICAZIONI"_s, at(2026, 11, 1, 9).addSecs(i * 60),
                        rightOperations(1), {u"Giulia"_s}});
    add(more);
    const RunFilter giulia{u"Giulia"_s};
    testing_support::RecordingPrinter printer;
    const auto result = registro::printReport(printer, *reader, giulia, u"08/12/26"_s);
    ASSERT_TRUE(result.ok) << result.error.toStdString();

    using testing_support::PrintedItem;
    QStringList rows;
    int pages = 1;
    for (std::size_t i = 0; i < printer.items.size(); ++i) {
        const PrintedItem& item = printer.items[i];
        if (item.what == PrintedItem::What::NewPage) {
            ++pages;
            // Each further page starts with the number and the heading again.
            ASSERT_LT(i + 3, printer.items.size());
            EXPECT_EQ(printer.items[i + 1].text, u"Registro dei risultati - pagina "_s % QString::number(pages));
            EXPECT_EQ(printer.items[i + 3].text, registro::reportHeading());
        } else if (item.what == PrintedItem::What::Text) {
            EXPECT_TRUE(item.font == u"Courier New"_s || item.font == u"Courier"_s);
            EXPECT_LE(item.y + testing_support::recordedLineHeight(item.size), 16838 - 900) << item.text.toStdString();
            if (item.text.contains(u"Giulia"_s) && !item.text.startsWith(u"Alunno"_s))
                rows << item.text;
        }
    }
    EXPECT_GE(pages, 3);
    QStringList expected;
    reader->forEachRun(giulia, [&](const registro::RunRow& row) {
        expected << registro::reportLine(row, schoolZone());
        return true;
    });
    EXPECT_EQ(rows, expected);
    EXPECT_THAT(printer.texts().mid(0, 5),
                ElementsAre(u"Registro dei risultati"_s, u"Stampato il 08/12/26"_s,
                            u"Alunno: Giulia   Copia: tutte   Date: tutte"_s, u"Esecuzioni: 153"_s,
                            registro::reportHeading()));
    EXPECT_THAT(printer.texts().mid(printer.texts().size() - 3),
                ElementsAre(u"Operazioni sbagliate più spesso"_s, u"7 × 8: 3 errori su 3"_s, u"56 : 7: 1 errore su 1"_s));
    EXPECT_EQ(printer.items.back().what, PrintedItem::What::End);

    testing_support::RecordingPrinter noCourier;
    noCourier.fontList = {u"Arial"_s};
    EXPECT_FALSE(registro::printReport(noCourier, *reader, giulia, u"08/12/26"_s).ok);
    EXPECT_TRUE(noCourier.items.empty());
}

TEST_P(ReaderTest, AReportWhoseReadingFailsHalfWayPrintsNothing)
{
    addWeek();
    // The listing can still be read, the operations missed cannot.
    const bool server = QString::fromLatin1(GetParam()) == u"postgresql"_s;
    auto& cluster = PostgresBackend::cluster();
    if (server)
        ASSERT_FALSE(cluster.sql(u"REVOKE SELECT ON operations FROM registro_docenti; "
                                 u"GRANT SELECT (run_id, place, record_line) ON operations TO registro_docenti"_s)
                         .isNull());
    else  // the indexes that hold the column go first
        ASSERT_TRUE(QSqlQuery(backend->teacher()).exec(u"DROP INDEX operations_missed"_s) &&
                    QSqlQuery(backend->teacher()).exec(u"DROP INDEX operations_facts"_s) &&
                    QSqlQuery(backend->teacher()).exec(u"ALTER TABLE operations DROP COLUMN wrong_attempts"_s));

    testing_support::RecordingPrinter printer;
    const auto result = registro::printReport(printer, *reader, {u"Giulia"_s}, u"08/12/26"_s);
    if (server)
        cluster.sql(u"GRANT SELECT ON operations TO registro_docenti"_s);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.startsWith(u"La lettura del registro si è interrotta e non è stato stampato nulla"_s))
        << result.error.toStdString();
    EXPECT_TRUE(printer.items.empty()) << "the job was begun";
}

INSTANTIATE_TEST_SUITE_P(Journals, ReaderTest, testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
