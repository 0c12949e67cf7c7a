#include "sis/host/trace.h"

namespace sis::host {

void Trace::Add(std::string line) {
  if (echo_ != nullptr) *echo_ << line << '\n';
  lines_.push_back(std::move(line));
}

size_t Trace::Find(std::string_view text, size_t from) const {
  for (size_t i = from; i < lines_.size(); ++i)
    if (lines_[i].find(text) != std::string::npos) return i;
  return npos;
}

size_t Trace::Count(std::string_view text) const {
  size_t n = 0;
  for (const auto& l : lines_)
    if (l.find(text) != std::string::npos) ++n;
  return n;
}

bool Trace::InOrder(const std::vector<std::string>& texts, size_t from, size_t* missing) const {
  size_t at = from;
  for (size_t i = 0; i < texts.size(); ++i) {
    const size_t found = Find(texts[i], at);
    if (found == npos) {
      if (missing) *missing = i;
      return false;
    }
    at = found + 1;
  }
  return true;
}

std::string Trace::Text(size_t from) const {
  std::string out;
  for (size_t i = from; i < lines_.size(); ++i) {
    out += lines_[i];
    out += '\n';
  }
  return out;
}

}  // namespace sis::host
