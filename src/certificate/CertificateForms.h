#pragma once

#include "app/Services.h"
#include "forms/Form.h"

#include <memory>

namespace certificate {

// FrmStampaEsercizio or FrmAttestato, or nullptr for any other name. For the
// host's factory.
std::unique_ptr<forms::Form> createCertificateForm(const QString& name, Services& services);

}  // namespace certificate
