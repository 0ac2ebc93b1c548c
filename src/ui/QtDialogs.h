#pragma once

#include "platform/Dialogs.h"

namespace ui {

// A message box with the text and an OK button, titled with the program's name.
class QtDialogs final : public platform::Dialogs {
public:
    void message(const QString& text) override;
};

}  // namespace ui
