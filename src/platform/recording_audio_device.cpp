#include "platform/recording_audio_device.h"

#include <chrono>

class RecordingStream : public AudioStream {
 public:
  RecordingStream(RecordingAudioDevice* device, std::size_t index) : device_(device), index_(index) {}

  ~RecordingStream() override {
    std::lock_guard<std::mutex> lock(device_->mu_);
    device_->streams_[index_].closed = true;
    --device_->open_;
    ++device_->closed_;
    device_->changed_.notify_all();
  }

  bool Write(const std::uint8_t* data, std::size_t size) override {
    std::unique_lock<std::mutex> lock(device_->mu_);
    if (first_) {
      first_ = false;
      device_->changed_.wait_for(lock, std::chrono::seconds(5), [&] {
        return static_cast<int>(device_->streams_.size()) >= device_->holdUntil_;
      });
    }
    RecordedStream& s = device_->streams_[index_];
    if (s.data.size() >= device_->refuseAfter_) return false;
    s.writes.push_back(size);
    s.data.insert(s.data.end(), data, data + size);
    return true;
  }

  bool Drain() override {
    std::lock_guard<std::mutex> lock(device_->mu_);
    device_->streams_[index_].drained = true;
    return true;
  }

 private:
  RecordingAudioDevice* device_;
  std::size_t index_;
  bool first_ = true;
};

std::unique_ptr<AudioStream> RecordingAudioDevice::Open(const PcmFormat& format) {
  std::lock_guard<std::mutex> lock(mu_);
  if (!available_) return nullptr;
  streams_.push_back(RecordedStream{format, {}, {}, false, false});
  mostOpen_ = std::max(mostOpen_, ++open_);
  changed_.notify_all();
  return std::make_unique<RecordingStream>(this, streams_.size() - 1);
}

void RecordingAudioDevice::SetAvailable(bool available) {
  std::lock_guard<std::mutex> lock(mu_);
  available_ = available;
}

void RecordingAudioDevice::HoldFirstWriteUntilOpened(int count) {
  std::lock_guard<std::mutex> lock(mu_);
  holdUntil_ = count;
}

void RecordingAudioDevice::RefuseWritesAfter(std::size_t bytes) {
  std::lock_guard<std::mutex> lock(mu_);
  refuseAfter_ = bytes;
}

std::vector<RecordedStream> RecordingAudioDevice::Streams() const {
  std::lock_guard<std::mutex> lock(mu_);
  return streams_;
}

int RecordingAudioDevice::MostOpenAtOnce() const {
  std::lock_guard<std::mutex> lock(mu_);
  return mostOpen_;
}

bool RecordingAudioDevice::WaitClosed(int count, int timeoutMs) const {
  std::unique_lock<std::mutex> lock(mu_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return closed_ >= count; });
}
