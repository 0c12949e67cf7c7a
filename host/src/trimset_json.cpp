#include "sis/host/trimset_json.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <sstream>

#include "sis/host/text1252.h"

namespace sis::host {

using nlohmann::json;

namespace {

bool Fail(std::string& error, const std::string& where, const std::string& why) {
  error = where + ": " + why;
  return false;
}

// Rejects keys outside `allowed`, so that a misspelt key is reported, not ignored.
bool OnlyKeys(const json& j, std::initializer_list<const char*> allowed, const std::string& where, std::string& error) {
  if (!j.is_object()) return Fail(error, where, "expected an object");
  for (auto it = j.begin(); it != j.end(); ++it) {
    bool ok = false;
    for (const char* a : allowed) ok = ok || it.key() == a;
    if (!ok) return Fail(error, where, "unknown key \"" + it.key() + "\"");
  }
  return true;
}

std::string At(const std::string& where, size_t i) { return where + "[" + std::to_string(i) + "]"; }
std::string Dot(const std::string& where, const char* key) { return where.empty() ? key : where + "." + key; }

// Runs `parse` without building the entry's path, and again with it only when
// it fails, so that the error names the place: large files stay fast.
const std::string kNowhere;
template <typename Parse, typename MakeWhere>
bool Lazy(Parse parse, MakeWhere makeWhere) {
  if (parse(kNowhere)) return true;
  parse(makeWhere());
  return false;
}

bool ParseWords(const json& j, const std::string& where, std::vector<uint16_t>& out, std::string& error) {
  if (!j.is_array()) return Fail(error, where, "expected a list of 16-bit words");
  out.clear();
  out.reserve(j.size());
  for (size_t i = 0; i < j.size(); ++i) {
    int64_t v = 0;
    if (!Lazy([&](const std::string& w) { return ParseInt(j[i], -32768, 0xFFFF, w, v, error); },
              [&] { return At(where, i); })) {
      if (error.find("does not fit") != std::string::npos) error = At(where, i) + ": " + j[i].dump() + " does not fit a 16-bit word";
      return false;
    }
    out.push_back(static_cast<uint16_t>(v));
  }
  return true;
}

bool ParseLongs(const json& j, const std::string& where, std::vector<int32_t>& out, std::string& error) {
  if (!j.is_array()) return Fail(error, where, "expected a list of 32-bit words");
  out.clear();
  out.reserve(j.size());
  for (size_t i = 0; i < j.size(); ++i) {
    int32_t v = 0;
    if (!Lazy([&](const std::string& w) { return ParseInt32(j[i], w, v, error); }, [&] { return At(where, i); }))
      return false;
    out.push_back(v);
  }
  return true;
}

bool ParseTable16(const json& j, const std::string& where, std::vector<uint16_t>& out, std::string& error) {
  if (!ParseWords(j, where, out, error)) return false;
  if (out.empty()) return Fail(error, where, "a table needs word 0");
  return true;
}

bool ParseMap(const json& j, const std::string& where, std::vector<uint16_t>& out, std::string& error) {
  if (!OnlyKeys(j, {"header", "x", "y", "values"}, where, error)) return false;
  MapParts parts;
  if (j.contains("header")) {
    std::vector<uint16_t> h;
    if (!ParseWords(j["header"], Dot(where, "header"), h, error)) return false;
    if (h.size() != 6) return Fail(error, Dot(where, "header"), "a map header has 6 words (words 3 to 8)");
    std::copy(h.begin(), h.end(), parts.header);
  }
  if (!j.contains("x") || !j.contains("y") || !j.contains("values"))
    return Fail(error, where, "a map needs \"x\", \"y\" and \"values\"");
  if (!ParseWords(j["x"], Dot(where, "x"), parts.x, error) || !ParseWords(j["y"], Dot(where, "y"), parts.y, error))
    return false;
  const json& values = j["values"];
  const std::string vw = Dot(where, "values");
  if (!values.is_array() || values.size() != parts.x.size())
    return Fail(error, vw, "expected " + std::to_string(parts.x.size()) + " lines, one per x breakpoint");
  for (size_t i = 0; i < values.size(); ++i) {
    std::vector<uint16_t> line;
    if (!ParseWords(values[i], At(vw, i), line, error)) return false;
    if (line.size() != parts.y.size())
      return Fail(error, At(vw, i), "expected " + std::to_string(parts.y.size()) + " values, one per y breakpoint");
    parts.values.push_back(std::move(line));
  }
  out = BuildMap(parts);
  return true;
}

json Number(int64_t v, bool hex) {
  if (!hex) return v;
  char tmp[24];
  std::snprintf(tmp, sizeof tmp, "0x%llX", static_cast<unsigned long long>(v));
  return tmp;
}

json WordsJson(const uint16_t* first, const uint16_t* last) {
  json a = json::array();
  for (const uint16_t* p = first; p != last; ++p) a.push_back(*p);
  return a;
}

json DatumToJson(const Datum& d) {
  if (d.Empty()) return json{{"none", true}};
  if (d.IsInt()) return d.AsInt();
  std::string text;
  if (d.AsText(text) && std::memchr(text.data(), 0, text.size()) == nullptr) return json{{"text", Cp1252ToUtf8(text)}};
  std::vector<uint16_t> w;
  if (d.AsWords(w)) return json{{"table", WordsJson(w.data(), w.data() + w.size())}};
  json bytes = json::array();
  for (uint8_t b : d.bytes) bytes.push_back(b);
  json out{{"bytes", bytes}};
  if (d.count != static_cast<int32_t>(d.bytes.size())) out["count"] = d.count;
  return out;
}

}  // namespace

bool ParseInt(const json& j, int64_t lo, int64_t hi, const std::string& where, int64_t& out, std::string& error) {
  int64_t v = 0;
  if (j.is_number_integer()) {
    v = j.get<int64_t>();
  } else if (j.is_number_unsigned()) {
    if (j.get<uint64_t>() > static_cast<uint64_t>(hi)) return Fail(error, where, j.dump() + " does not fit");
    v = static_cast<int64_t>(j.get<uint64_t>());
  } else if (j.is_string()) {
    const std::string s = j.get<std::string>();
    size_t pos = 0;
    bool neg = false;
    if (pos < s.size() && (s[pos] == '-' || s[pos] == '+')) neg = s[pos++] == '-';
    int base = 10;
    if (s.size() > pos + 1 && s[pos] == '0' && (s[pos + 1] == 'x' || s[pos + 1] == 'X')) {
      base = 16;
      pos += 2;
    }
    if (pos >= s.size() || s.size() - pos > 16) return Fail(error, where, "\"" + s + "\" is not a number");
    uint64_t u = 0;
    for (; pos < s.size(); ++pos) {
      const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s[pos])));
      int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : 99;
      if (digit >= base) return Fail(error, where, "\"" + s + "\" is not a number");
      u = u * base + digit;
    }
    if (u > (1ull << 40)) return Fail(error, where, "\"" + s + "\" does not fit");
    v = neg ? -static_cast<int64_t>(u) : static_cast<int64_t>(u);
  } else {
    return Fail(error, where, "expected a number, got " + j.dump());
  }
  if (v < lo || v > hi) return Fail(error, where, j.dump() + " does not fit");
  out = v;
  return true;
}

