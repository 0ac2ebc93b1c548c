#include "certificate/CertificateForms.h"

#include "certificate/CertificateWindow.h"
#include "certificate/ExercisesWindow.h"
#include "certificate/Names.h"

namespace certificate {

std::unique_ptr<forms::Form> createCertificateForm(const QString& name, Services& services)
{
    if (name == kExercisesWindow) return std::make_unique<ExercisesWindow>(services);
    if (name == kCertificateWindow) return std::make_unique<CertificateWindow>(services);
    return nullptr;
}

}  // namespace certificate
