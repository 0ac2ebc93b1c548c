#include "ui/registro/TeacherWindow.h"

#include "journal/Rows.h"
#include "platform/Printer.h"
#include "platform/PrintReport.h"
#include "platform/SafeFile.h"
#include "platform/SystemError.h"
#include "registro/Csv.h"
#include "registro/PupilRecord.h"
#include "registro/Report.h"
#include "registro/Texts.h"
#include "ui/registro/ClassPanel.h"
#include "ui/registro/FamilyPrint.h"
#include "ui/registro/ClassView.h"
#include "ui/registro/PupilChart.h"
#include "ui/registro/ScreenRoom.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace registro_ui {

namespace {

// Above this many pages the teacher is asked before printing.
constexpr int kPagesWithoutAsking = 20;
// A journal that could not be read is read again this often, on its own.
constexpr std::chrono::seconds kRetryAfter{15};

// The fixed-pitch face the list of exercises uses, so the lines line up.
QFont recordFont()
{
    QFont font(u"Courier New"_s, 11);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

QLabel* placeholder(const QString& text)
{
    auto* label = new QLabel(text);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

// One line that gives up its width and cuts its text at the end, the whole
// text in the tooltip: a pupil's name may run to thousands of characters.
class ElidedLabel final : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
    QSize sizeHint() const override
    {
        const QSize whole = QLabel::sizeHint();
        return {std::min(whole.width(), 480), whole.height()};
    }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::ToolTip || !toolTip().isEmpty())
            return QLabel::event(event);
        if (cut())
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), registro::tipText(text()), this);
        else
            QToolTip::hideText();
        return true;
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect room = contentsRect();
        painter.drawText(room, int(alignment() | Qt::TextSingleLine),
                         fontMetrics().elidedText(text(), Qt::ElideRight, room.width()));
    }

private:
    bool cut() const { return fontMetrics().horizontalAdvance(text()) > contentsRect().width(); }
};

