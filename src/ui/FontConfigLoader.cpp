#include "ui/FontConfigLoader.h"

#include <fontconfig/fontconfig.h>

#include <system_error>

namespace ui {

FontConfigLoader::FontConfigLoader()
{
    try {
        m_thread = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread: Qt loads the configuration itself when it needs it.
    }
}

FontConfigLoader::~FontConfigLoader() { wait(); }

void FontConfigLoader::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

}  // namespace ui
