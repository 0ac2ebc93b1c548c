#include "app/Windows.h"

#include "practice/PracticeWindow.h"
#include "start/StartForms.h"

using namespace Qt::Literals::StringLiterals;

namespace app {

std::unique_ptr<forms::Form> createWindow(const QString& name, Services& services)
{
    if (name == u"FrmOperativo"_s)
        return std::make_unique<practice::PracticeWindow>(services);
    return start::createStartForm(name, services);
}

}  // namespace app
