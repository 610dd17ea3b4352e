#include <windows.h>
#include <mmreg.h>
#include <mmsystem.h>

#include <cstring>
#include <deque>
#include <vector>

#include "platform/audio_device.h"

namespace {

// Bytes kept queued at the device: enough to ride out a busy machine, as on Linux.
constexpr std::size_t kQueuedBlocks = 4;
constexpr std::size_t kBlockBytes = 16384;

// {00000003-0000-0010-8000-00aa00389b71} and {00000001-...}: float and integer PCM.
GUID SubFormat(bool isFloat) {
  GUID g = {isFloat ? 3u : 1u, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
  return g;
}

WAVEFORMATEXTENSIBLE WaveFormat(const PcmFormat& f) {
  const bool isFloat = f.sample == SampleFormat::kFloat32 || f.sample == SampleFormat::kFloat64;
  const int bytes = SampleBytes(f.sample);
  WAVEFORMATEXTENSIBLE w = {};
  w.Format.nChannels = static_cast<WORD>(f.channels);
  w.Format.nSamplesPerSec = static_cast<DWORD>(f.rate);
  w.Format.wBitsPerSample = static_cast<WORD>(bytes * 8);
  w.Format.nBlockAlign = static_cast<WORD>(bytes * f.channels);
  w.Format.nAvgBytesPerSec = w.Format.nSamplesPerSec * w.Format.nBlockAlign;
  if (f.sample == SampleFormat::kMuLaw || f.sample == SampleFormat::kALaw) {
    // G.711 goes to the mapper as it is; its codec expands it.
    w.Format.wFormatTag = f.sample == SampleFormat::kMuLaw ? WAVE_FORMAT_MULAW : WAVE_FORMAT_ALAW;
    w.Format.cbSize = 0;
  } else if (f.channels <= 2 && (bytes <= 2 || f.sample == SampleFormat::kFloat32)) {
    // The plain header every driver takes.
    w.Format.wFormatTag = isFloat ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
    w.Format.cbSize = 0;
  } else {
    w.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    w.Format.cbSize = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);
    w.Samples.wValidBitsPerSample = w.Format.wBitsPerSample;
    w.dwChannelMask = 0;  // the mapper's own speaker order
    w.SubFormat = SubFormat(isFloat);
  }
  return w;
}

class WaveOutStream : public AudioStream {
 public:
  WaveOutStream(HWAVEOUT out, HANDLE done, std::size_t frameBytes)
      : out_(out), done_(done), frameBytes_(frameBytes) {}
  ~WaveOutStream() override {
    waveOutReset(out_);  // what was not drained is dropped
    while (!queue_.empty()) Retire();
    waveOutClose(out_);
    CloseHandle(done_);
  }

  bool Write(const std::uint8_t* data, std::size_t size) override {
    size -= size % frameBytes_;
    std::size_t block = kBlockBytes - kBlockBytes % frameBytes_;
    while (size > 0) {
      while (queue_.size() >= kQueuedBlocks)
        if (!WaitOldest()) return false;
      std::size_t n = size < block ? size : block;
      queue_.emplace_back();
      Block& b = queue_.back();
      b.bytes.assign(data, data + n);
      b.header.lpData = reinterpret_cast<LPSTR>(b.bytes.data());
      b.header.dwBufferLength = static_cast<DWORD>(n);
      if (waveOutPrepareHeader(out_, &b.header, sizeof b.header) != MMSYSERR_NOERROR) {
        queue_.pop_back();
        return false;
      }
      if (waveOutWrite(out_, &b.header, sizeof b.header) != MMSYSERR_NOERROR) {
        waveOutUnprepareHeader(out_, &b.header, sizeof b.header);
        queue_.pop_back();
        return false;
      }
      data += n, size -= n;
    }
    return true;
  }

  bool Drain() override {
    while (!queue_.empty())
      if (!WaitOldest()) return false;
    return true;
  }

 private:
  struct Block {
    WAVEHDR header = {};
    std::vector<std::uint8_t> bytes;
  };

  // Waits until the device has played the oldest block, then gives it back.
  bool WaitOldest() {
    Block& b = queue_.front();
    while (!(b.header.dwFlags & WHDR_DONE))
      if (WaitForSingleObject(done_, 5000) == WAIT_TIMEOUT && !(b.header.dwFlags & WHDR_DONE)) return false;
    Retire();
    return true;
  }

  void Retire() {
    Block& b = queue_.front();
    waveOutUnprepareHeader(out_, &b.header, sizeof b.header);
    queue_.pop_front();
  }

  HWAVEOUT out_;
  HANDLE done_;  // set by the device each time a block finishes
  std::size_t frameBytes_;
  std::deque<Block> queue_;  // deque: headers keep their address while queued
};

class WaveOutDevice : public AudioDevice {
 public:
  std::unique_ptr<AudioStream> Open(const PcmFormat& f) override {
    if (f.channels <= 0 || f.channels > 64 || f.rate <= 0) return nullptr;
    WAVEFORMATEXTENSIBLE format = WaveFormat(f);
    HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!done) return nullptr;
    HWAVEOUT out = nullptr;
    // Through the wave mapper, which converts what the device itself does not take.
    if (waveOutOpen(&out, WAVE_MAPPER, &format.Format, reinterpret_cast<DWORD_PTR>(done), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
      CloseHandle(done);
      return nullptr;
    }
    return std::make_unique<WaveOutStream>(out, done, format.Format.nBlockAlign);
  }
};

}  // namespace

AudioDevice& SystemAudioDevice() {
  static WaveOutDevice* device = new WaveOutDevice;  // never destroyed: workers may outlive main
  return *device;
}
