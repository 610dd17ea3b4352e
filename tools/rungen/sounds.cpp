// The program's sounds, synthesised: soft bells and blips, each short and each its own,
// at a moderate level so that several playing together do not clip.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "encode.h"
#include "rungen.h"

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

using Track = std::vector<double>;

double Note(int semitonesFromA4) { return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0); }

void Ensure(Track& t, size_t n) {
  if (t.size() < n) t.resize(n, 0.0);
}

// A struck bell or mallet: a few partials, each dying away on its own.
void Bell(Track& t, double start, double freq, double length, double gain,
          std::vector<std::pair<double, double>> partials = {{1, 1}, {2.0, 0.35}, {3.01, 0.12}}) {
  size_t s0 = static_cast<size_t>(start * kRate), n = static_cast<size_t>(length * kRate);
  Ensure(t, s0 + n);
  for (size_t i = 0; i < n; ++i) {
    double x = static_cast<double>(i) / kRate;
    double attack = std::min(1.0, x / 0.004);
    double v = 0;
    for (auto [ratio, amp] : partials)
      if (freq * ratio < 0.45 * kRate)  // nothing above what the rate can carry
        v += amp * std::exp(-x * (3.0 + 4.0 * ratio) / length) * std::sin(2 * kPi * freq * ratio * x);
    t[s0 + i] += gain * attack * v;
  }
}

// A soft square-ish blip, as old game consoles sound, with its edges rounded off.
void Blip(Track& t, double start, double freq, double length, double gain) {
  size_t s0 = static_cast<size_t>(start * kRate), n = static_cast<size_t>(length * kRate);
  Ensure(t, s0 + n);
  for (size_t i = 0; i < n; ++i) {
    double x = static_cast<double>(i) / kRate;
    double env = std::min(1.0, x / 0.003) * std::min(1.0, (length - x) / 0.02);
    double ph = 2 * kPi * freq * x;
    double v = std::sin(ph) + std::sin(3 * ph) / 3 + std::sin(5 * ph) / 5;
    t[s0 + i] += gain * env * v * 0.8;
  }
}

// A sine whose pitch glides from f0 to f1.
void Glide(Track& t, double start, double f0, double f1, double length, double gain, double decay) {
  size_t s0 = static_cast<size_t>(start * kRate), n = static_cast<size_t>(length * kRate);
  Ensure(t, s0 + n);
  double ph = 0;
  for (size_t i = 0; i < n; ++i) {
    double x = static_cast<double>(i) / kRate;
    double f = f0 * std::pow(f1 / f0, x / length);
    ph += 2 * kPi * f / kRate;
    double env = std::min(1.0, x / 0.003) * std::exp(-x * decay) * std::min(1.0, (length - x) / 0.01);
    t[s0 + i] += gain * env * std::sin(ph);
  }
}

// Filtered noise; the filter opens from lo to hi Hz over the length.
void Swish(Track& t, double start, double length, double lo, double hi, double gain, std::uint32_t seed) {
  size_t s0 = static_cast<size_t>(start * kRate), n = static_cast<size_t>(length * kRate);
  Ensure(t, s0 + n);
  std::uint32_t s = seed;
  double low = 0, band = 0;
  for (size_t i = 0; i < n; ++i) {
    s = s * 1664525u + 1013904223u;  // fixed seed, fixed noise
    double noise = (static_cast<double>(s >> 8) / 16777216.0) * 2 - 1;
    double x = static_cast<double>(i) / n;
    double fc = lo * std::pow(hi / lo, x);
    double f = 2 * std::sin(kPi * fc / kRate);
    // state-variable filter, band-pass output
    low += f * band;
    double high = noise - low - 0.6 * band;
    band += f * high;
    double env = std::sin(kPi * x);
    t[s0 + i] += gain * env * env * band;
  }
}

// Scales to the peak, but keeps dense sounds (blips, chords) from being louder than the
// bells by also capping their mean level.
std::vector<std::int16_t> Finish(Track t, double peak = 0.55) {
  double m = 0, energy = 0;
  for (double v : t) {
    m = std::max(m, std::fabs(v));
    energy += v * v;
  }
  double rms = t.empty() ? 0 : std::sqrt(energy / static_cast<double>(t.size()));
  double k = m > 0 ? std::min(peak / m, 0.15 / rms) : 0;
  // a short fade at the end so nothing clicks when the buffer stops
  size_t fade = std::min<size_t>(t.size(), kRate / 100);
  for (size_t i = 0; i < fade; ++i) t[t.size() - 1 - i] *= static_cast<double>(i) / fade;
  std::vector<std::int16_t> out;
  out.reserve(t.size());
  for (double v : t) out.push_back(static_cast<std::int16_t>(std::lround(std::clamp(v * k, -1.0, 1.0) * 32767)));
  return out;
}

