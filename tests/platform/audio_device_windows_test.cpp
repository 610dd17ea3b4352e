// waveOut through the wave mapper, and midiOut: streams play what they are given where
// the system has a device, and a refused format or a missing device opens nothing.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <vector>

#include "platform/audio_device.h"
#include "platform/midi_device.h"

namespace {

TEST(WaveOutDevice, ImpossibleFormatsOpenNothing) {
  EXPECT_FALSE(SystemAudioDevice().Open({SampleFormat::kS16, 0, 44100}));  // no channels
  EXPECT_FALSE(SystemAudioDevice().Open({SampleFormat::kS16, 2, 0}));      // no rate
}

TEST(WaveOutDevice, PlaysAndDrainsWhereThereIsADevice) {
  if (waveOutGetNumDevs() == 0) GTEST_SKIP() << "no wave output device here";
  for (SampleFormat f : {SampleFormat::kU8, SampleFormat::kS16, SampleFormat::kFloat32}) {
    auto stream = SystemAudioDevice().Open({f, 2, 22050});
    ASSERT_TRUE(stream) << static_cast<int>(f);
    // A tenth of a second, more than the blocks the device keeps queued at once.
    std::vector<std::uint8_t> silence(2205 * 2 * SampleBytes(f), f == SampleFormat::kU8 ? 0x80 : 0);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(stream->Write(silence.data(), silence.size()));
    EXPECT_TRUE(stream->Drain());
  }
}

TEST(MidiOutDevice, SendsShortAndLongMessagesWhereThereIsASynthesizer) {
  auto port = SystemMidiDevice().Open();
  if (!port) GTEST_SKIP() << "no MIDI output here";
  const std::uint8_t on[] = {0x90, 60, 0}, off[] = {0x80, 60, 0};
  const std::uint8_t sysex[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};  // General MIDI on
  EXPECT_TRUE(port->Send(sysex, sizeof sysex));
  EXPECT_TRUE(port->Send(on, sizeof on));
  EXPECT_TRUE(port->Send(off, sizeof off));
  EXPECT_FALSE(port->Send(on, 0));
}

}  // namespace
