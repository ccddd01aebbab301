#pragma once
// The backend writes its log through card detection's sink, so that a client that hands
// one log callback to the backend sees both libraries' lines in one stream.

#include "nodekin/XLog.h"

namespace GSM {

using Nodekin::logError;
using Nodekin::logNormal;
using Nodekin::logVerbose;
using Nodekin::logWarning;
using Nodekin::xlog;

} // namespace GSM
