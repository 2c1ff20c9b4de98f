#include "experiment/trajectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <sstream>
#include <string>
#include <vector>

namespace {

using experiment::ExperimentState;
using experiment::runExperiment;

const std::string kPrefix = "     \uFF4E\uFF1D";

// Every operation the experiment makes on its controls and dialogs, in order.
struct Log {
  std::vector<std::string> entries;
  // Consecutive text box updates of one run collapse into the last one, to keep logs short.
  std::size_t textUpdates = 0;
};

class RecordingTextBox : public platform::TextBox {
 public:
  explicit RecordingTextBox(Log& log) : log_(log) {}
  platform::Status setText(std::string_view text) override {
    text_ = text;
    ++log_.textUpdates;
    if (!text.empty() && !log_.entries.empty() && log_.entries.back().starts_with("text: ") &&
        log_.entries.back() != "text: ") {
      log_.entries.back() = "text: " + text_;
    } else {
      log_.entries.push_back("text: " + text_);
    }
    return platform::Status::success();
  }
  const std::string& text() const { return text_; }

 private:
  Log& log_;
  std::string text_;
};

class RecordingLabel : public platform::Label {
 public:
  explicit RecordingLabel(Log& log) : log_(log) {}
  platform::Status setCaption(std::string_view caption) override {
    caption_ = caption;
    log_.entries.push_back("caption: " + caption_);
    return platform::Status::success();
  }
  const std::string& caption() const { return caption_; }

