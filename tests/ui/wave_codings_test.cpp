// Wave files in the codings that Windows plays with its own codecs: mu-law and A-law
// go to the device as they are, IMA and Microsoft ADPCM are decoded to 16-bit PCM.
// The expected samples are worked out by hand from the codings' published tables.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/recording_audio_device.h"
#include "platform/recording_midi_device.h"
#include "ui/sound_player.h"
#include "ui/wave_file.h"

namespace {

void Append16(Bytes& b, std::uint32_t v) { b.push_back(v & 255), b.push_back((v >> 8) & 255); }
void Append32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 255);
}
void AppendId(Bytes& b, const char* id) { b.insert(b.end(), id, id + 4); }

Bytes Chunk(const char* id, const Bytes& body) {
  Bytes c;
  AppendId(c, id);
  Append32(c, static_cast<std::uint32_t>(body.size()));
  c.insert(c.end(), body.begin(), body.end());
  if (body.size() & 1) c.push_back(0);
  return c;
}

// A "fmt " body: tag, channels, rate, block size, bits, then any extra bytes (with
// their count in front when there are some).
Bytes Fmt(int tag, int channels, int rate, int blockAlign, int bits, const Bytes& extra = {}) {
  Bytes f;
  Append16(f, tag), Append16(f, channels), Append32(f, rate), Append32(f, rate * blockAlign);
  Append16(f, blockAlign), Append16(f, bits);
  if (!extra.empty()) {
    Append16(f, static_cast<std::uint32_t>(extra.size()));
    f.insert(f.end(), extra.begin(), extra.end());
  }
  return f;
}

Bytes Wave(const Bytes& fmt, const Bytes& data) {
  Bytes b;
  AppendId(b, "RIFF");
  Append32(b, 0);
  AppendId(b, "WAVE");
  Bytes f = Chunk("fmt ", fmt), d = Chunk("data", data);
  b.insert(b.end(), f.begin(), f.end());
  b.insert(b.end(), d.begin(), d.end());
  return b;
}

std::vector<int> Pcm16(const std::vector<std::uint8_t>& bytes) {
  std::vector<int> out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    out.push_back(static_cast<std::int16_t>(bytes[i] | (bytes[i + 1] << 8)));
  return out;
}

struct Devices {
  RecordingAudioDevice audio;
  RecordingMidiDevice midi;
};

TEST(WaveCodings, MuLawAndALawReachTheDeviceAsTheyAre) {
  Devices d;
  SoundPlayer player(d.audio, d.midi);
  Bytes samples(801);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i * 11);
  ASSERT_TRUE(player.PlayBytes(Wave(Fmt(7, 1, 8000, 1, 8), samples)));
  ASSERT_TRUE(d.audio.WaitClosed(1, 10000));
  ASSERT_TRUE(player.PlayBytes(Wave(Fmt(6, 1, 8000, 1, 8), samples)));
  ASSERT_TRUE(d.audio.WaitClosed(2, 10000));
  std::vector<RecordedStream> s = d.audio.Streams();
  ASSERT_EQ(2u, s.size());
  EXPECT_EQ(SampleFormat::kMuLaw, s[0].format.sample);
  EXPECT_EQ(SampleFormat::kALaw, s[1].format.sample);
  EXPECT_EQ(8000, s[0].format.rate);
  EXPECT_EQ(samples, s[0].data);
  EXPECT_EQ(samples, s[1].data);
}

// IMA: first sample 0 at step index 0; nibbles 4, 1, C, 7 (low nibble first), then
// zeros. By the step table: 7, 10, 1, 19, then the zeros creep up by step/8.
TEST(WaveCodings, ImaAdpcmDecodesToPcmBlockByBlock) {
  const Bytes block = {0, 0, 0, 0, 0x14, 0x7C, 0, 0};
  Bytes data = block;
  data.insert(data.end(), block.begin(), block.end());
  data.insert(data.end(), {0x10, 0x00, 0, 0, 0x04});  // last block cut after one byte of nibbles
  Devices d;
  SoundPlayer player(d.audio, d.midi);
  ASSERT_TRUE(player.PlayBytes(Wave(Fmt(0x11, 1, 11025, 8, 4, {9, 0}), data)));
  ASSERT_TRUE(d.audio.WaitClosed(1, 10000));
  RecordedStream s = d.audio.Streams().at(0);
  EXPECT_EQ(SampleFormat::kS16, s.format.sample);
  EXPECT_EQ(11025, s.format.rate);
  const std::vector<int> one = {0, 7, 10, 1, 19, 21, 23, 25, 27};
  std::vector<int> expected = one;
  expected.insert(expected.end(), one.begin(), one.end());
  expected.push_back(16);  // the cut block gives its first sample only
  EXPECT_EQ(expected, Pcm16(s.data));
}

