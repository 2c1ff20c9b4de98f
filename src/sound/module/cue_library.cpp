#include "sound/module/cue_library.h"

#include <algorithm>

namespace sound {
namespace {

// The program has two cues; a few more cost little and spare a user who swaps files a reload.
constexpr std::size_t kMostKnown = 4;

}  // namespace

CueLibrary::CueLibrary(std::function<void()> decoded) : decoded_(std::move(decoded)) {
  slices_.setInterval(0);
  QObject::connect(&slices_, &QTimer::timeout, [this] { decodeSlice(); });
}

CueLibrary::~CueLibrary() = default;

void CueLibrary::open(const std::filesystem::path& path) {
  close();
  auto file = std::make_unique<CueReader>(path);
  failure_ = file->failure();
  if (failure_) return;
  const auto known = std::find_if(known_.begin(), known_.end(), [&](const auto& entry) {
    return entry.first == file->identity();
  });
  if (known != known_.end()) {
    cue_ = known->second;
    std::rotate(known, known + 1, known_.end());  // the most recently used last
    return;
  }
  decoding_ = file->identity();
  reader_ = std::move(file);
  // A chime is read whole at once, so a file its header refuses is refused here, as a missing one
  // is; only a larger file is read over several turns of the event loop.
  if (reader_->readSome(kSliceBytes)) startDecoding();
  if (decoding()) slices_.start();
}

void CueLibrary::close() {
  slices_.stop();
  reader_.reset();
  decoder_.reset();
  cue_.reset();
  failure_ = {};
}

void CueLibrary::startDecoding() {
  const std::unique_ptr<CueReader> read = std::move(reader_);
  std::string bytes = read->take();
  failure_ = read->failure();
  if (failure_) return;
  decoder_ = std::make_unique<WaveDecoder>(std::move(bytes));
  failure_ = decoder_->failure();
  if (failure_) decoder_.reset();
}

void CueLibrary::decodeSlice() {
  if (reader_) {
    if (!reader_->readSome(kSliceBytes)) return;
    startDecoding();
    if (!decoder_) finish();
    return;  // checking the header was this turn's work
  }
  if (!decoder_ || !decoder_->step(kSliceSamples)) return;
  const std::unique_ptr<WaveDecoder> done = std::move(decoder_);
  failure_ = done->failure();
  if (!failure_) {
    cue_ = std::make_shared<const DecodedWave>(std::move(done->wave()));
    if (known_.size() == kMostKnown) known_.erase(known_.begin());
    known_.emplace_back(decoding_, cue_);
  }
  finish();
}

void CueLibrary::finish() {
  slices_.stop();
  decoded_();
}

}  // namespace sound
