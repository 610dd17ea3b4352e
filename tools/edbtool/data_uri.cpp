#include "data_uri.h"

namespace edbtool {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+' || c == '-') return 62;  // '-' and '_': the URL-safe alphabet
  if (c == '/' || c == '_') return 63;
  return -1;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool DecodeBase64(std::string_view text, Bytes* out, std::size_t maxBytes) {
  // Three bytes per four characters at most: refuse before taking any memory.
  if (text.size() / 4 * 3 > maxBytes + 3) return false;
  out->clear();
  out->reserve(text.size() / 4 * 3 + 3);
  std::uint32_t acc = 0;
  int bits = 0;
  bool padding = false;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;  // wrapped lines
    if (c == '=') {
      padding = true;
      continue;
    }
    const int v = Base64Value(c);
    if (v < 0 || padding) return false;  // a foreign character, or data after the padding
    acc = (acc << 6) | static_cast<std::uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out->push_back(static_cast<std::uint8_t>(acc >> bits));
      acc &= (1u << bits) - 1;
    }
  }
  if (bits >= 6) return false;  // a lone character at the end holds no whole byte
  return out->size() <= maxBytes;
}

bool DecodePercent(std::string_view text, Bytes* out, std::size_t maxBytes) {
  out->clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (out->size() >= maxBytes) return false;
    if (text[i] == '%') {
      if (i + 2 >= text.size()) return false;  // a '%' without its two digits
      const int hi = HexValue(text[i + 1]), lo = HexValue(text[i + 2]);
      if (hi < 0 || lo < 0) return false;
      out->push_back(static_cast<std::uint8_t>(hi * 16 + lo));
      i += 2;
    } else {
      out->push_back(static_cast<std::uint8_t>(text[i]));
    }
  }
  return true;
}

}  // namespace

bool DecodeDataUri(std::string_view uri, Bytes* out, std::size_t maxBytes) {
  out->clear();
  if (uri.size() < 5) return false;
  for (std::size_t i = 0; i < 5; ++i)
    if (Lower(uri[i]) != "data:"[i]) return false;
  const std::size_t comma = uri.find(',');
  if (comma == std::string_view::npos) return false;
  const std::string_view meta = uri.substr(5, comma - 5);
  const std::string_view payload = uri.substr(comma + 1);
  bool base64 = false;
  if (meta.size() >= 7) {
    std::string tail;
    for (char c : meta.substr(meta.size() - 7)) tail += Lower(c);
    base64 = tail == ";base64";
  }
  const bool ok = base64 ? DecodeBase64(payload, out, maxBytes) : DecodePercent(payload, out, maxBytes);
  if (!ok) out->clear();
  return ok && !out->empty();
}

std::string Base64Encode(const Bytes& bytes) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  if (i < bytes.size()) {
    const std::uint32_t v = (bytes[i] << 16) | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0);
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

}  // namespace edbtool
