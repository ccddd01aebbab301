#pragma once
// How one start of the tool hands a message to the running instance over the local socket:
// the magic "Orv1", the length of the text (4 bytes, big-endian), the text in UTF-8. The
// receiver answers one acknowledgement byte once it has the whole message. One message
// per connection.

#include <QByteArray>
#include <QString>

namespace Orvanta::instanceMessage {

inline constexpr qsizetype maxTextBytes = 4096;
inline constexpr char acknowledgement = '\x06';

// Empty when the text is too long to send.
QByteArray encode(const QString& message);

enum class Status {
    incomplete, // a prefix of a valid message: wait for more
    complete,   // exactly one message
    invalid,    // cannot become a message: drop the connection
};

struct Decoded {
    Status status;
    QString message; // set when complete
};

Decoded decode(const QByteArray& received);

} // namespace Orvanta::instanceMessage
