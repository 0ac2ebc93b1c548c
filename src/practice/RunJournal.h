#pragma once

#include "app/Services.h"
#include "model/Tables.h"
#include "platform/Journal.h"

#include <QStringList>

namespace practice {

// What the practice window hands to the results journal: the run once its
// first operation is posed, every operation once it is closed, and the end
// of the run, finished or left halfway. Without a journal it does nothing.
class RunJournal {
public:
    explicit RunJournal(Services& services) : m_services(services), m_state(services.state) {}

    void runStarted();
    void operationPosed(model::Operation operation);
    void wrongAnswer();
    void interventionShown() { m_intervention = true; }
    // After the closing is on the record line. The twentieth ends the run.
    void rightAnswer() { closed(platform::Help::None); }
    void helpClosed() { closed(m_intervention ? platform::Help::Intervention : platform::Help::Accepted); }
    // The run stops before its twentieth operation is closed: Ricomincia, a
    // resize, the window closed. Nothing happens once the run has ended.
    void runLeft() { end(false); }

private:
    void closed(platform::Help help);
    void end(bool finished);

    Services& m_services;
    model::AppState& m_state;
    bool m_open = false;  // a run started and not yet ended
    model::Operation m_operation = model::Operation::Addition;
    QStringList m_wrongAttempts;
    bool m_intervention = false;
};

}  // namespace practice
