#include "registro/FamilyPage.h"

#include "journal/Classes.h"
#include "platform/PrintReport.h"
#include "registro/Texts.h"
#include "worksheets/SheetTables.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace registro {

namespace {

constexpr int kDays = 30;
// A period longer than a month is charted week by week.
constexpr int kMostDailyBars = 31;

// A4 in twips, and where the page puts things.
constexpr int kLeft = 1134;
constexpr int kRight = 11906 - 1134;
constexpr int kTop = 1000;
constexpr int kGap = 240;
constexpr int kChartHeight = 3000;
constexpr int kChartAxisRoom = 620;     // left of the chart: "100%"
constexpr int kChartLabelWidth = 600;   // a "dd/MM" under a bar
constexpr int kFactColumn = (kRight - kLeft) / 2;
constexpr int kWorksheetPitch = 600;

// One line of the current font as the printers step it.
int lineStep(double points) { return int(std::lround(points * 24)); }

QString plural(int count, const QString& one, const QString& many)
{
    return QString::number(count) % u' ' % (count == 1 ? one : many);
}

// Right answers of a run, from its share: whole numbers come back whole.
int rightIn(const ChartPoint& run) { return int(std::lround(run.rightShare * run.operations)); }

FamilySheet readOne(Reader& reader, const QString& pupil, const QString& className, const FamilyPeriod& period,
                    QString& error)
{
    const PupilStatistics statistics =
        reader.pupilStatistics(RunFilter{pupil, {}, period.from, period.to}, kFamilyWorksheetLines);
    error = reader.lastError();
    return {pupil, className, statistics.chart, statistics.missed};
}

// A proportional face for the words; the printer's own when none is known.
QString wordsFont(platform::Printer& printer)
{
    const QStringList fonts = printer.fonts();
    for (const QString& name : {u"Liberation Sans"_s, u"Arial"_s, u"DejaVu Sans"_s, u"Nimbus Sans"_s})
        if (fonts.contains(name))
            return name;
    return printer.fontName();
}

class PagePrinter {
public:
    PagePrinter(platform::Printer& printer, QString words, QString fixed, const FamilyPeriod& period,
                const QTimeZone& zone)
        : m_printer(printer), m_words(std::move(words)), m_fixed(std::move(fixed)), m_period(period), m_zone(zone)
    {
    }

    void page(const FamilySheet& sheet, bool teacher)
    {
        m_y = kTop;
        line(u"Scheda dell'alunno"_s, 20, true);
        if (teacher)
            line(u"copia per l'insegnante"_s, 12, true);
        m_y += kGap / 2;
        line(sheet.pupil, 16, true);
        if (!sheet.className.isEmpty())
            line(u"Classe: "_s % sheet.className, 12);
        line(u"Periodo: "_s % periodText(m_period), 12);
        m_y += kGap;
        for (const QString& sentence : figuresText(sheet.runs))
            line(sentence, 12);
        if (sheet.runs.isEmpty())
            return;

        m_y += kGap;
        const ShareChart chart = shareChart(sheet.runs, m_period, m_zone);
        line(chart.weekly ? u"Risposte giuste su 100, settimana per settimana"_s
                          : u"Risposte giuste su 100, giorno per giorno"_s,
             12, true);
        m_y += 120;
        drawChart(chart);

        m_y += kGap;
        line(u"Da ripassare:"_s, 12, true);
        const QList<MissedOperation> facts = sheet.missed.mid(0, kFamilyFacts);
        if (facts.isEmpty())
            line(u"Nessuna operazione sbagliata nel periodo."_s, 12);
        const int rows = int(facts.size() + 1) / 2;
        for (int i = 0; i < facts.size(); ++i)
            text(missedText(facts[i]), m_fixed, 12, false, kLeft + 200 + (i / rows) * kFactColumn,
                 m_y + (i % rows) * lineStep(12));
        m_y += rows * lineStep(12);
        worksheet(sheet.missed, teacher);
    }

private:
    void text(const QString& words, const QString& font, double points, bool bold, int x, int y)
    {
        m_printer.setFontName(font);
        m_printer.setFontSize(points);
        m_printer.setFontBold(bold);
        m_printer.setCurrentX(x);
        m_printer.setCurrentY(y);
        m_printer.printLine(words);
    }
    void line(const QString& words, double points, bool bold = false)
    {
        text(words, m_words, points, bold, kLeft, m_y);
        m_y += lineStep(points);
    }

