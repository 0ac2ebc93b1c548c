#pragma once

#include <thread>

namespace ui {

// Loads the system's font configuration on a thread of its own. Reading it
// is the largest single piece of work before the first window shows, and it
// needs no display: started before the QApplication, it runs while the
// application connects to the display and builds its first window, and Qt
// finds it loaded when it first asks for a font (if Qt asks sooner, it loads
// its own and one of the two is dropped). wait() before the QApplication goes.
class FontConfigLoader {
public:
    FontConfigLoader();
    ~FontConfigLoader();
    FontConfigLoader(const FontConfigLoader&) = delete;
    FontConfigLoader& operator=(const FontConfigLoader&) = delete;

    void wait();

private:
    std::thread m_thread;
};

}  // namespace ui
