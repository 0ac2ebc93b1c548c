#include "ui/registro/ClassView.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace registro_ui {

namespace {

const QString kNoFigure = u"—"_s;
constexpr int kNameRole = Qt::UserRole;

QStandardItem* cell(const QString& text, const QString& spoken = {})
{
    auto* item = new QStandardItem(text);
    item->setEditable(false);
    if (!spoken.isEmpty())
        item->setData(spoken, Qt::AccessibleTextRole);
    return item;
}

QStandardItem* number(std::optional<double> value, int decimals = 0)
{
    QStandardItem* item = value ? cell(QLocale().toString(*value, 'f', decimals)) : cell(kNoFigure, u"nessun dato"_s);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QString spokenChange(std::optional<int> change)
{
    if (!change)
        return u"nessun confronto"_s;
    if (*change == 0)
        return u"invariata"_s;
    return (*change > 0 ? u"in aumento di "_s : u"in calo di "_s) % QString::number(std::abs(*change)) % u" punti"_s;
}

}  // namespace

ClassView::ClassView(registro::ReadThread& reads, platform::Clock& clock, QTimeZone zone, QWidget* parent)
    : QWidget(parent), m_reads(reads), m_clock(clock), m_zone(std::move(zone))
{
    setObjectName(u"classeAlColpo"_s);
    m_class = new QComboBox;
    m_class->setObjectName(u"classeScelta"_s);
    m_class->setMinimumContentsLength(12);
    auto* classLabel = new QLabel(u"C&lasse"_s);
    classLabel->setBuddy(m_class);
    m_period = new QComboBox;
    m_period->setObjectName(u"periodo"_s);
    m_period->addItem(u"Ultimi 7 giorni"_s, int(registro::Period::Week));
    m_period->addItem(u"Ultimi 30 giorni"_s, int(registro::Period::Month));
    m_period->addItem(u"Anno scolastico"_s, int(registro::Period::SchoolYear));
    m_period->setCurrentIndex(1);
    auto* periodLabel = new QLabel(u"&Periodo"_s);
    periodLabel->setBuddy(m_period);
    auto* top = new QHBoxLayout;
    top->addWidget(classLabel);
    top->addWidget(m_class);
    top->addSpacing(12);
    top->addWidget(periodLabel);
    top->addWidget(m_period);
    top->addStretch(1);

    m_model.setHorizontalHeaderLabels({u"!"_s, u"Alunno"_s, u"Esecuzioni"_s, u"Operazioni"_s, u"Giuste %"_s,
                                       u"Variazione"_s, u"Tempo medio (s)"_s, u"Ultima volta"_s,
                                       u"Errori più frequenti"_s});
    m_model.horizontalHeaderItem(Mark)->setData(u"Da seguire"_s, Qt::AccessibleTextRole);
    m_model.horizontalHeaderItem(Mark)->setToolTip(u"Da seguire"_s);
    m_model.horizontalHeaderItem(Change)->setToolTip(u"Punti di giuste rispetto agli stessi giorni prima"_s);
    m_table = new QTableView;
    m_table->setObjectName(u"riepilogoClasse"_s);
    m_table->setAccessibleName(u"Riepilogo della classe"_s);
    m_table->setModel(&m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 8);
    // The missed facts take what the figures leave.
    m_table->horizontalHeader()->setSectionResizeMode(Missed, QHeaderView::Stretch);
    m_table->installEventFilter(this);

    auto* none = new QLabel(u"Il registro non ha ancora classi: si creano nella parte «Classi»."_s);
    none->setAlignment(Qt::AlignCenter);
    none->setWordWrap(true);
    m_pages = new QStackedWidget;
    m_pages->addWidget(m_table);
    m_pages->addWidget(none);

    m_unnamed = new QLabel;
    m_unnamed->setObjectName(u"senzaAlunno"_s);
    auto* rule = new QLabel(u"! = da seguire: giuste sotto il "_s % QString::number(registro::kAttentionShare) %
                            u" %, in calo di "_s % QString::number(registro::kAttentionFall) %
                            u" punti o più rispetto agli stessi giorni prima, o nessun esercizio da "_s %
                            QString::number(registro::kAttentionIdleDays) % u" giorni."_s);
    rule->setObjectName(u"regola"_s);
    rule->setWordWrap(true);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_unnamed);
    bottom->addSpacing(24);
    bottom->addWidget(rule, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_pages, 1);
    layout->addLayout(bottom);

    connect(m_class, &QComboBox::currentIndexChanged, this, &ClassView::read);
    connect(m_period, &QComboBox::currentIndexChanged, this, &ClassView::read);
    connect(m_table, &QTableView::clicked, this, &ClassView::open);
}

void ClassView::reload()
{
    m_stale = true;
    if (isVisible())
        read();
}

void ClassView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_stale)
        read();
}

