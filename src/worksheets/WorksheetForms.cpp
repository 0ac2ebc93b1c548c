#include "worksheets/WorksheetForms.h"

#include "worksheets/WorksheetWindow.h"

namespace worksheets {

std::unique_ptr<forms::Form> createWorksheetForm(const QString& name, Services& services)
{
    if (name == kWorksheetWindow) return std::make_unique<WorksheetWindow>(services);
    return nullptr;
}

}  // namespace worksheets
