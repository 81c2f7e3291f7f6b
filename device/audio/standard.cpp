#include "device/audio/standard.h"

namespace device::audio {

bool StandardFromSuffix(const QString& suffix, Standard* out) {
  const QString s = suffix.toLower();
  Standard st;
  if (s.isEmpty())
    st = Standard::Auto;
  else if (s == u"clip")
    st = Standard::ClipV23;
  else if (s == u"dtmf")
    st = Standard::ClipDtmf;
  else if (s == u"bell")
    st = Standard::Bell202;
  else if (s == u"jclip")
    st = Standard::JapanV23;
  else
    return false;
  if (out) *out = st;
  return true;
}

QString StandardName(Standard standard) {
  switch (standard) {
    case Standard::ClipV23: return QStringLiteral("clip");
    case Standard::ClipDtmf: return QStringLiteral("dtmf");
    case Standard::Bell202: return QStringLiteral("bell");
    case Standard::JapanV23: return QStringLiteral("jclip");
    case Standard::Auto: break;
  }
  return QStringLiteral("auto");
}

}  // namespace device::audio