bool ClassView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            open(m_table->currentIndex());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ClassView::read()
{
    m_stale = false;
    struct Figures {
        QList<registro::ClassChoice> classes;
        registro::ClassSummary summary;
        QString error;
    };
    const QString wanted = m_class->currentData().toString();
    const QDate today = m_clock.now().toTimeZone(m_zone).date();
    const registro::Days days = registro::daysOf(registro::Period(m_period->currentData().toInt()), today);
    m_reads.post<Figures>(
        registro::ReadThread::Class,
        [wanted, days, today](registro::Reader& reader) {
            Figures figures;
            figures.classes = registro::readClasses(reader, &figures.error);
            if (!figures.error.isEmpty() || figures.classes.isEmpty())
                return figures;
            // The class chosen while it is still there, else the first.
            QString id = figures.classes.first().id;
            for (const registro::ClassChoice& choice : figures.classes)
                if (choice.id == wanted)
                    id = wanted;
            figures.summary = registro::readClassSummary(reader, id, days, today);
            figures.error = figures.summary.error;
            return figures;
        },
        [this, days](const Figures& figures) {
            show(figures.classes, figures.summary, figures.error, days);
            if (figures.error.isEmpty() && !figures.summary.pupils.isEmpty())
                readMissed(m_class->currentData().toString(), figures.summary.pupils, days);
        });
}

void ClassView::readMissed(const QString& classId, const QList<registro::PupilSummary>& pupils,
                           const registro::Days& days)
{
    struct Facts {
        QList<registro::PupilSummary> pupils;
        QString error;
    };
    m_reads.post<Facts>(
        registro::ReadThread::Class,
        [classId, pupils, days](registro::Reader& reader) {
            Facts missed{pupils, {}};
            missed.error = registro::readMissedMost(reader, classId, days, missed.pupils);
            return missed;
        },
        [this](const Facts& missed) {
            // Row by row as shown: the order does not change.
            for (int row = 0; row < m_model.rowCount() && row < missed.pupils.size(); ++row) {
                const QString text = registro::missedMostText(missed.pupils[row].missedMost);
                QStandardItem* item = m_model.item(row, Missed);
                item->setText(text.isEmpty() ? kNoFigure : text);
                item->setData(text.isEmpty() ? u"nessuno"_s : QVariant(), Qt::AccessibleTextRole);
            }
            if (!missed.error.isEmpty())
                m_unnamed->setText(u"Lettura del registro non riuscita: "_s % missed.error);
        });
}

void ClassView::show(const QList<registro::ClassChoice>& classes, const registro::ClassSummary& summary,
                     const QString& error, const registro::Days& days)
{
    {
        const QSignalBlocker blocker(m_class);
        const QString chosen = m_class->currentData().toString();
        m_class->clear();
        for (const registro::ClassChoice& choice : classes)
            m_class->addItem(choice.name, choice.id);
        m_class->setCurrentIndex(std::max(0, m_class->findData(chosen)));
    }
    m_days = days;
    m_pages->setCurrentIndex(classes.isEmpty() && error.isEmpty() ? 1 : 0);
    m_model.removeRows(0, m_model.rowCount());
    if (!error.isEmpty()) {
        m_unnamed->setText(u"Lettura del registro non riuscita: "_s % error);
        return;
    }
    m_unnamed->setText(u"Esecuzioni senza alunno: "_s % QString::number(summary.runsWithoutPupil));
    for (const registro::PupilSummary& pupil : summary.pupils) {
        QStandardItem* mark = cell(pupil.attention.isEmpty() ? QString() : u"!"_s,
                                   pupil.attention.isEmpty() ? QString() : u"da seguire"_s);
        if (!pupil.attention.isEmpty()) {
            mark->setToolTip(u"Da seguire: "_s % pupil.attention.join(u"; "_s));
            mark->setForeground(QColor(0xb0, 0x00, 0x20));
            QFont bold = mark->font();
            bold.setBold(true);
            mark->setFont(bold);
        }
        mark->setTextAlignment(Qt::AlignCenter);
        QStandardItem* name = cell(pupil.name);
        name->setData(pupil.name, kNameRole);
        const auto share = pupil.percentRight();
        QStandardItem* change = cell(pupil.change() ? registro::changeText(pupil.change()) : kNoFigure,
                                     spokenChange(pupil.change()));
        change->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_model.appendRow({mark, name, number(pupil.runs), number(pupil.operations),
                           number(share ? std::optional<double>(*share) : std::nullopt), change,
                           number(pupil.secondsPerOperation(), 1),
                           cell(pupil.lastPractised.isValid() ? pupil.lastPractised.toString(u"dd/MM/yy"_s) : u"mai"_s),
                           cell({})});
    }
    // A class is a few dozen rows: the figures fit their texts.
    for (int column = 0; column < Missed; ++column)
        m_table->resizeColumnToContents(column);
}

void ClassView::open(const QModelIndex& index)
{
    if (!index.isValid() || !m_open)
        return;
    const QString name = m_model.index(index.row(), Pupil).data(kNameRole).toString();
    if (!name.isEmpty())
        m_open(name, m_days);
}

}  // namespace registro_ui
