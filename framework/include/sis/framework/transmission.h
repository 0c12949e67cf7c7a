// Transmission exchanges: begin (DEB), write step, send step, part finished
// (FEM), transmission error (ERR) and reset (RST).
//
// A plug-in supplies its parts, its checks and its dialog through an
// ExchangeDelegate; the frame does the rest and answers the host's action
// (ActionFinished) on every path. One TransmissionExchange object serves one
// kind of editing action of an instance; plug-ins with several kinds of action
// keep one object per kind, each with its own running flag.
//
// Re-entry: the begin step's boxes and the dialog are modal, so the host may
// call FEM, ERR or RST (or another begin) while they are shown; the running
// flag is tested again after each of them.
#ifndef SIS_FRAMEWORK_TRANSMISSION_H
#define SIS_FRAMEWORK_TRANSMISSION_H

#include <cstdint>
#include <string>
#include <vector>

#include "sis/framework/instance.h"
#include "sis/framework/tables.h"

namespace sis {

class TransmissionExchange;

class ExchangeDelegate {
 public:
  virtual ~ExchangeDelegate() = default;
  // Begin step 4: true when the action's table belongs to this exchange.
  virtual bool OwnsTable(const std::string& table) = 0;
  // Begin step 5: the string number of the reason why part `index` cannot be
  // edited (the configuration not received, its format unknown), or 0.
  virtual int32_t CannotEdit(int32_t index) = 0;
  // Begin step 6: shows the editing dialog modally with this title (through
  // Instance::RunModal, so that a reset can end it). On OK the dialog calls
  // exchange.WriteStep with its tables; returns true for OK. A begin verb
  // without a dialog does its work here and calls WriteStep itself.
  virtual bool RunDialog(TransmissionExchange& exchange, const std::wstring& title) = 0;
  // Reset: a refresh deferred during the transfer.
  virtual void RefreshDisplays() = 0;

  // Begin step 4, for plug-ins that find the table their own way (a fallback
  // on the action name, a table that is not a part): the table concerned and
  // its number (-1 for none); false finishes the action. The default asks the
  // host (ReadActionTable), keeps the tables OwnsTable accepts and numbers
  // them by their place in the part list.
  virtual bool FindTable(TransmissionExchange& exchange, const char* action, std::string& table, int32_t& number);
  // Begin step 5, after the per-part test: checks of the plug-in's own. It
  // shows its message and returns false to finish the action.
  virtual bool BeginChecks(TransmissionExchange& exchange);
};

struct ExchangeTexts {
  int32_t majorError = 17014;         // begin on an instance that is not open
  int32_t defaultTitle = 17100;       // dialog title when the table has no label
  int32_t otherActionRunning = 17010;
};

class TransmissionExchange {
 public:
  // `parts`: the ordered Trimset tables the exchange may send (at most 32).
  // `runningFlag`: the instance flag marking this exchange (0x10 by default).
  TransmissionExchange(Instance& instance, ExchangeDelegate& delegate, std::vector<std::string> parts,
                       uint32_t runningFlag = flag::kTransmission, ExchangeTexts texts = {});

  Instance& Owner() const { return instance_; }
  const std::vector<std::string>& Parts() const { return parts_; }
  void SetParts(std::vector<std::string> parts) { parts_ = std::move(parts); }
  int32_t PartIndex(const char* name) const;  // -1 when not a part
  bool Running() const { return instance_.Has(runningFlag_); }
  // The table named by the running action (set in the begin step).
  const std::string& ActionTable() const { return actionTable_; }

  // DEB...(instance, action). An OK whose dialog never ran the write step
  // finishes the action, as nothing was changed.
  void Begin(const char* action);
  // Run by the dialog's OK with the edited tables (one per part, same order)
  // and the mask of the parts it edited. False when a write failed (the
  // action is finished then and nothing is sent).
  bool WriteStep(const std::vector<WordTable>& edited, uint32_t selected);
  // After the dialog's OK: has the changed parts transmitted, or finishes.
  // Begin runs it itself after a successful write step. When the exchange is
  // reset while its reset question is shown, nothing is sent.
  void SendStep();
  // FEM...(instance, part). The last part resets the machine when wanted and
  // finishes the action; reports arriving after that change nothing.
  void PartFinished(const char* part);
  // ERR...(instance, part).
  void TransmissionError(const char* part);
  // RST...(instance, action).
  void Reset(const char* action);

  // All parts completed: 2^n - 1.
  uint32_t AllPartsMask() const;

 private:
  enum class WriteOutcome { None, Written, Failed };

  void Finish() const { instance_.ActionFinished(instance_.actionName.c_str()); }
  // Parts that have a bit in the completed mask (at most 32).
  size_t PartLimit() const;
  // Begin step 5's test of every part; false after the box.
  bool PartsEditable();

  Instance& instance_;
  ExchangeDelegate& delegate_;
  std::vector<std::string> parts_;
  uint32_t runningFlag_;
  ExchangeTexts texts_;
  std::string actionTable_;
  WriteOutcome write_ = WriteOutcome::None;  // of the dialog now running
};

// The error report of a failed transmission of `part` (error state 0x40035,
// text 0x40034, box 17012 / text / 17013), then the action finished. Nothing
// when the error state reads 0. Shared by every plug-in that transmits.
void ReportTransmissionError(const Instance& instance, const char* part, const std::string& action);

}  // namespace sis

#endif
