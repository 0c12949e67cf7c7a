// A trial host with a Trimset of three measurements wired to the Vt6Sen
// plug-in, and a user interface that records what is shown and lets each
// test drive the modal dialogs.
#ifndef VT6SEN_TEST_FIXTURE_H
#define VT6SEN_TEST_FIXTURE_H

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sis/host/host.h"
#include "sis/platform/backend.h"
#include "sis/platform/dialog.h"
#include "sis/platform/user_action.h"

namespace sentest {

// Identifiers of the Trimset items.
enum Id : int32_t {
  kConfigId = 0x1000, kRulesId, kAssignId, kCompiledId, kListId, kActivationId,
  kTempKey = 0x2000, kTempAct, kTempText, kTempMap,
  kPressKey = 0x2100, kPressAct, kPressText, kPressStruct, kPressAvgMap,
  kLambdaKey = 0x2200, kLambdaAct, kLambdaText,
  kChAna1 = 0x3000, kChAna2, kChTemp, kChLambda, kChNone,
  kRpm = 0x100, kThrottle, kGear, kTempDisplay,
};

struct Ui : sis::Backend {
  int MessageBox(sis::BoxKind kind, const std::wstring& text) override;
  int RunModal(sis::Dialog& dialog) override;
  void WindowShown(sis::Dialog& dialog) override;
  void WindowHidden(sis::Dialog& dialog) override;
  void WindowDestroyed(sis::Dialog& dialog) override { WindowHidden(dialog); }
  bool FileOpen(const std::wstring&, const std::wstring&, std::string&) override { return false; }
  void HelpPopup(const std::wstring& text) override { helps.push_back(text); }

  std::vector<std::wstring> boxes;
  std::vector<std::wstring> helps;
  std::vector<std::wstring> dialogs;  // titles of modal dialogs, in order
  std::vector<sis::Dialog*> shownReports;
  // Drives each modal dialog; without it the dialog is cancelled.
  std::function<void(sis::Dialog&)> onModal;
};

// Acts on a control; fails the test when the action is refused.
void Act(sis::Dialog& dialog, sis::UserAction::Kind kind, int32_t control, int32_t value = 0);

class SenTest : public ::testing::Test {
 public:
  SenTest();
  ~SenTest() override;

  // Builds the Trimset on `instance` (a file below 8, a machine from 8).
  sis::host::Trimset& Build(int32_t instance = 1);
  // Loads the plug-in and opens the function.
  void Open();
  sis::host::Variable& Var(const std::string& name);
  std::vector<uint16_t> Words(const std::string& name);
  // What the plug-in last wrote with a store code (a recorded entry).
  const sis::host::Datum* Stored(int32_t code, const std::string& name);
  std::string StoredText(int32_t code, const std::string& name);
  // Assignment table block word b of measurement i.
  uint16_t& Block(std::vector<uint16_t>& table, size_t i, size_t b) { return table[5 + 7 * i + b]; }
  bool Finished(const std::string& action) const;
  std::wstring LastBox() const { return ui.boxes.empty() ? L"" : ui.boxes.back(); }
  // Rows of the report window with this title prefix ("" when hidden or absent).
  std::vector<std::wstring> ReportRows(const std::wstring& titleStart) const;

  sis::host::Host host;
  Ui ui;
  int32_t number = 1;
  sis::host::Trimset* ts = nullptr;
};

std::vector<uint16_t> Assignment(const std::vector<std::array<uint16_t, 5>>& values);

}  // namespace sentest

#endif
