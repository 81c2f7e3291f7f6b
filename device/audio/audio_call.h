#pragma once
// A decoded caller-ID message as the control's call record.
#include <QDateTime>

#include "device/audio/dsp/caller_id_message.h"
#include "device/core/records.h"

namespace device {

// `line` is the channel (1-based); `now` the PC clock. The message's month,
// day and time are used with this year, unless that lies ahead (a call from
// 31 December read on 1 January), as for modems; without a date and time
// (or with impossible ones) the PC clock's are used.
CallRecord CallFromMessage(const audio::CallerIdMessage& message, int line, const QDateTime& now);

}  // namespace device
