#include "device/audio/dsp/message_parser.h"

#include <QByteArray>
#include <set>

#include "device/audio/dsp/spandsp_standard.h"
#include "platform/codepage.h"

namespace device::audio {
namespace {

using Absence = CallerIdMessage::Absence;

// Message types and the one parameter of message waiting.
constexpr uint8_t kMdmfMessageWaiting = 0x82, kSdmfMessageWaiting = 0x06;
constexpr uint8_t kAdviceOfCharge = 0x86, kShortMessage = 0x89;
constexpr uint8_t kVisualIndicator = 0x0B;

bool AllDigits(const uint8_t* p, int n) {
  for (int i = 0; i < n; ++i)
    if (p[i] < '0' || p[i] > '9') return false;
  return true;
}

int TwoDigits(const uint8_t* p) { return (p[0] - '0') * 10 + (p[1] - '0'); }

// MMDDHHMM, checked for range so a corrupt field gives no date at all.
bool ReadDateTime(const uint8_t* p, int n, CallerIdMessage& m) {
  if (n != 8 || !AllDigits(p, 8)) return false;
  const int month = TwoDigits(p), day = TwoDigits(p + 2), hour = TwoDigits(p + 4), minute = TwoDigits(p + 6);
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59) return false;
  m.month = month, m.day = day, m.hour = hour, m.minute = minute;
  return true;
}

// Numbers may carry the usual dialling symbols besides digits, but they are
// digits above all: a "number" of mostly symbols is noise that passed the
// checksum.
constexpr int kMostSymbols = 2;

bool ReadNumber(const uint8_t* p, int n, QString& out) {
  if (n <= 0 || n > 32) return false;
  int symbols = 0;
  for (int i = 0; i < n; ++i) {
    const uint8_t c = p[i];
    if (c >= '0' && c <= '9') continue;
    if (!(c == '+' || c == '*' || c == '#' || c == ' ' || c == '-')) return false;
    ++symbols;
  }
  if (symbols > kMostSymbols || symbols >= n) return false;
  out = QString::fromLatin1(reinterpret_cast<const char*>(p), n);
  return true;
}

// 'P' private, anything else ('O' out of area, 'C' coin box, 'S' service
// conflict) is a number the exchange cannot give.
Absence AbsenceFromCode(uint8_t code) { return code == 'P' ? Absence::Withheld : Absence::Unavailable; }
bool IsAbsenceCode(uint8_t code) { return code == 'P' || code == 'O' || code == 'C' || code == 'S'; }

// The parameters a call-setup message may carry, with the lengths the
// layouts give them and what their values must read as. A reading with any
// other parameter, or one of these out of shape, is no call: noise that
// passed the byte sum, or bits that cancelled in it.
enum class Value { Any, DateTime, Number, AbsenceCode, Name };
struct Parameter {
  uint8_t type;
  int shortest, longest;
  Value value;
};
constexpr int kLongestNumber = 20, kLongestName = 50;
constexpr Parameter kEtsiParameters[] = {
    {CLIP_DATETIME, 8, 8, Value::DateTime},
    {CLIP_CALLER_NUMBER, 1, kLongestNumber, Value::Number},
    {CLIP_DIALED_NUMBER, 1, kLongestNumber, Value::Number},
    {CLIP_ABSENCE1, 1, 1, Value::AbsenceCode},
    {CLIP_CALLER_NAME, 1, kLongestName, Value::Name},
    {CLIP_ABSENCE2, 1, 1, Value::AbsenceCode},
    {CLIP_VISUAL_INDICATOR, 1, 1, Value::Any},
    {CLIP_MESSAGE_ID, 3, 3, Value::Any},
    {CLIP_COMPLEMENTARY_CALLER_NUMBER, 1, kLongestNumber, Value::Number},
    {CLIP_CALLTYPE, 1, 1, Value::Any},
    {0x12, 1, kLongestNumber, Value::Number},  // first called line
    {CLIP_NUM_MSG, 1, 1, Value::Any},
    {CLIP_TYPE_OF_FORWARDED_CALL, 1, 1, Value::Any},
    {CLIP_TYPE_OF_CALLING_USER, 1, 1, Value::Any},
    {CLIP_REDIR_NUMBER, 1, kLongestNumber, Value::Number},
    {CLIP_CHARGE, 1, 16, Value::Any},
    {CLIP_ADD_CHARGE, 1, 16, Value::Any},
    {CLIP_DURATION, 1, 16, Value::Any},
    {CLIP_DISPLAY_INFO, 1, 253, Value::Any},
    {CLIP_SERVICE_INFO, 1, 253, Value::Any},
};
constexpr Parameter kBellParameters[] = {
    {MCLASS_DATETIME, 8, 8, Value::DateTime},
    {MCLASS_CALLER_NUMBER, 1, kLongestNumber, Value::Number},
    {MCLASS_DIALED_NUMBER, 1, kLongestNumber, Value::Number},
    {MCLASS_ABSENCE1, 1, 1, Value::AbsenceCode},
    {MCLASS_REDIRECT, 1, 1, Value::Any},
    {MCLASS_QUALIFIER, 1, 1, Value::Any},
    {MCLASS_CALLER_NAME, 1, kLongestName, Value::Name},
    {MCLASS_ABSENCE2, 1, 1, Value::AbsenceCode},
    {MCLASS_ALT_ROUTE, 1, kLongestNumber, Value::Any},
    {MCLASS_VISUAL_INDICATOR, 1, 1, Value::Any},
};

const Parameter* ParameterOf(Standard standard, uint8_t type) {
  const auto find = [type](const auto& table) -> const Parameter* {
    for (const Parameter& p : table)
      if (p.type == type) return &p;
    return nullptr;
  };
  return standard == Standard::Bell202 ? find(kBellParameters) : find(kEtsiParameters);
}

// A name is text: control characters mean the bytes are not one.
bool IsText(const uint8_t* p, int n) {
  for (int i = 0; i < n; ++i)
    if (p[i] < 0x20 || p[i] == 0x7F) return false;
  return true;
}

bool ValueHolds(const Parameter& p, const uint8_t* body, int n) {
  if (n < p.shortest || n > p.longest) return false;
  CallerIdMessage scratch;
  switch (p.value) {
    case Value::DateTime: return ReadDateTime(body, n, scratch);
    case Value::Number: return ReadNumber(body, n, scratch.number);
    case Value::AbsenceCode: return IsAbsenceCode(body[0]);
    case Value::Name: return IsText(body, n);
    case Value::Any: break;
  }
  return true;
}

void NoMessage(void*, const uint8_t*, int) {}

// adsi_next_field only needs the standard from its receiver.
struct FieldReader {
  explicit FieldReader(Standard s) : rx(adsi_rx_init(nullptr, SpandspAdsiStandard(s), NoMessage, nullptr)) {}
  ~FieldReader() { adsi_rx_free(rx); }
  adsi_rx_state_t* rx;
};

std::optional<CallerIdMessage> ParseClipOrClass(Standard standard, const uint8_t* msg, int len) {
  if (len < 2 || msg[1] + 2 != len) return std::nullopt;
  CallerIdMessage m;
  m.standard = standard;
  const uint8_t type = msg[0];
  if (type == CLASS_SDMF_CALLERID) {
    // Date and time, then the number or one absence letter.
    const uint8_t* body = msg + 2;
    const int n = len - 2;
    if (n < 9 || !ReadDateTime(body, 8, m)) return std::nullopt;
    if (n == 9 && (body[8] == 'P' || body[8] == 'O')) {
      m.absence = AbsenceFromCode(body[8]);
    } else if (!ReadNumber(body + 8, n - 8, m.number)) {
      return std::nullopt;
    }
    return m;
  }
  if (type != CLIP_MDMF_CALLERID) return std::nullopt;
  FieldReader reader(standard);
  bool any = false;
  std::set<uint8_t> seen;
  const uint8_t* filled = msg + 2;  // the parameters follow one another to the end
  int pos = -1;
  for (;;) {
    uint8_t fieldType = 0;
    const uint8_t* body = nullptr;
    int fieldLen = 0;
    pos = adsi_next_field(reader.rx, msg, len, pos, &fieldType, &body, &fieldLen);
    if (pos < 0 || pos > len + 0 || fieldLen < 0) break;
    if (body == nullptr) continue;  // the message type
    if (body != filled + 2 || body + fieldLen > msg + len) return std::nullopt;
    filled = body + fieldLen;
    const Parameter* parameter = ParameterOf(standard, fieldType);
    if (!parameter || !ValueHolds(*parameter, body, fieldLen) || !seen.insert(fieldType).second) return std::nullopt;
    switch (fieldType) {
      case CLIP_DATETIME: ReadDateTime(body, fieldLen, m); break;
      case CLIP_CALLER_NUMBER:
        ReadNumber(body, fieldLen, m.number);
        any = true;
        break;
      case CLIP_ABSENCE1:
        m.absence = AbsenceFromCode(body[0]);
        any = true;
        break;
      case CLIP_CALLER_NAME:
        m.name = platform::FromAnsi(QByteArray(reinterpret_cast<const char*>(body), fieldLen)).trimmed();
        break;
      default: break;  // fields a caller-ID display has no use for
    }
    if (pos >= len) break;
  }
  // A caller-ID message without the number or the reason it is absent is
  // no call (and more likely noise that passed the checksum); so is one
  // with both.
  if (!any || filled != msg + len || (seen.count(CLIP_CALLER_NUMBER) && seen.count(CLIP_ABSENCE1))) return std::nullopt;
  return m;
}

std::optional<CallerIdMessage> ParseJclip(const uint8_t* msg, int len) {
  FieldReader reader(Standard::JapanV23);
  CallerIdMessage m;
  m.standard = Standard::JapanV23;
  bool any = false;
  int pos = -1;
  for (int guard = 0; guard < 64; ++guard) {
    uint8_t fieldType = 0;
    const uint8_t* body = nullptr;
    int fieldLen = 0;
    pos = adsi_next_field(reader.rx, msg, len, pos, &fieldType, &body, &fieldLen);
    if (pos < 0 || fieldLen < 0) break;
    if (body == nullptr) continue;
    if (body < msg || body + fieldLen > msg + len) return std::nullopt;
    if (fieldType == JCLIP_CALLER_NUMBER) {
      if (!ReadNumber(body, fieldLen, m.number)) return std::nullopt;
      any = true;
    } else if (fieldType == JCLIP_ABSENCE) {
      if (fieldLen != 1) return std::nullopt;
      m.absence = AbsenceFromCode(body[0]);
      any = true;
    }
    if (pos >= len) break;
  }
  if (!any) return std::nullopt;
  return m;
}

}  // namespace

