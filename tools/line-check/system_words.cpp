#include "tools/line-check/system_words.h"

#include <sndfile.h>

#include <cerrno>
#include <cstring>

namespace linecheck {

namespace {

struct Words {
  int error;
  const char* turkish;
};

// What a technician meets: a path that is not there, a right not given, a
// full disk, a card another program holds.
constexpr Words kErrno[] = {
    {ENOENT, "böyle bir dosya ya da dizin yok"},
    {EACCES, "erişim izni yok"},
    {EPERM, "bu işleme izin yok"},
    {ENOSPC, "diskte yer kalmadı"},
    {EDQUOT, "disk kotası doldu"},
    {EROFS, "dosya sistemi salt okunur"},
    {EISDIR, "bir dizin"},
    {ENOTDIR, "yolun bir parçası dizin değil"},
    {EEXIST, "orada zaten bir dosya var"},
    {ELOOP, "sembolik bağlar çok derin ya da döngülü"},
    {ENAMETOOLONG, "dosya adı çok uzun"},
    {EBUSY, "aygıt başka bir program tarafından kullanılıyor"},
    {ENODEV, "böyle bir aygıt yok"},
    {ENXIO, "aygıt ya da adres yok"},
    {EIO, "giriş/çıkış hatası (disk ya da aygıt arızası)"},
    {EMFILE, "açık dosya sınırına gelindi"},
    {ENFILE, "sistemde açık dosya sınırına gelindi"},
    {EAGAIN, "kaynak şu an kullanılamıyor"},
    {EINVAL, "geçersiz değer"},
    {EFBIG, "dosya çok büyük"},
    {ENOMEM, "bellek yetmedi"},
    {EPIPE, "karşı taraf kapattı"},
    {ETXTBSY, "dosya kullanımda"},
    {EXDEV, "dosya başka bir dosya sistemine taşınamaz"},
};

// libsndfile's error texts that come with damaged or unknown files.
constexpr Words kSndfile[] = {
    {SF_ERR_UNRECOGNISED_FORMAT, "biçim tanınmadı"},
    {SF_ERR_SYSTEM, "sistem hatası"},
    {SF_ERR_MALFORMED_FILE, "biçim bilinen bir biçim ama dosya bozuk"},
    {SF_ERR_UNSUPPORTED_ENCODING, "biçim bilinen bir biçim ama kodlaması desteklenmiyor"},
};

}  // namespace

QString ErrnoText(int error) {
  for (const Words& w : kErrno)
    if (w.error == error) return QString::fromUtf8(w.turkish);
  return QStringLiteral("sistem hatası %1 (%2)").arg(error).arg(QString::fromLocal8Bit(strerror(error)));
}

QString InTurkish(QString line) {
  for (const Words& w : kErrno) line.replace(QString::fromLocal8Bit(strerror(w.error)), QString::fromUtf8(w.turkish));
  for (const Words& w : kSndfile) {
    // The library ends its texts with a full stop the Turkish line does not want.
    QString english = QString::fromUtf8(sf_error_number(w.error));
    if (english.endsWith(QLatin1Char('.'))) english.chop(1);
    line.replace(english, QString::fromUtf8(w.turkish));
  }
  return line;
}

}  // namespace linecheck
