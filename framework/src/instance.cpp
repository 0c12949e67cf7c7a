#include "sis/framework/instance.h"

#include "sis/framework/messages.h"
#include "sis/framework/report.h"
#include "sis/platform/dialog.h"
#include "sis/platform/message_box.h"
#include "sis/platform/module.h"

namespace sis {

Instance::Instance(const HostLink& host, int32_t number) : TrimsetAccess(host, number) {}

Instance::~Instance() { DestroyReport(); }

bool Instance::Initialise() {
  const bool levelRead = ReadLevel(level);
  const bool nameRead = ReadMachineName();
  return levelRead && nameRead && level >= 3;
}

bool Instance::PushModal(Dialog* dialog) {
  for (Dialog*& slot : modalDialogs) {
    if (!slot) {
      slot = dialog;
      return true;
    }
  }
  return false;
}

void Instance::PopModal(Dialog* dialog) {
  for (Dialog*& slot : modalDialogs) {
    if (slot == dialog) slot = nullptr;
  }
}

void Instance::CancelModals() {
  for (Dialog* dialog : modalDialogs) {
    if (dialog && dialog->IsCreated()) dialog->EndDialog(kIdCancel);
  }
}

int Instance::RunModal(Dialog& dialog) {
  ModalRegistration registration(*this, dialog);
  return dialog.DoModal();
}

void Instance::BuildReport(const ReportLines& lines, int32_t parts) {
  DestroyReport();
  report = std::make_unique<CSisReport>(*this, LoadString(msg::kReportTitle) + kTitleJoiner + MachineName(), parts);
  report->SetLine(-1, lines.general);
  for (int32_t i = 0; i < parts && static_cast<size_t>(i) < lines.parts.size(); ++i) {
    report->SetLine(i, lines.parts[static_cast<size_t>(i)]);
  }
  if (report->Create()) report->Rebuild();
}

void Instance::DestroyReport() {
  if (!report) return;
  report->DestroyWindow();
  report.reset();
}

}  // namespace sis
