#pragma once
// An owned middleware parameter record, written in Qt terms: QString keys, QVariant
// values, typed by the shell's key-kind table.

#include "corvane/ParameterCallback.h"

#include <QString>
#include <QVariant>

namespace Orvanta {

class DictionaryInstance {
public:
    DictionaryInstance();
    virtual ~DictionaryInstance();
    DictionaryInstance(const DictionaryInstance&) = delete;
    DictionaryInstance& operator=(const DictionaryInstance&) = delete;

    QVariant value(const QString& key) const;
    // False for a missing record, an invalid value, a key the table does not type, an
    // array key, or when the middleware refuses the value.
    bool setValue(const QString& key, const QVariant& value);
    // Nests a copy of `other`; only for dictionary keys.
    bool setValue(const QString& key, const DictionaryInstance& other);
    bool registerContext(void* context);
    // Stores `callback` under the key it was registered with; false for an unknown function.
    bool registerCallback(Corvane::ParameterCallback callback);

    const Corvane::CvParameters* dictionary() const { return record_; }

private:
    Corvane::CvParameters* record_;
};

} // namespace Orvanta

Q_DECLARE_METATYPE(Corvane::ParameterCallback)
