#pragma once
// The per-user folder for the tool's sockets and lock files: $XDG_RUNTIME_DIR/orvanta, or
// /tmp/orvanta-<uid> without one. Created with mode 0700; a folder that is not a directory
// of ours, or that others can enter, is refused, so that no other user can stand in for
// the running instance.

#include <QString>

namespace Orvanta {

// The folder's path, created when missing; empty when it cannot be used safely.
QString runtimeDirectory();

} // namespace Orvanta
