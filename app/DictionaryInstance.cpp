#include "app/DictionaryInstance.h"

#include "app/CallbackRegistry.h"
#include "app/DictionaryAccessor.h"
#include "app/KeyKinds.h"
#include "corvane/Corvane.h"
#include "corvane/Keys.h"

namespace Orvanta {

DictionaryInstance::DictionaryInstance()
    : record_(Corvane::newParameters())
{
}

DictionaryInstance::~DictionaryInstance()
{
    if (record_ != nullptr)
        Corvane::deleteParameters(record_);
}

QVariant DictionaryInstance::value(const QString& key) const { return DictionaryAccessor(record_).value(key); }

bool DictionaryInstance::setValue(const QString& key, const QVariant& value)
{
    if (record_ == nullptr || !value.isValid())
        return false;
    const QByteArray name = key.toUtf8();
    Corvane::ErrorCode result = Corvane::cErrorValueTypeMismatch;
    switch (keyKind(key)) {
    case KeyKind::integer:
        result = Corvane::setInteger(record_, name.constData(), value.toLongLong());
        break;
    case KeyKind::string:
        result = Corvane::setString(record_, name.constData(), value.toString().toUtf8().constData());
        break;
    case KeyKind::pointer:
        result = Corvane::setPointer(record_, name.constData(), value.value<void*>());
        break;
    case KeyKind::callback:
        result = Corvane::setCallback(record_, name.constData(), value.value<Corvane::ParameterCallback>());
        break;
    case KeyKind::real:
        result = Corvane::setDouble(record_, name.constData(), value.toDouble());
        break;
    case KeyKind::dictionary: // nested records go through the other overload
    case KeyKind::array:
    case KeyKind::unsupported:
        return false;
    }
    return result == Corvane::cNoError;
}

bool DictionaryInstance::setValue(const QString& key, const DictionaryInstance& other)
{
    if (record_ == nullptr || keyKind(key) != KeyKind::dictionary)
        return false;
    return Corvane::setDictionary(record_, key.toUtf8().constData(), other.dictionary()) == Corvane::cNoError;
}

bool DictionaryInstance::registerContext(void* context)
{
    return record_ != nullptr && Corvane::setPointer(record_, Corvane::key::clientContext, context) == Corvane::cNoError;
}

bool DictionaryInstance::registerCallback(Corvane::ParameterCallback callback)
{
    const QString key = callbackRegistry::keyOf(callback);
    if (key.isEmpty() || record_ == nullptr)
        return false;
    return Corvane::setCallback(record_, key.toLatin1().constData(), callback) == Corvane::cNoError;
}

} // namespace Orvanta
