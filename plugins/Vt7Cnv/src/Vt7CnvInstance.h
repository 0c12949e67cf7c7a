// One Vt7Cnv instance: the map imports of one Trimset or machine.
#ifndef VT7CNV_INSTANCE_H
#define VT7CNV_INSTANCE_H

#include <cstdint>
#include <string>
#include <vector>

#include "import_kinds.h"
#include "sis/framework/instance.h"
#include "sis/framework/tables.h"

class CVt7CnvInstance : public sis::Instance {
 public:
  using sis::Instance::Instance;

  // Creation rule of this plug-in, used by PluginApp::CreateInstance in place
  // of the framework's: the machine name alone is needed, the level is not read.
  bool Initialise() { return ReadMachineName(); }

  // DEBCNV...: imports a map of `kind` for the action `action`.
  void Import(vt7cnv::MapKind kind, const char* action);

  // Verbs.
  void OnPartFinished(const char* table);
  void OnTransmissionError(const char* table);
  void OnReset(const char* action);
  void OnNothing(const char* name);

 private:
  // Shows the file dialog until a non-empty file is read into `bytes`; false
  // when the user cancels or the import was replaced meanwhile.
  bool ChooseFile(const vt7cnv::ImportKind& info, uint32_t serial, std::vector<uint8_t>& bytes);
  // True when a modal wait let the host reset this import or start another.
  bool Superseded(uint32_t serial) const { return serial != serial_ || kindFlags_ == 0; }

  uint32_t kindFlags_ = 0;  // flag of the running import's kind, 0 when none
  uint32_t serial_ = 0;     // counts import requests, to notice re-entry
  std::string targetTable_;
  std::vector<uint8_t> fileBytes_;  // the last file imported
  sis::WordTable converted_;        // its converted table
};

#endif
