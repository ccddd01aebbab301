#include "app/Resources.h"

#include <QFile>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerCompiledResources() { Q_INIT_RESOURCE(orvanta); }

namespace Orvanta::resources {

void load()
{
    static const bool registered = (registerCompiledResources(), true);
    (void)registered;
}

QString readStyleSheet()
{
    load();
    QFile file(styleSheet);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace Orvanta::resources
