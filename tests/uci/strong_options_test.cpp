// The strong mode and the strength settings through both front ends of the
// real binary: readable values switch them, unreadable ones change nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/engine_process.h"
#include "support/test_support.h"

namespace {

constexpr int ExitTimeoutMs = 30000;

std::string run(const std::string& script) {
  EngineProcess engine(makeScratchDirectory("strong-options"));
  EXPECT_TRUE(engine.started());
  engine.send(script);
  engine.closeInput();
  const std::string out = engine.readToEnd(ExitTimeoutMs);
  EXPECT_EQ(engine.waitExit(ExitTimeoutMs), 0);
  return out;
}

int countOf(const std::string& text, const std::string& piece) {
  int n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

TEST(StrongOptions, UnreadableValuesChangeNothing) {
  // UCI: the strong search shows its selective depth, the default one does not.
  const std::string uci =
      run("uci\nsetoption name Strong value yes\nsetoption name UCI_Elo value strong\n"
          "setoption name UCI_LimitStrength value 1\nposition startpos\ngo depth 3\n"
          "setoption name Strong value true\ngo depth 3\nquit\n");
  EXPECT_NE(uci.find("info string setoption: Strong is true or false, not: yes"),
            std::string::npos);
  EXPECT_NE(uci.find("info string setoption: UCI_Elo needs a number, not: strong"),
            std::string::npos);
  EXPECT_NE(uci.find("info string setoption: UCI_LimitStrength is true or false, not: 1"),
            std::string::npos);
  EXPECT_EQ(countOf(uci, "bestmove "), 2) << uci;
  const size_t second = uci.find("bestmove ");
  EXPECT_EQ(uci.substr(0, second).find(" seldepth "), std::string::npos) << uci;
  EXPECT_NE(uci.find(" seldepth ", second), std::string::npos) << uci;

  // xboard and the console: only 1 and 0 switch the mode.
  const std::string xboard =
      run("xboard\noption Strong=2\nstrong\noption Strong=1\nstrong\nstrong off\nquit\n");
  const std::vector<std::string> answers = {"strong: off", "strong: on", "strong: off"};
  size_t at = 0;
  for (const std::string& answer : answers) {
    at = xboard.find(answer, at);
    ASSERT_NE(at, std::string::npos) << xboard;
    ++at;
  }
}

}  // namespace
