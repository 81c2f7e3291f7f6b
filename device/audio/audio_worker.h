#pragma once
// The audio thread of one line-audio device: reads its source and watches
// each line (line_watch.h: rings, bursts decoded or not, one verdict per ring
// cycle). Only small results cross to the window's thread, through a bounded
// queue under a lock that is never held while reading or decoding: decoded
// messages, notices (among them why a ring cycle brought no caller ID), the
// lines that rang and the latest levels. A call is never dropped for a notice. When the queue holds
// as many calls as it may, a source that can wait (a file, a FIFO) is left
// unread until the window has taken them, so every call of any recording
// arrives; only a sound card, which cannot wait, loses the oldest calls, and
// they are counted. Stop() wakes the thread at once, waiting or not, so
// closing never waits on the device.
#include <QString>
#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <variant>

#include "device/audio/audio_input.h"
#include "device/audio/audio_source.h"
#include "device/audio/dsp/caller_id_message.h"
#include "device/audio/dsp/line_events.h"

namespace device {

class AudioWorker {
 public:
  // Calls held for the window, and notices besides them.
  static constexpr size_t kMaxQueued = 64;
  static constexpr size_t kMaxNotices = 64;
  // Level above which a line is taken to carry a signal (about -45 dBm0).
  static constexpr int kSignalLevel = 16;

  struct Message {
    int line = 1;
    audio::CallerIdMessage message;
  };
  struct Notice {
    QString text;
  };
  using Event = std::variant<Message, Notice>;

  enum class State { Running, Ended, Failed };
  // What the window's thread takes each tick.
  struct Snapshot {
    std::deque<Event> events;
    int dropped = 0;    // notices lost because the queue held enough of them
    int lostCalls = 0;  // calls of a sound card lost because the window fell behind
    int channels = 0;
    std::array<int, AudioSource::kMaxLines> levels{};
    std::array<bool, AudioSource::kMaxLines> rang{};  // a ring ended on the line since the last take
    quint64 frames = 0;                               // frames read so far (progress)
    bool signal = false;                              // a line carried a signal in the latest audio
    State state = State::Running;
    QString endMessage;
  };

  AudioWorker(std::unique_ptr<AudioSource> source, audio::Standard standard);
  ~AudioWorker();

  void Start();
  void Stop();
  // Moves out what arrived since the last call.
  void Take(Snapshot* out);

 private:
  struct Line;
  void Run();
  void Process(const std::vector<int16_t>& frames, int channels);
  // The stream ended: what each line's watch still holds.
  void Finish();
  void Heard(int line, std::vector<audio::WatchEvent>& events);
  void Post(Event event);
  void End(State state, const QString& message);

  std::unique_ptr<AudioSource> source_;
  audio::Standard standard_;
  std::vector<std::unique_ptr<Line>> lines_;  // audio thread only
  ChannelSplitter splitter_;                  // audio thread only
  std::thread thread_;
  std::atomic<bool> stop_{false};
  int wake_[2] = {-1, -1};

  bool canWait_ = true;

  std::mutex mutex_;
  std::condition_variable taken_;  // the window took the queue, or Stop()
  Snapshot shared_;                // under mutex_
  size_t queuedCalls_ = 0;         // under mutex_
  size_t queuedNotices_ = 0;       // under mutex_
};

}  // namespace device
