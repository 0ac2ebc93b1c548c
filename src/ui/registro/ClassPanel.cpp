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

ClassPanel::ClassPanel(QSqlDatabase db, platform::Clock& clock, platform::Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_lists(std::move(db), m_ids, clock), m_dialogs(dialogs), m_questions(askingTheUser())
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

void ClassPanel::reload()
{
    const QString chosen = currentClass();
    const QList<journal::SchoolClass> classes = m_lists.classes();
    {
        const QSignalBlocker quiet(m_class);
        m_class->clear();
        for (const journal::SchoolClass& c : classes) {
            m_class->addItem(c.name, c.id);
            m_class->setItemData(m_class->count() - 1, registro::tipText(c.name), Qt::ToolTipRole);
        }
        m_class->setCurrentIndex(std::max(0, m_class->findData(chosen)));
    }
    if (!m_lists.lastError().isEmpty())
        m_dialogs.message(u"Lettura delle classi non riuscita. "_s % m_lists.lastError());
    showPupils();
}

void ClassPanel::showPupils()
{
    const QString chosen = currentPupil();
    m_pupils->clear();
    if (!currentClass().isEmpty()) {
        for (const journal::ClassPupil& pupil : m_lists.pupils(currentClass())) {
            auto* item = new QListWidgetItem(pupil.name, m_pupils);
            item->setData(Qt::UserRole, pupil.id);
            item->setToolTip(registro::tipText(pupil.name));
            if (pupil.id == chosen)
                m_pupils->setCurrentItem(item);
        }
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

void ClassPanel::done(bool ok)
{
    if (!ok)
        m_dialogs.message(u"Modifica non riuscita: "_s % m_lists.lastError() % u'.');
    reload();
    if (ok && m_changed)
        m_changed();
}

void ClassPanel::newClass()
{
    const std::optional<QString> name = m_questions.line(this, u"Nome della nuova classe (per esempio 3A):"_s, {});
    if (!name)
        return;
    const std::optional<QString> id = m_lists.addClass(*name);
    if (id) {
        const QSignalBlocker quiet(m_class);
        m_class->addItem(name->simplified(), *id);
        m_class->setCurrentIndex(m_class->count() - 1);
    }
    done(id.has_value());
}

void ClassPanel::renameClass()
{
    if (currentClass().isEmpty())
        return;
    const std::optional<QString> name = m_questions.line(this, u"Nuovo nome della classe:"_s, m_class->currentText());
    if (name)
        done(m_lists.renameClass(currentClass(), *name));
}

void ClassPanel::addNames(const QStringList& names)
{
    if (currentClass().isEmpty() || names.isEmpty())
        return;
    const std::optional<int> added = m_lists.addPupils(currentClass(), names);
    done(added.has_value());
    if (added && *added < names.size())
        m_dialogs.message(*added == 1 ? u"Aggiunto 1 alunno; gli altri nomi erano già nell'elenco."_s
                                      : u"Aggiunti %1 alunni; gli altri nomi erano già nell'elenco."_s.arg(*added));
}

void ClassPanel::addPupil()
{
    if (const std::optional<QString> name = m_questions.line(this, u"Nome dell'alunno:"_s, {}))
        addNames(journal::namesFromText(*name));
}

void ClassPanel::pasteList()
{
    if (const std::optional<QString> text = m_questions.lines(this, u"Incolla i nomi degli alunni, uno per riga:"_s))
        addNames(journal::namesFromText(*text));
}

void ClassPanel::importCsv()
{
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
    if (!item)
        return;
    const std::optional<QString> name =
        m_questions.line(this, u"Nuovo nome dell'alunno (le sue esecuzioni lo seguono):"_s, item->text());
    if (name)
        done(m_lists.renamePupil(currentPupil(), *name));
}

void ClassPanel::movePupilOut()
{
    const QListWidgetItem* item = m_pupils->currentItem();
    if (!item)
        return;
    if (!m_questions.confirm(this, u"Togliere "_s % item->text() %
                                       u" dall'elenco della classe? Le sue esecuzioni restano nel registro."_s))
        return;
    done(m_lists.moveOut(currentPupil()));
}

}  // namespace registro_ui
