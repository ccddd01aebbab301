#pragma once
// The GPS commands are a client of the tools' shared session; they use its names as their
// own.

#include "ClientSession.h"
#include "NoticeText.h"

namespace Orvanta::gps {

using client::ClientSession;
using client::Clock;
using client::gapLine;
using client::GapCause;
using client::gpsStateText;
using client::Notice;
using client::NoticeKind;
using client::noticeLine;
using client::Record;
using client::RecordRelease;

} // namespace Orvanta::gps
