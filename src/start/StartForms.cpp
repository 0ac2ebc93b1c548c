#include "start/StartForms.h"

#include "start/InfoWindows.h"
#include "start/Names.h"
#include "start/StartWindow.h"
#include "start/WhoWindow.h"

namespace start {

std::unique_ptr<forms::Form> createStartForm(const QString& name, Services& services)
{
    if (name == kStartWindow) return std::make_unique<StartWindow>(services);
    if (name == kValutazioneWindow) return std::make_unique<ValutazioneWindow>(services);
    if (name == kEsempiWindow) return std::make_unique<EsempiWindow>(services);
    if (name == kAutoreWindow) return std::make_unique<AutoreWindow>(services);
    if (name == kChiSeiWindow) return std::make_unique<WhoWindow>(services);
    return nullptr;
}

}  // namespace start