bool ParseInt32(const json& j, const std::string& where, int32_t& out, std::string& error) {
  int64_t v = 0;
  if (!ParseInt(j, INT32_MIN, UINT32_MAX, where, v, error)) {
    if (error.ends_with("does not fit")) error += " a 32-bit integer";
    return false;
  }
  out = static_cast<int32_t>(static_cast<uint32_t>(v));
  return true;
}

bool ParseText(const json& j, const std::string& where, std::string& out, std::string& error) {
  if (!j.is_string()) return Fail(error, where, "expected a text, got " + j.dump());
  if (!Utf8ToCp1252(j.get<std::string>(), out)) return Fail(error, where, j.dump() + " does not fit Windows-1252");
  return true;
}

bool ParseDatum(const json& j, const std::string& where, Datum& out, std::string& error) {
  if (!j.is_object()) {
    int32_t v = 0;
    if (!ParseInt32(j, where, v, error)) return false;
    out = Datum::Int(v);
    return true;
  }
  if (!OnlyKeys(j, {"int", "text", "names", "words", "table", "longs", "ints", "bytes", "none", "count"}, where, error))
    return false;
  size_t forms = 0;
  for (const char* k : {"int", "text", "names", "words", "table", "longs", "ints", "bytes", "none"}) forms += j.contains(k);
  if (forms != 1) return Fail(error, where, "give exactly one of int, text, names, words, table, longs, ints, bytes, none");
  std::vector<uint16_t> w;
  std::vector<int32_t> l;
  std::string t;
  if (j.contains("int")) {
    int32_t v = 0;
    if (!ParseInt32(j["int"], Dot(where, "int"), v, error)) return false;
    out = Datum::Int(v);
  } else if (j.contains("text")) {
    if (!ParseText(j["text"], Dot(where, "text"), t, error)) return false;
    out = Datum::Text(t);
  } else if (j.contains("names")) {
    const json& n = j["names"];
    if (!n.is_array()) return Fail(error, Dot(where, "names"), "expected a list of texts");
    std::vector<std::string> names;
    for (size_t i = 0; i < n.size(); ++i) {
      if (!ParseText(n[i], At(Dot(where, "names"), i), t, error)) return false;
      names.push_back(t);
    }
    out = Datum::Names(names);
  } else if (j.contains("words")) {
    if (!ParseWords(j["words"], Dot(where, "words"), w, error)) return false;
    out = Datum::Words(WordTable(w));
  } else if (j.contains("table")) {
    if (!ParseTable16(j["table"], Dot(where, "table"), w, error)) return false;
    out = Datum::Words(w);
  } else if (j.contains("longs")) {
    if (!ParseLongs(j["longs"], Dot(where, "longs"), l, error)) return false;
    out = Datum::Longs(LongTable(l));
  } else if (j.contains("ints")) {
    if (!ParseLongs(j["ints"], Dot(where, "ints"), l, error)) return false;
    out = Datum::Longs(l);
  } else if (j.contains("bytes")) {
    const json& b = j["bytes"];
    if (!b.is_array()) return Fail(error, Dot(where, "bytes"), "expected a list of bytes");
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < b.size(); ++i) {
      int64_t v = 0;
      if (!ParseInt(b[i], 0, 255, At(Dot(where, "bytes"), i), v, error)) return false;
      bytes.push_back(static_cast<uint8_t>(v));
    }
    out = Datum::Raw(static_cast<int32_t>(bytes.size()), bytes.data(), bytes.size());
  } else {
    out = Datum{};
  }
  if (j.contains("count")) {
    int32_t c = 0;
    if (!ParseInt32(j["count"], Dot(where, "count"), c, error)) return false;
    out.count = c;
  }
  return true;
}