QLabel* buddyLabel(const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

TeacherWindow::Questions TeacherWindow::askingTheUser()
{
    return {[](QWidget* parent, const QString& question) {
                return QMessageBox::question(parent, u"Registro dei risultati"_s, question,
                                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
            },
            [](QWidget* parent, const QString& suggested) {
                // The first form is the default, as the file always was.
                const QString commas = u"CSV (virgole) (*.csv)"_s;
                const QString italian = u"CSV per fogli di calcolo italiani (punto e virgola) (*.csv)"_s;
                QString chosen = commas;
                const QString path = QFileDialog::getSaveFileName(parent, u"Esporta in CSV"_s, suggested,
                                                                  commas % u";;"_s % italian, &chosen);
                return CsvChoice(path, chosen == italian ? registro::CsvForm::Italian : registro::CsvForm::Commas);
            },
            [](QWidget* parent, const QString& suggested) {
                return QFileDialog::getSaveFileName(parent, u"Esporta i dati dell'alunno"_s, suggested,
                                                    u"File di testo (*.txt)"_s);
            }};
}

std::shared_future<QString> lookUpTeacher()
{
    return std::async(std::launch::async, [] {
               const journal::Identity who = journal::Identity::ofThisProcess(u"REGISTRO"_s);
               return QString(who.osUser % u'@' % who.machine);
           })
        .share();
}

TeacherWindow::TeacherWindow(registro::Reader& reader, platform::PrinterFactory& printers, platform::Clock& clock,
                             platform::Dialogs& dialogs, const QString& source, Questions questions, QWidget* parent,
                             std::shared_future<QString> by)
    : QMainWindow(parent),
      m_reader(reader),
      m_printers(printers),
      m_clock(clock),
      m_dialogs(dialogs),
      m_questions(std::move(questions)),
      m_model(reader),
      m_by(by.valid() ? std::move(by) : lookUpTeacher())
{
    setObjectName(u"RegistroWindow"_s);
    setWindowTitle(u"Registro dei risultati"_s);

    // Filters.
    m_pupil = new QComboBox;
    m_pupil->setObjectName(u"alunno"_s);
    m_pupil->setMinimumContentsLength(16);
    // Long names are cut in the list, so its width is never theirs.
    m_pupil->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_copy = new QComboBox;
    m_copy->setObjectName(u"copia"_s);
    m_copy->setMinimumContentsLength(16);
    m_copy->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_fromOn = new QCheckBox(u"&Dal"_s);
    m_fromOn->setObjectName(u"dalAttivo"_s);
    m_from = new QDateEdit;
    m_from->setObjectName(u"dal"_s);
    m_toOn = new QCheckBox(u"A&l"_s);
    m_toOn->setObjectName(u"alAttivo"_s);
    m_to = new QDateEdit;
    m_to->setObjectName(u"al"_s);
    for (QDateEdit* date : {m_from, m_to}) {
        date->setDisplayFormat(u"dd/MM/yyyy"_s);
        date->setCalendarPopup(true);
        date->setEnabled(false);
        // Blank until the journal has a run whose day they can start from.
        date->setMinimumDate(QDate(2000, 1, 1));
        date->setSpecialValueText(u" "_s);
        date->setDate(date->minimumDate());
    }
    m_from->setAccessibleName(u"Dal giorno"_s);
    m_to->setAccessibleName(u"Al giorno"_s);
    auto* refreshButton = new QPushButton(u"A&ggiorna"_s);
    refreshButton->setObjectName(u"aggiorna"_s);

    // The dates go under the names when the window is narrow.
    auto* filters = new WrappingRow(
        {{buddyLabel(u"&Alunno"_s, m_pupil)}, {m_pupil}, {nullptr, 12}, {buddyLabel(u"&Copia"_s, m_copy)}, {m_copy}},
        12, {{m_fromOn}, {m_from}, {m_toOn}, {m_to}, {nullptr, 0, 1}, {refreshButton}});

    // The runs.
    m_table = new QTableView;
    m_table->setObjectName(u"esecuzioni"_s);
    m_table->setAccessibleName(u"Esecuzioni"_s);
    m_table->setModel(&m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setAlternatingRowColors(true);
    m_table->verticalHeader()->hide();
    m_table->setWordWrap(false);
    // Cut at the end, never in the middle of a word; the tooltip has it whole.
    m_table->setTextElideMode(Qt::ElideRight);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 8);
    // Widths from the texts a column holds, not from reading every row; the
    // objective, whose texts are long, takes what is left, with the whole text
    // in the tooltip.
    const QFontMetrics metrics = m_table->fontMetrics();
    const QString widest[] = {u"00/00/0000 00:00"_s, u"Mmmmmmmmmm"_s, u"MOLTIPLICAZIONI"_s, {}, u"NUMERO MASSIMO da  60 a 99"_s,
                              u"20"_s, u"20"_s, u"20"_s, u"0000"_s, u"SUFFICIENTE (!)"_s};
    QHeaderView* header = m_table->horizontalHeader();
    for (int column = 0; column < int(registro::Column::Count); ++column) {
        const auto kind = registro::Column(column);
        if (kind == registro::Column::Objective) {
            header->setSectionResizeMode(column, QHeaderView::Stretch);
            continue;
        }
        const QString title = m_model.headerData(column, Qt::Horizontal).toString();
        m_table->setColumnWidth(column, std::max(metrics.horizontalAdvance(widest[column]),
                                                 metrics.horizontalAdvance(title)) + 18);
    }

    // What a run and a pupil show.
    m_runTitle = new ElidedLabel;
    m_runTitle->setObjectName(u"titoloEsecuzione"_s);
    m_lines = new QPlainTextEdit;
    m_lines->setObjectName(u"righe"_s);
    m_lines->setAccessibleName(u"Operazioni dell'esecuzione"_s);
    m_lines->setReadOnly(true);
    m_lines->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_lines->setFont(recordFont());
    auto* runPage = new QWidget;
    auto* runLayout = new QVBoxLayout(runPage);
    runLayout->addWidget(m_runTitle);
    runLayout->addWidget(m_lines);

    m_chart = new PupilChart;
    m_chartPage = new QStackedWidget;
    m_chartPage->addWidget(placeholder(u"Scegli un alunno per vedere il suo andamento."_s));
    m_chartPage->addWidget(m_chart->withTable());
    m_missed = new QListWidget;
    m_missed->setObjectName(u"errori"_s);
    m_missed->setAccessibleName(u"Operazioni sbagliate più spesso"_s);
    m_missed->setFont(recordFont());
    m_missedPage = new QStackedWidget;
    m_missedPage->addWidget(placeholder(u"Scegli un alunno per vedere le operazioni che sbaglia più spesso."_s));
    m_missedPage->addWidget(m_missed);

    m_details = new QTabWidget;
    m_details->setObjectName(u"dettagli"_s);
    m_details->addTab(runPage, u"Operazioni dell'esecuzione"_s);
    m_details->addTab(m_chartPage, u"Andamento dell'alunno"_s);
    m_details->addTab(m_missedPage, u"Errori più frequenti"_s);

    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(m_table);
    split->addWidget(m_details);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setChildrenCollapsible(false);

    // What the teacher does with it.
    auto* csv = new QPushButton(u"&Esporta CSV…"_s);
    csv->setObjectName(u"esporta"_s);
    auto* print = new QPushButton(u"&Stampa"_s);
    print->setObjectName(u"stampa"_s);
    m_delete = new QPushButton(u"Eli&mina alunno…"_s);
    m_delete->setObjectName(u"elimina"_s);
    m_delete->setToolTip(u"Elimina dal registro tutte le esecuzioni dell'alunno scelto"_s);
    m_exportPupil = new QPushButton(u"Dati dell'al&unno…"_s);
    m_exportPupil->setObjectName(u"esportaAlunno"_s);
    m_exportPupil->setToolTip(u"Scrive in un file di testo tutto ciò che il registro conserva dell'alunno scelto"_s);
    auto* family = new QPushButton(u"Scheda dell'alunno"_s);
    family->setObjectName(u"stampaScheda"_s);
    family->setToolTip(u"Stampa una pagina per la famiglia: l'alunno scelto, o ogni alunno di una classe"_s);
    auto* actions = new QHBoxLayout;
    actions->addWidget(csv);
    actions->addWidget(print);
    actions->addWidget(family);
    actions->addStretch(1);
    actions->addWidget(m_exportPupil);
    actions->addWidget(m_delete);

    auto* runsPage = new QWidget;
    auto* layout = new QVBoxLayout(runsPage);
    layout->addWidget(filters);
    layout->addWidget(split, 1);
    layout->addLayout(actions);
    m_parts = new QTabWidget;
    m_parts->setObjectName(u"parti"_s);
    m_parts->addTab(runsPage, u"Esecuzioni"_s);
    setCentralWidget(m_parts);

    m_count = new ElidedLabel;
    m_count->setObjectName(u"conteggio"_s);
    statusBar()->addWidget(m_count);
    // Beside the source, where an error message cannot cover it.
    m_reading = new QLabel(u"Lettura…"_s);
    m_reading->setObjectName(u"lettura"_s);
    m_reading->hide();
    statusBar()->addPermanentWidget(m_reading);
    auto* where = new ElidedLabel(source);
    where->setObjectName(u"origine"_s);
    statusBar()->addPermanentWidget(where);

    m_retry = new QTimer(this);
    m_retry->setInterval(kRetryAfter);
    connect(m_retry, &QTimer::timeout, this, [this] {
        if (!isReading())
            refresh();
    });

    m_reads = std::make_unique<registro::ReadThread>(reader.database(), reader.zone(), this);
    m_reads->onBusyChanged([this](bool) { readingChanged(isReading()); });
    // A pupil's chart and errors on a connection of their own: read beside
    // the table's page, not after it.
    m_figureReads = std::make_unique<registro::ReadThread>(reader.database(), reader.zone(), this);
    m_figureReads->onBusyChanged([this](bool) { readingChanged(isReading()); });
    // The teacher's commands on a third: an export of a big journal leaves
    // the table to be read meanwhile.
    m_commands = std::make_unique<registro::ReadThread>(reader.database(), reader.zone(), this);
    m_commands->onBusyChanged([this](bool) { readingChanged(isReading()); });
    // The class lists on a fourth: a change waits for nothing the window reads.
    m_classReads = std::make_unique<registro::ReadThread>(reader.database(), reader.zone(), this);
    m_classReads->onBusyChanged([this](bool) { readingChanged(isReading()); });
    m_classes = new ClassPanel(*m_classReads, clock, dialogs);
    // A renamed pupil's runs go under the new name.
    m_classes->onChanged([this] { refresh(); });
    m_parts->addTab(m_classes, u"Classi"_s);
    m_family = new FamilyPrint(this, *m_reads, printers, clock, dialogs, reader.zone());
    m_classView = new ClassView(*m_reads, clock, reader.zone());
    m_classView->onOpenPupil([this](const QString& pupil, const registro::Days& days) { openPupil(pupil, days); });
    m_parts->addTab(m_classView, u"Classe"_s);
    m_model.setPageReader([this](const registro::RunFilter& filter, const registro::RunCursor& after) {
        struct Page {
            QList<registro::RunRow> rows;
            QString error;
        };
        m_reads->post<Page>(
            registro::ReadThread::Page,
            [filter, after](registro::Reader& reader) {
                Page page{reader.runs(filter, registro::RunsModel::kPage, after), {}};
                page.error = reader.lastError();
                return page;
            },
            [this, filter, after](const Page& page) {
                m_model.appendPage(filter, after, page.rows, page.error);
                reportError(page.error);
            });
    });

    connect(m_pupil, &QComboBox::currentIndexChanged, this, &TeacherWindow::applyFilter);
    connect(m_copy, &QComboBox::currentIndexChanged, this, &TeacherWindow::applyFilter);
    connect(m_fromOn, &QCheckBox::toggled, m_from, &QWidget::setEnabled);
    connect(m_toOn, &QCheckBox::toggled, m_to, &QWidget::setEnabled);
    for (QCheckBox* box : {m_fromOn, m_toOn})
        connect(box, &QCheckBox::toggled, this, &TeacherWindow::applyFilter);
    for (QDateEdit* date : {m_from, m_to})
        connect(date, &QDateEdit::dateChanged, this, &TeacherWindow::applyFilter);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TeacherWindow::showRun);
    connect(m_details, &QTabWidget::currentChanged, this, &TeacherWindow::showPupil);
    connect(refreshButton, &QPushButton::clicked, this, &TeacherWindow::refresh);
    connect(csv, &QPushButton::clicked, this, &TeacherWindow::exportCsv);
    connect(print, &QPushButton::clicked, this, &TeacherWindow::printReport);
    connect(family, &QPushButton::clicked, this, &TeacherWindow::printFamilyPages);
    connect(m_delete, &QPushButton::clicked, this, &TeacherWindow::deletePupil);
    connect(m_exportPupil, &QPushButton::clicked, this, &TeacherWindow::exportPupil);

    // Never past the screen, however small.
    const QSize room = screen()->availableGeometry().size();
    resize(std::min(1180, room.width()), std::min(720, room.height()));
    keepInWorkArea(this);
    refresh();
}

registro::RunFilter TeacherWindow::filter() const
{
    registro::RunFilter filter;
    filter.pupil = m_pupil->currentData().toString();
    filter.copy = m_copy->currentData().toString();
    if (m_fromOn->isChecked())
        filter.from = m_from->date();
    if (m_toOn->isChecked())
        filter.to = m_to->date();
    return filter;
}

namespace {

struct Choices {
    QStringList pupils;
    QStringList copies;
    QString error;
};

struct Lines {
    QStringList lines;
    QString error;
};

}  // namespace

void TeacherWindow::refresh()
{
    m_classView->reload();
    m_reads->post<Choices>(
        registro::ReadThread::Choices,
        [](registro::Reader& reader) {
            Choices choices;
            choices.pupils = reader.pupils();
            choices.error = reader.lastError();
            choices.copies = reader.copies();
            if (choices.error.isEmpty())
                choices.error = reader.lastError();
            return choices;
        },
        [this](const Choices& choices) {
            fillChoices(choices.pupils, choices.copies);
            reportError(choices.error);
            m_datesFromNewest = true;
            applyFilter();
        });
}

void TeacherWindow::fillChoices(const QStringList& pupils, const QStringList& copies)
{
    const QString pupil = m_pupil->currentData().toString();
    const QString copy = m_copy->currentData().toString();
    m_filling = true;
    m_pupil->clear();
    m_pupil->addItem(u"Tutti gli alunni"_s, QString());
    // The filter takes the whole name; the list shows it cut, whole in the tooltip.
    const auto add = [](QComboBox* box, const QString& name) {
        box->addItem(registro::shortText(name), name);
        if (name.size() > registro::kShownLength)
            box->setItemData(box->count() - 1, registro::tipText(name), Qt::ToolTipRole);
    };
    for (const QString& name : pupils)
        add(m_pupil, name);
    m_copy->clear();
    m_copy->addItem(u"Tutte le copie"_s, QString());
    for (const QString& name : copies)
        add(m_copy, name);
    // Keep what was chosen while it is still there.
    m_pupil->setCurrentIndex(std::max(0, m_pupil->findData(pupil)));
    m_copy->setCurrentIndex(std::max(0, m_copy->findData(copy)));
    m_filling = false;
}

void TeacherWindow::openPupil(const QString& pupil, const registro::Days& days)
{
    m_filling = true;
    // A pupil with no run yet is not among the choices: their table is empty.
    if (m_pupil->findData(pupil) < 0)
        m_pupil->addItem(pupil, pupil);
    m_pupil->setCurrentIndex(m_pupil->findData(pupil));
    m_copy->setCurrentIndex(0);
    m_fromOn->setChecked(true);
    m_from->setDate(days.from);
    m_toOn->setChecked(true);
    m_to->setDate(days.to);
    m_filling = false;
    applyFilter();
    m_details->setCurrentIndex(1);
    m_parts->setCurrentIndex(0);
}

void TeacherWindow::applyFilter()
{
    if (m_filling)
        return;
    const registro::RunFilter current = filter();
    // What was asked for the table before is of no use any more.
    m_reads->supersede(registro::ReadThread::Page);
    m_reads->supersede(registro::ReadThread::Lines);
    m_reads->supersede(registro::ReadThread::Count);
    const bool datesFromNewest = std::exchange(m_datesFromNewest, false);
    struct Table {
        registro::RunsModel::FirstPage page;
        QStringList newestLines;  // the first run's, shown with the table
        QString error;
    };
    m_reads->post<Table>(
        registro::ReadThread::Table,
        [current](registro::Reader& reader) {
            // The count of a big journal takes longer than its newest runs: it follows.
            Table table{registro::RunsModel::readFirstPage(reader, current, false), {}, {}};
            if (table.page.error.isEmpty() && !table.page.rows.isEmpty()) {
                table.newestLines = reader.recordLines(table.page.rows.first().id);
                table.error = reader.lastError();
            }
            return table;
        },
        [this, current, datesFromNewest](const Table& table) {
            m_readyLines = {table.page.rows.value(0).id, table.newestLines};
            m_model.show(current, table.page);
            const QString error = m_model.error().isEmpty() ? table.error : m_model.error();
            // Until the count comes, none: an old one would belong to another filter.
            m_countText.clear();
            reportError(error);
            showStatus();
            if (m_model.rowCount() > 0)
                m_table->selectRow(0);
            else
                showRun({});
            // Unset dates start from the newest run's day, the likeliest to be wanted.
            if (datesFromNewest && m_model.rowCount() > 0 && !m_fromOn->isChecked() && !m_toOn->isChecked()) {
                const QDate newest =
                    QDateTime::fromMSecsSinceEpoch(m_model.run(0).startedMs, m_reader.zone()).date();
                const QSignalBlocker fromBlocker(m_from), toBlocker(m_to);
                m_from->setDate(newest);
                m_to->setDate(newest);
            }
        });
    pupilChanged();
    // After the pupil's figures, which the teacher waits for more.
    struct Count {
        int total = 0;
        QString error;
    };
    m_reads->post<Count>(
        registro::ReadThread::Count,
        [current](registro::Reader& reader) {
            Count count{reader.countRuns(current), {}};
            count.error = reader.lastError();
            return count;
        },
        [this, current](const Count& count) {
            // A count only from a table read whole: a failure is no empty journal.
            if (!m_model.error().isEmpty())
                return;
            if (!count.error.isEmpty()) {
                reportError(count.error);
                return;
            }
            m_model.setTotal(current, count.total);
            m_countText = registro::runsText(count.total);
            showStatus();
        });
}

void TeacherWindow::showRun(const QModelIndex& index)
{
    m_reads->supersede(registro::ReadThread::Lines);
    if (!index.isValid()) {
        m_runTitle->setToolTip({});
        const bool filtered = filter() != registro::RunFilter{};
        m_runTitle->setText(!m_lastError.isEmpty()
                                ? u"Il registro non si è potuto leggere: si riprova da solo tra poco, o con «Aggiorna»."_s
                            : filtered ? u"Nessuna esecuzione con questi filtri."_s
                                     : u"Il registro non ha ancora esecuzioni: compaiono qui quando un alunno "
                                       u"comincia a esercitarsi."_s);
        m_lines->clear();
        return;
    }
    const registro::RunRow run = m_model.run(index.row());
    if (const auto ready = std::exchange(m_readyLines, {}); ready.first == run.id && !run.id.isEmpty()) {
        showLines(run, ready.second);
        return;
    }
    m_reads->post<Lines>(
        registro::ReadThread::Lines,
        [id = run.id](registro::Reader& reader) {
            Lines lines{reader.recordLines(id), {}};
            lines.error = reader.lastError();
            return lines;
        },
        [this, run](const Lines& lines) {
            reportError(lines.error);
            showLines(run, lines.lines);
        });
}

void TeacherWindow::showLines(const registro::RunRow& run, const QStringList& lines)
{
    const QString pupil = run.pupil.isEmpty() ? registro::kUnnamed : run.pupil;
    const QString when = u" — "_s % registro::runText(run, registro::Column::Date, m_reader.zone()) %
                         (run.finished ? QString() : u" (lasciata a metà)"_s);
    // The names cut, so that the date still shows; whole in the tooltip.
    m_runTitle->setText(registro::shortText(pupil) % u" — "_s % registro::shortText(run.copy) % when);
    const bool cut = pupil.size() > registro::kShownLength || run.copy.size() > registro::kShownLength;
    m_runTitle->setToolTip(cut ? registro::tipText(pupil % u" — "_s % run.copy % when) : QString());
    // Headed like the printed list: ten operations to an exercise.
    QStringList text;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i % 10 == 0)
            text << (i == 0 ? QString() : u"\n"_s) % u"Esercizio n."_s % QString::number(i / 10 + 1);
        text << lines[i];
    }
    m_lines->setPlainText(text.join(u'\n'));
}

