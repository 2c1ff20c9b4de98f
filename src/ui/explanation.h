#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The explanation printed into Picture1 when the window is first shown: one blank line, then ten
// lines of text. Paragraphs start with five U+3000 IDEOGRAPHIC SPACEs, their continuation lines
// with four. Every blank in the texts is meant, including those before commas.
namespace ui {

struct ExplanationLine {
  int indent;             // how many U+3000 precede the text
  std::string_view text;  // UTF-8
};

inline constexpr std::array<ExplanationLine, 11> kExplanation = {{
    {0, ""},
    {1, "\u3010Problem\u3011"},
    {5,
     "You can start with any natural number , so if the number is even , divide it by 2, if it "
     "is odd ,"},
    {4, "multiply it by 3 and add 1. And repeat this."},
    {5,
     "Then , is it true that no matter what natural number you start with , it will always be "
     "1 ? "},
    {5,
     "For example , starting from 11 , it becomes  "
     "11\u219234\u219217\u219252\u219226\u219213\u219240\u219220\u219210\u21925\u2192"},
    {4, "16\u21928\u21924\u21922\u21921 ."},
    {5, "This problem is a well-known conundrum and has not yet been solved. In addition , a very"},
    {4,
     "large number (4 trillion) has been investigated using a computer , but no example that "
     "doesn't"},
    {4, "reach 1 has been found."},
    {5, "Click [Experiment] below to perform a simple experiment on your computer."},
}};

// The eleven lines as printed, indents included (UTF-8).
std::vector<std::string> explanationLines();

}  // namespace ui
