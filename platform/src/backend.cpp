#include "sis/platform/backend.h"

#include "sis/platform/headless_backend.h"
#include "sis/platform/shell.h"

namespace sis {
namespace {

Backend* gInstalled = nullptr;

}  // namespace

HeadlessBackend& DefaultHeadlessBackend() {
  static HeadlessBackend headless;
  return headless;
}

Backend::~Backend() = default;
void Backend::WindowDestroyed(Dialog&) {}
void Backend::Beep() {}
int Backend::ShellOpen(const std::wstring&) { return 2; }  // "file not found": no shell here
void Backend::HelpPopup(const std::wstring&) {}

void SetBackend(Backend* backend) { gInstalled = backend; }

Backend& CurrentBackend() { return gInstalled ? *gInstalled : DefaultHeadlessBackend(); }

const char* BoxKindName(BoxKind kind) {
  switch (kind) {
    case BoxKind::Error: return "error";
    case BoxKind::Warning: return "warning";
    case BoxKind::Question: return "question";
    case BoxKind::Information: return "information";
  }
  return "error";
}

int MessageBox(BoxKind kind, const std::wstring& text) {
  int answer = CurrentBackend().MessageBox(kind, text);
  if (kind == BoxKind::Question) return answer == kIdYes ? kIdYes : kIdNo;
  return kIdOk;
}

bool FileOpenDialog(const std::wstring& title, const std::wstring& filter, std::string& path) {
  return CurrentBackend().FileOpen(title, filter, path);
}

void Beep() { CurrentBackend().Beep(); }

int ShellOpen(const std::wstring& target) { return CurrentBackend().ShellOpen(target); }

void ShowHelpPopup(const std::wstring& text) { CurrentBackend().HelpPopup(text); }

}  // namespace sis
