#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "base/paths.h"
#include "platform/recording_audio_device.h"
#include "platform/recording_midi_device.h"
#include "ui/midi_file.h"
#include "ui/sound_player.h"
#include "ui/wave_file.h"

namespace {

// A worker counts itself out just after it closes its device: wait for that, bounded.
int PlayingOnceSettled(const SoundPlayer& player) {
  for (int i = 0; i < 1000 && player.Playing() > 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return player.Playing();
}

void Append32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 255);
}
void Append16(Bytes& b, std::uint32_t v) { b.push_back(v & 255), b.push_back((v >> 8) & 255); }
void AppendId(Bytes& b, const char* id) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(id[i]));
}

Bytes FmtChunk(int tag, int channels, int rate, int bits) {
  Bytes c;
  AppendId(c, "fmt ");
  Append32(c, tag == 0xFFFE ? 40 : 16);
  Append16(c, tag), Append16(c, channels), Append32(c, rate);
  Append32(c, rate * channels * bits / 8), Append16(c, channels * bits / 8), Append16(c, bits);
  if (tag == 0xFFFE) {
    Append16(c, 22), Append16(c, bits), Append32(c, 0);
    Append16(c, 1);  // sub-format: PCM
    for (int i = 0; i < 14; ++i) c.push_back(0);
  }
  return c;
}

Bytes DataChunk(const Bytes& samples) {
  Bytes c;
  AppendId(c, "data");
  Append32(c, static_cast<std::uint32_t>(samples.size()));
  c.insert(c.end(), samples.begin(), samples.end());
  if (samples.size() & 1) c.push_back(0);
  return c;
}

Bytes Riff(const std::vector<Bytes>& chunks) {
  Bytes b;
  AppendId(b, "RIFF");
  Append32(b, 0);
  AppendId(b, "WAVE");
  for (const Bytes& c : chunks) b.insert(b.end(), c.begin(), c.end());
  std::uint32_t size = static_cast<std::uint32_t>(b.size() - 8);
  std::memcpy(&b[4], &size, 4);
  return b;
}

Bytes Samples(std::size_t n, int seed) {
  Bytes s(n);
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<std::uint8_t>(i * 7 + seed + i / 251);
  return s;
}

// A file in the test's own directory, by its program path.
Text WriteTempFile(const char* name, const Bytes& content) {
  std::string path = testing::TempDir() + "sound_" + std::to_string(getpid()) + "_" + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(content.data()), content.size());
  return ProgramPath(path);
}

struct Devices {
  RecordingAudioDevice audio;
  RecordingMidiDevice midi;
};

TEST(SoundPlayer, RiffWaveWithoutPlayableChunksPlaysNothing) {
  Devices d;
  SoundPlayer player(d.audio, d.midi);
  Bytes twelve = Riff({});
  ASSERT_EQ(12u, twelve.size());
  EXPECT_FALSE(player.PlayBytes(twelve));
  EXPECT_FALSE(player.PlayFile(WriteTempFile("twelve.wav", twelve)));
  Bytes fmtOnly = Riff({FmtChunk(1, 1, 8000, 8), Samples(40, 0)});
  EXPECT_FALSE(player.PlayBytes(fmtOnly));
  EXPECT_FALSE(player.PlayBytes(Riff({FmtChunk(1, 1, 8000, 8), DataChunk({})})));
  EXPECT_FALSE(player.PlayBytes(Riff({DataChunk(Samples(100, 1))})));
  // MP3 inside a RIFF is not wave audio we play.
  EXPECT_FALSE(player.PlayBytes(Riff({FmtChunk(0x55, 2, 44100, 0), DataChunk(Samples(1000, 2))})));
  EXPECT_TRUE(d.audio.Streams().empty());
}

TEST(SoundPlayer, OtherContentPlaysNothing) {
  Devices d;
  SoundPlayer player(d.audio, d.midi);
  Bytes mp3 = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0, 0xFF, 0xFB, 0x90, 0x64};
  mp3.resize(4000, 0x55);
  EXPECT_FALSE(player.PlayFile(WriteTempFile("not_wave.wav", mp3)));
  EXPECT_FALSE(player.PlayBytes(Bytes()));
  EXPECT_FALSE(player.PlayFile(Text()));
  EXPECT_FALSE(player.PlayFile(WriteTempFile("missing_dir", {}) + "\\nothing.wav"));
  EXPECT_TRUE(d.audio.Streams().empty());
  EXPECT_TRUE(d.midi.Ports().empty());
}

