#include "program/Windows.h"

#include "app/WindowNames.h"

#include "certificate/CertificateForms.h"
#include "practice/PracticeWindow.h"
#include "start/StartForms.h"
#include "worksheets/WorksheetForms.h"

using namespace Qt::Literals::StringLiterals;

namespace app {

std::unique_ptr<forms::Form> createWindow(const QString& name, Services& services)
{
    if (name == windows::kPracticeWindow)
        return std::make_unique<practice::PracticeWindow>(services);
    if (auto form = start::createStartForm(name, services))
        return form;
    if (auto form = certificate::createCertificateForm(name, services))
        return form;
    return worksheets::createWorksheetForm(name, services);
}

}  // namespace app
