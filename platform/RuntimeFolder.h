#pragma once
// Where this user's processes meet: named objects and the simulated device tree live in
// $XDG_RUNTIME_DIR/orvanta, or in /tmp/orvanta-<uid> on systems without a runtime folder.
// Only the same user may open what is there, so a folder that somebody else owns or can
// look into is refused rather than used.

#include "platform/Result.h"

#include <filesystem>

namespace Os {

// The folder, created (mode 0700) when missing.
Result<std::filesystem::path> runtimeFolder();

// The folder of the simulated device tree: ORVANTA_SIM_DIR when set, else
// runtimeFolder()/sim. Created when missing.
Result<std::filesystem::path> simFolder();

// Creates `folder` with mode 0700 unless it exists; accepts it only when it is a real
// directory (not a link) owned by this user with no access for group or others.
int ensurePrivateFolder(const std::filesystem::path& folder);

} // namespace Os
