#include "device/core/system_words.h"

#include <cerrno>
#include <cstring>

namespace device {

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

}  // namespace

QString ErrnoText(int error) {
  for (const Words& w : kErrno)
    if (w.error == error) return QString::fromUtf8(w.turkish);
  return QStringLiteral("sistem hatası %1 (%2)").arg(error).arg(QString::fromLocal8Bit(strerror(error)));
}

}  // namespace device
