#pragma once

#include <thread>

// The first text measured in the process (the menu bar's, as the main window
// is shown) makes fontconfig read and parse its configuration and font
// caches: several milliseconds of the first frame. A thread of its own does
// that from the first line of the program, while the main thread builds the
// application object, which needs no fonts; the font database then finds the
// configuration loaded. Nothing of it is visible, and should the main thread
// get there first, fontconfig keeps one of the two configurations and the
// other is dropped.
class FontWarmup
{
public:
    FontWarmup();
    ~FontWarmup();
    FontWarmup(const FontWarmup &) = delete;
    FontWarmup &operator=(const FontWarmup &) = delete;

private:
    std::thread m_thread;
};
