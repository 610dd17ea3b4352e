#pragma once
// An audio device that keeps what it is given, for tests of the sound player: the
// format of every stream, the size of every write and the bytes themselves.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/audio_device.h"

struct RecordedStream {
  PcmFormat format;
  std::vector<std::size_t> writes;  // size of each Write, in order
  std::vector<std::uint8_t> data;   // everything written
  bool drained = false;
  bool closed = false;
};

class RecordingAudioDevice : public AudioDevice {
 public:
  std::unique_ptr<AudioStream> Open(const PcmFormat& format) override;

  // false: behaves as a machine without a sound device (Open gives null).
  void SetAvailable(bool available);
  // Every stream's first write waits until `count` streams have been opened (or
  // a few seconds passed), so that sounds started together overlap for certain.
  void HoldFirstWriteUntilOpened(int count);
  // A stream refuses writes once it holds `bytes`: ends looping sounds in tests.
  void RefuseWritesAfter(std::size_t bytes);

  std::vector<RecordedStream> Streams() const;
  int MostOpenAtOnce() const;
  // Waits until `count` streams have been closed; false after `timeoutMs`.
  bool WaitClosed(int count, int timeoutMs) const;

 private:
  friend class RecordingStream;
  mutable std::mutex mu_;
  mutable std::condition_variable changed_;
  std::vector<RecordedStream> streams_;
  bool available_ = true;
  int holdUntil_ = 0;
  std::size_t refuseAfter_ = SIZE_MAX;
  int open_ = 0, mostOpen_ = 0, closed_ = 0;
};
