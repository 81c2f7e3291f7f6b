#include "device/public_format/public_format_records.h"

#include "device/core/overload.h"

namespace device {

QString PublicFormatModel(int lines) { return QStringLiteral("Çok hatlı birim, %1 hat").arg(lines); }

PublicFormatRecords::PublicFormatRecords(DeviceSession* session, SessionOwner* owner, ModelKnown modelKnown,
                                         PublicFormatParser::Clock wallClock)
    : session_(session), owner_(owner), modelKnown_(std::move(modelKnown)), parser_(std::move(wallClock)) {}

void PublicFormatRecords::Feed(const QByteArray& bytes, qint64 nowMs) {
  events_.clear();
  parser_.Feed(bytes, events_);
  Handle(nowMs);
}

void PublicFormatRecords::Record(const QByteArray& record, qint64 nowMs) {
  events_.clear();
  parser_.ParseLine(record, events_);
  Handle(nowMs);
}

void PublicFormatRecords::Handle(qint64 nowMs) {
  // The units come with 2, 4 or 8 lines, numbered from a first line the
  // user sets; the highest line heard tells the smallest unit that fits.
  // Numbers beyond 8 (a unit set to start high) still read as 8 lines.
  int highest = 0;
  for (const auto& ev : events_) {
    if (const auto* c = std::get_if<PublicFormatCall>(&ev)) highest = qMax(highest, c->line);
    if (const auto* d = std::get_if<PublicFormatDetail>(&ev)) highest = qMax(highest, d->line);
  }
  const int lines = highest == 0 ? 0 : highest <= 2 ? 2 : highest <= 4 ? 4 : 8;
  if (lines > lines_) {
    lines_ = lines;
    modelKnown_(PublicFormatModel(lines_));
  }
  for (const auto& ev : events_) {
    std::visit(Overload{
                   [&](const PublicFormatCall& c) {
                     if (c.inbound && c.start && !c.goodChecksum)
                       owner_->SessionError(session_, QStringLiteral("Hat %1: arayan bilgisinin sağlaması hatalı; "
                                                                     "arama bildirilmedi")
                                                          .arg(c.line));
                     // A start record, even one that fails its checksum, is caller ID heard.
                     if (c.inbound && c.start) cycles_.CallerId(c.line, nowMs);
                     if (const auto call = ReportedCall(c)) owner_->SessionCall(session_, *call);
                   },
                   [&](const PublicFormatDetail& d) {
                     if (d.kind != PublicFormatDetail::Ring) return;
                     if (cycles_.Ring(d.line, nowMs)) owner_->SessionNotice(session_, NoCallerIdText(d.line));
                     if (d.line > 8) return;  // no place among the levels
                     owner_->SessionLevels(session_, rings_.Ring(d.line, nowMs));
                   },
                   [&](const ParseError& e) { owner_->SessionError(session_, e.message); },
               },
               ev);
  }
}

void PublicFormatRecords::Tick(qint64 nowMs) {
  if (LevelRecord levels; rings_.Tick(nowMs, &levels)) owner_->SessionLevels(session_, levels);
}

}  // namespace device
