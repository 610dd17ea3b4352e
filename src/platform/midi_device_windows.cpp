#include <windows.h>
#include <mmsystem.h>

#include <vector>

#include "platform/midi_device.h"

namespace {

class MidiOutPort : public MidiPort {
 public:
  explicit MidiOutPort(HMIDIOUT out) : out_(out) {}
  ~MidiOutPort() override {
    midiOutReset(out_);
    midiOutClose(out_);
  }

  bool Send(const std::uint8_t* message, std::size_t size) override {
    if (size == 0) return false;
    if (message[0] == 0xF0) return SendLong(message, size);
    if (size > 3) return false;
    DWORD packed = 0;
    for (std::size_t i = 0; i < size; ++i) packed |= static_cast<DWORD>(message[i]) << (8 * i);
    return midiOutShortMsg(out_, packed) == MMSYSERR_NOERROR;
  }

 private:
  // System exclusive goes as a long message; the call returns once the driver has it.
  bool SendLong(const std::uint8_t* message, std::size_t size) {
    std::vector<char> bytes(message, message + size);
    MIDIHDR header = {};
    header.lpData = bytes.data();
    header.dwBufferLength = static_cast<DWORD>(size);
    if (midiOutPrepareHeader(out_, &header, sizeof header) != MMSYSERR_NOERROR) return false;
    bool ok = midiOutLongMsg(out_, &header, sizeof header) == MMSYSERR_NOERROR;
    while (ok && !(header.dwFlags & MHDR_DONE)) Sleep(1);
    midiOutUnprepareHeader(out_, &header, sizeof header);
    return ok;
  }

  HMIDIOUT out_;
};

class MidiOutDevice : public MidiDevice {
 public:
  std::unique_ptr<MidiPort> Open() override {
    HMIDIOUT out = nullptr;
    if (midiOutOpen(&out, MIDI_MAPPER, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return nullptr;
    return std::make_unique<MidiOutPort>(out);
  }
};

}  // namespace

MidiDevice& SystemMidiDevice() {
  static MidiOutDevice* device = new MidiOutDevice;  // never destroyed: a player may outlive main
  return *device;
}
