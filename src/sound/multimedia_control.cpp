#include "sound/multimedia_control.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QByteArray>
#include <QMediaDevices>
#include <QPointer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

#include "sound/output_service.h"
#include "sound/wave_decoder.h"

namespace sound {
namespace {

const char* describe(QAudio::Error error) {
  switch (error) {
    case QAudio::NoError:
      return "no error";
    case QAudio::OpenError:
      return "the output refused the stream";
    case QAudio::IOError:
      return "writing to the output failed";
    case QAudio::UnderrunError:
      return "the output ran dry";
    case QAudio::FatalError:
      return "the audio service is not available";
  }
  return "unknown output error";
}

}  // namespace

// The device behind the control: the decoded file and the audio output playing it.
//
// Every "Sound" gets a fresh sink: restarting one sink that has been stopped goes silent after a
// few restarts on the audio service this runs on, while a new sink starts cleanly each time.
// A sink that is done with is stopped at once (that silences it) but deleted only later from the
// event loop, because deleting one runs the event loop for a moment, and that must not happen in
// the middle of a command while the caller's handler is running.
class MultimediaControl::Device {
 public:
  using Clock = std::chrono::steady_clock;

  explicit Device(QObject* home) : service_(home) {}
  ~Device() {
    retire();
    for (const QPointer<QAudioSink>& sink : retired_) delete sink.data();
  }
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  void stop() { retire(); }

  void close() {
    retire();
    pcm_.clear();
    format_ = QAudioFormat();
    durationUs_ = 0;
  }

  void open(const std::string& fileName) {
    close();
    file_ = fileName;
    if (fileName.empty()) {
      fail(DeviceError::kNoFileName, {});
      return;
    }
    std::error_code failed;
    const std::filesystem::path path = std::filesystem::absolute(fileName, failed);
    DecodeResult decoded = decodeWaveFile(failed ? std::filesystem::path(fileName) : path);
    if (decoded.error != DeviceError::kNone) {
      fail(decoded.error, decoded.detail);
      return;
    }
    const DecodedWave& wave = decoded.wave;
    if (wave.sampleRate < kMinPlayableRate || wave.sampleRate > kMaxPlayableRate) {
      fail(DeviceError::kFormatNotPlayable, std::to_string(wave.sampleRate) + " Hz");
      return;
    }
    pcm_ = QByteArray(reinterpret_cast<const char*>(wave.samples.data()),
                      static_cast<qsizetype>(wave.samples.size() * sizeof(std::int16_t)));
    format_.setSampleRate(wave.sampleRate);
    format_.setChannelCount(wave.channels);
    format_.setSampleFormat(QAudioFormat::Int16);
    durationUs_ = static_cast<qint64>(wave.frames()) * 1'000'000 / wave.sampleRate;
    succeed();
  }

  // Plays the open file, unless it cannot start before the deadline.
  void sound(Clock::time_point deadline) {
    retire();
    if (pcm_.isEmpty()) {
      // After a failed "Open" the reason it failed says more than "nothing open".
      if (error_ == DeviceError::kNone) fail(DeviceError::kNotOpen, {});
      return;
    }
    if (Clock::now() > deadline) return fail(DeviceError::kCueTooLate, {});
    service_.prepare(deadline);
    if (Clock::now() > deadline) return fail(DeviceError::kCueTooLate, {});
    if (!start() && error_ == DeviceError::kNoAudioDevice) {
      // A service that came back since the last chime may only just have been reconnected.
      service_.prepare(deadline);
      start();
    }
    if (sink_ != nullptr && Clock::now() > deadline) {
      // Opening the output waited for a service that hung: silenced before a sample is written.
      retire();
      fail(DeviceError::kCueTooLate, {});
    }
  }

  void setErrorListener(std::function<void()> listener) { listener_ = std::move(listener); }

  bool isOpen() const { return !pcm_.isEmpty(); }

  bool isPlaying() const {
    return sink_ != nullptr && sink_->state() != QAudio::StoppedState &&
           sink_->processedUSecs() < durationUs_;
  }

  DeviceError error() const { return error_; }

