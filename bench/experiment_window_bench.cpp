// The experiment for the start with the longest trajectory below 10,000,000 (8400511, 685 steps),
// writing to the window's real text box and label on the offscreen platform, beside a baseline
// in the same run whose text box lays out the whole text after every step.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QWidget>
#include <cstdio>
#include <map>
#include <string>

#include "experiment/trajectory.h"
#include "platform/dialogs.h"
#include "platform/label_widget.h"
#include "platform/qt_text.h"
#include "platform/text_box_widget.h"
#include "ui/form1_layout.h"

namespace {

constexpr const char* kLongestStart = "8400511";

// Answers the prompt at once with the start.
class AnsweringDialogs : public platform::Dialogs {
 public:
  std::string inputBox(const std::string&, const std::string&) override { return kLongestStart; }
  int messageBox(const std::string&, int, const std::string&) override {
    return platform::kAnswerOk;
  }
};

// A text box that hands every text straight to QPlainTextEdit::setPlainText.
class EagerTextBox : public QPlainTextEdit, public platform::TextBox {
 public:
  using QPlainTextEdit::QPlainTextEdit;
  platform::Status setText(std::string_view text) override {
    setPlainText(platform::toQString(text));
    return platform::Status::success();
  }
};

// The window's Text1 and Label1 at their sizes, shown.
template <typename TextBoxType>
struct Window {
  Window() {
    textBox = new TextBoxType(&window);
    textBox->setGeometry(ui::geometryPixels(ui::controlLayout("Text1")));
    textBox->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    label = new platform::LabelWidget(&window);
    label->setGeometry(ui::geometryPixels(ui::controlLayout("Label1")));
    window.resize(ui::clientSizePixels());
    window.show();
    QCoreApplication::processEvents();
  }
  QWidget window;
  TextBoxType* textBox;
  platform::LabelWidget* label;
};

void runOnce(platform::TextBox& textBox, platform::Label& label) {
  AnsweringDialogs dialogs;
  experiment::ExperimentState state;
  experiment::runExperiment(state, textBox, label, dialogs);
  benchmark::DoNotOptimize(state.sequenceText.data());
}

void BM_RunExperiment(benchmark::State& state) {
  Window<platform::TextBoxWidget> window;
  for (auto _ : state) {
    runOnce(*window.textBox, *window.label);
    state.PauseTiming();
    QCoreApplication::processEvents();  // the box catches up outside the experiment
    state.ResumeTiming();
  }
}

// Until the whole trajectory is in the widget: the experiment and the one update after it.
void BM_RunExperimentUntilShown(benchmark::State& state) {
  Window<platform::TextBoxWidget> window;
  for (auto _ : state) {
    runOnce(*window.textBox, *window.label);
    QCoreApplication::processEvents();
  }
  if (window.textBox->toPlainText().count(QLatin1Char(' ')) != 685) {
    state.SkipWithError("the text box does not hold the whole trajectory");
  }
}

void BM_RunExperimentPerStepSetPlainText_Baseline(benchmark::State& state) {
  Window<EagerTextBox> window;
  for (auto _ : state) {
    runOnce(*window.textBox, *window.label);
    QCoreApplication::processEvents();
  }
}

BENCHMARK(BM_RunExperiment)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunExperimentUntilShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunExperimentPerStepSetPlainText_Baseline)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// Prints the runs as usual and remembers each one's real time, for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration)
        times[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
  }
  std::map<std::string, double> times;  // milliseconds
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double baseline =
      reporter.times["BM_RunExperimentPerStepSetPlainText_Baseline/iterations:3"];
  for (const char* name : {"BM_RunExperiment", "BM_RunExperimentUntilShown"}) {
    const double time = reporter.times[name];
    if (time > 0 && baseline > 0) {
      std::printf("%-28s %.3f ms, %.0f times faster than the per-step baseline (%.0f ms)\n", name,
                  time, baseline / time, baseline);
    }
  }
  benchmark::Shutdown();
  return 0;
}