TEST(SoundPlayer, DataBeforeFmtPlaysFromAFile) {
  Devices d;
  SoundPlayer player(d.audio, d.midi);
  Bytes samples = Samples(1001 * 2, 3);
  Text path = WriteTempFile("data_first.wav", Riff({DataChunk(samples), Bytes{'L', 'I', 'S', 'T', 2, 0, 0, 0, 1, 2},
                                                     FmtChunk(1, 1, 22050, 16)}));
  ASSERT_TRUE(player.PlayFile(path));
  ASSERT_TRUE(d.audio.WaitClosed(1, 10000));
  RecordedStream s = d.audio.Streams().at(0);
  EXPECT_EQ(SampleFormat::kS16, s.format.sample);
  EXPECT_EQ(1, s.format.channels);
  EXPECT_EQ(22050, s.format.rate);
  EXPECT_EQ(samples, s.data);
  EXPECT_TRUE(s.drained);
}

TEST(SoundPlayer, TwoSoundsStartedTogetherAreBothStreamedInWholeBuffers) {
  Devices d;
  d.audio.HoldFirstWriteUntilOpened(2);
  SoundPlayer player(d.audio, d.midi);
  Bytes a = Samples(40000, 1), b = Samples(20001, 9);
  ASSERT_TRUE(player.PlayBytes(Riff({FmtChunk(1, 2, 44100, 16), DataChunk(a)})));
  ASSERT_TRUE(player.PlayBytes(Riff({FmtChunk(1, 1, 8000, 8), DataChunk(b)})));
  ASSERT_TRUE(d.audio.WaitClosed(2, 10000));
  EXPECT_EQ(2, d.audio.MostOpenAtOnce());
  std::vector<RecordedStream> streams = d.audio.Streams();
  ASSERT_EQ(2u, streams.size());
  EXPECT_EQ(SampleFormat::kS16, streams[0].format.sample);
  EXPECT_EQ(2, streams[0].format.channels);
  EXPECT_EQ(44100, streams[0].format.rate);
  EXPECT_EQ(SampleFormat::kU8, streams[1].format.sample);
  EXPECT_EQ(8000, streams[1].format.rate);
  EXPECT_EQ(a, streams[0].data);
  EXPECT_EQ(b, streams[1].data);
  EXPECT_EQ((std::vector<std::size_t>{15360, 15360, 40000 - 2 * 15360}), streams[0].writes);
  EXPECT_EQ((std::vector<std::size_t>{15360, 20001 - 15360}), streams[1].writes);
  EXPECT_EQ(0, PlayingOnceSettled(player));
}

TEST(SoundPlayer, EverySampleFormatReachesTheDevice) {
  struct Case {
    int tag, channels, bits;
    SampleFormat expected;
  } cases[] = {{1, 2, 24, SampleFormat::kS24},     {1, 1, 32, SampleFormat::kS32},
               {3, 2, 32, SampleFormat::kFloat32}, {3, 1, 64, SampleFormat::kFloat64},
               {0xFFFE, 6, 16, SampleFormat::kS16}, {1, 7, 16, SampleFormat::kS16}};
  Devices d;
  SoundPlayer player(d.audio, d.midi);
  for (const Case& c : cases) ASSERT_TRUE(player.PlayBytes(Riff({FmtChunk(c.tag, c.channels, 48000, c.bits),
                                                                  DataChunk(Samples(30000 * c.channels, 0))})));
  ASSERT_TRUE(d.audio.WaitClosed(6, 10000));
  std::vector<RecordedStream> streams = d.audio.Streams();
  for (const Case& c : cases) {
    bool found = false;
    for (const RecordedStream& s : streams) {
      if (s.format.channels != c.channels || s.format.sample != c.expected) continue;
      found = true;
      std::size_t frame = static_cast<std::size_t>(c.bits / 8) * c.channels;
      EXPECT_EQ(30000 * c.channels / frame * frame, s.data.size());
      for (std::size_t w : s.writes) EXPECT_EQ(0u, w % frame) << c.channels;  // whole frames only
      EXPECT_LE(s.writes.front(), 15360u);
      EXPECT_GT(s.writes.front(), 15360u - frame);
    }
    EXPECT_TRUE(found) << c.tag << "/" << c.bits;
  }
}

TEST(SoundPlayer, LoopStartsAgainFromTheBeginning) {
  Devices d;
  d.audio.RefuseWritesAfter(100000);
  SoundPlayer player(d.audio, d.midi);
  Bytes samples = Samples(7000, 5);
  ASSERT_TRUE(player.PlayBytes(Riff({FmtChunk(1, 1, 11025, 8), DataChunk(samples)}), true));
  ASSERT_TRUE(d.audio.WaitClosed(1, 10000));
  RecordedStream s = d.audio.Streams().at(0);
  ASSERT_GE(s.data.size(), 100000u);
  for (std::size_t i = 0; i < s.data.size(); ++i) ASSERT_EQ(samples[i % samples.size()], s.data[i]) << i;
  for (std::size_t w : s.writes) EXPECT_EQ(15360u, w);
}

