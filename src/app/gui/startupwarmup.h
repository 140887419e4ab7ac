#pragma once

#include <thread>

// Work of the first frame that needs neither a window nor Qt's application
// object, done on a thread of its own from the program's first line while the
// main thread builds the application object:
//   - fontconfig reads and parses its configuration and font caches (else the
//     first text measured, as the main window is built, waits for that);
//   - the dynamic loader maps and links Qt's image format plugins (else the
//     first image read, the menu bar's own icon, waits while Qt loads every
//     one of them to ask which formats it reads).
// Both are shared by the whole process and safe from any thread; Qt finds the
// configuration loaded and the plugins in memory. Nothing of it is visible,
// and should the main thread get there first, it does the work itself.
class StartupWarmup
{
public:
    StartupWarmup();
    ~StartupWarmup();
    StartupWarmup(const StartupWarmup &) = delete;
    StartupWarmup &operator=(const StartupWarmup &) = delete;

private:
    std::thread m_thread;
};
