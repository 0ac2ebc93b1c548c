#pragma once

#include "journal/Classes.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"

#include <QSqlDatabase>
#include <QWidget>

#include <functional>
#include <optional>

class QComboBox;
class QListWidget;
class QPushButton;

namespace registro_ui {

// "Classi": the teacher makes classes and their lists of pupils, which the
// pupils' machines offer in "Chi sei?". Edits go straight to the journal the
// window reads (the school's server as the teacher's role, or the local file).
class ClassPanel final : public QWidget {
public:
    // What asks the teacher something; tests answer in their place.
    struct Questions {
        // One line of text, or nothing when the teacher gave up.
        std::function<std::optional<QString>(QWidget*, const QString& label, const QString& text)> line;
        // Several lines (a pasted list).
        std::function<std::optional<QString>(QWidget*, const QString& label)> lines;
        // The CSV file to read, or "".
        std::function<QString(QWidget*)> csvFile;
        std::function<bool(QWidget*, const QString& question)> confirm;
    };
    static Questions askingTheUser();

    ClassPanel(QSqlDatabase db, platform::Clock& clock, platform::Dialogs& dialogs, QWidget* parent = nullptr);
    void setQuestions(Questions questions) { m_questions = std::move(questions); }
    // Told after every change the runs' names may follow.
    void onChanged(std::function<void()> told) { m_changed = std::move(told); }

    // Reads the classes again, keeping the one chosen.
    void reload();

    void newClass();
    void renameClass();
    void addPupil();
    void pasteList();
    void importCsv();
    void renamePupil();
    void movePupilOut();

private:
    QString currentClass() const;
    QString currentPupil() const;
    void showPupils();
    void addNames(const QStringList& names);
    void done(bool ok);
    void updateButtons();

    journal::UuidSource m_ids;
    journal::ClassLists m_lists;
    platform::Dialogs& m_dialogs;
    Questions m_questions;
    std::function<void()> m_changed;
    QComboBox* m_class = nullptr;
    QListWidget* m_pupils = nullptr;
    QList<QPushButton*> m_needClass;
    QList<QPushButton*> m_needPupil;
};

}  // namespace registro_ui