// Microsoft ADPCM with the first standard pair (256, 0): each sample is the one before
// plus nibble x delta, and delta adapts by the table (230, 230, 768, 614 / 256).
TEST(WaveCodings, MsAdpcmDecodesBothStartingSamplesAndTheNibbles) {
  Bytes block = {0};                       // predictor 0
  Append16(block, 16);                     // delta
  Append16(block, 100), Append16(block, 50);  // sample1, sample2
  block.insert(block.end(), {0x12, 0x87});
  Devices d;
  SoundPlayer player(d.audio, d.midi);
  ASSERT_TRUE(player.PlayBytes(Wave(Fmt(2, 1, 8000, 9, 4), block)));
  ASSERT_TRUE(d.audio.WaitClosed(1, 10000));
  EXPECT_EQ((std::vector<int>{50, 100, 116, 148, 20, 356}), Pcm16(d.audio.Streams().at(0).data));

  // Stereo: headers side by side, then nibbles left (high), right (low).
  Bytes stereo = {0, 0};
  Append16(stereo, 16), Append16(stereo, 32);
  Append16(stereo, 100), Append16(stereo, 0);
  Append16(stereo, 50), Append16(stereo, 0);
  stereo.push_back(0x11);
  ASSERT_TRUE(player.PlayBytes(Wave(Fmt(2, 2, 8000, 15, 4), stereo)));
  ASSERT_TRUE(d.audio.WaitClosed(2, 10000));
  RecordedStream s = d.audio.Streams().at(1);
  EXPECT_EQ(2, s.format.channels);
  EXPECT_EQ((std::vector<int>{50, 0, 100, 0, 116, 32}), Pcm16(s.data));
}

TEST(WaveCodings, AMalformedBlockHeaderPlaysNothing) {
  Devices d;
  SoundPlayer player(d.audio, d.midi);
  // IMA step index past the table's 88, in the second block.
  Bytes ima = {0, 0, 0, 0, 0x14, 0x7C, 0, 0, 0, 0, 89, 0, 0, 0, 0, 0};
  EXPECT_FALSE(player.PlayBytes(Wave(Fmt(0x11, 1, 11025, 8, 4), ima)));
  // Microsoft predictor index past the seven standard pairs.
  Bytes ms = {7, 16, 0, 100, 0, 50, 0, 0x12, 0x87};
  EXPECT_FALSE(player.PlayBytes(Wave(Fmt(2, 1, 8000, 9, 4), ms)));
  // A block size that cannot hold a header.
  EXPECT_FALSE(player.PlayBytes(Wave(Fmt(2, 2, 8000, 9, 4), ms)));
  EXPECT_FALSE(player.PlayBytes(Wave(Fmt(0x11, 2, 8000, 4, 4), ima)));
  EXPECT_TRUE(d.audio.Streams().empty());
}

TEST(WaveCodings, AFileTableOfCoefficientsIsUsed) {
  // Two pairs of the file's own; the block names the second, (0, 256): the sample
  // before last, plus nibble x delta.
  Bytes extra;
  Append16(extra, 6), Append16(extra, 2);  // samples per block, pair count
  Append16(extra, 256), Append16(extra, 0), Append16(extra, 0), Append16(extra, 256);
  Bytes block = {1};
  Append16(block, 16), Append16(block, 100), Append16(block, 50);
  block.insert(block.end(), {0x11, 0x11});
  WaveSound wave;
  Bytes file = Wave(Fmt(2, 1, 8000, 9, 4, extra), block);
  ASSERT_TRUE(ParseWave(file.data(), file.size(), wave));
  EXPECT_EQ(6u, wave.samplesPerBlock);
  // 50 + 16 = 66; then 100 + 16 = 116; then 66 + 16 = 82; then 116 + 16 = 132.
  EXPECT_EQ((std::vector<int>{50, 100, 66, 116, 82, 132}), Pcm16(WaveSamples(file.data(), wave)));
}

}  // namespace
