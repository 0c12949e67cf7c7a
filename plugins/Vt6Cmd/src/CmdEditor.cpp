#include "CmdEditor.h"

#include <algorithm>
#include <map>

namespace vt6cmd {
namespace {

bool InNRel(uint16_t code, const Limits& l) { return code == kNotUsedCode || (code >= l.minNRel && code <= l.maxNRel); }

// The standard PWM range: the frequency limits narrowed by MIN/MAX_CMDPSFT
// (the full range when the two do not overlap).
std::pair<uint32_t, uint32_t> StandardRange(uint16_t code, const Limits& l) {
  auto range = ParameterLimits(code, l);
  const CodeInfo* info = FindCode(code);
  if (!info || info->family != ParamFamily::Pwm) return range;
  const uint32_t low = std::max(range.first, static_cast<uint32_t>(l.minPSft));
  const uint32_t high = std::min(range.second, static_cast<uint32_t>(l.maxPSft));
  return low <= high ? std::make_pair(low, high) : range;
}

}  // namespace

CCmdEditSession::CCmdEditSession(std::vector<EditedOutput> outputs, const Limits& limits,
                                 std::vector<AxisVariable> axes, bool standard, std::function<bool(int32_t)> idKnown)
    : outputs_(std::move(outputs)), limits_(limits), axes_(std::move(axes)), standard_(standard),
      idKnown_(std::move(idKnown)) {}

int32_t CCmdEditSession::Partner(size_t i) const {
  const uint32_t twin = outputs_.at(i).record.twin;
  return twin != kNoTwin && twin < outputs_.size() ? static_cast<int32_t>(twin) : -1;
}

std::vector<uint16_t> CCmdEditSession::Codes(size_t i) const {
  const EditedOutput& o = outputs_.at(i);
  std::vector<uint16_t> codes;
  for (uint16_t code : AllowedCodes(o.record)) {
    if (!standard_ || InNRel(code, limits_)) codes.push_back(code);
  }
  const uint16_t current = o.table[word::kCode];
  if (std::find(codes.begin(), codes.end(), current) == codes.end() && FindCode(current)) {
    codes.insert(std::upper_bound(codes.begin(), codes.end(), current), current);
  }
  return codes;
}

std::vector<uint16_t> CCmdEditSession::Modes(size_t i) const {
  const EditedOutput& o = outputs_.at(i);
  return AcceptedModes(o.record, o.table[word::kCode]);
}

bool CCmdEditSession::InvertOffered(size_t i) const {
  const CodeInfo* info = FindCode(outputs_.at(i).table[word::kCode]);
  return info && (info->modeProperty & kModeInverted) && info->code != kNotUsedCode;
}

std::pair<uint32_t, uint32_t> CCmdEditSession::ParameterRange(size_t i) const {
  const uint16_t code = outputs_.at(i).table[word::kCode];
  return standard_ ? StandardRange(code, limits_) : ParameterLimits(code, limits_);
}

bool CCmdEditSession::AxesOffered(size_t i) const {
  const EditedOutput& o = outputs_.at(i);
  const CodeInfo* info = FindCode(o.table[word::kCode]);
  return o.hasMaps && info && info->pilotMap;
}

std::vector<AxisVariable> CCmdEditSession::Axes(bool advanced) const {
  std::vector<AxisVariable> out;
  for (const AxisVariable& a : axes_) {
    if (advanced || a.standard) out.push_back(a);
  }
  return out;
}

void CCmdEditSession::Adapt(size_t i) {
  EditedOutput& o = outputs_.at(i);
  sis::WordTable& t = o.table;
  const uint16_t code = t[word::kCode];
  const auto modes = Modes(i);
  const uint16_t mode = t[word::kMode] & ~kModeInverted;
  if (std::find(modes.begin(), modes.end(), mode) == modes.end()) {
    t[word::kMode] = static_cast<uint16_t>((modes.empty() ? 0 : modes.front()) | (t[word::kMode] & kModeInverted));
  }
  if (!InvertOffered(i)) t[word::kMode] &= static_cast<uint16_t>(~kModeInverted);
  const auto [low, high] = ParameterRange(i);
  t[word::kParameter] = static_cast<uint16_t>(std::clamp<uint32_t>(t[word::kParameter], low, high));
  o.parameterValid = true;
  const CodeInfo* info = FindCode(code);
  if (!info || !info->pilotMap) {
    vt6cmd::SetLineAxis(t, -1);
    vt6cmd::SetColumnAxis(t, -1);
  }
}

// The partner takes the code the pair needs: the twin code of a positive
// output, the positive throttle for the negative one, and "not used" when it
// was tied to a pairing that no longer exists.
void CCmdEditSession::FollowPartner(size_t i) {
  const int32_t j = Partner(i);
  if (j < 0) return;
  const auto ju = static_cast<size_t>(j);
  const uint16_t own = outputs_[i].table[word::kCode];
  sis::WordTable& pt = outputs_[ju].table;
  const CodeInfo* info = FindCode(own);
  uint16_t wanted = pt[word::kCode];
  if (IsTwinPositive(own) && info) {
    wanted = info->twinCode;
  } else if (own == kThrottleNegative) {
    wanted = kThrottlePositive;
  } else if (pt[word::kCode] == kThrottleNegative || (IsTwinPositive(pt[word::kCode]) && own != kNotUsedCode)) {
    wanted = kNotUsedCode;
  }
  if (!CodeAllowed(outputs_[ju].record, wanted)) return;  // the check will say the pair cannot work
  if (wanted != pt[word::kCode]) {
    pt[word::kCode] = wanted;
    Adapt(ju);
  }
  if (own == kThrottlePositive || own == kThrottleNegative) pt[word::kParameter] = outputs_[i].table[word::kParameter];
}

void CCmdEditSession::SetCode(size_t i, uint16_t code) {
  outputs_.at(i).table[word::kCode] = code;
  Adapt(i);
  FollowPartner(i);
}

void CCmdEditSession::SetMode(size_t i, uint16_t mode) {
  sis::WordTable& t = outputs_.at(i).table;
  t[word::kMode] = static_cast<uint16_t>(mode | (t[word::kMode] & kModeInverted));
}

void CCmdEditSession::SetInverted(size_t i, bool inverted) {
  sis::WordTable& t = outputs_.at(i).table;
  t[word::kMode] = static_cast<uint16_t>((t[word::kMode] & ~kModeInverted) | (inverted ? kModeInverted : 0));
}

void CCmdEditSession::SetParameterText(size_t i, const std::wstring& text) {
  EditedOutput& o = outputs_.at(i);
  uint32_t value = 0;
  bool valid = !text.empty() && text.size() <= 5;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') valid = false;
    value = value * 10 + static_cast<uint32_t>(c - L'0');
  }
  o.parameterValid = valid && value <= 0xFFFF;
  if (!o.parameterValid) return;
  o.table[word::kParameter] = static_cast<uint16_t>(value);
  const uint16_t code = o.table[word::kCode];
  const int32_t j = Partner(i);
  if (j >= 0 && (code == kThrottlePositive || code == kThrottleNegative)) {
    outputs_[static_cast<size_t>(j)].table[word::kParameter] = o.table[word::kParameter];
  }
}

