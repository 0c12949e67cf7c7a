// Trimset files: human-writable JSON (docs/trimset-format.md). Every error is
// one line naming where it is: the file's line and column for a JSON syntax
// error, the path of the entry (variables[3].value[2]) for a bad value.
#ifndef SIS_HOST_TRIMSET_JSON_H
#define SIS_HOST_TRIMSET_JSON_H

#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "sis/host/datum.h"
#include "sis/host/trimset.h"

namespace sis::host {

// Reads a JSON file; false with "PATH: reason" (line and column for syntax).
bool ReadJsonFile(const std::string& path, nlohmann::json& out, std::string& error);

bool ParseTrimset(const nlohmann::json& j, Trimset& out, std::string& error);
bool ParseTrimsetText(std::string_view text, Trimset& out, std::string& error);
bool LoadTrimsetFile(const std::string& path, Trimset& out, std::string& error);

nlohmann::json TrimsetToJson(const Trimset& trimset);
// A variable's value as a Trimset file writes it: {"value": ..} or, for a
// table whose word 0 is not its byte length, {"table": [..]}.
nlohmann::json ValueToJson(const Variable& variable);
bool SaveTrimsetFile(const Trimset& trimset, const std::string& path, std::string& error);

// Pieces shared with the scenario reader. `where` names the entry in errors.
// An integer: a JSON number or a string "0x..", "-0x.." or decimal, in [lo, hi].
bool ParseInt(const nlohmann::json& j, int64_t lo, int64_t hi, const std::string& where, int64_t& out,
              std::string& error);
bool ParseInt32(const nlohmann::json& j, const std::string& where, int32_t& out, std::string& error);
// A UTF-8 JSON string turned into Windows-1252 bytes.
bool ParseText(const nlohmann::json& j, const std::string& where, std::string& out, std::string& error);
// A buffer content: an integer, or {"text"|"names"|"words"|"table"|"longs"|"ints"|"bytes"|"none"}.
bool ParseDatum(const nlohmann::json& j, const std::string& where, Datum& out, std::string& error);
// A variable's value in the form its kind takes in a Trimset file.
bool ParseValue(const nlohmann::json& j, Kind kind, const std::string& where, Variable& var, std::string& error);

}  // namespace sis::host

#endif
