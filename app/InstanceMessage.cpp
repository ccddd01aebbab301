#include "app/InstanceMessage.h"

#include <QStringDecoder>
#include <QtEndian>

namespace Orvanta::instanceMessage {

namespace {

constexpr char magic[] = {'O', 'r', 'v', '1'};
constexpr qsizetype magicSize = sizeof magic;
constexpr qsizetype headerSize = magicSize + 4;

} // namespace

QByteArray encode(const QString& message)
{
    const QByteArray text = message.toUtf8();
    if (text.size() > maxTextBytes)
        return {};
    QByteArray frame(magic, magicSize);
    char length[4];
    qToBigEndian<quint32>(quint32(text.size()), length);
    frame.append(length, sizeof length);
    frame.append(text);
    return frame;
}

Decoded decode(const QByteArray& received)
{
    const qsizetype magicBytes = qMin(received.size(), magicSize);
    if (QByteArrayView(received).first(magicBytes) != QByteArrayView(magic, magicBytes))
        return {Status::invalid, {}};
    if (received.size() < headerSize)
        return {Status::incomplete, {}};
    const quint32 length = qFromBigEndian<quint32>(received.constData() + magicSize);
    if (length > quint32(maxTextBytes))
        return {Status::invalid, {}};
    const qsizetype frameSize = headerSize + qsizetype(length);
    if (received.size() < frameSize)
        return {Status::incomplete, {}};
    if (received.size() > frameSize)
        return {Status::invalid, {}};
    // A byte-order mark stays part of the text: what was sent is what is reported.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8(QByteArrayView(received).sliced(headerSize));
    if (utf8.hasError())
        return {Status::invalid, {}};
    return {Status::complete, std::move(text)};
}

} // namespace Orvanta::instanceMessage
