#include "platform/audio_device.h"

int SampleBytes(SampleFormat format) {
  switch (format) {
    case SampleFormat::kU8: return 1;
    case SampleFormat::kS16: return 2;
    case SampleFormat::kS24: return 3;
    case SampleFormat::kS32: return 4;
    case SampleFormat::kFloat32: return 4;
    case SampleFormat::kFloat64: return 8;
    case SampleFormat::kMuLaw: return 1;
    case SampleFormat::kALaw: return 1;
  }
  return 0;
}
