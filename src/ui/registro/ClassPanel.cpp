#include "ui/registro/ClassPanel.h"

#include "registro/Texts.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace registro_ui {

namespace {

const QString kTitle = u"Classi"_s;
// A class list is a few dozen lines; a bigger file is not one.
constexpr qint64 kMaxCsvBytes = 1024 * 1024;

QPushButton* button(const QString& text, const QString& name)
{
    auto* b = new QPushButton(text);
    b->setObjectName(name);
    return b;
}

}  // namespace

ClassPanel::Questions ClassPanel::askingTheUser()
{
    Questions q;
    q.line = [](QWidget* parent, const QString& label, const QString& text) -> std::optional<QString> {
        bool ok = false;
        const QString answer = QInputDialog::getText(parent, kTitle, label, QLineEdit::Normal, text, &ok);
        return ok ? std::optional<QString>(answer) : std::nullopt;
    };
    q.lines = [](QWidget* parent, const QString& label) -> std::optional<QString> {
        bool ok = false;
        const QString answer = QInputDialog::getMultiLineText(parent, kTitle, label, {}, &ok);
        return ok ? std::optional<QString>(answer) : std::nullopt;
    };
    q.csvFile = [](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, u"Importa un elenco da CSV"_s, {}, u"File CSV (*.csv *.txt)"_s);
    };
    q.confirm = [](QWidget* parent, const QString& question) {
        return QMessageBox::question(parent, kTitle, question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
               QMessageBox::Yes;
    };
    return q;
}

ClassPanel::ClassPanel(registro::ReadThread& reads, platform::Clock& clock, platform::Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_reads(reads), m_clock(clock), m_dialogs(dialogs), m_questions(askingTheUser())
{
    setObjectName(u"classi"_s);
    m_class = new QComboBox;
    m_class->setObjectName(u"classe"_s);
    m_class->setMinimumContentsLength(12);
    // A long class name never sets the window's width.
    m_class->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto* classLabel = new QLabel(u"C&lasse"_s);
    classLabel->setBuddy(m_class);
    auto* newClass = button(u"&Nuova classe…"_s, u"nuovaClasse"_s);
    auto* renameClass = button(u"Rinomina c&lasse…"_s, u"rinominaClasse"_s);
    auto* top = new QHBoxLayout;
    top->addWidget(classLabel);
    top->addWidget(m_class);
    top->addWidget(newClass);
    top->addWidget(renameClass);
    top->addStretch(1);

    m_pupils = new QListWidget;
    m_pupils->setObjectName(u"alunniClasse"_s);
    m_pupils->setAccessibleName(u"Alunni della classe"_s);
    // A long name is cut at its end, never widening the window.
    m_pupils->setTextElideMode(Qt::ElideRight);
    m_pupils->setUniformItemSizes(true);

    auto* add = button(u"Aggiungi al&unno…"_s, u"aggiungiAlunno"_s);
    auto* paste = button(u"Incolla &elenco…"_s, u"incollaElenco"_s);
    auto* csv = button(u"&Importa CSV…"_s, u"importaCsv"_s);
    auto* rename = button(u"&Rinomina alunno…"_s, u"rinominaAlunno"_s);
    auto* out = button(u"&Togli dall'elenco"_s, u"togliAlunno"_s);
    out->setToolTip(u"L'alunno esce dall'elenco; le sue esecuzioni restano nel registro"_s);
    auto* side = new QVBoxLayout;
    for (QPushButton* b : {add, paste, csv, rename, out})
        side->addWidget(b);
    side->addStretch(1);
    m_needClass = {renameClass, add, paste, csv};
    m_needPupil = {rename, out};

    auto* middle = new QHBoxLayout;
    middle->addWidget(m_pupils, 1);
    middle->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);

    connect(m_class, &QComboBox::currentIndexChanged, this, &ClassPanel::showPupils);
    connect(m_pupils, &QListWidget::currentRowChanged, this, &ClassPanel::updateButtons);
    connect(newClass, &QPushButton::clicked, this, &ClassPanel::newClass);
    connect(renameClass, &QPushButton::clicked, this, &ClassPanel::renameClass);
    connect(add, &QPushButton::clicked, this, &ClassPanel::addPupil);
    connect(paste, &QPushButton::clicked, this, &ClassPanel::pasteList);
    connect(csv, &QPushButton::clicked, this, &ClassPanel::importCsv);
    connect(rename, &QPushButton::clicked, this, &ClassPanel::renamePupil);
    connect(out, &QPushButton::clicked, this, &ClassPanel::movePupilOut);
    reload();
}

