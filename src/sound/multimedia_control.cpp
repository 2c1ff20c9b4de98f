#include "sound/multimedia_control.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QByteArray>
#include <QMediaDevices>
#include <QPointer>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

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
  Device() = default;
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
    pcm_ = QByteArray(reinterpret_cast<const char*>(wave.samples.data()),
                      static_cast<qsizetype>(wave.samples.size() * sizeof(std::int16_t)));
    format_.setSampleRate(wave.sampleRate);
    format_.setChannelCount(wave.channels);
    format_.setSampleFormat(QAudioFormat::Int16);
    durationUs_ = static_cast<qint64>(wave.frames()) * 1'000'000 / wave.sampleRate;
    succeed();
  }

  void sound() {
    retire();
    if (pcm_.isEmpty()) {
      // After a failed "Open" the reason it failed says more than "nothing open".
      if (error_ == DeviceError::kNone) fail(DeviceError::kNotOpen, {});
      return;
    }
    const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
    if (outputs.isEmpty()) {
      fail(DeviceError::kNoAudioDevice, {});
      return;
    }
    QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull()) output = outputs.front();
    if (!output.isFormatSupported(format_)) {
      fail(DeviceError::kAudioDeviceFailed, output.description().toStdString() + " does not take " +
                                                std::to_string(format_.channelCount()) +
                                                " channels at " +
                                                std::to_string(format_.sampleRate()) + " Hz");
      return;
    }

    auto* sink = new QAudioSink(output, format_);
    auto* source = new QBuffer(sink);  // goes with the sink
    source->setData(pcm_);
    source->open(QIODevice::ReadOnly);
    QObject::connect(sink, &QAudioSink::stateChanged, sink, [this, sink](QAudio::State state) {
      if (state == QAudio::StoppedState && sink->error() != QAudio::NoError && sink == sink_) {
        fail(DeviceError::kAudioDeviceFailed, describe(sink->error()));
      }
    });
    sink_ = sink;
    // The sink keeps its default buffer of about two seconds, so a whole chime is handed over at
    // once and plays on even while the event loop is busy.
    sink->start(source);
    if (sink->error() != QAudio::NoError || sink->state() == QAudio::StoppedState) {
      const QAudio::Error why = sink->error();
      retire();
      fail(DeviceError::kAudioDeviceFailed, describe(why));
      return;
    }
    succeed();
  }

  bool isOpen() const { return !pcm_.isEmpty(); }

  bool isPlaying() const {
    return sink_ != nullptr && sink_->state() != QAudio::StoppedState &&
           sink_->processedUSecs() < durationUs_;
  }

  DeviceError error() const { return error_; }

  std::string errorText() const {
    std::string text(describe(error_));
    const bool aboutTheFile = error_ != DeviceError::kNone && error_ != DeviceError::kNoFileName &&
                              error_ != DeviceError::kNotOpen &&
                              error_ != DeviceError::kNoAudioDevice &&
                              error_ != DeviceError::kAudioDeviceFailed;
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
};

MultimediaControl::MultimediaControl() : device_(std::make_unique<Device>()) {}

MultimediaControl::~MultimediaControl() = default;

platform::Status MultimediaControl::setPropertyById(int dispatchId, std::string_view value) {
  if (dispatchId == kDispatchFileName) {
    fileName_ = std::string(value);
    return platform::Status::success();
  }
  if (dispatchId != kDispatchCommand) {
    return platform::Status::failure(platform::kErrorUnknownProperty,
                                     "Object doesn't support this property (dispatch identifier " +
                                         std::to_string(dispatchId) + ")");
  }
  if (sameVerb(value, kCommandStop)) {
    device_->stop();
  } else if (sameVerb(value, kCommandClose)) {
    device_->close();
  } else if (sameVerb(value, kCommandOpen)) {
    device_->open(fileName_);
  } else if (sameVerb(value, kCommandSound)) {
    device_->sound();
  } else {
    return platform::Status::failure(platform::kErrorPropertySetFailed,
                                     "Invalid device command \"" + std::string(value) + "\"");
  }
  return platform::Status::success();
}

const std::string& MultimediaControl::fileName() const { return fileName_; }

DeviceError MultimediaControl::error() const { return device_->error(); }

std::string MultimediaControl::errorText() const { return device_->errorText(); }

bool MultimediaControl::isOpen() const { return device_->isOpen(); }

bool MultimediaControl::isPlaying() const { return device_->isPlaying(); }

}  // namespace sound