std::optional<CallerIdMessage> ParseFskMessage(Standard standard, const uint8_t* msg, int len) {
  if (msg == nullptr || len <= 0) return std::nullopt;
  if (standard == Standard::JapanV23) return ParseJclip(msg, len);
  if (standard != Standard::ClipV23 && standard != Standard::Bell202) return std::nullopt;
  return ParseClipOrClass(standard, msg, len);
}

std::optional<NonCallMessage> ParseFskNonCall(Standard standard, const uint8_t* msg, int len) {
  if (msg == nullptr || len < 2 || msg[1] + 2 != len) return std::nullopt;
  if (standard != Standard::ClipV23 && standard != Standard::Bell202) return std::nullopt;
  NonCallMessage m;
  m.type = msg[0];
  const uint8_t* body = msg + 2;
  const int n = len - 2;
  if (m.type == kSdmfMessageWaiting) {
    if (n != 3 || body[0] != body[1] || body[1] != body[2] || (body[0] != 0x42 && body[0] != 0x6F)) return std::nullopt;
    m.kind = NonCallMessage::Kind::MessageWaiting;
    m.waiting = body[0] == 0x42;
    return m;
  }
  if (m.type != kMdmfMessageWaiting && m.type != kAdviceOfCharge && m.type != kShortMessage) return std::nullopt;
  if (m.type != kMdmfMessageWaiting && standard != Standard::ClipV23) return std::nullopt;
  // Parameters (type, length, value) that fill the message exactly; noise
  // that passed the byte sum rarely does.
  bool indicator = false;
  for (int i = 0; i < n;) {
    if (i + 2 > n || i + 2 + body[i + 1] > n || body[i + 1] == 0) return std::nullopt;
    const uint8_t type = body[i], length = body[i + 1];
    const uint8_t* value = body + i + 2;
    if (type == CLIP_DATETIME) {
      CallerIdMessage date;
      if (!ReadDateTime(value, length, date)) return std::nullopt;
    }
    if (m.type == kMdmfMessageWaiting && type == kVisualIndicator) {
      if (length != 1 || (value[0] != 0x00 && value[0] != 0xFF)) return std::nullopt;
      m.waiting = value[0] == 0xFF;
      indicator = true;
    }
    i += 2 + length;
  }
  if (m.type == kMdmfMessageWaiting) {
    if (!indicator) return std::nullopt;
    m.kind = NonCallMessage::Kind::MessageWaiting;
  } else {
    m.kind = m.type == kAdviceOfCharge ? NonCallMessage::Kind::AdviceOfCharge : NonCallMessage::Kind::ShortMessage;
  }
  return m;
}