void CCmdEditSession::SetLineAxis(size_t i, int32_t id) { vt6cmd::SetLineAxis(outputs_.at(i).table, id); }
void CCmdEditSession::SetColumnAxis(size_t i, int32_t id) { vt6cmd::SetColumnAxis(outputs_.at(i).table, id); }
void CCmdEditSession::SetAdvanced(size_t i, bool advanced) { outputs_.at(i).table[word::kAdvanced] = advanced ? 1 : 0; }

uint32_t CCmdEditSession::ChangedMask() const {
  uint32_t mask = 0;
  for (size_t i = 0; i < outputs_.size() && i < 32; ++i) {
    if (outputs_[i].table != outputs_[i].original) mask |= 1u << i;
  }
  return mask;
}

bool CCmdEditSession::NeedsReset(uint32_t mask) const {
  for (size_t i = 0; i < outputs_.size() && i < 32; ++i) {
    if (!(mask & (1u << i))) continue;
    const EditedOutput& o = outputs_[i];
    if (!TableShapeValid(o.original)) return true;
    if (o.table[word::kCode] != o.original[word::kCode] || o.table[word::kMode] != o.original[word::kMode]) return true;
  }
  return false;
}

CheckResult CCmdEditSession::Check(size_t i, bool withTwin) const {
  const EditedOutput& o = outputs_[i];
  TwinView view{};
  const TwinView* twin = nullptr;
  const int32_t j = Partner(i);
  if (withTwin && j >= 0 && Check(static_cast<size_t>(j), false).status == 1) {
    view = {outputs_[static_cast<size_t>(j)].table[word::kCode], outputs_[static_cast<size_t>(j)].table[word::kParameter]};
    twin = &view;
  }
  CheckResult r = CheckOutputTable(o.record, o.table, limits_, o.hasMaps, idKnown_, twin);
  if (!o.parameterValid && std::find(r.messages.begin(), r.messages.end(), msg::kParameterOutOfLimits) == r.messages.end()) {
    r.messages.push_back(msg::kParameterOutOfLimits);
    r.status = 0;
  }
  return r;
}

std::vector<int32_t> CCmdEditSession::Problems(uint32_t mask) const {
  std::vector<int32_t> problems;
  auto add = [&problems](int32_t id) {
    if (std::find(problems.begin(), problems.end(), id) == problems.end()) problems.push_back(id);
  };
  std::map<uint16_t, int> counts;
  for (size_t i = 0; i < outputs_.size(); ++i) {
    const CheckResult r = Check(i, true);
    if (i < 32 && (mask & (1u << i))) {
      for (int32_t m : r.messages) add(m);
    }
    if (r.status == 1) ++counts[outputs_[i].table[word::kCode]];
  }
  for (const auto& [code, count] : counts) {
    if (count > 1 && !MayRepeat(code)) add(msg::kUniqueTwice);
  }
  return problems;
}

std::vector<sis::WordTable> CCmdEditSession::Tables() const {
  std::vector<sis::WordTable> tables;
  for (const EditedOutput& o : outputs_) tables.push_back(o.table);
  return tables;
}

bool BeyondStandard(const sis::WordTable& t, const Limits& l, bool hasMaps,
                    const std::function<bool(int32_t)>& axisStandard) {
  if (!TableShapeValid(t)) return false;
  const uint16_t code = t[word::kCode];
  if (!InNRel(code, l)) return true;
  const auto [low, high] = StandardRange(code, l);
  if (t[word::kParameter] < low || t[word::kParameter] > high) return true;
  const CodeInfo* info = FindCode(code);
  if (hasMaps && info && info->pilotMap) {
    for (int32_t id : {LineAxis(t), ColumnAxis(t)}) {
      if (id != -1 && !axisStandard(id)) return true;
    }
  }
  return false;
}

}  // namespace vt6cmd
