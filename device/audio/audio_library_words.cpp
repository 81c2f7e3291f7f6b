#include "device/audio/audio_library_words.h"

#include <alsa/asoundlib.h>
#include <samplerate.h>
#include <sndfile.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "device/core/system_words.h"

namespace device {

namespace {

struct Text {
  const char* english;
  const char* turkish;
};

// libsndfile's texts met on damaged, unknown or unwritable files, as it
// words them (its numbers beyond the four public ones are its own).
constexpr Text kSndfile[] = {
    {"Format not recognised.", "biçim tanınmadı"},
    {"System error.", "sistem hatası"},
    {"Supported file format but file is malformed.", "biçim bilinen bir biçim ama dosya bozuk"},
    {"Supported file format but unsupported encoding.", "biçim bilinen bir biçim ama kodlaması desteklenmiyor"},
    {"File exists but no data could be read.", "dosyadan hiç veri okunamadı"},
    {"Internal malloc () failed.", "bellek yetmedi"},
    {"File contains data in an unimplemented format.", "dosyadaki veri desteklenmeyen bir biçimde"},
    {"Internal psf_fseek() failed.", "dosyada istenen yere gidilemedi"},
    {"Error : supplied offset beyond end of file.", "istenen yer dosyanın sonundan ötede"},
    {"Error : bad flac header.", "FLAC başlığı bozuk"},
    {"Error : flac decoder lost sync.", "FLAC çözücüsü eşzamanı yitirdi, veri bozuk ya da eksik"},
    {"Error : flac channel changed mid stream.", "FLAC akışının kanal sayısı ortasında değişti"},
    {"Error : unknown error in flac decoder.", "FLAC çözücüsünde bilinmeyen bir hata"},
    {"Error in WAV file. No 'data' chunk marker.", "WAV dosyasında veri bölümü yok"},
};

struct Code {
  int error;
  const char* turkish;
};

// What a technician meets at a sound card: another program holding it, a
// card or device that is not there or was unplugged while capturing, an
// overrun or a suspend, a node the user may not open.
constexpr Code kAlsa[] = {
    {EBUSY, "ses kartını başka bir program kullanıyor"},
    {ENOENT, "böyle bir ses kartı yok"},
    {ENODEV, "ses kartı ya da aygıtı yok (çıkarılmış olabilir)"},
    {ENXIO, "böyle bir ses aygıtı yok"},
    {EPIPE, "kayıt taşması: ses zamanında okunamadı"},
    {ESTRPIPE, "ses kartı askıya alındı"},
    {EACCES, "ses kartına erişim izni yok (kullanıcı audio grubunda mı?)"},
    {EPERM, "ses kartına erişim izni yok (kullanıcı audio grubunda mı?)"},
    {EBADFD, "ses kartı kullanılamaz durumda"},
    {EIO, "ses kartında giriş/çıkış hatası"},
    {EINVAL, "ses kartı bu ayarı kabul etmiyor"},
    {EAGAIN, "ses kartı şu an hazır değil"},
    {ENOMEM, "bellek yetmedi"},
};

// libsamplerate's texts that can come of making a resampler.
constexpr Text kResampler[] = {
    {"Malloc failed.", "bellek yetmedi"},
    {"Bad converter number.", "dönüştürücü bulunamadı"},
    {"Channel count must be >= 1.", "kanal sayısı geçersiz"},
    {"SRC ratio outside [1/256, 256] range.", "hız oranı 1/256 ile 256 arasında değil"},
};

// An error the tables do not know: its number, and the library's text.
QString Unknown(const char* what, int number, const char* english) {
  QString text = QString::fromUtf8(english ? english : "").trimmed();
  // The library ends its texts with a full stop the Turkish line does not want.
  if (text.endsWith(QLatin1Char('.'))) text.chop(1);
  const QString known = QStringLiteral("%1 %2").arg(QString::fromUtf8(what)).arg(number);
  return text.isEmpty() ? known : QStringLiteral("%1 (%2)").arg(known, text);
}

template <size_t N>
const char* Find(const Text (&table)[N], const char* english) {
  for (const Text& t : table)
    if (english && std::strcmp(t.english, english) == 0) return t.turkish;
  return nullptr;
}

}  // namespace

QString SndfileText(SNDFILE* file) {
  const int error = sf_error(file);
  const char* english = sf_strerror(file);
  if (error == SF_ERR_SYSTEM && english) {
    // A system error comes as "System error : <the system's text>."; the
    // longest text found is the one ("No such device" is in "No such device
    // or address").
    int found = 0;
    size_t longest = 0;
    for (int e = 1; e < 256; ++e) {
      const char* system = strerror(e);
      if (std::strlen(system) > longest && std::strstr(english, system)) found = e, longest = std::strlen(system);
    }
    if (found) return ErrnoText(found);
  }
  if (const char* turkish = Find(kSndfile, english)) return QString::fromUtf8(turkish);
  return Unknown("ses dosyası kitaplığının hatası", error, english);
}

QString AlsaText(int error) {
  for (const Code& c : kAlsa)
    if (c.error == std::abs(error)) return QString::fromUtf8(c.turkish);
  return Unknown("ses kartı hatası", std::abs(error), snd_strerror(error));
}

QString ResamplerText(int error) {
  const char* english = src_strerror(error);
  if (const char* turkish = Find(kResampler, english)) return QString::fromUtf8(turkish);
  return Unknown("örnekleme hızı dönüştürücüsünün hatası", error, english);
}

}  // namespace device
