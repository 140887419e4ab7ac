#include "app/gui/fontwarmup.h"

#ifdef LOTO6_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

FontWarmup::FontWarmup()
{
#ifdef LOTO6_HAVE_FONTCONFIG
    // FcInit is safe from any thread.
    m_thread = std::thread([] { FcInit(); });
#endif
}

FontWarmup::~FontWarmup()
{
    if (m_thread.joinable())
        m_thread.join();
}
