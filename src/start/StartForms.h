#pragma once

#include "app/Services.h"
#include "forms/Form.h"

#include <memory>

namespace start {

// The window of this name among frmInizio, FrmValutazione, frmEsempi and
// frmAutore, or nullptr for any other name. For the host's factory.
std::unique_ptr<forms::Form> createStartForm(const QString& name, Services& services);

}  // namespace start