QString ClassPanel::currentClass() const
{
    return m_class->currentData().toString();
}

QString ClassPanel::currentPupil() const
{
    const QListWidgetItem* item = m_pupils->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

namespace {

struct ClassesRead {
    QList<journal::SchoolClass> classes;
    QString shown;  // the class whose pupils were read with them
    QList<journal::ClassPupil> pupils;
    QString error;  // the classes', told to the teacher
};

struct PupilsRead {
    QList<journal::ClassPupil> pupils;
    QString error;
};

}  // namespace

// A change as it came back.
struct ClassPanel::Change {
    bool ok = false;
    std::optional<QString> classId;  // the class made
    std::optional<int> added;        // the pupils added
    QString failure;  // the change's own: told as it is, never tried again
    QString error;    // the connection's
};

void ClassPanel::reload()
{
    const QString chosen = currentClass();
    m_reads.post<ClassesRead>(
        registro::ReadThread::Classes,
        [chosen, &clock = m_clock](registro::Reader& reader) {
            journal::UuidSource ids;
            journal::ClassLists lists(reader.database(), ids, clock);
            ClassesRead read;
            read.classes = lists.classes();
            read.error = lists.lastError();
            if (!read.error.isEmpty() || read.classes.isEmpty())
                return read;
            // The list shows the class chosen while it is still there, else
            // the first: its pupils come in the same trip.
            const bool kept = std::any_of(read.classes.begin(), read.classes.end(),
                                          [&](const journal::SchoolClass& c) { return c.id == chosen; });
            read.shown = kept ? chosen : read.classes.first().id;
            read.pupils = lists.pupils(read.shown);
            return read;
        },
        [this](const ClassesRead& read) {
            // Chosen meanwhile, the newer choice is kept.
            const QString chosen = currentClass();
            {
                const QSignalBlocker quiet(m_class);
                m_class->clear();
                for (const journal::SchoolClass& c : read.classes) {
                    m_class->addItem(c.name, c.id);
                    m_class->setItemData(m_class->count() - 1, registro::tipText(c.name), Qt::ToolTipRole);
                }
                m_class->setCurrentIndex(std::max(0, m_class->findData(chosen)));
            }
            if (!read.error.isEmpty())
                m_dialogs.message(u"Lettura delle classi non riuscita. "_s % read.error);
            if (!read.shown.isEmpty() && read.shown == currentClass())
                fillPupils(read.pupils);
            else
                showPupils();
        });
}

void ClassPanel::showPupils()
{
    const QString classId = currentClass();
    // Another class's pupils are never left to be renamed or taken out meanwhile.
    m_pupils->clear();
    updateButtons();
    if (classId.isEmpty())
        return;
    m_reads.post<PupilsRead>(
        registro::ReadThread::ClassPupils,
        [classId, &clock = m_clock](registro::Reader& reader) {
            journal::UuidSource ids;
            journal::ClassLists lists(reader.database(), ids, clock);
            PupilsRead read{lists.pupils(classId), {}};
            read.error = lists.lastError();
            return read;
        },
        [this, classId](const PupilsRead& read) {
            if (classId == currentClass())
                fillPupils(read.pupils);
        });
}

void ClassPanel::fillPupils(const QList<journal::ClassPupil>& pupils)
{
    const QString chosen = currentPupil();
    m_pupils->clear();
    for (const journal::ClassPupil& pupil : pupils) {
        auto* item = new QListWidgetItem(pupil.name, m_pupils);
        item->setData(Qt::UserRole, pupil.id);
        item->setToolTip(registro::tipText(pupil.name));
        if (pupil.id == chosen)
            m_pupils->setCurrentItem(item);
    }
    updateButtons();
}

void ClassPanel::updateButtons()
{
    for (QPushButton* b : m_needClass)
        b->setEnabled(!currentClass().isEmpty());
    for (QPushButton* b : m_needPupil)
        b->setEnabled(!currentPupil().isEmpty());
}

void ClassPanel::change(std::function<void(journal::ClassLists&, Change&)> step, std::function<void(const Change&)> after)
{
    m_changing = true;
    m_reads.post<Change>(
        registro::ReadThread::ClassChange,
        [step = std::move(step), &clock = m_clock](registro::Reader& reader) {
            Change change;
            // A connection cut by a server's restart is opened again first.
            if (!reader.ensureConnected()) {
                change.error = reader.lastError();
                return change;
            }
            journal::UuidSource ids;
            journal::ClassLists lists(reader.database(), ids, clock);
            step(lists, change);
            if (!change.ok)
                change.failure = lists.lastError();
            return change;
        },
        [this, after = std::move(after)](const Change& change) {
            m_changing = false;
            if (after)
                after(change);
            else
                done(change);
        });
}

void ClassPanel::done(const Change& change)
{
    if (!change.ok)
        m_dialogs.message(u"Modifica non riuscita: "_s % (change.error.isEmpty() ? change.failure : change.error) %
                          u'.');
    reload();
    if (change.ok && m_changed)
        m_changed();
}

void ClassPanel::newClass()
{
    if (m_changing)
        return;
    const std::optional<QString> name = m_questions.line(this, u"Nome della nuova classe (per esempio 3A):"_s, {});
    if (!name)
        return;
    change(
        [name = *name](journal::ClassLists& lists, Change& made) {
            made.classId = lists.addClass(name);
            made.ok = made.classId.has_value();
        },
        [this, name = *name](const Change& made) {
            if (made.classId) {
                const QSignalBlocker quiet(m_class);
                m_class->addItem(name.simplified(), *made.classId);
                m_class->setCurrentIndex(m_class->count() - 1);
                m_pupils->clear();
            }
            done(made);
        });
}

void ClassPanel::renameClass()
{
    if (currentClass().isEmpty() || m_changing)
        return;
    const std::optional<QString> name = m_questions.line(this, u"Nuovo nome della classe:"_s, m_class->currentText());
    if (name)
        change([classId = currentClass(), name = *name](journal::ClassLists& lists, Change& renamed) {
            renamed.ok = lists.renameClass(classId, name);
        });
}

void ClassPanel::addNames(const QStringList& names)
{
    if (currentClass().isEmpty() || names.isEmpty())
        return;
    change(
        [classId = currentClass(), names](journal::ClassLists& lists, Change& added) {
            added.added = lists.addPupils(classId, names);
            added.ok = added.added.has_value();
        },
        [this, given = names.size()](const Change& added) {
            done(added);
            if (added.added && *added.added < given)
                m_dialogs.message(*added.added == 1
                                      ? u"Aggiunto 1 alunno; gli altri nomi erano già nell'elenco."_s
                                      : u"Aggiunti %1 alunni; gli altri nomi erano già nell'elenco."_s.arg(*added.added));
        });
}

void ClassPanel::addPupil()
{
    if (m_changing)
        return;
    if (const std::optional<QString> name = m_questions.line(this, u"Nome dell'alunno:"_s, {}))
        addNames(journal::namesFromText(*name));
}

void ClassPanel::pasteList()
{
    if (m_changing)
        return;
    if (const std::optional<QString> text = m_questions.lines(this, u"Incolla i nomi degli alunni, uno per riga:"_s))
        addNames(journal::namesFromText(*text));
}

void ClassPanel::importCsv()
{
    if (m_changing)
        return;
    const QString path = m_questions.csvFile(this);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (file.size() > kMaxCsvBytes || !file.open(QIODevice::ReadOnly)) {
        m_dialogs.message(u"Il file "_s % path % u" non si può leggere come elenco di alunni."_s);
        return;
    }
    const QStringList names = journal::namesFromCsv(file.readAll());
    if (names.isEmpty())
        m_dialogs.message(u"Il file "_s % path % u" non contiene nomi."_s);
    addNames(names);
}

void ClassPanel::renamePupil()
{
    const QListWidgetItem* item = m_pupils->currentItem();
    if (!item || m_changing)
        return;
    const std::optional<QString> name =
        m_questions.line(this, u"Nuovo nome dell'alunno (le sue esecuzioni lo seguono):"_s, item->text());
    if (name)
        change([pupilId = currentPupil(), name = *name](journal::ClassLists& lists, Change& renamed) {
            renamed.ok = lists.renamePupil(pupilId, name);
        });
}

void ClassPanel::movePupilOut()
{
    const QListWidgetItem* item = m_pupils->currentItem();
    if (!item || m_changing)
        return;
    if (!m_questions.confirm(this, u"Togliere "_s % item->text() %
                                       u" dall'elenco della classe? Le sue esecuzioni restano nel registro."_s))
        return;
    change([pupilId = currentPupil()](journal::ClassLists& lists, Change& out) { out.ok = lists.moveOut(pupilId); });
}

}  // namespace registro_ui
