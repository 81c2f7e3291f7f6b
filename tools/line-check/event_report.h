#pragma once
// One line-watch event as cid-line-check reports it: a plain Turkish line
// for the technician, or one JSON object for scripts.
#include <QJsonObject>
#include <QString>

#include "device/audio/dsp/line_events.h"

namespace linecheck {

// `line` is the channel (1-based); positions become seconds from the start.
QString EventText(int line, const device::audio::WatchEvent& event);
QJsonObject EventJson(int line, const device::audio::WatchEvent& event);

// What became of a burst, and a cycle's verdict, in the words of the report.
QString FateName(device::audio::BurstFate fate);
QString VerdictText(const device::audio::CycleVerdict& verdict);

}  // namespace linecheck
