#pragma once
// Which middleware key each of the shell's callback functions is registered under. The
// bridge fills it once when it is created; DictionaryInstance::registerCallback looks
// callbacks up in it, so a function nobody registered can never end up in a trait table.

#include "corvane/ParameterCallback.h"

#include <QString>

namespace Orvanta::callbackRegistry {

// Filled and read on the GUI thread only.
void add(Corvane::ParameterCallback callback, const QString& key);
// The key `callback` was added under; empty when it was never added.
QString keyOf(Corvane::ParameterCallback callback);

} // namespace Orvanta::callbackRegistry
