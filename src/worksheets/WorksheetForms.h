#pragma once

#include "app/Services.h"
#include "forms/Form.h"

#include <memory>

namespace worksheets {

// FrmStampaSchede for that name, nullptr for any other. For the host's factory.
std::unique_ptr<forms::Form> createWorksheetForm(const QString& name, Services& services);

}  // namespace worksheets