TEST(SoundPlayer, WithoutADeviceNothingPlaysAndNothingBreaks) {
  Devices d;
  d.audio.SetAvailable(false);
  d.midi.SetAvailable(false);
  SoundPlayer player(d.audio, d.midi);
  EXPECT_FALSE(player.PlayBytes(Riff({FmtChunk(1, 1, 8000, 8), DataChunk(Samples(100, 0))})));
  Bytes midi = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0x90, 60, 100};
  EXPECT_FALSE(player.PlayBytes(midi));
  EXPECT_EQ(0, PlayingOnceSettled(player));
}

TEST(SoundPlayer, DestroyingThePlayerStopsALoopingSound) {
  Devices d;
  {
    SoundPlayer player(d.audio, d.midi);
    ASSERT_TRUE(player.PlayBytes(Riff({FmtChunk(1, 1, 8000, 8), DataChunk(Samples(500, 0))}), true));
  }
  EXPECT_TRUE(d.audio.WaitClosed(1, 10000));
  EXPECT_FALSE(d.audio.Streams().at(0).drained);
}

// ---- MIDI ----

Bytes MidiFile(int format, int division, const std::vector<Bytes>& tracks) {
  Bytes b = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, static_cast<std::uint8_t>(format), 0,
             static_cast<std::uint8_t>(tracks.size()), static_cast<std::uint8_t>(division >> 8),
             static_cast<std::uint8_t>(division & 255)};
  for (const Bytes& t : tracks) {
    AppendId(b, "MTrk");
    for (int i = 3; i >= 0; --i) b.push_back((t.size() >> (8 * i)) & 255);
    b.insert(b.end(), t.begin(), t.end());
  }
  return b;
}

TEST(MidiFile, TempoRunningStatusAndTrackOrder) {
  // 96 ticks a beat; tempo 1 s a beat; a note at beat 1 and its release (running status) at beat 1.5.
  Bytes t0 = {0, 0xFF, 0x51, 3, 0x0F, 0x42, 0x40, 0x60, 0x90, 60, 100, 0x30, 60, 0, 0, 0xFF, 0x2F, 0};
  Bytes t1 = {0x81, 0x40, 0xC0, 5};  // delta 192: a program change at beat 2
  MidiSequence seq;
  ASSERT_TRUE(ParseMidi(MidiFile(1, 96, {t0, t1}).data(), MidiFile(1, 96, {t0, t1}).size(), seq));
  ASSERT_EQ(3u, seq.messages.size());
  EXPECT_EQ(1000000, seq.messages[0].timeUs);
  EXPECT_EQ(1500000, seq.messages[1].timeUs);
  EXPECT_EQ(2000000, seq.messages[2].timeUs);
  const MidiMessage& off = seq.messages[1];
  EXPECT_EQ((Bytes{0x90, 60, 0}), Bytes(seq.bytes.begin() + off.offset, seq.bytes.begin() + off.offset + off.size));

  // Format 2: the second track follows the first.
  Bytes f2 = MidiFile(2, 96, {{0x60, 0x90, 1, 1}, {0x60, 0x90, 2, 2}});
  ASSERT_TRUE(ParseMidi(f2.data(), f2.size(), seq));
  ASSERT_EQ(2u, seq.messages.size());
  EXPECT_EQ(500000, seq.messages[1].timeUs - seq.messages[0].timeUs);  // default tempo: half a second a beat

  Bytes empty = MidiFile(0, 96, {{0, 0xFF, 0x2F, 0}});
  EXPECT_FALSE(ParseMidi(empty.data(), empty.size(), seq));
}

TEST(SoundPlayer, ANewMidiSequenceStopsTheOnePlaying) {
  Devices d;
  SoundPlayer player(d.audio, d.midi);
  // A note at once, then one an hour later (a very long delta at the slowest tempo).
  Bytes slow = MidiFile(0, 1, {{0, 0xFF, 0x51, 3, 0xFF, 0xFF, 0xFF, 0, 0x90, 60, 100, 0x8F, 0xFF, 0x7F, 0x90, 62, 100}});
  ASSERT_TRUE(player.PlayBytes(slow));
  ASSERT_TRUE(d.midi.WaitMessages(0, 1, 10000));
  Bytes quick = MidiFile(0, 96, {{0, 0x90, 64, 90}});
  ASSERT_TRUE(player.PlayBytes(quick));
  ASSERT_TRUE(d.midi.WaitClosed(0, 10000));
  ASSERT_TRUE(d.midi.WaitClosed(1, 10000));
  std::vector<RecordedMidiPort> ports = d.midi.Ports();
  ASSERT_EQ(2u, ports.size());
  EXPECT_EQ((Bytes{0x90, 60, 100}), ports[0].messages.at(0));
  // The first never reached its second note: it was silenced (16 channels, all notes off).
  ASSERT_EQ(1u + 16u, ports[0].messages.size());
  EXPECT_EQ((Bytes{0xB0, 123, 0}), ports[0].messages[1]);
  EXPECT_EQ((Bytes{0x90, 64, 90}), ports[1].messages.at(0));
}

}  // namespace