bool ParseValue(const json& j, Kind kind, const std::string& where, Variable& var, std::string& error) {
  switch (kind) {
    case Kind::Value: return ParseInt32(j, where, var.value, error);
    case Kind::Words: {
      std::vector<uint16_t> fields;
      if (!ParseWords(j, where, fields, error)) return false;
      var.words = WordTable(fields);
      return true;
    }
    case Kind::Longs: {
      std::vector<int32_t> fields;
      if (!ParseLongs(j, where, fields, error)) return false;
      var.longs = LongTable(fields);
      return true;
    }
    case Kind::Map: return ParseMap(j, where, var.words, error);
    case Kind::Text: return ParseText(j, where, var.text, error);
  }
  return false;
}

namespace {

bool ParseVariable(const json& j, const std::string& where, Variable& var, std::string& error) {
  if (!OnlyKeys(j,
                {"name", "id", "kind", "value", "table", "kindCode", "attributes", "label", "present", "on", "errorMark",
                 "errorState", "errorText", "pickable", "listable", "category", "state1", "state2", "props"},
                where, error))
    return false;
  if (!j.contains("name")) return Fail(error, where, "a variable needs a \"name\"");
  if (!Lazy([&](const std::string& w) { return ParseText(j["name"], w, var.name, error); },
            [&] { return Dot(where, "name"); }))
    return false;
  if (var.name.empty()) return Fail(error, Dot(where, "name"), "empty name");
  if (j.contains("id")) {
    int64_t id = 0;
    if (!ParseInt(j["id"], 0, INT32_MAX, Dot(where, "id"), id, error)) return false;
    var.id = static_cast<int32_t>(id);
  }
  if (j.contains("kind")) {
    if (!j["kind"].is_string() || !ParseKind(j["kind"].get<std::string>(), var.kind))
      return Fail(error, Dot(where, "kind"), "expected value, words, longs, map or text, got " + j["kind"].dump());
  }
  if (j.contains("value") && j.contains("table")) return Fail(error, where, "give \"value\" or \"table\", not both");
  if (j.contains("value")) {
    if (!Lazy([&](const std::string& w) { return ParseValue(j["value"], var.kind, w, var, error); },
              [&] { return Dot(where, "value"); }))
      return false;
  } else if (j.contains("table")) {
    if (var.kind == Kind::Words || var.kind == Kind::Map) {
      if (!ParseTable16(j["table"], Dot(where, "table"), var.words, error)) return false;
    } else if (var.kind == Kind::Longs) {
      if (!ParseLongs(j["table"], Dot(where, "table"), var.longs, error)) return false;
      if (var.longs.empty()) return Fail(error, Dot(where, "table"), "a table needs word 0");
    } else {
      return Fail(error, Dot(where, "table"), std::string("a ") + KindName(var.kind) + " variable has no table");
    }
  } else if (var.kind == Kind::Words || var.kind == Kind::Map) {
    var.words = WordTable({});
  } else if (var.kind == Kind::Longs) {
    var.longs = LongTable({});
  }
  struct IntField {
    const char* key;
    int32_t* field;
  };
  int32_t attributes = static_cast<int32_t>(var.attributes);
  for (const IntField& f : {IntField{"kindCode", &var.kindCode}, IntField{"attributes", &attributes},
                            IntField{"present", &var.present}, IntField{"on", &var.switchedOn},
                            IntField{"errorMark", &var.errorMark}, IntField{"errorState", &var.errorState},
                            IntField{"pickable", &var.pickable}, IntField{"listable", &var.listable},
                            IntField{"category", &var.category}, IntField{"state1", &var.state1},
                            IntField{"state2", &var.state2}}) {
    if (j.contains(f.key) && !Lazy([&](const std::string& w) { return ParseInt32(j[f.key], w, *f.field, error); },
                                   [&] { return Dot(where, f.key); }))
      return false;
  }
  var.attributes = static_cast<uint32_t>(attributes);
  if (j.contains("label") && !Lazy([&](const std::string& w) { return ParseText(j["label"], w, var.label, error); },
                                   [&] { return Dot(where, "label"); }))
    return false;
  if (j.contains("errorText") && !ParseText(j["errorText"], Dot(where, "errorText"), var.errorText, error)) return false;
  return true;
}

bool ParsePlugin(const json& j, const std::string& where, PluginEntry& p, std::string& error) {
  if (!OnlyKeys(j, {"name", "suffix", "handshake", "open", "watch", "textExports"}, where, error)) return false;
  if (!j.contains("name") || !j["name"].is_string()) return Fail(error, where, "a plug-in needs a \"name\"");
  p.name = j["name"].get<std::string>();
  if (p.name.empty() || p.name.find('/') != std::string::npos) return Fail(error, Dot(where, "name"), "not a library name");
  if (j.contains("handshake") && !ParseText(j["handshake"], Dot(where, "handshake"), p.handshake, error)) return false;
  if (j.contains("suffix")) {
    if (!ParseText(j["suffix"], Dot(where, "suffix"), p.suffix, error)) return false;
  } else {
    const std::string tag = p.HandshakeExport().substr(0, p.HandshakeExport().size() - 3);
    p.suffix = "SET" + tag.substr(tag.size() > 3 ? tag.size() - 3 : 0);
  }
  if (j.contains("open")) {
    const json& o = j["open"];
    if (!o.is_array()) return Fail(error, Dot(where, "open"), "expected a list of table names");
    for (size_t i = 0; i < o.size(); ++i) {
      std::string t;
      if (!ParseText(o[i], At(Dot(where, "open"), i), t, error)) return false;
      p.open.push_back(t);
    }
  }
  if (j.contains("watch")) {
    const json& w = j["watch"];
    const std::string ww = Dot(where, "watch");
    if (!w.is_object()) return Fail(error, ww, "expected {\"VERB\": [variable names]}");
    for (auto it = w.begin(); it != w.end(); ++it) {
      if (!it.value().is_array()) return Fail(error, ww + "." + it.key(), "expected a list of variable names");
      for (size_t i = 0; i < it.value().size(); ++i) {
        Watch watch;
        watch.verb = it.key();
        if (!ParseText(it.value()[i], At(ww + "." + it.key(), i), watch.variable, error)) return false;
        p.watches.push_back(watch);
      }
    }
  }
  if (j.contains("textExports")) {
    const json& t = j["textExports"];
    if (!t.is_object()) return Fail(error, Dot(where, "textExports"), "expected {\"EXPORT\": \"free\" or \"delete[]\"}");
    for (auto it = t.begin(); it != t.end(); ++it) {
      const std::string style = it.value().is_string() ? it.value().get<std::string>() : "";
      if (style != "free" && style != "delete[]")
        return Fail(error, Dot(where, "textExports") + "." + it.key(), "expected \"free\" or \"delete[]\"");
      p.textExports[it.key()] = style == "free" ? FreeStyle::Free : FreeStyle::DeleteArray;
    }
  }
  return true;
}

bool ParseHost(const json& j, HostFacts& f, std::string& error) {
  const std::string where = "host";
  if (!OnlyKeys(j, {"version", "level", "machine", "state", "connected", "queries"}, where, error)) return false;
  if (j.contains("version") && !ParseInt32(j["version"], "host.version", f.version, error)) return false;
  if (j.contains("level") && !ParseInt32(j["level"], "host.level", f.level, error)) return false;
  if (j.contains("state") && !ParseInt32(j["state"], "host.state", f.state, error)) return false;
  if (j.contains("machine") && !ParseText(j["machine"], "host.machine", f.machine, error)) return false;
  if (j.contains("connected")) {
    if (!j["connected"].is_boolean()) return Fail(error, "host.connected", "expected true or false");
    f.connected = j["connected"].get<bool>();
  }
  if (j.contains("queries")) {
    if (!j["queries"].is_object()) return Fail(error, "host.queries", "expected {\"number\": answer}");
    for (auto it = j["queries"].begin(); it != j["queries"].end(); ++it) {
      int32_t n = 0, v = 0;
      const std::string w = "host.queries." + it.key();
      if (!ParseInt32(json(it.key()), w, n, error) || !ParseInt32(it.value(), w, v, error)) return false;
      f.queries[n] = v;
    }
  }
  return true;
}

}  // namespace