    void worksheet(const QList<MissedOperation>& facts, bool teacher)
    {
        int width = 2;
        for (const MissedOperation& fact : facts)
            width = std::max({width, int(QString::number(fact.operand1).size()),
                              int(QString::number(fact.operand2).size())});
        QStringList lines;
        for (const MissedOperation& fact : facts) {
            const FactLine written = factLine(fact, width);
            if (!written.pupil.isEmpty())
                lines << (teacher ? written.teacher : written.pupil);
        }
        if (lines.isEmpty())
            return;
        m_y += kGap;
        line(u"Esercizi di ripasso"_s, 12, true);
        m_y += 120;
        for (const QString& written : lines) {
            text(written, m_fixed, 15, false, kLeft + 200, m_y);
            m_y += kWorksheetPitch;
        }
    }

    void drawChart(const ShareChart& chart)
    {
        const int left = kLeft + kChartAxisRoom;
        const int top = m_y;
        const int bottom = top + kChartHeight;
        for (int percent = 0; percent <= 100; percent += 25) {
            const int y = bottom - kChartHeight * percent / 100;
            m_printer.drawLine(left, y, kRight, y, percent == 0 ? 20 : 8, percent == 0 ? 0 : 190);
            if (percent % 50 == 0)
                text(QString::number(percent) % u'%', m_words, 8, false, kLeft, y - 70);
        }
        m_printer.drawLine(left, top, left, bottom, 20, 0);

        const int bars = int(chart.bars.size());
        const double slot = double(kRight - left) / std::max(1, bars);
        const int barWidth = std::max(10, int(slot * 0.6));
        // Every bar's day when they fit, else every second, third...
        const int labelEvery = std::max(1, int(std::ceil(kChartLabelWidth / slot)));
        for (int i = 0; i < bars; ++i) {
            const ShareBar& bar = chart.bars[i];
            const int middle = left + int(slot * (i + 0.5));
            if (bar.operations > 0) {
                // A day of all wrong answers still shows a sliver: it is no empty day.
                const int height = std::max(20, int(std::lround(double(kChartHeight) * bar.right / bar.operations)));
                m_printer.fillBox(middle - barWidth / 2, bottom - height, barWidth, height, 110);
            }
            if (i % labelEvery == 0)
                text(bar.first.toString(u"dd/MM"_s), m_words, 8, false, middle - 200, bottom + 40);
        }
        m_y = bottom + 40 + lineStep(8);
    }

    platform::Printer& m_printer;
    QString m_words;
    QString m_fixed;
    FamilyPeriod m_period;
    QTimeZone m_zone;
    int m_y = kTop;
};

}  // namespace

FamilyPeriod familyPeriod(const RunFilter& filter, const QDate& today)
{
    FamilyPeriod period;
    period.lastDays = !filter.from.isValid() && !filter.to.isValid();
    period.to = filter.to.isValid() ? filter.to : today;
    period.from = filter.from.isValid() ? filter.from : period.to.addDays(1 - kDays);
    if (period.from > period.to)
        period.to = period.from;
    return period;
}

QString periodText(const FamilyPeriod& period)
{
    const QString format = u"dd/MM/yy"_s;
    return u"dal "_s % period.from.toString(format) % u" al "_s % period.to.toString(format) %
           (period.lastDays ? u" (ultimi 30 giorni)"_s : QString());
}

FamilySheets readFamilySheet(Reader& reader, const QString& pupil, const FamilyPeriod& period)
{
    FamilySheets read;
    QSqlQuery query(reader.database());
    query.setForwardOnly(true);
    query.prepare(u"SELECT DISTINCT c.name FROM class_pupils p JOIN classes c ON c.id = p.class_id "
                  u"WHERE p.name = ? AND p.in_list = 1 ORDER BY c.name"_s);
    query.addBindValue(pupil);
    if (!query.exec()) {
        read.error = query.lastError().text();
        return read;
    }
    QStringList classes;
    while (query.next())
        classes << query.value(0).toString();
    read.sheets << readOne(reader, pupil, classes.join(u", "_s), period, read.error);
    if (!read.error.isEmpty())
        read.sheets.clear();
    return read;
}

FamilySheets readClassSheets(Reader& reader, platform::Clock& clock, const QString& classId,
                             const FamilyPeriod& period)
{
    FamilySheets read;
    journal::UuidSource ids;
    journal::ClassLists lists(reader.database(), ids, clock);
    const QList<journal::ClassPupil> pupils = lists.pupils(classId);
    read.error = lists.lastError();
    for (const journal::ClassPupil& pupil : pupils) {
        if (!read.error.isEmpty())
            break;
        read.sheets << readOne(reader, pupil.name, pupil.className, period, read.error);
    }
    if (!read.error.isEmpty())
        read.sheets.clear();
    return read;
}