void TeacherWindow::pupilChanged()
{
    const bool onePupil = !filter().pupil.isEmpty();
    m_delete->setEnabled(onePupil);
    m_exportPupil->setEnabled(onePupil);
    // In front, the chart or the errors stay as they are until the new ones
    // are read: drawn twice, they would cost twice.
    // Behind, they are emptied, never to show one pupil's figures for another.
    const int inFront = m_details->currentIndex();
    if (inFront != 1) {
        m_chartPage->setCurrentIndex(onePupil ? 1 : 0);
        m_chart->setPoints({}, m_reader.zone());
    }
    if (inFront != 2) {
        m_missedPage->setCurrentIndex(onePupil ? 1 : 0);
        m_missed->clear();
    }
    m_chartShown = m_missedShown = false;
    m_figureReads->supersede(registro::ReadThread::Statistics);
    m_figureReads->supersede(registro::ReadThread::Missed);
    showPupil();
}

void TeacherWindow::showPupil()
{
    // Each is read only when it comes in front: the errors add up every
    // operation of the pupil's runs, the chart one row a run.
    const registro::RunFilter current = filter();
    const bool onePupil = !current.pupil.isEmpty();
    // Reads a pupil's figures on their own connection and shows them; with
    // no pupil chosen, shows none.
    const auto readAndShow = [this, onePupil](registro::ReadThread::Lane lane, auto read, auto show) {
        using Value = decltype(read(std::declval<registro::Reader&>()));
        if (!onePupil) {
            show(Value{});
            return;
        }
        struct Read {
            Value value;
            QString error;
        };
        m_figureReads->post<Read>(
            lane,
            [read](registro::Reader& reader) {
                Read done{read(reader), {}};
                done.error = reader.lastError();
                return done;
            },
            [this, show](const Read& done) {
                reportError(done.error);
                show(done.value);
            });
    };
    if (m_details->currentIndex() == 1 && !m_chartShown) {
        m_chartShown = true;
        readAndShow(
            registro::ReadThread::Statistics, [current](registro::Reader& reader) { return reader.chart(current); },
            [this, onePupil](const QList<registro::ChartPoint>& chart) {
                m_chartPage->setCurrentIndex(onePupil ? 1 : 0);
                m_chart->setPoints(chart, m_reader.zone());
            });
    } else if (m_details->currentIndex() == 2 && !m_missedShown) {
        m_missedShown = true;
        readAndShow(
            registro::ReadThread::Missed,
            [current](registro::Reader& reader) { return reader.missedOperations(current, 10); },
            [this, onePupil](const QList<registro::MissedOperation>& missed) {
                m_missedPage->setCurrentIndex(onePupil ? 1 : 0);
                m_missed->clear();
                for (const registro::MissedOperation& operation : missed)
                    m_missed->addItem(registro::missedText(operation));
                if (missed.isEmpty())
                    m_missed->addItem(u"Nessun errore."_s);
            });
    }
}

