#pragma once
// Reads a middleware parameter record that someone else owns (a callback's record, for
// instance) in Qt terms. Keys are listed once and cached.

#include "corvane/ParameterCallback.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace Orvanta {

class DictionaryAccessor {
public:
    explicit DictionaryAccessor(const Corvane::CvParameters* record);

    // Invalid for a null record, a key the table does not type, or a failed read.
    QVariant value(const QString& key) const;
    const QStringList& keys() const;
    const QMap<QString, QVariant> cubeDictionary() const;
    // "create dict\n", then "set <key> <Base64 of the value's text>\n" per key.
    QString toString() const;

private:
    const Corvane::CvParameters* record_;
    mutable QStringList keys_; // filled by the first keys()
};

} // namespace Orvanta