bool ParseTrimset(const json& j, Trimset& out, std::string& error) {
  if (!OnlyKeys(j, {"instance", "host", "constants", "variables", "actions", "functions", "plugins", "store"}, "Trimset",
                error))
    return false;
  Trimset ts;
  if (j.contains("instance")) {
    int64_t n = 0;
    if (!ParseInt(j["instance"], 0, 1023, "instance", n, error)) return false;
    ts.instance = static_cast<int32_t>(n);
  }
  if (j.contains("host") && !ParseHost(j["host"], ts.facts, error)) return false;
  if (j.contains("constants")) {
    if (!j["constants"].is_object()) return Fail(error, "constants", "expected {\"NAME\": value}");
    for (auto it = j["constants"].begin(); it != j["constants"].end(); ++it) {
      int32_t v = 0;
      if (!ParseInt32(it.value(), "constants." + it.key(), v, error)) return false;
      std::string name;
      if (!ParseText(json(it.key()), "constants", name, error)) return false;
      ts.SetConstant(name, v);
    }
  }
  if (j.contains("variables")) {
    const json& vars = j["variables"];
    if (!vars.is_array()) return Fail(error, "variables", "expected a list");
    // Identifiers without one are assigned above the highest explicit one.
    int32_t maxId = 0;
    for (const auto& v : vars) {
      if (!v.is_object()) continue;
      auto id = v.find("id");
      if (id != v.end() && id->is_number_integer()) maxId = std::max<int64_t>(maxId, std::min<int64_t>(id->get<int64_t>(), INT32_MAX - 1));
    }
    ts.Reserve(vars.size());
    for (size_t i = 0; i < vars.size(); ++i) {
      Variable var;
      if (!Lazy([&](const std::string& w) { return ParseVariable(vars[i], w, var, error); },
                [&] { return At("variables", i); }))
        return false;
      if (var.id < 0) var.id = ++maxId;
      std::string why;
      if (!ts.AddVariable(std::move(var), &why)) return Fail(error, At("variables", i), why);
    }
    for (size_t i = 0; i < vars.size(); ++i) {
      if (!vars[i].contains("props")) continue;
      const json& props = vars[i]["props"];
      const std::string where = At("variables", i) + ".props";
      if (!props.is_object()) return Fail(error, where, "expected {\"0xCODE\": reply}");
      for (auto it = props.begin(); it != props.end(); ++it) {
        int32_t code = 0;
        Datum d;
        if (!ParseInt32(json(it.key()), where, code, error) || !ParseDatum(it.value(), where + "." + it.key(), d, error))
          return false;
        ts.Put(code, ts.Variables()[i].name, std::move(d));
      }
    }
  }
  if (j.contains("actions")) {
    const json& acts = j["actions"];
    if (!acts.is_array()) return Fail(error, "actions", "expected a list");
    for (size_t i = 0; i < acts.size(); ++i) {
      const std::string where = At("actions", i);
      const json& a = acts[i];
      if (!OnlyKeys(a, {"name", "table", "plugin", "begin", "finished", "error", "reset", "available"}, where, error))
        return false;
      Action act;
      if (!a.contains("name")) return Fail(error, where, "an action needs a \"name\"");
      if (!ParseText(a["name"], Dot(where, "name"), act.name, error)) return false;
      struct TextField {
        const char* key;
        std::string* field;
      };
      for (const TextField& f : {TextField{"table", &act.table}, TextField{"plugin", &act.plugin},
                                 TextField{"begin", &act.begin}, TextField{"finished", &act.finished},
                                 TextField{"error", &act.error}, TextField{"reset", &act.reset}}) {
        if (a.contains(f.key) && !ParseText(a[f.key], Dot(where, f.key), *f.field, error)) return false;
      }
      if (a.contains("available") && !ParseInt32(a["available"], Dot(where, "available"), act.available, error))
        return false;
      if (!ts.AddAction(act)) return Fail(error, where, "action " + act.name + " is declared twice");
    }
  }
  if (j.contains("functions")) {
    const json& fns = j["functions"];
    if (!fns.is_array()) return Fail(error, "functions", "expected a list");
    for (size_t i = 0; i < fns.size(); ++i) {
      const std::string where = At("functions", i);
      HostFunction f;
      if (fns[i].is_string()) {
        if (!ParseText(fns[i], where, f.name, error)) return false;
      } else {
        if (!OnlyKeys(fns[i], {"name", "available"}, where, error)) return false;
        if (!fns[i].contains("name") || !ParseText(fns[i]["name"], Dot(where, "name"), f.name, error))
          return Fail(error, where, "a function needs a \"name\"");
        if (fns[i].contains("available") && !ParseInt32(fns[i]["available"], Dot(where, "available"), f.available, error))
          return false;
      }
      if (!ts.AddFunction(f)) return Fail(error, where, "function " + f.name + " is declared twice");
    }
  }
  if (j.contains("plugins")) {
    const json& ps = j["plugins"];
    if (!ps.is_array()) return Fail(error, "plugins", "expected a list");
    for (size_t i = 0; i < ps.size(); ++i) {
      PluginEntry p;
      if (!ParsePlugin(ps[i], At("plugins", i), p, error)) return false;
      if (ts.Plugin(p.name) != nullptr) return Fail(error, At("plugins", i), "plug-in " + p.name + " is listed twice");
      ts.plugins.push_back(std::move(p));
    }
  }
  for (const auto& a : ts.Actions()) {
    if (!a.plugin.empty() && ts.Plugin(a.plugin) == nullptr)
      return Fail(error, "actions", "action " + a.name + " names plug-in " + a.plugin + ", which is not listed");
  }
  if (j.contains("store")) {
    const json& st = j["store"];
    if (!st.is_array()) return Fail(error, "store", "expected a list");
    for (size_t i = 0; i < st.size(); ++i) {
      const std::string where = At("store", i);
      if (!OnlyKeys(st[i], {"code", "name", "reply", "recorded"}, where, error)) return false;
      int32_t code = 0;
      std::string name;
      Datum d;
      if (!st[i].contains("code")) return Fail(error, where, "an entry needs a \"code\"");
      if (!ParseInt32(st[i]["code"], Dot(where, "code"), code, error)) return false;
      if (st[i].contains("name") && !ParseText(st[i]["name"], Dot(where, "name"), name, error)) return false;
      if (!st[i].contains("reply")) return Fail(error, where, "an entry needs a \"reply\"");
      if (!ParseDatum(st[i]["reply"], Dot(where, "reply"), d, error)) return false;
      const bool recorded = st[i].contains("recorded") && st[i]["recorded"] == true;
      ts.Put(code, name, std::move(d), recorded);
    }
  }
  out = std::move(ts);
  return true;
}