Track Category(int button) {
  Track t;
  switch (button) {
    case 1:  // 常用: a bright two-note bell, up a fifth
      Bell(t, 0.0, Note(15), 0.35, 0.8);
      Bell(t, 0.09, Note(22), 0.40, 0.7);
      break;
    case 2:  // 学习: wooden marimba, up a fifth from D
      Bell(t, 0.0, Note(5), 0.22, 0.9, {{1, 1}, {3.9, 0.3}});
      Bell(t, 0.08, Note(12), 0.26, 0.9, {{1, 1}, {3.9, 0.3}});
      break;
    case 3:  // 论坛: three chatty blips
      Glide(t, 0.0, Note(7), Note(9), 0.07, 0.8, 12);
      Glide(t, 0.08, Note(10), Note(12), 0.07, 0.8, 12);
      Glide(t, 0.16, Note(14), Note(16), 0.10, 0.8, 10);
      break;
    case 4:  // 资源: a drop falling into place
      Glide(t, 0.0, Note(22), Note(10), 0.12, 0.8, 8);
      Bell(t, 0.10, Note(10), 0.30, 0.6, {{1, 1}, {2.76, 0.2}});
      break;
    case 5:  // 影音: a soft chord that rings out
      Bell(t, 0.0, Note(0), 0.45, 0.5, {{1, 1}, {2, 0.2}});
      Bell(t, 0.03, Note(4), 0.45, 0.45, {{1, 1}, {2, 0.2}});
      Bell(t, 0.06, Note(7), 0.45, 0.45, {{1, 1}, {2, 0.2}});
      Bell(t, 0.09, Note(12), 0.45, 0.4, {{1, 1}, {2, 0.2}});
      break;
    case 6:  // 购物: a coin
      Blip(t, 0.0, Note(14), 0.06, 0.5);
      Blip(t, 0.06, Note(19), 0.22, 0.5);
      break;
    case 7:  // 游戏: a quick arpeggio
      for (int i = 0; i < 4; ++i) Blip(t, 0.045 * i, Note(3 + std::vector<int>{0, 4, 7, 12}[i]), 0.06, 0.5);
      Blip(t, 0.18, Note(15), 0.10, 0.4);
      break;
    default:  // 手机: two short beeps, like a handset
      Glide(t, 0.0, 1320, 1320, 0.07, 0.7, 4);
      Glide(t, 0.11, 1760, 1760, 0.09, 0.7, 4);
      break;
  }
  return t;
}

}  // namespace

void WriteSounds(const Output& out) {
  const std::string dir = "声音/";
  const auto& names = CategoryNames();
  for (int k = 1; k <= 8; ++k)
    out.Write(dir + names[k - 1] + ".wav", EncodeWav(Finish(Category(k)), kRate));

  Track page;  // a page being turned
  Swish(page, 0.0, 0.20, 600, 5000, 1.0, 0x7A6E01u);
  Glide(page, 0.15, Note(12), Note(16), 0.05, 0.15, 20);
  out.Write(dir + "翻页.wav", EncodeWav(Finish(page, 0.45), kRate));

  Track unlock;  // a latch clicks, then a bright rising pair
  Swish(unlock, 0.0, 0.03, 2000, 6000, 1.0, 0x10C4ED01u);
  Bell(unlock, 0.05, Note(19), 0.25, 0.5, {{1, 1}, {2.4, 0.3}, {5.1, 0.1}});
  Bell(unlock, 0.13, Note(26), 0.30, 0.5, {{1, 1}, {2.4, 0.3}, {5.1, 0.1}});
  out.Write(dir + "查看帐号密码.wav", EncodeWav(Finish(unlock), kRate));

  Track edit;  // two pencil strokes and a soft tone
  Swish(edit, 0.0, 0.07, 1500, 4000, 1.0, 0xED170001u);
  Swish(edit, 0.09, 0.07, 1800, 4500, 1.0, 0xED170002u);
  Bell(edit, 0.17, Note(10), 0.22, 0.35, {{1, 1}, {2, 0.25}});
  out.Write(dir + "修改.wav", EncodeWav(Finish(edit, 0.5), kRate));

  const std::string clicks = dir + "点击声音/";
  const auto& click = ClickSoundNames();
  Track ding;  // 叮: a small high bell
  Bell(ding, 0.0, Note(27), 0.30, 1.0, {{1, 1}, {2.76, 0.25}, {5.4, 0.08}});
  out.Write(clicks + click[0], EncodeWav(Finish(ding, 0.5), kRate));
  Track dong;  // 咚: a soft low drum
  Glide(dong, 0.0, 220, 110, 0.22, 1.0, 14);
  out.Write(clicks + click[1], EncodeWav(Finish(dong, 0.6), kRate));
  Track bo;  // 啵: a bubble popping
  Glide(bo, 0.0, 380, 1100, 0.07, 1.0, 20);
  out.Write(clicks + click[2], EncodeWav(Finish(bo, 0.5), kRate));
  Track da;  // 嗒: a crisp tick
  Swish(da, 0.0, 0.025, 2500, 7000, 1.0, 0xDA000001u);
  Glide(da, 0.0, 2200, 1800, 0.03, 0.3, 60);
  out.Write(clicks + click[3], EncodeWav(Finish(da, 0.5), kRate));
}
