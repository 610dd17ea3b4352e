#include "ui/sound_player.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "base/paths.h"
#include "ui/midi_file.h"
#include "ui/wave_file.h"

// What the workers share with the player. They hold it by shared_ptr, so a worker
// that is still ending when the player is gone touches nothing freed.
struct SoundPlayerState {
  std::mutex mu;
  std::condition_variable changed;
  int workers = 0;
  bool stopping = false;
  std::uint64_t midiGeneration = 0;  // a new sequence bumps it and the old one stops
};

namespace {

using Clock = std::chrono::steady_clock;

void WorkerEnded(SoundPlayerState& s) {
  std::lock_guard<std::mutex> lock(s.mu);
  --s.workers;
  s.changed.notify_all();
}

bool Stopping(SoundPlayerState& s) {
  std::lock_guard<std::mutex> lock(s.mu);
  return s.stopping;
}

// Streams `samples` through a ring of buffers; with `loop` the data wraps around.
void StreamWave(std::shared_ptr<SoundPlayerState> state, std::unique_ptr<AudioStream> stream,
                std::vector<std::uint8_t> samples, std::size_t frameBytes, bool loop) {
  // A buffer holds whole frames: 15360 bytes, less the remainder of odd frame sizes.
  const std::size_t bufferBytes = std::max(frameBytes, kWaveBufferBytes - kWaveBufferBytes % frameBytes);
  std::vector<std::vector<std::uint8_t>> buffers(kWaveBufferCount, std::vector<std::uint8_t>(bufferBytes));
  std::size_t pos = 0;
  bool ok = true;
  for (int next = 0; ok && !Stopping(*state); next = (next + 1) % kWaveBufferCount) {
    std::vector<std::uint8_t>& buffer = buffers[next];
    std::size_t filled = 0;
    while (filled < bufferBytes && (pos < samples.size() || loop)) {
      if (pos == samples.size()) pos = 0;
      std::size_t n = std::min(bufferBytes - filled, samples.size() - pos);
      std::memcpy(buffer.data() + filled, samples.data() + pos, n);
      filled += n, pos += n;
    }
    if (filled == 0) break;
    ok = stream->Write(buffer.data(), filled);
  }
  if (ok && !Stopping(*state)) stream->Drain();
  stream.reset();
  samples = {};
  WorkerEnded(*state);
}

void AllNotesOff(MidiPort& port) {
  for (std::uint8_t channel = 0; channel < 16; ++channel) {
    const std::uint8_t msg[3] = {static_cast<std::uint8_t>(0xB0 | channel), 123, 0};
    port.Send(msg, 3);
  }
}

void PlayMidi(std::shared_ptr<SoundPlayerState> state, std::unique_ptr<MidiPort> port, MidiSequence seq,
              std::uint64_t generation, bool loop) {
  std::unique_lock<std::mutex> lock(state->mu);
  auto cancelled = [&] { return state->stopping || state->midiGeneration != generation; };
  do {
    const Clock::time_point start = Clock::now();
    for (const MidiMessage& m : seq.messages) {
      if (state->changed.wait_until(lock, start + std::chrono::microseconds(m.timeUs), cancelled)) break;
      lock.unlock();
      port->Send(seq.bytes.data() + m.offset, m.size);
      lock.lock();
    }
  } while (loop && !cancelled());
  lock.unlock();
  AllNotesOff(*port);
  port.reset();
  WorkerEnded(*state);
}

// Runs `worker` on a detached thread of its own, already counted in `workers`; when
// no thread can be made the count is given back and nothing plays.
template <typename Worker, typename... Args>
bool StartWorker(const std::shared_ptr<SoundPlayerState>& state, Worker worker, Args&&... args) {
  try {
    std::thread(worker, state, std::forward<Args>(args)...).detach();
  } catch (const std::system_error&) {
    WorkerEnded(*state);
    return false;
  }
  return true;
}

}  // namespace

SoundPlayer::SoundPlayer() : SoundPlayer(SystemAudioDevice(), SystemMidiDevice()) {}

SoundPlayer::SoundPlayer(AudioDevice& audio, MidiDevice& midi)
    : audio_(audio), midi_(midi), state_(std::make_shared<SoundPlayerState>()) {}

SoundPlayer::~SoundPlayer() {
  std::unique_lock<std::mutex> lock(state_->mu);
  state_->stopping = true;
  state_->changed.notify_all();
  // A worker ends within one buffer; one stuck in the device is left to end on its own.
  state_->changed.wait_for(lock, std::chrono::seconds(3), [&] { return state_->workers == 0; });
}

int SoundPlayer::Playing() const {
  std::lock_guard<std::mutex> lock(state_->mu);
  return state_->workers;
}

bool SoundPlayer::PlayFile(const Text& programPath, bool loop) {
  if (programPath.empty()) return false;
  return PlayBytes(ReadFileBytes(programPath), loop);
}

bool SoundPlayer::PlayBytes(const Bytes& data, bool loop) {
  if (IsRiffWave(data.data(), data.size())) {
    WaveSound wave;
    if (!ParseWave(data.data(), data.size(), wave)) return false;
    std::vector<std::uint8_t> samples = WaveSamples(data.data(), wave);
    if (samples.empty()) return false;
    std::unique_ptr<AudioStream> stream = audio_.Open(wave.format);
    if (!stream) return false;
    const std::size_t frame = static_cast<std::size_t>(SampleBytes(wave.format.sample)) * wave.format.channels;
    {
      std::lock_guard<std::mutex> lock(state_->mu);
      ++state_->workers;
    }
    return StartWorker(state_, StreamWave, std::move(stream), std::move(samples), frame, loop);
  }
  if (data.size() >= 4 && std::memcmp(data.data(), "MThd", 4) == 0) {
    MidiSequence seq;
    if (!ParseMidi(data.data(), data.size(), seq)) return false;
    std::uint64_t generation;
    {
      // The sequence playing now stops even if this one cannot start.
      std::lock_guard<std::mutex> lock(state_->mu);
      generation = ++state_->midiGeneration;
      state_->changed.notify_all();
    }
    std::unique_ptr<MidiPort> port = midi_.Open();
    if (!port) return false;
    {
      std::lock_guard<std::mutex> lock(state_->mu);
      if (state_->midiGeneration != generation) return false;  // overtaken meanwhile
      ++state_->workers;
    }
    return StartWorker(state_, PlayMidi, std::move(port), std::move(seq), generation, loop);
  }
  return false;
}
