#include "host/hostloader.h"

namespace korvel {

void HostLoader::ReleaseDll(const QString& startName)
{
    m_released << startName;
    emit releaseRequested(startName);
}

} // namespace korvel
