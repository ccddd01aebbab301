#include "app/CallbackRegistry.h"

#include <map>

namespace Orvanta::callbackRegistry {

namespace {

std::map<Corvane::ParameterCallback, QString>& registry()
{
    static std::map<Corvane::ParameterCallback, QString> keys;
    return keys;
}

} // namespace

void add(Corvane::ParameterCallback callback, const QString& key) { registry()[callback] = key; }

QString keyOf(Corvane::ParameterCallback callback)
{
    const auto found = registry().find(callback);
    return found != registry().end() ? found->second : QString();
}

} // namespace Orvanta::callbackRegistry