  std::string errorText() const {
    std::string text(describe(error_));
    const bool aboutTheFile =
        error_ != DeviceError::kNone && error_ != DeviceError::kNoFileName &&
        error_ != DeviceError::kNotOpen && error_ != DeviceError::kNoAudioDevice &&
        error_ != DeviceError::kAudioDeviceFailed && error_ != DeviceError::kCueTooLate;
    if (aboutTheFile) text += ": " + file_;
    if (!detail_.empty()) text += " (" + detail_ + ")";
    return text;
  }

 private:
  void succeed() {
    error_ = DeviceError::kNone;
    detail_.clear();
  }
  void fail(DeviceError error, std::string detail) {
    error_ = error;
    detail_ = std::move(detail);
  }

  // Starts a fresh sink on the default output; false, with the reason recorded, if it did not.
  bool start() {
    const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
    if (outputs.isEmpty()) {
      fail(DeviceError::kNoAudioDevice, {});
      return false;
    }
    QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull()) output = outputs.front();
    if (!output.isFormatSupported(format_)) {
      fail(DeviceError::kFormatNotPlayable, output.description().toStdString() + " does not take " +
                                                std::to_string(format_.channelCount()) +
                                                " channels at " +
                                                std::to_string(format_.sampleRate()) + " Hz");
      return false;
    }

    auto* sink = new QAudioSink(output, format_);
    auto* source = new QBuffer(sink);  // goes with the sink
    source->setData(pcm_);
    source->open(QIODevice::ReadOnly);
    QObject::connect(sink, &QAudioSink::stateChanged, sink, [this, sink](QAudio::State state) {
      if (state == QAudio::StoppedState && sink->error() != QAudio::NoError && sink == sink_) {
        fail(DeviceError::kAudioDeviceFailed, describe(sink->error()));
        if (listener_) listener_();
      }
    });
    sink_ = sink;
    // The sink keeps its default buffer of about two seconds, so a whole chime is handed over at
    // once and plays on even while the event loop is busy.
    sink->start(source);
    if (sink->error() != QAudio::NoError || sink->state() == QAudio::StoppedState) {
      const QAudio::Error why = sink->error();
      retire();
      // Qt answers a service it is not connected to (yet) with a fatal error.
      fail(
          why == QAudio::FatalError ? DeviceError::kNoAudioDevice : DeviceError::kAudioDeviceFailed,
          describe(why));
      return false;
    }
    succeed();
    return true;
  }

  // Silences the current sink and leaves it to the event loop to delete.
  void retire() {
    std::erase_if(retired_, [](const QPointer<QAudioSink>& sink) { return sink.isNull(); });
    QAudioSink* sink = sink_;
    if (sink == nullptr) return;
    sink_ = nullptr;
    QObject::disconnect(sink, nullptr, sink, nullptr);
    sink->stop();
    sink->deleteLater();
    retired_.emplace_back(sink);
  }

  QByteArray pcm_;
  QAudioFormat format_;
  qint64 durationUs_ = 0;
  QAudioSink* sink_ = nullptr;
  std::vector<QPointer<QAudioSink>> retired_;
  std::string file_;  // the name the last "Open" was given
  DeviceError error_ = DeviceError::kNone;
  std::string detail_;
  OutputService service_;
  std::function<void()> listener_;
};

MultimediaControl::MultimediaControl(QObject* home) : device_(std::make_unique<Device>(home)) {}

MultimediaControl::~MultimediaControl() = default;

void MultimediaControl::carryOut(DeviceCommand command) {
  switch (command.kind) {
    case DeviceCommand::Kind::kFileName:
      fileName_ = std::move(command.fileName);
      return;
    case DeviceCommand::Kind::kStop:
      return device_->stop();
    case DeviceCommand::Kind::kClose:
      return device_->close();
    case DeviceCommand::Kind::kOpen:
      return device_->open(fileName_);
    case DeviceCommand::Kind::kSound:
      return device_->sound(command.setAt + kCueFreshness);
  }
}

void MultimediaControl::setErrorListener(std::function<void()> listener) {
  device_->setErrorListener(std::move(listener));
}

const std::string& MultimediaControl::fileName() const { return fileName_; }

DeviceError MultimediaControl::error() const { return device_->error(); }

std::string MultimediaControl::errorText() const { return device_->errorText(); }

bool MultimediaControl::isOpen() const { return device_->isOpen(); }

bool MultimediaControl::isPlaying() const { return device_->isPlaying(); }

}  // namespace sound
