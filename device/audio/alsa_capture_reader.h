#pragma once
// A sound card's capture device through ALSA: 8 kHz, 16-bit, as many
// channels as the card has (at most four), the plug layer converting what
// the card does natively. A card that goes away (-ENODEV) ends the link like
// any unplugged device; an overrun is recovered from and said. Its lines
// name the node the user gave and say ALSA's errors in Turkish; ALSA's own
// English lines on standard error are silenced for the process once the
// first reader is made.
#include "device/audio/audio_source.h"
#include "device/directory/audio_target.h"

typedef struct _snd_pcm snd_pcm_t;

namespace device {

class AlsaCaptureReader : public AudioSource {
 public:
  // `pcmName` is what ALSA opens (e.g. "plughw:1,0"); `probeName` (e.g.
  // "hw:1,0") is asked how many channels the card really has; empty: the
  // PCM itself is asked. `shownName` is what the lines name; empty: the PCM.
  AlsaCaptureReader(QString pcmName, QString probeName, QString shownName = {});
  ~AlsaCaptureReader() override;

  // Opens capture node `nodePath` (/dev/snd/pcmC<C>D<D>c, `node` its card
  // and device) as "plughw:C,D", asking "hw:C,D" how many channels the card
  // has; the lines name `nodePath`.
  AlsaCaptureReader(const QString& nodePath, const AudioTarget& node);
  // The serial number of the card's USB device, when it has one.
  static QString CardSerial(int card);

  bool Open(QString* error) override;
  Status Read(int wakeFd, int waitMs, std::vector<int16_t>& out, QString* message) override;
  int Channels() const override { return channels_; }
  QString TakeNote() override;
  bool CanWait() const override { return false; }

 private:
  int ProbeChannels() const;
  // The card went away while capturing: the link ends as an unplugged one's.
  Status Gone(QString* message) const;

  QString pcmName_, probeName_, shown_;
  int card_ = -1;  // of a capture node
  snd_pcm_t* pcm_ = nullptr;
  int channels_ = 0;
  int overruns_ = 0;
  QString note_;
};

}  // namespace device
