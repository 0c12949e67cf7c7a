// Dependency rules texts: tokens, the entry grammar, value evaluation, the
// host's name checks and the application of a rule's value.
#include <string>
#include <vector>

#include "fixture.h"
#include "sis/abi/host_codes.h"
#include "sis/framework/rules.h"

namespace sis::testing {
namespace {

using Names = std::vector<std::string>;

TEST(RulesTokens, QuotesPunctuationAndWordsMakeTokensEverythingElseSeparates) {
  const struct {
    std::string text;
    Names tokens;
  } cases[] = {
      {"CN0 = 0x1001|MIN_CMDPREL", {"CN0", "=", "0x1001|MIN_CMDPREL"}},
      {"FNC=\"F NAME\"SUP", {"FNC", "=", "F NAME", "SUP"}},
      {"a(b)c,d=[e]{f}", {"a", "(", "b", ")", "c", ",", "d", "=", "[", "e", "]", "{", "f", "}"}},
      {"  x;y\r\n-z\t+1.5", {"x", "y", "z", "1", "5"}},
      {"A&B_C|D", {"A&B_C|D"}},
      {"\"\" \"open", {"", "open"}},
      {"x\xE9y", {"x", "y"}},
      {"", {}},
  };
  for (const auto& c : cases) {
    RulesTokenizer tokenizer(c.text);
    Names tokens;
    std::string token;
    for (int32_t n = 0; tokenizer.NextToken(n, token); ++n) tokens.push_back(token);
    EXPECT_EQ(tokens, c.tokens) << c.text;
  }
}

TEST(RulesTokens, AnEarlierTokenRestartsFromTheBeginning) {
  RulesTokenizer tokenizer("A = B C");
  std::string token;
  ASSERT_TRUE(tokenizer.NextToken(2, token));
  EXPECT_EQ(token, "B");
  ASSERT_TRUE(tokenizer.NextToken(0, token));
  EXPECT_EQ(token, "A");
  ASSERT_TRUE(tokenizer.NextToken(3, token));
  EXPECT_EQ(token, "C");
  ASSERT_TRUE(tokenizer.NextToken(3, token));  // the same token again
  EXPECT_EQ(token, "C");
  EXPECT_FALSE(tokenizer.NextToken(4, token));
  EXPECT_FALSE(tokenizer.NextToken(-1, token));
}

class Rules : public FrameworkTest {
 public:
  Rules() {
    host.Answer(code::kConstant, Reply::Fail(code::kDataError));
    host.Answer(code::kConstant, "MIN_X", Reply::Int(10));
    host.Answer(code::kVariableId, Reply::Fail(code::kDataError));
    host.Answer(code::kVariableId, "VAR_A", Reply::Int(0x1234));
    host.Answer(code::kVariableId, "VAR_B", Reply::Int(5));
    host.Answer(code::kVariableId, "ODD_VAR", Reply::RawBytes(4, {1, 0, 0, 0}));  // exists, bad shape
    host.Answer(code::kFunctionKnown, "F_OK", Reply::Int(1));
    host.Answer(code::kFunctionKnown, "F_NO", Reply::Int(0));
    host.Answer(code::kActionKnown, "A_OK", Reply::Int(2));
    host.Answer(code::kActionKnown, "A_NO", Reply::Int(0));
    host.Answer(code::kListable, "VAR_A", Reply::Int(1));
    host.Answer(code::kListable, "VAR_B", Reply::Int(0));
  }
  // The rules as text: "[slots F:names S:names D:names]" per rule, or "rejected".
  static std::string Render(bool ok, const std::vector<Rule>& rules) {
    if (!ok) return rules.empty() ? "rejected" : "rejected with rules left";
    std::string out;
    for (const Rule& rule : rules) {
      out += "[";
      for (size_t i = 0; i < rule.conditions.size(); ++i) out += (i ? "," : "") + std::to_string(rule.conditions[i]);
      for (const auto& [tag, names] : {std::pair{" F:", &rule.functions}, std::pair{" S:", &rule.actions},
                                       std::pair{" D:", &rule.variables}}) {
        if (names->empty()) continue;
        out += tag;
        for (size_t i = 0; i < names->size(); ++i) out += (i ? "," : "") + (*names)[i];
      }
      out += "]";
    }
    return out;
  }
  TrimsetAccess access{link, 9};
  const Names keywords{"CN0", "CN1", "CN2"};
};

TEST_F(Rules, GrammarAcceptsConditionsThenListEntriesAndRejectsAnythingElse) {
  const struct {
    const char* text;
    const char* rules;
    size_t boxes = 0;
  } cases[] = {
      {"", ""},
      {" \r\n ", ""},
      {"CN0 = 0x1001|0x1800 FNC = F_OK", "[6145,0,0 F:F_OK]"},
      {"CN0 = 1 CN1 = 2 FNC = F_OK CN2 = 3 SUP = A_OK", "[1,2,0 F:F_OK][0,0,3 S:A_OK]"},
      {"CN0 = 1 FNC = F_NO SUP = A_NO DAT = VAR_B DAT = NO_SUCH FNC = F_OK SUP = A_OK DAT = VAR_A",
       "[1,0,0 F:F_OK S:A_OK D:VAR_A]"},
      {"CN0 = 1 FNC = \"F_OK\"", "[1,0,0 F:F_OK]"},
      {"CN0 = MIN_X|VAR_A DAT = VAR_A", "[4670,0,0 D:VAR_A]"},
      {"CN0 = 1 CN0 = 2 FNC = F_OK", "[2,0,0 F:F_OK]"},
      {"CN0 = \"-5\" CN1 = \"+0x10\" CN2 = 4294967295 FNC = F_OK", "[-5,16,-1 F:F_OK]"},
      {"CN0 = 1 FNC = F_NO", "[1,0,0]"},
      {"CN0 = 1", "rejected"},
      {"FNC = F_OK", "rejected"},
      {"CN0 = 1 FNC = F_OK CN1 = 2", "rejected"},
      {"CN0 = NOT_KNOWN FNC = F_OK", "rejected"},
      {"CN0 = 1| FNC = F_OK", "rejected"},
      {"CN0 = 0x FNC = F_OK", "rejected"},
      {"CN0 = 4294967296 FNC = F_OK", "rejected"},
      {"CN0 = ODD_VAR FNC = F_OK", "rejected", 1},  // the identifier read shows its error
      {"CN0 1 FNC = F_OK", "rejected"},
      {"CN0 = 1 XYZ = 2", "rejected"},
      {"cn0 = 1 FNC = F_OK", "rejected"},
      {"CN0 =", "rejected"},
      {"CN0 = 1 FNC", "rejected"},
      {"CN0 = 1 FNC =", "rejected"},
      {"CN0 = 1 FNC = F_OK extra", "rejected"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ui.events.clear();
    std::vector<Rule> rules(2);  // left from before: always replaced
    const bool ok = ParseRules(access, c.text, keywords, rules);
    EXPECT_EQ(Render(ok, rules), c.rules);
    EXPECT_EQ(Boxes().size(), c.boxes);
  }
}

TEST_F(Rules, ValueTermsAreNumbersThenConstantsThenIdentifiers) {
  host.Answer(code::kConstant, "VAR_A", Reply::Int(3));  // a constant wins over a variable
  int32_t value = 99;
  ASSERT_TRUE(EvaluateValue(access, "VAR_A|VAR_B|0x100", value));
  EXPECT_EQ(value, 3 | 5 | 0x100);
  value = 99;
  EXPECT_FALSE(EvaluateValue(access, "1|UNKNOWN", value));
  EXPECT_EQ(value, 99);
}

TEST_F(Rules, TheTextVariableMustBeANulTerminatedText) {
  const struct {
    const char* what;
    Reply reply;
    bool ok;
    size_t rules;
    size_t boxes;
  } cases[] = {
      {"good", Reply::Text("CN0 = 1 FNC = F_OK"), true, 1, 0},
      {"the first NUL ends the text",
       Reply::RawBytes(23, std::vector<uint8_t>{'C', 'N', '0', '=', '1', ' ', 'F', 'N', 'C', '=', 'F', '_', 'O', 'K', 0,
                                                'C', 'N', '1', '=', '2', ' ', 'x', 0}),
       true, 1, 0},
      {"no final NUL", Reply::RawBytes(4, {'C', 'N', '0', '='}), false, 0, 0},
      {"an integer", Reply::Int(7), false, 0, 0},
      {"read refused", Reply::Fail(code::kTargetError), false, 0, 1},
      {"rejected text", Reply::Text("CN0 = 1"), false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    host.Answer(code::kValue, "RULES_0", c.reply);
    ui.events.clear();
    std::vector<Rule> rules(3);
    EXPECT_EQ(ReadRules(access, "RULES_0", keywords, rules), c.ok);
    EXPECT_EQ(rules.size(), c.rules);
    EXPECT_EQ(Boxes().size(), c.boxes);
  }
}

TEST_F(Rules, ApplyingSendsTheValueToFunctionsThenActionsThenVariables) {
  Rule rule{{0, 0, 0}, {"F1", "F2"}, {"A1"}, {"V1"}};
  host.Answer(code::kFunctionState, Reply::Ok());
  host.Answer(code::kFunctionState, "F1", Reply::Fail(code::kTransferError));  // shown, then the next name
  host.Answer(code::kActionState, Reply::Ok());
  host.Answer(code::kSwitch, Reply::Ok());
  host.ClearCalls();
  ApplyRule(access, rule, 1);
  Names sent;
  for (const auto& call : host.calls) {
    if (call.code == code::kMachineName) continue;  // heading of the error box
    sent.push_back(std::to_string(call.code) + " " + call.name + " " + std::to_string(call.SentInt()));
  }
  EXPECT_EQ(sent, (Names{"200709 F1 1", "200709 F2 1", "196613 A1 1", "262164 V1 1"}));
  EXPECT_EQ(Boxes(), Names{ErrorBox(kTransferText)});
}

}  // namespace
}  // namespace sis::testing
