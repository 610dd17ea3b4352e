// Real ALSA, no sound card: the default PCM is pointed at a file plugin over the
// null device, so what the device was given lands in a raw file.

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/audio_device.h"

namespace {

std::string TestDir() { return testing::TempDir() + "alsa_" + std::to_string(getpid()) + "_"; }

// Points ALSA's default PCM at `pcm` (a config body) for the next open.
void UseAlsaDefault(const std::string& name, const std::string& pcm) {
  std::string conf = TestDir() + name + ".conf";
  std::ofstream(conf) << "pcm.!default " << pcm << "\n";
  setenv("ALSA_CONFIG_PATH", ("/usr/share/alsa/alsa.conf:" + conf).c_str(), 1);
  snd_config_update_free_global();  // forget any configuration read before
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(AlsaAudioDevice, StreamsWhatItIsGivenToTheDefaultPcm) {
  const std::string out = TestDir() + "out.raw";
  UseAlsaDefault("file", "{ type file slave.pcm \"null\" file \"" + out + "\" format \"raw\" }");
  std::unique_ptr<AudioStream> stream = AlsaAudioDevice().Open({SampleFormat::kS16, 2, 8000});
  ASSERT_TRUE(stream);
  std::vector<std::uint8_t> samples(8000);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i * 13 + i / 256);
  ASSERT_TRUE(stream->Write(samples.data(), 3000));
  ASSERT_TRUE(stream->Write(samples.data() + 3000, samples.size() - 3000));
  EXPECT_TRUE(stream->Drain());
  stream.reset();
  EXPECT_EQ(samples, ReadAll(out));
}

TEST(AlsaAudioDevice, MissingDeviceOpensNothing) {
  UseAlsaDefault("missing", "{ type hw card 97 }");
  EXPECT_FALSE(AlsaAudioDevice().Open({SampleFormat::kS16, 2, 44100}));
  EXPECT_FALSE(AlsaAudioDevice().Open({SampleFormat::kU8, 0, 44100}));  // no channels
}

}  // namespace
