// The ordered record of everything that crossed the boundary: export calls,
// ACTIONDLL calls, host events and user-interface events, one line each.
#ifndef SIS_HOST_TRACE_H
#define SIS_HOST_TRACE_H

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace sis::host {

class Trace {
 public:
  void Add(std::string line);
  const std::vector<std::string>& Lines() const { return lines_; }
  size_t Size() const { return lines_.size(); }
  void Clear() { lines_.clear(); }
  // Lines are also printed here as they come (null: not printed).
  void Echo(std::ostream* out) { echo_ = out; }

  // Index of the first line at or after `from` that contains `text`, or npos.
  size_t Find(std::string_view text, size_t from = 0) const;
  bool Contains(std::string_view text) const { return Find(text) != npos; }
  // Counts the lines that contain `text`.
  size_t Count(std::string_view text) const;
  // True when each text is found on a later line than the one before it;
  // otherwise `missing` gets the index of the first text not found.
  bool InOrder(const std::vector<std::string>& texts, size_t from = 0, size_t* missing = nullptr) const;
  std::string Text(size_t from = 0) const;

  static constexpr size_t npos = static_cast<size_t>(-1);

 private:
  std::vector<std::string> lines_;
  std::ostream* echo_ = nullptr;
};

}  // namespace sis::host

#endif
