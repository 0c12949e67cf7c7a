#include "Vt7CnvInstance.h"

#include <utility>

#include "file_reader.h"
#include "map_convert.h"
#include "sis/framework/messages.h"
#include "sis/framework/transmission.h"
#include "sis/platform/message_box.h"
#include "sis/platform/module.h"
#include "sis/platform/shell.h"
#include "sis/platform/text.h"

using namespace vt7cnv;

namespace {

constexpr int32_t kFirstMachineInstance = 8;

}  // namespace

void CVt7CnvInstance::Import(MapKind kind, const char* action) {
  const ImportKind& info = KindInfo(kind);
  if (kindFlags_ != 0) {
    const bool sameKind = kindFlags_ == info.flag;
    sis::ShowMessageIds(sis::BoxKind::Error, MachineName(), {sis::msg::kOtherActionRunning});
    if (!sameKind) {
      ActionFinished(action);
      return;
    }
  }
  // The same kind starts again under the new action name.
  const uint32_t serial = ++serial_;
  kindFlags_ = info.flag;
  actionName = action;
  const std::string act = actionName;  // kept across the modal waits below

  targetTable_.clear();
  if (!ReadActionTable(action, targetTable_)) {
    ActionFinished(act.c_str());
    return;
  }
  const char* table = targetTable_.c_str();
  if (AttributeClass(table, false) == 0) {
    std::string label;
    std::wstring message = MachineName() + sis::kLineBreak;
    if (ReadLabel(table, label)) message += sis::AnsiToWide(label) + sis::kLineBreak;
    sis::MessageBox(sis::BoxKind::Error, message + sis::LoadString(text::kNotReceived));
    ActionFinished(act.c_str());
    return;
  }

  std::vector<uint8_t> bytes;
  if (!ChooseFile(info, serial, bytes)) {
    ActionFinished(act.c_str());
    return;
  }
  fileBytes_ = std::move(bytes);
  MapFile map;
  if (!CheckMapFile(kind, fileBytes_.data(), fileBytes_.size(), map)) {  // a rejected file is not written
    ActionFinished(act.c_str());
    return;
  }
  converted_ = ConvertMap(kind, map);
  if (!WriteWordTable(converted_, targetTable_.c_str())) {
    ActionFinished(act.c_str());
    return;
  }
  int32_t state = -1;
  if (Number() >= kFirstMachineInstance && ReadMachineState(state) && state != -1) Transmit(targetTable_.c_str());
  ActionFinished(act.c_str());
}

bool CVt7CnvInstance::ChooseFile(const ImportKind& info, uint32_t serial, std::vector<uint8_t>& bytes) {
  for (;;) {
    std::string path;
    const bool chosen = sis::FileOpenDialog(sis::LoadString(info.titleId), sis::LoadString(info.filterId), path);
    if (!chosen || Superseded(serial)) return false;
    if (!ReadWholeFile(path, kMaxMapFileBytes, bytes)) {
      sis::ShowMessageIds(sis::BoxKind::Error, MachineName(), {text::kFileUnreadable});
      if (Superseded(serial)) return false;
      continue;
    }
    if (!bytes.empty()) return true;
  }
}

void CVt7CnvInstance::OnPartFinished(const char* table) {
  if (kindFlags_ != 0 && targetTable_ == table) ActionFinished(actionName.c_str());
}

void CVt7CnvInstance::OnTransmissionError(const char* table) {
  if (kindFlags_ != 0 && targetTable_ == table) sis::ReportTransmissionError(*this, table, actionName);
}

void CVt7CnvInstance::OnReset(const char* action) {
  if (kindFlags_ != 0 && actionName == action) kindFlags_ = 0;
}

void CVt7CnvInstance::OnNothing(const char*) {}
