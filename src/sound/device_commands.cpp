#include "sound/device_commands.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace sound {
namespace {

bool sameVerb(std::string_view given, std::string_view verb) {
  return std::ranges::equal(given, verb, [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  });
}

using Kind = DeviceCommand::Kind;

}  // namespace

ParsedSet parsePropertySet(int dispatchId, std::string_view value) {
  if (dispatchId == kDispatchFileName) {
    return {platform::Status::success(), DeviceCommand{Kind::kFileName, std::string(value)}};
  }
  if (dispatchId != kDispatchCommand) {
    return {platform::Status::failure(platform::kErrorUnknownProperty,
                                      "Object doesn't support this property (dispatch identifier " +
                                          std::to_string(dispatchId) + ")"),
            std::nullopt};
  }
  constexpr std::pair<std::string_view, Kind> kVerbs[] = {{kCommandStop, Kind::kStop},
                                                          {kCommandClose, Kind::kClose},
                                                          {kCommandOpen, Kind::kOpen},
                                                          {kCommandSound, Kind::kSound}};
  for (const auto& [verb, kind] : kVerbs) {
    if (sameVerb(value, verb)) return {platform::Status::success(), DeviceCommand{kind, {}}};
  }
  return {platform::Status::failure(platform::kErrorPropertySetFailed,
                                    "Invalid device command \"" + std::string(value) + "\""),
          std::nullopt};
}

}  // namespace sound
