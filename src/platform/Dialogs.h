#pragma once

#include <QString>

namespace platform {

// The program's only user messages: a box with the text and an OK button.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Returns when the user has pressed OK.
    virtual void message(const QString& text) = 0;
};

}  // namespace platform
