#include "sound/module/chime_device.h"

#include <pulse/sample.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "sound/module/audio_service.h"

namespace sound {
namespace {

using State = AudioService::State;

pa_sample_spec specOf(const DecodedWave& wave) {
  return {PA_SAMPLE_S16NE, static_cast<std::uint32_t>(wave.sampleRate),
          static_cast<std::uint8_t>(wave.channels)};
}

std::size_t bytesOf(const DecodedWave& wave) { return wave.samples.size() * sizeof(std::int16_t); }

}  // namespace

ChimeDevice::ChimeDevice()
    : library_([this] {
        if (library_.failure()) fail(library_.failure());
        advance();
      }) {
  deadline_.setSingleShot(true);
  QObject::connect(&deadline_, &QTimer::timeout, [this] { giveUp(); });
}

ChimeDevice::~ChimeDevice() = default;

void ChimeDevice::carryOut(Command command, Clock::time_point setAt) {
  switch (command) {
    case Command::kStop:
      return endChime();
    case Command::kClose:
      return close();
    case Command::kOpen:
      return open();
    case Command::kSound:
      return sound(setAt);
  }
}

void ChimeDevice::close() {
  endChime();
  library_.close();
}

void ChimeDevice::open() {
  close();
  openedName_ = fileName_;
  if (fileName_.empty()) return fail({DeviceError::kNoFileName, {}});
  library_.open(fileName_);
  if (library_.failure()) return fail(library_.failure());
  failure_ = {};
  // Connecting while the file decodes saves the first chime a round trip. A connection refused
  // now is tried again, and its refusal told, by the "Sound" that needs it.
  if (!service_) service_ = std::make_unique<AudioService>([this] { advance(); });
  service_->connect();
}

void ChimeDevice::sound(Clock::time_point setAt) {
  endChime();
  if (!isOpen()) {
    // After a failed "Open" the reason it failed says more than "nothing open"; after a failed
    // "Sound" and a "Close" it does not.
    const bool openFailed = openedName_.empty() || static_cast<bool>(library_.failure());
    if (!failure_ || !openFailed) fail({DeviceError::kNotOpen, {}});
    return;
  }
  // Anew, if the last connection failed.
  if (Failure refused = service_->connect()) return fail(std::move(refused));
  chime_ = 0;
  deadline_.start(std::chrono::ceil<std::chrono::milliseconds>(
      std::max(Clock::duration::zero(), setAt + kCueFreshness - Clock::now())));
  advance();
}

void ChimeDevice::advance() {
  if (!service_) return;
  const State connection = service_->connection();
  if (!chime_) {
    // Nobody is waiting for a failed connection: the next "Sound" makes a new one.
    if (connection == State::kFailed) service_->disconnect();
    return;
  }
  if (library_.decoding()) return;
  const std::shared_ptr<const DecodedWave> wave = library_.cue();
  if (!wave) return endChime();  // the decoding failed, and said so
  if (connection == State::kFailed) {
    fail({everReady_ ? DeviceError::kAudioDeviceFailed : DeviceError::kNoAudioDevice,
          service_->failure()});
    endChime();
    service_->disconnect();
    everReady_ = false;
    return;
  }
  if (connection != State::kReady) return;
  everReady_ = true;
  switch (service_->stream()) {
    case State::kNone:
      if (Failure refused = service_->openStream(specOf(*wave), bytesOf(*wave), openedName_)) {
        fail(std::move(refused));
        endChime();
      }
      return;
    case State::kStarting:
      return;
    case State::kFailed:
      fail({DeviceError::kAudioDeviceFailed, service_->failure()});
      return endChime();
    case State::kDrained:
      return endChime();  // played out: the stream goes, and the output may rest
    case State::kReady:
      break;
  }
  const auto* bytes = reinterpret_cast<const char*>(wave->samples.data());
  const std::size_t before = *chime_;
  *chime_ += service_->write(bytes + before, bytesOf(*wave) - before);
  if (before == 0 && *chime_ > 0) {
    deadline_.stop();
    failure_ = {};
  }
}

void ChimeDevice::giveUp() {
  if (!chime_ || *chime_ > 0) return;
  fail({DeviceError::kCueTooLate, {}});
  endChime();
  // A connection that never became ready is no use to the next chime either; dropping it does not
  // wait for the service.
  if (service_ && service_->connection() != State::kReady) service_->disconnect();
}

void ChimeDevice::endChime() {
  chime_.reset();
  deadline_.stop();
  if (service_) service_->closeStream();
}

bool ChimeDevice::isPlaying() const {
  if (!chime_) return false;
  const State stream = service_->stream();
  return stream != State::kDrained && stream != State::kFailed;
}

std::string ChimeDevice::errorText() const {
  // Each error in short English words, and whether the file is to be named after them.
  constexpr std::pair<const char*, bool> kTexts[] = {
      {"No error", false},
      {"No file name given", false},
      {"File not found", true},
      {"File cannot be read", true},
      {"File too large for a sound cue", true},
      {"File holds no sound", true},
      {"Wave file damaged or cut short", true},
      {"Not a wave file", true},
      {"No file open", false},
      {"No audio output device", false},
      {"Audio output failed", false},
      {"Sound format the audio output cannot play", true},
      {"Wave file in an encoding the program does not play", true},
      {"Chime dropped: the audio output did not answer in time", false}};
  static_assert(std::size(kTexts) == static_cast<std::size_t>(DeviceError::kCueTooLate) + 1);
  const auto& [words, namesTheFile] = kTexts[static_cast<int>(failure_.error)];
  std::string text = words;
  if (namesTheFile) text += ": " + openedName_;
  if (!failure_.detail.empty()) text += " (" + failure_.detail + ")";
  return text;
}

void ChimeDevice::fail(Failure failure) { failure_ = std::move(failure); }

}  // namespace sound