QStringList figuresText(const QList<ChartPoint>& runs)
{
    int operations = 0, right = 0;
    double seconds = 0;
    for (const ChartPoint& run : runs) {
        operations += run.operations;
        right += rightIn(run);
        seconds += run.secondsPerOperation * run.operations;
    }
    if (operations == 0)
        return {u"Nel periodo non ha svolto esercitazioni."_s};

    // Tenths in words; "10 su 10" only when all were right, "0" only when none.
    int tenths = int(std::lround(10.0 * right / operations));
    if (right < operations)
        tenths = std::min(tenths, 9);
    if (right > 0)
        tenths = std::max(tenths, 1);
    const QString times = tenths == 0 ? u"nessuna volta"_s : plural(tenths, u"volta"_s, u"volte"_s);
    const int average = int(std::lround(seconds / operations));
    const QString time = average == 0 ? u"meno di un secondo"_s : plural(average, u"secondo"_s, u"secondi"_s);
    return {u"Ha svolto "_s % plural(int(runs.size()), u"esercitazione"_s, u"esercitazioni"_s) % u", "_s %
                plural(operations, u"operazione"_s, u"operazioni"_s) % u'.',
            u"Ha risposto giusto "_s % times % u" su 10."_s,
            u"In media ha impiegato "_s % time % u" per operazione."_s};
}

ShareChart shareChart(const QList<ChartPoint>& runs, const FamilyPeriod& period, const QTimeZone& zone)
{
    ShareChart chart;
    if (!period.from.isValid() || !period.to.isValid() || period.from > period.to)
        return chart;
    chart.weekly = period.from.daysTo(period.to) + 1 > kMostDailyBars;
    const int step = chart.weekly ? 7 : 1;
    const auto startOf = [&](const QDate& day) { return chart.weekly ? day.addDays(1 - day.dayOfWeek()) : day; };
    const QDate first = startOf(period.from);
    for (QDate day = first; day <= period.to; day = day.addDays(step))
        chart.bars.append({day});
    for (const ChartPoint& run : runs) {
        const qint64 index = first.daysTo(startOf(QDateTime::fromMSecsSinceEpoch(run.startedMs, zone).date())) / step;
        if (index < 0 || index >= chart.bars.size())
            continue;
        chart.bars[index].operations += run.operations;
        chart.bars[index].right += rightIn(run);
    }
    return chart;
}

FactLine factLine(const MissedOperation& fact, int width)
{
    const int a = fact.operand1, b = fact.operand2;
    int result = 0;
    switch (fact.kind) {
    case 1: result = a + b; break;
    case 2: result = a - b; break;
    case 3: result = a * b; break;
    case 4:
        if (b == 0 || a % b != 0)
            return {};
        result = a / b;
        break;
    default: return {};
    }
    const auto rule = std::find_if(worksheets::kSheetOperations.begin(), worksheets::kSheetOperations.end(),
                                   [&](const worksheets::SheetOperation& o) { return int(o.operation) == fact.kind; });
    const auto number = [width](int value) { return QString::number(value).rightJustified(width); };
    // The worksheets' first variant: the result is the unknown.
    QString pupil = worksheets::kSheetVariants[0].pupil.toString();
    pupil.replace(u"{o}"_s, rule->sign.toString());
    pupil.replace(u"{A}"_s, number(a));
    pupil.replace(u"{B}"_s, number(b));
    const QString answer = QString::number(result);
    return {pupil, pupil % worksheets::kTeacherGap % QString(std::max<qsizetype>(0, width - answer.size()), u' ') %
                       worksheets::kNumberAnswerOpen % answer % u')'};
}

platform::PrintResult printFamilyPages(platform::Printer& printer, const QList<FamilySheet>& sheets,
                                       const FamilyPeriod& period, const QTimeZone& zone)
{
    const QString fixed = platform::findCourier(printer);
    if (fixed.isEmpty())
        return {false, {}, platform::kMissingCourierMessage};
    if (sheets.isEmpty())
        return {false, {}, u"Nessun alunno da stampare."_s};
    PagePrinter pages(printer, wordsFont(printer), fixed, period, zone);
    bool first = true;
    // The pupils' pages go home; the copies with the answers stay together behind them.
    for (const bool teacher : {false, true})
        for (const FamilySheet& sheet : sheets) {
            if (!std::exchange(first, false))
                printer.newPage();
            pages.page(sheet, teacher);
        }
    return printer.endDocument();
}

}  // namespace registro
