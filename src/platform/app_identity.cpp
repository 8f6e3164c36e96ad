#include "platform/app_identity.h"

namespace norvane {

AppIdentity AppIdentity::current()
{
    return AppIdentity{QString::fromLatin1(kApplicationId), QStringLiteral(NORVANE_VERSION),
                       QStringLiteral(NORVANE_BUILD_NUMBER)};
}

} // namespace norvane
