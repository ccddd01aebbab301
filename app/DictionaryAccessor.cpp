#include "app/DictionaryAccessor.h"

#include "app/KeyKinds.h"
#include "corvane/Corvane.h"

#include <array>
#include <cstdint>

namespace Orvanta {

DictionaryAccessor::DictionaryAccessor(const Corvane::CvParameters* record)
    : record_(record)
{
}

QVariant DictionaryAccessor::value(const QString& key) const
{
    if (record_ == nullptr)
        return {};
    const QByteArray name = key.toUtf8();
    const char* k = name.constData();
    switch (keyKind(key)) {
    case KeyKind::integer: {
        std::int64_t v = 0;
        if (Corvane::getInteger(record_, k, &v) != Corvane::cNoError)
            return {};
        return QVariant(qlonglong(v));
    }
    case KeyKind::string: {
        const char* text = nullptr;
        if (Corvane::getString(record_, k, &text) != Corvane::cNoError)
            return {};
        return QVariant(QString::fromUtf8(text));
    }
    case KeyKind::dictionary:
        return QVariant(QStringLiteral("(TODO: Retreive Dictionary)"));
    case KeyKind::pointer: {
        void* address = nullptr;
        if (Corvane::getPointer(record_, k, &address) != Corvane::cNoError)
            return {};
        return QVariant(QString::number(reinterpret_cast<quintptr>(address), 16));
    }
    case KeyKind::callback:
        return QVariant(QStringLiteral("(TODO: Retreive Foo Pointer)"));
    case KeyKind::array: {
        Corvane::CvParameters* item = nullptr;
        if (Corvane::getArrayItem(record_, k, 1, &item) != Corvane::cNoError)
            return {};
        Corvane::deleteParameters(item);
        return QVariant(QStringLiteral("(TODO: LIST)"));
    }
    case KeyKind::real: {
        double v = 0.0;
        if (Corvane::getDouble(record_, k, &v) != Corvane::cNoError)
            return {};
        return QVariant(v);
    }
    case KeyKind::unsupported:
        break;
    }
    return {};
}

const QStringList& DictionaryAccessor::keys() const
{
    if (record_ == nullptr || !keys_.isEmpty())
        return keys_;
    int count = 0;
    if (Corvane::keyCount(record_, &count) != Corvane::cNoError)
        return keys_;
    for (int index = 0; index < count; ++index) {
        // Room for the longest key the middleware accepts (255) and its terminator.
        std::array<char, 256> buffer{};
        if (Corvane::keyAt(record_, index, buffer.data(), buffer.size()) == Corvane::cNoError)
            keys_.append(QString::fromUtf8(buffer.data()));
    }
    return keys_;
}

const QMap<QString, QVariant> DictionaryAccessor::cubeDictionary() const
{
    QMap<QString, QVariant> values;
    for (const QString& key : keys())
        values.insert(key, value(key));
    return values;
}

QString DictionaryAccessor::toString() const
{
    QString text = QStringLiteral("create dict\n");
    for (const QString& key : keys())
        text += QStringLiteral("set ") + key + QLatin1Char(' ') +
                QString::fromLatin1(value(key).toString().toLatin1().toBase64()) + QLatin1Char('\n');
    return text;
}

} // namespace Orvanta
