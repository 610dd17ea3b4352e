// The sound player through real ALSA into a file: the default PCM is a file plugin
// over the null device, which works on a machine without a sound card.

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/recording_midi_device.h"
#include "ui/sound_player.h"

namespace {

TEST(SoundThroughAlsa, AWaveFileEndsUpInTheDevicesFile) {
  const std::string dir = testing::TempDir() + "sound_alsa_" + std::to_string(getpid());
  const std::string out = dir + ".raw", conf = dir + ".conf";
  std::ofstream(conf) << "pcm.!default { type file slave.pcm \"null\" file \"" << out
                      << "\" format \"raw\" }\n";
  setenv("ALSA_CONFIG_PATH", ("/usr/share/alsa/alsa.conf:" + conf).c_str(), 1);
  snd_config_update_free_global();

  // 8-bit mono at 11025 Hz, a little over one 15360-byte buffer, so the file also
  // shows that the buffers follow each other without a gap.
  std::vector<std::uint8_t> samples(4410 * 4);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(128 + (i % 50));
  Bytes wave = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
                1, 0, 1, 0, 0x11, 0x2B, 0, 0, 0x11, 0x2B, 0, 0, 1, 0, 8, 0, 'd', 'a', 't', 'a'};
  std::uint32_t n = static_cast<std::uint32_t>(samples.size());
  for (int i = 0; i < 4; ++i) wave.push_back((n >> (8 * i)) & 255);
  wave.insert(wave.end(), samples.begin(), samples.end());

  RecordingMidiDevice midi;
  {
    SoundPlayer player(AlsaAudioDevice(), midi);
    ASSERT_TRUE(player.PlayBytes(wave));
    // The worker ends by itself once the device has drained.
    for (int i = 0; i < 1000 && player.Playing() > 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(0, player.Playing());
  }
  std::ifstream in(out, std::ios::binary);
  std::vector<std::uint8_t> written(std::istreambuf_iterator<char>(in), {});
  EXPECT_EQ(samples, written);
}

}  // namespace
