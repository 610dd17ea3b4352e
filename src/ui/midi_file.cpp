#include "ui/midi_file.h"

#include <algorithm>
#include <cstring>

namespace {

std::uint32_t U16BE(const std::uint8_t* p) { return (p[0] << 8) | p[1]; }
std::uint32_t U32BE(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// Times beyond this (about 35 years) are clamped, so no sum can overflow.
constexpr std::int64_t kLatestUs = std::int64_t{1} << 50;
constexpr std::size_t kMostMessages = 4 * 1024 * 1024;

struct Event {
  std::int64_t tick;
  std::uint32_t order;  // file order among events of one tick
  std::uint32_t offset, size;
  std::uint32_t tempo;  // non-zero: a tempo change, not sent
};

bool ReadVarLen(const std::uint8_t* p, std::size_t end, std::size_t& pos, std::uint32_t& value) {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (pos >= end) return false;
    std::uint8_t b = p[pos++];
    value = (value << 7) | (b & 0x7F);
    if (!(b & 0x80)) return true;
  }
  return false;
}

// ticks * num / den without overflow, at most kLatestUs.
std::int64_t Scale(std::int64_t ticks, std::int64_t num, std::int64_t den) {
  if (ticks / den > kLatestUs / num) return kLatestUs;
  return std::min(ticks / den * num + ticks % den * num / den, kLatestUs);
}

int DataBytes(std::uint8_t status) {
  switch (status & 0xF0) {
    case 0xC0:
    case 0xD0: return 1;
    default: return 2;
  }
}

// One MTrk body into `events`, times in ticks from `startTick`. Returns the track's end tick.
bool ReadTrack(const std::uint8_t* p, std::size_t begin, std::size_t end, std::int64_t startTick,
               std::vector<Event>& events, MidiSequence& out, std::int64_t& endTick) {
  std::size_t pos = begin;
  std::int64_t tick = startTick;
  std::uint8_t running = 0;
  while (pos < end) {
    std::uint32_t delta;
    if (!ReadVarLen(p, end, pos, delta) || pos >= end) break;
    tick = std::min(tick + delta, kLatestUs);
    std::uint8_t status = p[pos];
    if (status == 0xFF) {  // meta event
      if (pos + 2 > end) break;
      std::uint8_t type = p[pos + 1];
      pos += 2;
      std::uint32_t length;
      if (!ReadVarLen(p, end, pos, length) || length > end - pos) break;
      if (type == 0x2F) break;  // end of track
      if (type == 0x51 && length == 3) {
        std::uint32_t tempo = (p[pos] << 16) | (p[pos + 1] << 8) | p[pos + 2];
        if (tempo > 0) events.push_back({tick, static_cast<std::uint32_t>(events.size()), 0, 0, tempo});
      }
      pos += length;
      running = 0;
      continue;
    }
    if (status == 0xF0 || status == 0xF7) {  // system exclusive, sent as F0 ... F7
      ++pos;
      std::uint32_t length;
      if (!ReadVarLen(p, end, pos, length) || length > end - pos) break;
      if (status == 0xF0) {
        std::uint32_t offset = static_cast<std::uint32_t>(out.bytes.size());
        out.bytes.push_back(0xF0);
        out.bytes.insert(out.bytes.end(), p + pos, p + pos + length);
        events.push_back({tick, static_cast<std::uint32_t>(events.size()), offset, length + 1, 0});
      }
      pos += length;
      running = 0;
      continue;
    }
    if (status & 0x80) {
      if (status >= 0xF0) break;  // no other system messages belong in a file
      running = status;
      ++pos;
    } else if (!running) {
      break;  // data without a status
    }
    int n = DataBytes(running);
    if (pos + n > end) break;
    std::uint32_t offset = static_cast<std::uint32_t>(out.bytes.size());
    out.bytes.push_back(running);
    for (int i = 0; i < n; ++i) out.bytes.push_back(p[pos + i] & 0x7F);
    events.push_back({tick, static_cast<std::uint32_t>(events.size()), offset, static_cast<std::uint32_t>(n + 1), 0});
    pos += n;
    if (events.size() > kMostMessages) return false;
  }
  endTick = tick;
  return true;
}

}  // namespace

bool ParseMidi(const std::uint8_t* data, std::size_t size, MidiSequence& out) {
  out = MidiSequence();
  if (size < 14 || std::memcmp(data, "MThd", 4) != 0) return false;
  std::uint32_t headerLength = U32BE(data + 4);
  if (headerLength < 6 || headerLength > size - 8) return false;
  std::uint32_t format = U16BE(data + 8), division = U16BE(data + 12);
  if (format > 2 || division == 0) return false;

  std::vector<Event> events;
  std::int64_t nextStart = 0;
  std::size_t pos = 8 + headerLength;
  while (pos + 8 <= size) {
    std::uint32_t length = U32BE(data + pos + 4);
    std::size_t body = pos + 8, end = body + std::min<std::size_t>(length, size - body);
    if (std::memcmp(data + pos, "MTrk", 4) == 0) {
      std::int64_t endTick = 0;
      if (!ReadTrack(data, body, end, format == 2 ? nextStart : 0, events, out, endTick)) return false;
      if (format == 2) nextStart = endTick;
    }
    pos = end;
  }

  std::stable_sort(events.begin(), events.end(),
                   [](const Event& a, const Event& b) { return a.tick < b.tick; });
  // Ticks to microseconds: by tempo (default 120 beats a minute) or by SMPTE frames.
  const bool smpte = division & 0x8000;
  const std::int64_t fps = smpte ? -static_cast<std::int8_t>(division >> 8) : 0;
  const std::int64_t perFrame = division & 0xFF;
  if (smpte && (fps <= 0 || perFrame == 0)) return false;
  std::int64_t tempo = 500000, lastTick = 0, lastUs = 0;
  for (const Event& e : events) {
    std::int64_t ticks = e.tick - lastTick;
    std::int64_t us = smpte ? Scale(ticks, 1000000, fps * perFrame) : Scale(ticks, tempo, division);
    lastUs = std::min(lastUs + us, kLatestUs);
    lastTick = e.tick;
    if (e.tempo) {
      tempo = e.tempo;
      continue;
    }
    out.messages.push_back({lastUs, e.offset, e.size});
  }
  return !out.messages.empty();
}
