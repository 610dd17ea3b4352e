#include "platform/recording_midi_device.h"

#include <chrono>

class RecordingMidiPort : public MidiPort {
 public:
  RecordingMidiPort(RecordingMidiDevice* device, std::size_t index) : device_(device), index_(index) {}
  ~RecordingMidiPort() override {
    std::lock_guard<std::mutex> lock(device_->mu_);
    device_->ports_[index_].closed = true;
    device_->changed_.notify_all();
  }
  bool Send(const std::uint8_t* message, std::size_t size) override {
    std::lock_guard<std::mutex> lock(device_->mu_);
    device_->ports_[index_].messages.emplace_back(message, message + size);
    device_->changed_.notify_all();
    return true;
  }

 private:
  RecordingMidiDevice* device_;
  std::size_t index_;
};

std::unique_ptr<MidiPort> RecordingMidiDevice::Open() {
  std::lock_guard<std::mutex> lock(mu_);
  if (!available_) return nullptr;
  ports_.emplace_back();
  return std::make_unique<RecordingMidiPort>(this, ports_.size() - 1);
}

void RecordingMidiDevice::SetAvailable(bool available) {
  std::lock_guard<std::mutex> lock(mu_);
  available_ = available;
}

std::vector<RecordedMidiPort> RecordingMidiDevice::Ports() const {
  std::lock_guard<std::mutex> lock(mu_);
  return ports_;
}

bool RecordingMidiDevice::WaitMessages(std::size_t index, std::size_t count, int timeoutMs) const {
  std::unique_lock<std::mutex> lock(mu_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    return index < ports_.size() && (ports_[index].messages.size() >= count || ports_[index].closed);
  });
}

bool RecordingMidiDevice::WaitClosed(std::size_t index, int timeoutMs) const {
  std::unique_lock<std::mutex> lock(mu_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return index < ports_.size() && ports_[index].closed; });
}
