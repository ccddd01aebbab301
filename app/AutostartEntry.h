#pragma once
// Whether the tool starts with the desktop session: an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/orvanta.desktop (~/.config/autostart/ by default). The file is
// the state. It is looked at whenever it matters and never remembered in the settings, so
// that the desktop's own autostart settings, which may remove it, are always believed.

#include <QByteArray>
#include <QString>

namespace Orvanta {

class AutostartEntry {
public:
    // `program`: what the entry starts, as an absolute path (the running program's).
    explicit AutostartEntry(QString program);

    // Where the entry lives, from the environment as it is now.
    static QString path();

    bool exists() const;
    // Writes the entry (atomically, creating its folder) or removes it. On failure nothing
    // has changed and errorString() says why.
    bool setEnabled(bool enabled);
    QString errorString() const { return error_; }

    // The entry that starts `program`.
    static QByteArray contents(const QString& program);
    // `argument` as an argument of an Exec value: quoted and escaped as desktop entries
    // want it, so that a launcher runs exactly that file whatever its path holds.
    static QString execArgument(const QString& argument);

private:
    bool write();
    bool remove();

    QString program_;
    QString error_;
};

} // namespace Orvanta
