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

// Whether a later command undoes what this one would start.
bool undoes(Kind later, Kind earlier) {
  if (earlier == Kind::kSound) return later != Kind::kFileName;
  if (earlier == Kind::kOpen) return later == Kind::kClose || later == Kind::kOpen;
  return false;
}

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

std::vector<DeviceCommand> collapseBatch(std::vector<DeviceCommand> batch) {
  std::vector<DeviceCommand> kept;
  for (std::size_t i = 0; i < batch.size(); ++i) {
    const bool undone =
        std::any_of(batch.begin() + static_cast<std::ptrdiff_t>(i) + 1, batch.end(),
                    [&](const DeviceCommand& later) { return undoes(later.kind, batch[i].kind); });
    if (!undone) kept.push_back(std::move(batch[i]));
  }
  return kept;
}

}  // namespace sound