 private:
  Log& log_;
  std::string caption_;
};

// Answers each prompt with the next scripted text; a test fails rather than hang when they run out.
class ScriptedDialogs : public platform::Dialogs {
 public:
  ScriptedDialogs(Log& log, std::deque<std::string> answers)
      : log_(log), answers_(std::move(answers)) {}
  std::string inputBox(const std::string& message, const std::string& title) override {
    log_.entries.push_back("prompt");
    lastMessage = message;
    lastTitle = title;
    if (answers_.empty())
      throw platform::RuntimeError(9999, "prompt opened more often than scripted");
    std::string answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  int messageBox(const std::string&, int, const std::string&) override {
    ADD_FAILURE() << "the experiment shows no message box";
    return platform::kAnswerOk;
  }
  std::string lastMessage, lastTitle;
  std::size_t remaining() const { return answers_.size(); }

 private:
  Log& log_;
  std::deque<std::string> answers_;
};

struct Controls {
  Log log;
  RecordingTextBox text1{log};
  RecordingLabel label1{log};
  ExperimentState state;
};

std::string joined(std::initializer_list<long long> values) {
  std::ostringstream out;
  for (long long v : values) out << ' ' << v;
  return out.str();
}

TEST(RunExperiment, EmptiesBothControlsPromptsThenShowsStartAndEveryStep) {
  Controls run;
  ScriptedDialogs dialogs(run.log, {"3"});
  runExperiment(run.state, run.text1, run.label1, dialogs);
  const std::vector<std::string> expected = {"text: ", "caption: ", "prompt",
                                             "caption: " + kPrefix + " 3",
                                             "text: " + joined({10, 5, 16, 8, 4, 2, 1})};
  EXPECT_EQ(run.log.entries, expected);
  EXPECT_EQ(run.log.textUpdates, 1u + 7u)
      << "the text box is given the whole text after every step";
  EXPECT_EQ(dialogs.lastMessage,
            "Please enter an integer between 3 and 10000000 in half-width characters.");
  EXPECT_EQ(dialogs.lastTitle, "\u3000Problem of (3x+1)");
  EXPECT_EQ(run.state.inputText, "3");
  EXPECT_EQ(run.state.n, 1);
  EXPECT_EQ(run.state.sequenceText, run.text1.text());
}

struct RefusedCase {
  const char* name;
  std::string answer;
  std::string label;  // what the label shows before the prompt comes back
};

class RefusedAnswerTest : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedAnswerTest, EmptiesBothControlsAndPromptsAgain) {
  Controls run;
  ScriptedDialogs dialogs(run.log, {GetParam().answer, "3"});
  runExperiment(run.state, run.text1, run.label1, dialogs);
  const std::vector<std::string> expected = {"text: ",
                                             "caption: ",
                                             "prompt",
                                             "caption: " + kPrefix + GetParam().label,
                                             "text: ",
                                             "caption: ",
                                             "prompt",
                                             "caption: " + kPrefix + " 3",
                                             "text: " + joined({10, 5, 16, 8, 4, 2, 1})};
  EXPECT_EQ(run.log.entries, expected);
  EXPECT_EQ(dialogs.remaining(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedAnswerTest,
    testing::Values(
        RefusedCase{"Empty", "", " 0"},  // also what a cancelled prompt answers
        RefusedCase{"Two", "2", " 2"}, RefusedCase{"AboveTenMillion", "10000001", " 10000001"},
        RefusedCase{"NegativeFraction", "-3.5", "-4"},
        RefusedCase{"FullWidthDigits", "\xEF\xBC\x91\xEF\xBC\x91", " 0"},
        RefusedCase{"Letters", "abc", " 0"}, RefusedCase{"Overflow", "1e400", " Infinity"},
        RefusedCase{"HugeOffRange", "1e20", " 1E+20"}, RefusedCase{"HexMinusOne", "&HFFFF", "-1"}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST(RunExperiment, RetriesWithoutLimitUntilAStartIsAccepted) {
  Controls run;
  std::deque<std::string> answers(50, "");
  answers.push_back("4");
  ScriptedDialogs dialogs(run.log, answers);
  runExperiment(run.state, run.text1, run.label1, dialogs);
  EXPECT_EQ(run.text1.text(), joined({2, 1}));
  EXPECT_EQ(run.state.inputText, "4");
}

struct AcceptedCase {
  const char* name;
  std::string answer;
  std::string label;
  std::size_t steps;
  std::string head;  // the first values of the text box
  double largest;
};

class AcceptedAnswerTest : public testing::TestWithParam<AcceptedCase> {};

TEST_P(AcceptedAnswerTest, ShowsStartAndWholeTrajectory) {
  const AcceptedCase& c = GetParam();
  Controls run;
  ScriptedDialogs dialogs(run.log, {c.answer});
  runExperiment(run.state, run.text1, run.label1, dialogs);
  EXPECT_EQ(run.label1.caption(), kPrefix + c.label);
  const std::string& text = run.text1.text();
  EXPECT_TRUE(text.starts_with(c.head)) << text.substr(0, 80);
  EXPECT_TRUE(text.ends_with(" 2 1"));
  std::istringstream values(text);
  std::size_t count = 0;
  double value = 0, largest = 0;
  while (values >> value) {
    ++count;
    largest = std::max(largest, value);
  }
  EXPECT_EQ(count, c.steps);
  EXPECT_EQ(largest, c.largest);
  EXPECT_EQ(std::count(text.begin(), text.end(), ' '), static_cast<long>(c.steps))
      << "each value is preceded by exactly one blank and nothing else separates them";
}

INSTANTIATE_TEST_SUITE_P(
    Table, AcceptedAnswerTest,
    testing::Values(
        AcceptedCase{"Three", "3", " 3", 7, " 10 5 16 8 4 2 1", 16},
        AcceptedCase{"Eleven", "11", " 11", 14, " 34 17 52 26 13 40 20 10 5 16 8 4 2 1", 52},
        AcceptedCase{"TwentySeven", "27", " 27", 111, " 82 41 124 62 31", 9232},
        AcceptedCase{"TenMillion", "10000000", " 10000000", 145, " 5000000 2500000", 5000000},
        AcceptedCase{"FractionFloored", "7.9", " 7", 16, " 22 11 34", 52},
        AcceptedCase{"BlankBetweenDigits", "1 1", " 11", 14, " 34 17", 52},
        AcceptedCase{"ExponentForm", "1e3", " 1000", 111, " 500 250 125", 9232},
        AcceptedCase{"Beyond32Bits", "113383", " 113383", 247, " 340150", 2482111348.0},
        AcceptedCase{"LargestValue", "6631675", " 6631675", 576, " 19895026", 60342610919632.0},
        AcceptedCase{"LongestTrajectory", "8400511", " 8400511", 685, " 25201534", 159424614880.0}),
    [](const testing::TestParamInfo<AcceptedCase>& info) { return std::string(info.param.name); });

TEST(RunExperiment, SecondRunEmptiesTheFirstRunsResultsBeforePrompting) {
  Controls run;
  ScriptedDialogs first(run.log, {"11"});
  runExperiment(run.state, run.text1, run.label1, first);
  run.log.entries.clear();
  ScriptedDialogs second(run.log, {"3"});
  runExperiment(run.state, run.text1, run.label1, second);
  ASSERT_GE(run.log.entries.size(), 3u);
  EXPECT_EQ(run.log.entries[0], "text: ");
  EXPECT_EQ(run.log.entries[1], "caption: ");
  EXPECT_EQ(run.log.entries[2], "prompt");
  EXPECT_EQ(run.state.sequenceText, joined({10, 5, 16, 8, 4, 2, 1}));
}

class FailingTextBox : public platform::TextBox {
 public:
  platform::Status setText(std::string_view) override {
    return platform::Status::failure(platform::kErrorPropertySetFailed, "Invalid property value");
  }
};

TEST(RunExperiment, AFailingControlRaisesARuntimeErrorAtOnce) {
  Log log;
  FailingTextBox text1;
  RecordingLabel label1(log);
  ScriptedDialogs dialogs(log, {"3"});
  ExperimentState state;
  try {
    runExperiment(state, text1, label1, dialogs);
    FAIL() << "no error raised";
  } catch (const platform::RuntimeError& error) {
    EXPECT_EQ(error.number(), platform::kErrorPropertySetFailed);
  }
  EXPECT_TRUE(log.entries.empty()) << "nothing after the failing step ran";
}

}  // namespace
