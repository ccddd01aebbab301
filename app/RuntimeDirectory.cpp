#include "app/RuntimeDirectory.h"

#include <QByteArray>
#include <QDir>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace Orvanta {

namespace {

bool usable(const QByteArray& path)
{
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 0077) == 0;
}

} // namespace

QString runtimeDirectory()
{
    const QByteArray base = qgetenv("XDG_RUNTIME_DIR");
    const QString path = base.isEmpty() ? QStringLiteral("/tmp/orvanta-%1").arg(::getuid())
                                        : QDir(QString::fromLocal8Bit(base)).filePath(QStringLiteral("orvanta"));
    return usable(QFile::encodeName(path)) ? path : QString();
}

} // namespace Orvanta
