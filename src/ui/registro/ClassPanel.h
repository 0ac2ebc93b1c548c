#pragma once

#include "journal/Classes.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "registro/ReadThread.h"

#include <QWidget>

#include <functional>
#include <optional>

class QComboBox;
class QListWidget;
class QPushButton;

namespace registro_ui {

// "Classi": the teacher makes classes and their lists of pupils, which the
// pupils' machines offer in "Chi sei?". Edits go straight to the journal the
// window reads (the school's server as the teacher's role, or the local file),
// on the read thread given, so that a stalled server never holds the window
// up: the teacher is asked before a change and told after it, on the window's
// thread, and one change is under way at a time.
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

    // reads: where the lists are read and changed; it outlives the panel's use of it.
    ClassPanel(registro::ReadThread& reads, platform::Clock& clock, platform::Dialogs& dialogs,
               QWidget* parent = nullptr);
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
    struct Change;
    QString currentClass() const;
    QString currentPupil() const;
    void showPupils();
    void fillPupils(const QList<journal::ClassPupil>& pupils);
    void addNames(const QStringList& names);
    // Runs step once on the read thread; back here, after, or else done, takes the result.
    void change(std::function<void(journal::ClassLists&, Change&)> step, std::function<void(const Change&)> after = {});
    // Tells a failure, reads the lists again and, after a change, tells the window.
    void done(const Change& change);
    void updateButtons();

    registro::ReadThread& m_reads;
    platform::Clock& m_clock;
    platform::Dialogs& m_dialogs;
    bool m_changing = false;  // a change was asked for and has not come back yet
    Questions m_questions;
    std::function<void()> m_changed;
    QComboBox* m_class = nullptr;
    QListWidget* m_pupils = nullptr;
    QList<QPushButton*> m_needClass;
    QList<QPushButton*> m_needPupil;
};

}  // namespace registro_ui
