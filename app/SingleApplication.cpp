#include "app/SingleApplication.h"

namespace Orvanta {

SingleApplication::SingleApplication(const QString& id, int& argc, char** argv)
    : QApplication(argc, argv)
    , instance_(id)
{
    connect(&instance_, &SingleInstance::messageReceived, this, &SingleApplication::messageReceived);
}

} // namespace Orvanta