std::optional<CallerIdMessage> ParseDtmfMessage(const char* digits, int len) {
  if (len < 3) return std::nullopt;
  const QByteArray s(digits, len);
  CallerIdMessage m;
  m.standard = Standard::ClipDtmf;
  const char start = s.front(), end = s.back();
  const QByteArray body = s.mid(1, len - 2);
  auto digitsOnly = [](const QByteArray& b) {
    return !b.isEmpty() && AllDigits(reinterpret_cast<const uint8_t*>(b.constData()), int(b.size()));
  };
  if (end == 'C') {
    // A<number>C, with a redirecting number and an information field after
    // the number where the exchange sends them (A<number>D<redirecting>B<info>C,
    // each field digits); D<number>C; or B<code>C: "00" the number is not
    // available, "10" the caller restricted it.
    if (start == 'A') {
      const qsizetype redirecting = body.indexOf('D'), info = body.indexOf('B');
      if (redirecting >= 0 && info >= 0 && info < redirecting) return std::nullopt;  // the fields' order
      const qsizetype numberEnd = redirecting >= 0 ? redirecting : info >= 0 ? info : body.size();
      const QByteArray number = body.left(numberEnd);
      if (!digitsOnly(number)) return std::nullopt;
      if (redirecting >= 0 &&
          !digitsOnly(body.mid(redirecting + 1, (info >= 0 ? info : body.size()) - redirecting - 1)))
        return std::nullopt;
      if (info >= 0 && !digitsOnly(body.mid(info + 1))) return std::nullopt;
      m.number = QString::fromLatin1(number);
      return m;
    }
    if (start == 'D' && digitsOnly(body)) {
      m.number = QString::fromLatin1(body);
      return m;
    }
    if (start == 'B' && (body == "00" || body == "10")) {
      m.absence = body == "10" ? Absence::Withheld : Absence::Unavailable;
      return m;
    }
    return std::nullopt;
  }
  if (end == '#') {
    // A<number>#, or D1# restricted, D2# international, D3# not available.
    if (start == 'A' && digitsOnly(body)) {
      m.number = QString::fromLatin1(body);
      return m;
    }
    if (start == 'D' && body.size() == 1 && body[0] >= '1' && body[0] <= '3') {
      m.absence = body[0] == '1' ? Absence::Withheld : Absence::Unavailable;
      return m;
    }
  }
  return std::nullopt;
}

}  // namespace device::audio
