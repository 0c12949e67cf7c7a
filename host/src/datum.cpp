#include "sis/host/datum.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sis/host/text1252.h"

namespace sis::host {

Datum Datum::Int(int32_t value) { return Raw(-1, &value, sizeof value); }

Datum Datum::Text(std::string_view text) {
  Datum d;
  d.bytes.assign(text.begin(), text.end());
  d.bytes.push_back(0);
  d.count = static_cast<int32_t>(d.bytes.size());
  return d;
}

Datum Datum::Names(const std::vector<std::string>& names) {
  Datum d;
  for (const auto& n : names) {
    d.bytes.insert(d.bytes.end(), n.begin(), n.end());
    d.bytes.push_back(0);
  }
  if (d.bytes.empty()) d.bytes.push_back(0);
  d.count = static_cast<int32_t>(d.bytes.size());
  return d;
}

Datum Datum::Words(const std::vector<uint16_t>& words) {
  return Raw(static_cast<int32_t>(words.size() * 2), words.data(), words.size() * 2);
}

Datum Datum::Longs(const std::vector<int32_t>& longs) {
  return Raw(static_cast<int32_t>(longs.size() * 4), longs.data(), longs.size() * 4);
}

Datum Datum::Raw(int32_t count, const void* data, size_t size) {
  Datum d;
  d.count = count;
  const auto* p = static_cast<const uint8_t*>(data);
  if (size != 0) d.bytes.assign(p, p + size);
  return d;
}

Datum Datum::FromBuffer(const HostBuffer& buffer) {
  if (buffer.data == nullptr) return Raw(buffer.count, nullptr, 0);
  if (buffer.count == -1) return Raw(-1, buffer.data, 4);
  if (buffer.count > 0) return Raw(buffer.count, buffer.data, static_cast<size_t>(buffer.count));
  return Raw(buffer.count, nullptr, 0);
}

int32_t Datum::AsInt() const {
  int32_t v = 0;
  if (bytes.size() >= 4) std::memcpy(&v, bytes.data(), 4);
  return v;
}

bool Datum::AsText(std::string& out) const {
  if (count <= 0 || bytes.size() != static_cast<size_t>(count) || bytes.back() != 0) return false;
  out.assign(bytes.begin(), bytes.end() - 1);
  return true;
}

bool Datum::AsWords(std::vector<uint16_t>& out) const {
  if (count < 2 || count % 2 != 0 || bytes.size() != static_cast<size_t>(count)) return false;
  std::vector<uint16_t> w(bytes.size() / 2);
  std::memcpy(w.data(), bytes.data(), bytes.size());
  if (w[0] != count) return false;
  out = std::move(w);
  return true;
}

bool Datum::AsLongs(std::vector<int32_t>& out) const {
  if (count < 4 || count % 4 != 0 || bytes.size() != static_cast<size_t>(count)) return false;
  std::vector<int32_t> l(bytes.size() / 4);
  std::memcpy(l.data(), bytes.data(), bytes.size());
  if (l[0] != count) return false;
  out = std::move(l);
  return true;
}

void* Datum::Allocate() const {
  if (bytes.empty()) return nullptr;
  void* p = std::malloc(bytes.size());
  std::memcpy(p, bytes.data(), bytes.size());
  return p;
}

void Datum::Fill(HostBuffer& buffer) const {
  buffer.count = count;
  buffer.data = Allocate();
}

std::string Describe(const Datum& d) {
  char tmp[64];
  if (d.count == 0 && d.bytes.empty()) return "empty";
  if (d.count == -1) {
    if (d.bytes.size() != 4) return "int (no data)";
    std::snprintf(tmp, sizeof tmp, "int %d (0x%X)", d.AsInt(), static_cast<uint32_t>(d.AsInt()));
    return tmp;
  }
  if (d.bytes.empty()) return "count " + std::to_string(d.count) + " (no data)";
  // A text: NUL at the end and nothing unprintable before it but NULs of a name list.
  bool text = d.bytes.back() == 0;
  for (size_t i = 0; text && i + 1 < d.bytes.size(); ++i) {
    const uint8_t b = d.bytes[i];
    if (b < 0x20 && b != '\n' && b != '\r' && b != '\t' && b != 0) text = false;
  }
  if (text && !(d.bytes.size() >= 2 && d.bytes[0] == d.bytes.size() && d.bytes[1] == 0 && d.bytes.size() % 2 == 0)) {
    std::string s;
    for (size_t i = 0; i + 1 < d.bytes.size(); ++i) {
      const char c = static_cast<char>(d.bytes[i]);
      if (c == 0) s += "\\0";
      else if (c == '\n') s += "\\n";
      else if (c == '"') s += "\\\"";
      else s += c;
    }
    return "text \"" + Cp1252ToUtf8(s) + "\"";
  }
  std::vector<uint16_t> words;
  std::vector<int32_t> longs;
  std::string out;
  const size_t shown = 16;
  if (d.AsWords(words)) {
    out = "words[" + std::to_string(words.size()) + "]";
    for (size_t i = 0; i < words.size() && i < shown; ++i) {
      std::snprintf(tmp, sizeof tmp, " 0x%04X", words[i]);
      out += tmp;
    }
    if (words.size() > shown) out += " ...";
    return out;
  }
  if (d.AsLongs(longs)) {
    out = "longs[" + std::to_string(longs.size()) + "]";
    for (size_t i = 0; i < longs.size() && i < shown; ++i) {
      out += ' ';
      out += std::to_string(longs[i]);
    }
    if (longs.size() > shown) out += " ...";
    return out;
  }
  out = "bytes[" + std::to_string(d.count) + "]";
  for (size_t i = 0; i < d.bytes.size() && i < shown; ++i) {
    std::snprintf(tmp, sizeof tmp, " %02X", d.bytes[i]);
    out += tmp;
  }
  if (d.bytes.size() > shown) out += " ...";
  return out;
}

}  // namespace sis::host
