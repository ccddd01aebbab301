#include "app/SingleInstance.h"

#include "app/InstanceMessage.h"
#include "app/ShellLog.h"
#include "platform/RuntimeFolder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QLockFile>

namespace Orvanta {

namespace {

constexpr int probeTimeoutMs = 1000;
constexpr int claimLockTimeoutMs = 5000;

bool someoneListens(const QString& socketPath)
{
    QLocalSocket probe;
    probe.connectToServer(socketPath);
    return probe.waitForConnected(probeTimeoutMs);
}

} // namespace

SingleInstance::SingleInstance(const QString& id, QObject* parent)
    : QObject(parent)
{
    // The folder where this user's processes meet: private to the user, so that nobody
    // else can stand in for the running instance.
    const auto folder = Os::runtimeFolder();
    if (!folder) {
        qCWarning(shellLog) << "no private runtime folder: every start of the tool runs on its own";
        return;
    }
    const QDir dir(QFile::decodeName(folder.value().c_str()));
    socketPath_ = dir.filePath(id + QStringLiteral(".socket"));
    QLockFile claim(dir.filePath(id + QStringLiteral(".lock")));
    claim.setStaleLockTime(0); // only a dead holder makes the lock stale, never its age
    if (!claim.tryLock(claimLockTimeoutMs))
        qCWarning(shellLog) << "another start holds" << claim.fileName() << "; going ahead";
    running_ = someoneListens(socketPath_);
    if (!running_) {
        connect(&listener_, &InstanceListener::messageReceived, this, &SingleInstance::messageReceived);
        listener_.listen(socketPath_);
    }
}

bool SingleInstance::sendMessage(const QString& message, int timeoutMs)
{
    return running_ && sendInstanceMessage(socketPath_, message, timeoutMs);
}

bool sendInstanceMessage(const QString& socketPath, const QString& message, int timeoutMs)
{
    const QByteArray frame = instanceMessage::encode(message);
    if (frame.isEmpty())
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    socket.write(frame);
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
            return false;
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    char answer = 0;
    return socket.getChar(&answer) && answer == instanceMessage::acknowledgement;
}

} // namespace Orvanta
