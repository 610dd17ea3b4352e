#include <alsa/asoundlib.h>

#include "platform/midi_device.h"

namespace {

constexpr unsigned kSynthTypes = SND_SEQ_PORT_TYPE_SYNTH | SND_SEQ_PORT_TYPE_SYNTHESIZER;
constexpr unsigned kWritable = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;

class AlsaMidiPort : public MidiPort {
 public:
  AlsaMidiPort(snd_seq_t* seq, int port, snd_midi_event_t* encoder)
      : seq_(seq), port_(port), encoder_(encoder) {}
  ~AlsaMidiPort() override {
    snd_midi_event_free(encoder_);
    snd_seq_close(seq_);
  }

  bool Send(const std::uint8_t* message, std::size_t size) override {
    snd_midi_event_reset_encode(encoder_);
    while (size > 0) {
      snd_seq_event_t ev;
      snd_seq_ev_clear(&ev);
      long used = snd_midi_event_encode(encoder_, message, static_cast<long>(size), &ev);
      if (used <= 0) return false;
      message += used, size -= static_cast<std::size_t>(used);
      if (ev.type == SND_SEQ_EVENT_NONE) continue;
      snd_seq_ev_set_source(&ev, port_);
      snd_seq_ev_set_subs(&ev);
      snd_seq_ev_set_direct(&ev);
      if (snd_seq_event_output_direct(seq_, &ev) < 0) return false;
    }
    return true;
  }

 private:
  snd_seq_t* seq_;
  int port_;
  snd_midi_event_t* encoder_;
};

// The first port of another client that is a synthesizer and takes subscriptions.
bool FindSynth(snd_seq_t* seq, int& client, int& port) {
  int self = snd_seq_client_id(seq);
  snd_seq_client_info_t* ci;
  snd_seq_port_info_t* pi;
  snd_seq_client_info_alloca(&ci);
  snd_seq_port_info_alloca(&pi);
  snd_seq_client_info_set_client(ci, -1);
  while (snd_seq_query_next_client(seq, ci) >= 0) {
    int c = snd_seq_client_info_get_client(ci);
    if (c == self) continue;
    snd_seq_port_info_set_client(pi, c);
    snd_seq_port_info_set_port(pi, -1);
    while (snd_seq_query_next_port(seq, pi) >= 0) {
      if ((snd_seq_port_info_get_type(pi) & kSynthTypes) &&
          (snd_seq_port_info_get_capability(pi) & kWritable) == kWritable) {
        client = c, port = snd_seq_port_info_get_port(pi);
        return true;
      }
    }
  }
  return false;
}

class AlsaMidi : public MidiDevice {
 public:
  std::unique_ptr<MidiPort> Open() override {
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) return nullptr;
    snd_seq_set_client_name(seq, "vinkabo");
    int port = snd_seq_create_simple_port(seq, "sound", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                          SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    int client = 0, dest = 0;
    snd_midi_event_t* encoder = nullptr;
    if (port < 0 || !FindSynth(seq, client, dest) || snd_seq_connect_to(seq, port, client, dest) < 0 ||
        snd_midi_event_new(4096, &encoder) < 0) {
      snd_seq_close(seq);
      return nullptr;
    }
    return std::make_unique<AlsaMidiPort>(seq, port, encoder);
  }
};

void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

MidiDevice& SystemMidiDevice() { return AlsaMidiDevice(); }

MidiDevice& AlsaMidiDevice() {
  static AlsaMidi* device = [] {
    // The program keeps no log: a missing device is not worth a line on stderr.
    snd_lib_error_set_handler(QuietAlsa);
    return new AlsaMidi;  // never destroyed: a playing thread may outlive main
  }();
  return *device;
}
