#include <alsa/asoundlib.h>

#include "platform/audio_device.h"

namespace {

snd_pcm_format_t AlsaFormat(SampleFormat f) {
  switch (f) {
    case SampleFormat::kU8: return SND_PCM_FORMAT_U8;
    case SampleFormat::kS16: return SND_PCM_FORMAT_S16_LE;
    case SampleFormat::kS24: return SND_PCM_FORMAT_S24_3LE;
    case SampleFormat::kS32: return SND_PCM_FORMAT_S32_LE;
    case SampleFormat::kFloat32: return SND_PCM_FORMAT_FLOAT_LE;
    case SampleFormat::kFloat64: return SND_PCM_FORMAT_FLOAT64_LE;
    case SampleFormat::kMuLaw: return SND_PCM_FORMAT_MU_LAW;
    case SampleFormat::kALaw: return SND_PCM_FORMAT_A_LAW;
  }
  return SND_PCM_FORMAT_UNKNOWN;
}

class AlsaStream : public AudioStream {
 public:
  AlsaStream(snd_pcm_t* pcm, std::size_t frameBytes) : pcm_(pcm), frameBytes_(frameBytes) {}
  ~AlsaStream() override { snd_pcm_close(pcm_); }

  bool Write(const std::uint8_t* data, std::size_t size) override {
    snd_pcm_uframes_t left = size / frameBytes_;
    while (left > 0) {
      snd_pcm_sframes_t n = snd_pcm_writei(pcm_, data, left);
      if (n == -EAGAIN) continue;
      if (n < 0) {
        // An underrun or a suspend is recoverable; anything else ends the sound.
        if (snd_pcm_recover(pcm_, static_cast<int>(n), 1) < 0) return false;
        continue;
      }
      data += static_cast<std::size_t>(n) * frameBytes_;
      left -= static_cast<snd_pcm_uframes_t>(n);
    }
    return true;
  }

  bool Drain() override { return snd_pcm_drain(pcm_) == 0; }

 private:
  snd_pcm_t* pcm_;
  std::size_t frameBytes_;
};

class AlsaDevice : public AudioDevice {
 public:
  std::unique_ptr<AudioStream> Open(const PcmFormat& f) override {
    if (f.channels <= 0 || f.channels > 64 || f.rate <= 0) return nullptr;
    snd_pcm_t* pcm = nullptr;
    // Opened without blocking, so a device another program holds gives no sound
    // instead of a hung user interface; writes block again afterwards.
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return nullptr;
    if (snd_pcm_nonblock(pcm, 0) < 0) {
      snd_pcm_close(pcm);
      return nullptr;
    }
    // Half a second of latency: sounds are short clicks, and this rides out a busy machine.
    if (snd_pcm_set_params(pcm, AlsaFormat(f.sample), SND_PCM_ACCESS_RW_INTERLEAVED,
                           static_cast<unsigned>(f.channels), static_cast<unsigned>(f.rate), 1,
                           500000) < 0) {
      snd_pcm_close(pcm);
      return nullptr;
    }
    return std::make_unique<AlsaStream>(pcm, static_cast<std::size_t>(SampleBytes(f.sample)) * f.channels);
  }
};

void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

AudioDevice& SystemAudioDevice() { return AlsaAudioDevice(); }

AudioDevice& AlsaAudioDevice() {
  static AlsaDevice* device = [] {
    // The program keeps no log: a missing device is not worth a line on stderr.
    snd_lib_error_set_handler(QuietAlsa);
    return new AlsaDevice;  // never destroyed: worker threads may outlive main
  }();
  return *device;
}
