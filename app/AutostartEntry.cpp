#include "app/AutostartEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace Orvanta {

namespace {

// Characters that make a launcher split or interpret an unquoted argument.
const QString reservedInExec = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
// Characters a quoted argument still has to escape.
const QString escapedInQuotes = QStringLiteral("\"`$\\");

// The key file's own escapes, applied to a value after any quoting.
QString keyFileValue(const QString& value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\': escaped += QLatin1String("\\\\"); break;
        case '\n': escaped += QLatin1String("\\n"); break;
        case '\t': escaped += QLatin1String("\\t"); break;
        case '\r': escaped += QLatin1String("\\r"); break;
        default: escaped += c;
        }
    }
    return escaped;
}

} // namespace

AutostartEntry::AutostartEntry(QString program)
    : program_(std::move(program))
{
}

QString AutostartEntry::path()
{
    // Relative values are to be ignored, as if the variable were unset.
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(configHome))
        configHome = QDir::homePath() + QLatin1String("/.config");
    return configHome + QLatin1String("/autostart/orvanta.desktop");
}

bool AutostartEntry::exists() const { return QFileInfo(path()).isFile(); }

bool AutostartEntry::setEnabled(bool enabled)
{
    error_.clear();
    return enabled ? write() : remove();
}

bool AutostartEntry::write()
{
    if (program_.isEmpty() || !QDir::isAbsolutePath(program_)) {
        error_ = QStringLiteral("cannot tell where the running program is");
        return false;
    }
    const QString file = path();
    const QString folder = QFileInfo(file).path();
    if (!QDir().mkpath(folder)) {
        error_ = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    QSaveFile entry(file);
    if (!entry.open(QIODevice::WriteOnly)) {
        error_ = QStringLiteral("cannot write %1: %2").arg(file, entry.errorString());
        return false;
    }
    entry.write(contents(program_));
    if (!entry.commit()) {
        error_ = QStringLiteral("cannot write %1: %2").arg(file, entry.errorString());
        return false;
    }
    return true;
}

bool AutostartEntry::remove()
{
    const QString file = path();
    QFile entry(file);
    // A directory in its place is no entry and is left alone.
    if (!QFileInfo(file).isFile() || entry.remove())
        return true;
    error_ = QStringLiteral("cannot remove %1: %2").arg(file, entry.errorString());
    return false;
}

QByteArray AutostartEntry::contents(const QString& program)
{
    // No NoDisplay: desktops list autostart entries by it, and the user should find this
    // one there to switch it off. TryExec makes a session skip the entry once the program
    // it names is gone.
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Orvanta\n"
                                        "Comment=GPS receiver of the WWAN modem card, in the system tray\n"
                                        "Exec=%1\n"
                                        "TryExec=%2\n"
                                        "Icon=orvanta\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(keyFileValue(execArgument(program)), keyFileValue(program));
    return text.toUtf8();
}

QString AutostartEntry::execArgument(const QString& argument)
{
    QString quoted;
    bool reserved = false;
    for (const QChar c : argument) {
        reserved = reserved || reservedInExec.contains(c);
        if (escapedInQuotes.contains(c))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    QString result = reserved ? QLatin1Char('"') + quoted + QLatin1Char('"') : argument;
    // Field codes start with '%', inside quotes or not.
    result.replace(QLatin1Char('%'), QLatin1String("%%"));
    return result;
}

} // namespace Orvanta
