#include "platform/win/Backend.h"

#ifdef VARN_WITH_SDL
#include "platform/win/backend/sdl/SdlBackend.h"
#endif

namespace varn {

bool installLiveBackend()
{
#ifdef VARN_WITH_SDL
    if (dynamic_cast<SdlBackend*>(&backend()))
        return true;
    if (!SdlBackend::displayAvailable())
        return false;
    setBackend(std::make_unique<SdlBackend>());
    return true;
#else
    return false;
#endif
}

}  // namespace varn
