#pragma once

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <string_view>

// The late-bound face of the multimedia control: the dispatch identifiers of the two properties
// the program sets, and the device commands the command property accepts.
namespace sound {

inline constexpr int kDispatchFileName = 22;  // the file the next "Open" and "Sound" use
inline constexpr int kDispatchCommand = 23;   // assigning a verb carries out that command at once

inline constexpr std::string_view kCommandStop = "Stop";
inline constexpr std::string_view kCommandClose = "Close";
inline constexpr std::string_view kCommandOpen = "Open";
inline constexpr std::string_view kCommandSound = "Sound";

// Verbs are matched without regard to case.
inline bool sameVerb(std::string_view given, std::string_view verb) {
  return std::ranges::equal(given, verb, [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  });
}

inline bool isDeviceCommand(std::string_view given) {
  return std::ranges::any_of(std::initializer_list<std::string_view>{kCommandStop, kCommandClose,
                                                                     kCommandOpen, kCommandSound},
                             [given](std::string_view verb) { return sameVerb(given, verb); });
}

}  // namespace sound
