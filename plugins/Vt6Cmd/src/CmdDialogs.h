// The editing dialogs of the auxiliary outputs. Each edits a CCmdEditSession
// and refuses OK, with a box saying why, while its choices break a check that
// the publish would report; the caller writes the session's tables after OK.
#ifndef VT6CMD_CMD_DIALOGS_H
#define VT6CMD_CMD_DIALOGS_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CmdEditor.h"
#include "CmdOutputControls.h"
#include "sis/platform/dialog.h"

// One output (template 1013): configuration, piloting mode, parameter and,
// for codes with a pilot map, the map's axis variables. A twin partner
// follows the pair's rules and is validated with it.
class CSisCalAffDialog : public sis::Dialog {
 public:
  static constexpr int32_t kTemplate = 1013;
  CSisCalAffDialog(vt6cmd::CCmdEditSession& session, size_t index, std::wstring machine, bool advancedChoice);
  // The outputs this dialog edits: the output and its partner.
  uint32_t EditedMask() const;

  bool OnInitDialog() override;
  void OnOK() override;
  void OnCommand(int32_t id, sis::Notify code) override;
  void OnHelp(int32_t id) override;

 private:
  vt6cmd::CCmdEditSession& session_;
  size_t index_;
  std::wstring machine_;
  vt6cmd::COutputControls controls_;
};

// A pilot map's axis variables (template 1012).
class CSisCalMapDialog : public sis::Dialog {
 public:
  static constexpr int32_t kTemplate = 1012;
  CSisCalMapDialog(vt6cmd::CCmdEditSession& session, size_t index, std::wstring machine, bool advancedChoice);

  bool OnInitDialog() override;
  void OnOK() override;
  void OnCommand(int32_t id, sis::Notify code) override;
  void OnHelp(int32_t id) override;

 private:
  vt6cmd::CCmdEditSession& session_;
  size_t index_;
  std::wstring machine_;
  vt6cmd::COutputControls controls_;
};

// One standard page (template 1020).
class CSisCalAuxPage : public sis::PropertyPage {
 public:
  static constexpr int32_t kTemplate = 1020;
  CSisCalAuxPage(vt6cmd::CCmdEditSession& session, size_t index);

  bool OnInitDialog() override;
  bool OnSetActive() override;
  void OnCommand(int32_t id, sis::Notify code) override;
  void OnHelp(int32_t id) override;

 private:
  vt6cmd::COutputControls controls_;
};

// The standard configuration of all outputs: one page per output, tabs named
// after the outputs' tables.
class CSisCalAuxDialog : public sis::PropertySheet {
 public:
  CSisCalAuxDialog(vt6cmd::CCmdEditSession& session, std::wstring title, std::wstring machine);

  bool OnInitDialog() override;
  void OnOK() override;

 private:
  vt6cmd::CCmdEditSession& session_;
  std::wstring machine_;
  std::vector<std::unique_ptr<CSisCalAuxPage>> pages_;
};

#endif