void TeacherWindow::readingChanged(bool reading)
{
    m_reading->setVisible(reading);
    if (reading)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

namespace {

// A command's first step: the connection, checked before the teacher is asked anything.
struct Connected {
    std::optional<int> runs;  // and the runs counted, when the step counts them
    QString error;
};

// A command's step that writes: its failure is told as it is, never tried again.
struct Done {
    std::optional<int> runs;
    QString failure;
    QString error;  // the connection's
};

}  // namespace

bool TeacherWindow::startCommand(registro::ReadThread::Lane lane)
{
    return m_running.insert(lane).second;
}

void TeacherWindow::exportCsv()
{
    if (!startCommand(registro::ReadThread::Csv))
        return;
    m_commands->post<Connected>(
        registro::ReadThread::Csv,
        [](registro::Reader& reader) {
            return Connected{{}, reader.ensureConnected() ? QString() : reader.lastError()};
        },
        [this](const Connected& connected) {
            if (!connected.error.isEmpty()) {
                endCommand(registro::ReadThread::Csv);
                m_dialogs.message(u"Esportazione non riuscita. "_s % connected.error);
                return;
            }
            const QString suggested =
                QDir::current().filePath(u"registro-"_s % m_clock.shortDate().replace(u'/', u'-') % u".csv"_s);
            const CsvChoice choice = m_questions.csvFile(this, suggested);
            if (choice.path.isEmpty()) {
                endCommand(registro::ReadThread::Csv);
                return;
            }
            const registro::RunFilter shown = m_model.filter();
            const std::optional<int> counted = m_model.counted() ? std::optional(m_model.total()) : std::nullopt;
            m_commands->post<Done>(
                registro::ReadThread::Csv,
                [choice, shown, counted](registro::Reader& reader) {
                    const QString native = QDir::toNativeSeparators(choice.path);
                    Done done;
                    // A new file takes the chosen name: a link there is replaced,
                    // never followed out of the folder or into someone's file.
                    platform::SafeFile file(choice.path, 0666);
                    if (!file.open(QIODevice::WriteOnly)) {
                        done.failure =
                            platform::systemFailureMessage(u"Impossibile creare il file "_s % native, file.errorNumber());
                    } else if (!registro::writeRunsCsv(reader, shown, file, &done.failure, choice.form) ||
                               !file.commit()) {
                        if (file.errorNumber() != 0)
                            done.failure = platform::systemFailureMessage(u"Impossibile scrivere il file "_s % native,
                                                                          file.errorNumber());
                        file.cancelWriting();
                    }
                    // The runs the table's filter lets through, counted here when the table had not yet.
                    if (done.failure.isEmpty())
                        done.runs = counted ? *counted : reader.countRuns(shown);
                    return done;
                },
                [this, path = choice.path, shown, counted](const Done& done) {
                    endCommand(registro::ReadThread::Csv);
                    if (!done.error.isEmpty() || !done.failure.isEmpty()) {
                        m_dialogs.message(u"Esportazione non riuscita. "_s %
                                          (done.error.isEmpty() ? done.failure : done.error));
                        return;
                    }
                    if (!counted)
                        m_model.setTotal(shown, *done.runs);
                    m_dialogs.message((*done.runs == 1 ? u"Esportata "_s : u"Esportate "_s) %
                                      registro::runsText(*done.runs) % u" nel file:\n"_s %
                                      QDir::toNativeSeparators(path));
                });
        });
}

void TeacherWindow::printReport()
{
    if (!startCommand(registro::ReadThread::Report))
        return;
    const registro::RunFilter shown = m_model.filter();
    const std::optional<int> counted = m_model.counted() ? std::optional(m_model.total()) : std::nullopt;
    m_commands->post<Connected>(
        registro::ReadThread::Report,
        [shown, counted](registro::Reader& reader) {
            if (!reader.ensureConnected())
                return Connected{{}, reader.lastError()};
            return Connected{counted ? *counted : reader.countRuns(shown), {}};
        },
        [this, shown, counted](const Connected& connected) {
            if (!connected.error.isEmpty()) {
                endCommand(registro::ReadThread::Report);
                m_dialogs.message(u"Stampa non riuscita. "_s % connected.error);
                return;
            }
            if (!counted)
                m_model.setTotal(shown, *connected.runs);
            const int runs = *connected.runs;
            const int pages = registro::reportPages(runs);
            if (pages > kPagesWithoutAsking &&
                !m_questions.confirm(this, u"La stampa comprende "_s % QString::number(runs) %
                                               u" esecuzioni, circa "_s % QString::number(pages) %
                                               u" pagine. Stampare comunque?"_s)) {
                endCommand(registro::ReadThread::Report);
                return;
            }
            m_printJob = platform::openPrintJob(&m_printers, u"registro"_s, m_dialogs);
            if (m_printJob && platform::findCourier(*m_printJob).isEmpty()) {
                m_printJob.reset();
                platform::reportPrintResult(m_dialogs, {false, {}, platform::kMissingCourierMessage});
            }
            if (!m_printJob) {
                endCommand(registro::ReadThread::Report);
                return;
            }
            // Read whole on the thread, printed here.
            m_commands->post<registro::ReportListing>(
                registro::ReadThread::Report,
                [shown](registro::Reader& reader) { return registro::readReport(reader, shown); },
                [this, shown](const registro::ReportListing& listing) {
                    endCommand(registro::ReadThread::Report);
                    const platform::PrintResult result =
                        registro::printReport(*m_printJob, listing, shown, m_clock.shortDate());
                    m_printJob.reset();  // the job is over before the teacher is told
                    platform::reportPrintResult(m_dialogs, result);
                });
        });
}

void TeacherWindow::printFamilyPages()
{
    m_family->print(filter());
}

void TeacherWindow::deletePupil()
{
    const QString pupil = filter().pupil;
    if (pupil.isEmpty() || !startCommand(registro::ReadThread::Removal))
        return;
    m_commands->post<Connected>(
        registro::ReadThread::Removal,
        [pupil](registro::Reader& reader) {
            if (!reader.ensureConnected())
                return Connected{{}, reader.lastError()};
            return Connected{reader.countRuns({pupil}), {}};
        },
        [this, pupil](const Connected& connected) {
            if (!connected.error.isEmpty()) {
                endCommand(registro::ReadThread::Removal);
                m_dialogs.message(u"Eliminazione non riuscita. "_s % connected.error);
                return;
            }
            const int runs = *connected.runs;
            if (!m_questions.confirm(this, u"Eliminare dal registro "_s %
                                               (runs == 1 ? u"l'unica esecuzione"_s
                                                          : u"tutte le "_s % registro::runsText(runs)) %
                                               u" di "_s % pupil %
                                               u", con le loro operazioni? L'operazione non si può annullare."_s)) {
                endCommand(registro::ReadThread::Removal);
                return;
            }
            m_commands->post<Done>(
                registro::ReadThread::Removal,
                [pupil, at = m_clock.now(), by = m_by](registro::Reader& reader) {
                    Done done;
                    done.runs = reader.deletePupil(pupil, {at, by.get()});
                    if (!done.runs)
                        done.failure = reader.lastError();
                    return done;
                },
                [this, pupil](const Done& done) {
                    endCommand(registro::ReadThread::Removal);
                    if (!done.runs) {
                        m_dialogs.message(u"Eliminazione non riuscita. "_s %
                                          (done.error.isEmpty() ? done.failure : done.error));
                        return;
                    }
                    refresh();  // the name is gone from the choices: all pupils again
                    // "Ugo B." ends the sentence itself.
                    m_dialogs.message((*done.runs == 1 ? u"Eliminata "_s : u"Eliminate "_s) %
                                      registro::runsText(*done.runs) % u" di "_s % pupil %
                                      (pupil.endsWith(u'.') ? QString() : u"."_s));
                });
        });
}

void TeacherWindow::exportPupil()
{
    const QString pupil = filter().pupil;
    if (pupil.isEmpty() || !startCommand(registro::ReadThread::PupilData))
        return;
    QString name = pupil;
    name.replace(QRegularExpression(u"[^\\w-]+"_s), u"-"_s);
    const QString suggested = QDir::current().filePath(u"dati-"_s % name % u".txt"_s);
    const QString path = m_questions.pupilFile(this, suggested);
    if (path.isEmpty()) {
        endCommand(registro::ReadThread::PupilData);
        return;
    }
    const QString shown = QDir::toNativeSeparators(path);
    m_commands->post<Done>(
        registro::ReadThread::PupilData,
        [pupil, path, shown, at = m_clock.now(), by = m_by](registro::Reader& reader) {
            Done done;
            QString& error = done.failure;
            std::optional<int>& runs = done.runs;
            platform::SafeFile file(path, 0666);
            if (!reader.ensureConnected()) {
                error = reader.lastError();
            } else if (!file.open(QIODevice::WriteOnly)) {
                error = platform::systemFailureMessage(u"Impossibile creare il file "_s % shown, file.errorNumber());
            } else {
                runs = registro::writePupilRecord(reader, pupil, at, file, &error);
                if (!runs || !file.commit()) {
                    if (file.errorNumber() != 0)
                        error = platform::systemFailureMessage(u"Impossibile scrivere il file "_s % shown,
                                                               file.errorNumber());
                    file.cancelWriting();
                    runs.reset();
                }
            }
            // Every export is recorded; one that cannot be recorded is not handed over.
            if (runs && !reader.recordAudit(registro::kAuditExport, pupil, *runs, {at, by.get()})) {
                error = reader.lastError();
                QFile::remove(path);
                runs.reset();
            }
            return done;
        },
        [this, pupil, shown](const Done& done) {
            endCommand(registro::ReadThread::PupilData);
            if (!done.runs)
                m_dialogs.message(u"Esportazione non riuscita. "_s % (done.error.isEmpty() ? done.failure : done.error));
            else
                m_dialogs.message(u"I dati di "_s % pupil % u" ("_s % registro::runsText(*done.runs) %
                                  u") sono nel file:\n"_s % shown);
        });
}

void TeacherWindow::setRetryInterval(std::chrono::milliseconds interval)
{
    m_retry->setInterval(interval);
}

void TeacherWindow::reportError(const QString& error)
{
    if (error == m_lastError)
        return;
    m_lastError = error;
    // Read again on its own while the journal cannot be read.
    if (error.isEmpty())
        m_retry->stop();
    else
        m_retry->start();
    showStatus();
}

void TeacherWindow::showStatus()
{
    // One place in the status bar: the failure, or the count, never both.
    m_count->setText(m_lastError.isEmpty() ? m_countText : u"Lettura del registro non riuscita: "_s % m_lastError);
}

}  // namespace registro_ui