bool ReadJsonFile(const std::string& path, json& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Fail(error, path, std::string("cannot read: ") + std::strerror(errno));
  std::stringstream buffer;
  buffer << in.rdbuf();
  try {
    out = json::parse(buffer.str());
  } catch (const json::parse_error& e) {
    // "[json.exception.parse_error.101] parse error at line 3, column 5: ..."
    std::string what = e.what();
    const size_t at = what.find("parse error");
    return Fail(error, path, "JSON " + (at == std::string::npos ? what : what.substr(at)));
  }
  return true;
}

bool ParseTrimsetText(std::string_view text, Trimset& out, std::string& error) {
  json j;
  try {
    j = json::parse(text);
  } catch (const json::parse_error& e) {
    std::string what = e.what();
    const size_t at = what.find("parse error");
    error = "JSON " + (at == std::string::npos ? what : what.substr(at));
    return false;
  }
  return ParseTrimset(j, out, error);
}

bool LoadTrimsetFile(const std::string& path, Trimset& out, std::string& error) {
  json j;
  if (!ReadJsonFile(path, j, error)) return false;
  if (!ParseTrimset(j, out, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

json ValueToJson(const Variable& v) {
  json o = json::object();
  MapParts parts;
  switch (v.kind) {
    case Kind::Value: o["value"] = v.value; break;
    case Kind::Text: o["value"] = Cp1252ToUtf8(v.text); break;
    case Kind::Words:
      if (!v.words.empty() && v.words[0] == v.words.size() * 2)
        o["value"] = WordsJson(v.words.data() + 1, v.words.data() + v.words.size());
      else
        o["table"] = WordsJson(v.words.data(), v.words.data() + v.words.size());
      break;
    case Kind::Map:
      if (SplitMap(v.words, parts)) {
        json values = json::array();
        for (const auto& line : parts.values) values.push_back(WordsJson(line.data(), line.data() + line.size()));
        o["value"] = json{{"header", WordsJson(parts.header, parts.header + 6)},
                          {"x", WordsJson(parts.x.data(), parts.x.data() + parts.x.size())},
                          {"y", WordsJson(parts.y.data(), parts.y.data() + parts.y.size())},
                          {"values", values}};
      } else {
        o["table"] = WordsJson(v.words.data(), v.words.data() + v.words.size());
      }
      break;
    case Kind::Longs:
      if (!v.longs.empty() && v.longs[0] == static_cast<int32_t>(v.longs.size() * 4))
        o["value"] = std::vector<int32_t>(v.longs.begin() + 1, v.longs.end());
      else
        o["table"] = v.longs;
      break;
  }
  return o;
}

json TrimsetToJson(const Trimset& ts) {
  json j;
  j["instance"] = ts.instance;
  json host{{"version", Number(ts.facts.version, true)},
            {"level", ts.facts.level},
            {"machine", Cp1252ToUtf8(ts.facts.machine)},
            {"state", ts.facts.state},
            {"connected", ts.facts.connected}};
  if (!ts.facts.queries.empty()) {
    json q = json::object();
    for (const auto& [n, v] : ts.facts.queries) q[std::to_string(n)] = v;
    host["queries"] = q;
  }
  j["host"] = host;
  json constants = json::object();
  for (const auto& [name, v] : ts.Constants()) constants[Cp1252ToUtf8(name)] = v;
  j["constants"] = constants;

  const Variable defaults;
  json vars = json::array();
  for (const Variable& v : ts.Variables()) {
    json o;
    o["name"] = Cp1252ToUtf8(v.name);
    o["id"] = v.id;
    o["kind"] = KindName(v.kind);
    o.update(ValueToJson(v));
    if (v.kindCode != defaults.kindCode) o["kindCode"] = v.kindCode;
    if (v.attributes != defaults.attributes) o["attributes"] = Number(v.attributes, true);
    if (!v.label.empty()) o["label"] = Cp1252ToUtf8(v.label);
    struct IntField {
      const char* key;
      int32_t value, fallback;
    };
    for (const IntField& f : {IntField{"present", v.present, defaults.present}, IntField{"on", v.switchedOn, defaults.switchedOn},
                              IntField{"errorMark", v.errorMark, defaults.errorMark},
                              IntField{"errorState", v.errorState, defaults.errorState},
                              IntField{"pickable", v.pickable, defaults.pickable},
                              IntField{"listable", v.listable, defaults.listable},
                              IntField{"category", v.category, defaults.category},
                              IntField{"state1", v.state1, defaults.state1}, IntField{"state2", v.state2, defaults.state2}}) {
      if (f.value != f.fallback) o[f.key] = f.value;
    }
    if (!v.errorText.empty()) o["errorText"] = Cp1252ToUtf8(v.errorText);
    vars.push_back(std::move(o));
  }
  j["variables"] = std::move(vars);

  json actions = json::array();
  for (const Action& a : ts.Actions()) {
    json o{{"name", Cp1252ToUtf8(a.name)}, {"available", a.available}};
    if (!a.table.empty()) o["table"] = Cp1252ToUtf8(a.table);
    if (!a.plugin.empty()) o["plugin"] = a.plugin;
    for (auto [key, value] : {std::pair{"begin", &a.begin}, std::pair{"finished", &a.finished},
                              std::pair{"error", &a.error}, std::pair{"reset", &a.reset}})
      if (!value->empty()) o[key] = *value;
    actions.push_back(std::move(o));
  }
  j["actions"] = std::move(actions);
  json functions = json::array();
  for (const HostFunction& f : ts.Functions()) functions.push_back({{"name", Cp1252ToUtf8(f.name)}, {"available", f.available}});
  j["functions"] = std::move(functions);

  json plugins = json::array();
  for (const PluginEntry& p : ts.plugins) {
    json o{{"name", p.name}, {"suffix", p.suffix}};
    if (!p.handshake.empty()) o["handshake"] = p.handshake;
    json open = json::array();
    for (const auto& t : p.open) open.push_back(Cp1252ToUtf8(t));
    o["open"] = open;
    if (!p.watches.empty()) {
      json w = json::object();
      for (const Watch& watch : p.watches) w[watch.verb].push_back(Cp1252ToUtf8(watch.variable));
      o["watch"] = w;
    }
    if (!p.textExports.empty()) {
      json t = json::object();
      for (const auto& [name, style] : p.textExports) t[name] = style == FreeStyle::Free ? "free" : "delete[]";
      o["textExports"] = t;
    }
    plugins.push_back(std::move(o));
  }
  j["plugins"] = std::move(plugins);

  json store = json::array();
  for (const Trimset::StoreEntry* e : ts.StoreEntries()) {
    json o{{"code", Number(e->code, true)}, {"name", Cp1252ToUtf8(e->name)}, {"reply", DatumToJson(e->datum)}};
    if (e->recorded) o["recorded"] = true;
    store.push_back(std::move(o));
  }
  j["store"] = std::move(store);
  return j;
}

bool SaveTrimsetFile(const Trimset& ts, const std::string& path, std::string& error) {
  // Written beside the target and renamed over it: a failed write leaves the
  // previous file whole.
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return Fail(error, path, std::string("cannot write: ") + std::strerror(errno));
    out << TrimsetToJson(ts).dump(2) << '\n';
    out.close();
    if (!out) {
      std::remove(temporary.c_str());
      return Fail(error, path, "write failed");
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    const std::string why = std::strerror(errno);
    std::remove(temporary.c_str());
    return Fail(error, path, "cannot write: " + why);
  }
  return true;
}

}  // namespace sis::host
