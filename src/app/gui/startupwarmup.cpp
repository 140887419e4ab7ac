#include "app/gui/startupwarmup.h"

#include <QLibraryInfo>
#include <QString>

#include <filesystem>
#include <string>

#ifdef LOTO6_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif
#ifdef Q_OS_UNIX
#include <dlfcn.h>
#endif

namespace {

// Where Qt looks for its image format plugins when nothing overrides it;
// empty where something does (then the warm-up would map other files than
// the ones Qt loads).
std::string imageFormatPluginFolder()
{
    if (qEnvironmentVariableIsSet("QT_PLUGIN_PATH"))
        return {};
    return (QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/imageformats")).toStdString();
}

void loadPlugins(const std::string &folder)
{
#ifdef Q_OS_UNIX
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() != ".so")
            continue;
        // Left loaded: Qt opens the same files and keeps them for the
        // process's life.
        dlopen(entry.path().c_str(), RTLD_LAZY | RTLD_LOCAL);
    }
#else
    (void)folder;
#endif
}

} // namespace

StartupWarmup::StartupWarmup()
{
    // Asked here, on the main thread before any other thread of the program
    // runs: the application object reloads Qt's library information as it is
    // made, which the warm-up thread would race.
    std::string plugins = imageFormatPluginFolder();
    m_thread = std::thread([plugins = std::move(plugins)] {
#ifdef LOTO6_HAVE_FONTCONFIG
        FcInit();
#endif
        if (!plugins.empty())
            loadPlugins(plugins);
    });
}

StartupWarmup::~StartupWarmup()
{
    if (m_thread.joinable())
        m_thread.join();
}
