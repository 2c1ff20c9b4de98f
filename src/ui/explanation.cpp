#include "ui/explanation.h"

namespace ui {

namespace {
constexpr std::string_view kIdeographicSpace = "\u3000";
}

std::vector<std::string> explanationLines() {
  std::vector<std::string> lines;
  lines.reserve(kExplanation.size());
  for (const ExplanationLine& line : kExplanation) {
    std::string printed;
    for (int i = 0; i < line.indent; ++i) printed += kIdeographicSpace;
    printed += line.text;
    lines.push_back(std::move(printed));
  }
  return lines;
}

}  // namespace ui
