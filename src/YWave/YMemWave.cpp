#include "YWave/YMemWave.h"

#include "YWave/YWaveSample.h"

#include <algorithm>
#include <cstring>
#include <string>

using sonbex::platform::Message;
using sonbex::platform::MessageLoop;

namespace {
// Frames of the short first blocks of the file-callback mode, so the file's
// first block follows the start quickly: rate / 400 bytes, rounded down to
// whole frames (at least one), but together at least one whole block. A
// device with a buffer plays its blocks in periods of its own; a lead shorter
// than such a period would run dry before the first file block is queued.
int ShortBlockFrames(int rate, int blockAlign, int blockFrames, int count) {
    const int plain = std::max(1, rate / 400 / std::max(1, blockAlign));
    return std::min(blockFrames, std::max(plain, (blockFrames + count - 1) / count));
}
}  // namespace

YMemWave::YMemWave(MessageLoop& loop, IWaveBackend& backend, bool extensibleAllowed)
    : owner_(loop), backend_(backend), extensibleAllowed_(extensibleAllowed) {}

YMemWave::~YMemWave() { Close(); }

bool YMemWave::Create(YBlockCallback callback, YWaveNotify notify) {
    if (created_) return true;
    handler_ = owner_.AddHandler([this](const Message& m) { OnMessage(m); });
    if (handler_ == 0) return false;
    callback_ = std::move(callback);
    notify_ = notify;
    created_ = true;
    mode_ = YWaveMode::None;
    error_.clear();
    return true;
}

void YMemWave::Close() {
    if (!created_) return;
    Stop();
    owner_.RemoveHandler(handler_);
    handler_ = 0;
    created_ = false;
    FreeBuffers();
    mode_ = YWaveMode::None;
}

void YMemWave::SetBuffers(int count, int inFrames, int outFrames) {
    bufferCount_ = count;
    inFrames_ = inFrames;
    outFrames_ = outFrames < 1 ? inFrames : outFrames;
}

void YMemWave::SetDevices(int inDevice, int outDevice) {
    inDevice_ = inDevice;
    outDevice_ = outDevice;
}

void YMemWave::GetFormat(int& bits, int& inChannels, int& outChannels, int& sampleRate) const {
    bits = bits_;
    inChannels = inChannels_;
    outChannels = outChannels_;
    sampleRate = sampleRate_;
}

bool YMemWave::Records() const {
    switch (mode_) {
        case YWaveMode::RecordCallback:
        case YWaveMode::RecordPlayBuffer:
        case YWaveMode::Duplex:
        case YWaveMode::RecordFile:
        case YWaveMode::RecordAndPlayFile:
            return true;
        default:
            return false;
    }
}

bool YMemWave::Plays() const {
    return mode_ != YWaveMode::None && mode_ != YWaveMode::RecordCallback && mode_ != YWaveMode::RecordFile;
}

bool YMemWave::UsesCallback() const {
    switch (mode_) {
        case YWaveMode::PlayCallback:
        case YWaveMode::RecordCallback:
        case YWaveMode::RecordPlayBuffer:
        case YWaveMode::Duplex:
        case YWaveMode::PlayFileCallback:
            return true;
        default:
            return false;
    }
}

bool YMemWave::Fail(const std::string& why) {
    error_ = why;
    return false;
}

void YMemWave::FreeBuffers() {
    outBuffers_.clear();
    fileBlock_.clear();
    userBuffer_ = nullptr;
    userFrames_ = 0;
    playFile_.Close();
}

bool YMemWave::Open(YWaveMode mode, int bits, int inChannels, int outChannels, int rate) {
    if (!created_) return Fail("the wave engine is not created");
    if (stream_) return Fail("the wave engine is running");
    FreeBuffers();
    mode_ = mode;
    error_.clear();
    // A refused opening leaves no mode behind to start.
    const auto refuse = [this](const std::string& why) {
        mode_ = YWaveMode::None;
        return Fail(why);
    };
    const bool records = Records(), plays = Plays();
    if (UsesCallback() && !callback_) return refuse("no block callback");
    if (!YIsSampleWidth(bits)) return refuse("unsupported format");
    if (rate < 1 || rate > kMaxRate)
        return refuse("unsupported sample rate: " + std::to_string(rate) + " Hz (1 to " +
                      std::to_string(kMaxRate) + " Hz)");
    const auto badChannels = [](int channels) { return channels < 1 || channels > kMaxChannels; };
    if ((records && badChannels(inChannels)) || (plays && badChannels(outChannels)))
        return refuse("unsupported channel count");
    if (bufferCount_ < (mode == YWaveMode::Duplex ? 3 : 2) || bufferCount_ > kMaxBufferCount ||
        inFrames_ < 1 || outFrames_ < 1)
        return refuse("unsupported buffer settings");
    if (mode == YWaveMode::Duplex && inFrames_ != outFrames_)
        return refuse("the simultaneous mode needs equal input and output buffer lengths");
    // Sizes in 64 bits: frames, channels and widths come from callers and
    // from file headers.
    const std::int64_t frameBytes = YBytesPerSample(bits);
    const std::int64_t inBytes = records ? std::int64_t{inFrames_} * inChannels * frameBytes : 0;
    const std::int64_t outBytes = plays ? std::int64_t{outFrames_} * outChannels * frameBytes : 0;
    if (std::max(inBytes, outBytes) > kMaxBlockBytes ||
        std::max(inBytes, outBytes) * bufferCount_ > kMaxRingBytes)
        return refuse("the blocks are too long: at most " + std::to_string(kMaxBlockBytes >> 20) +
                      " MiB a block and " + std::to_string(kMaxRingBytes >> 20) + " MiB for all blocks");
    bits_ = bits;
    sampleRate_ = rate;
    inChannels_ = records ? inChannels : 0;
    outChannels_ = plays ? outChannels : 0;
    inFormat_ = records ? YWaveFormat::Pcm(bits, inChannels, rate, extensibleAllowed_) : YWaveFormat{};
    outFormat_ = plays ? YWaveFormat::Pcm(bits, outChannels, rate, extensibleAllowed_) : YWaveFormat{};
    inBufferBytes_ = static_cast<int>(inBytes);
    outBufferBytes_ = static_cast<int>(outBytes);
    if (plays && mode != YWaveMode::PlayBuffer && mode != YWaveMode::RecordPlayBuffer)
        outBuffers_.assign(
            static_cast<std::size_t>(bufferCount_),
            std::vector<std::uint8_t>(static_cast<std::size_t>(outBufferBytes_), YSilenceByte(bits)));
    return true;
}

bool YMemWave::RecordFile(const std::string& name, int bits, int channels, int rate) {
    if (!Open(YWaveMode::RecordFile, bits, channels, 0, rate)) return false;
    recordName_ = name;
    return true;
}

bool YMemWave::RecordCallback(int bits, int channels, int rate) {
    return Open(YWaveMode::RecordCallback, bits, channels, 0, rate);
}

namespace {
bool PlayableFile(YWaveReader& reader, const std::string& name) {
    if (!reader.Open(name)) return false;
    const YWaveFormat& f = reader.Info().format;
    if (f.Kind() == YSampleKind::Pcm && YIsSampleWidth(f.bitsPerSample) &&
        f.blockAlign == f.channels * YBytesPerSample(f.bitsPerSample))
        return true;
    reader.Close();
    return false;
}
}  // namespace

bool YMemWave::PlayFile(const std::string& name, bool loop) {
    YWaveReader probe;
    if (!PlayableFile(probe, name)) return Fail("not a playable wave file: " + name);
    const YWaveFormat f = probe.Info().format;
    if (!Open(YWaveMode::PlayFile, f.bitsPerSample, 0, f.channels, static_cast<int>(f.sampleRate)))
        return false;
    playName_ = name;
    loop_ = loop;
    return true;
}

bool YMemWave::PlayBuffer(int bits, int channels, int rate, const std::uint8_t* buffer, int frames,
                          bool loop) {
    if (!buffer || frames < 1) return Fail("no buffer to play");
    if (!Open(YWaveMode::PlayBuffer, bits, 0, channels, rate)) return false;
    userBuffer_ = buffer;
    userFrames_ = frames;
    loop_ = loop;
    return true;
}

bool YMemWave::PlayCallback(int bits, int channels, int rate) {
    return Open(YWaveMode::PlayCallback, bits, 0, channels, rate);
}

bool YMemWave::RecordAndPlayFile(const std::string& recordName, const std::string& playName, bool loop) {
    YWaveReader probe;
    if (!PlayableFile(probe, playName)) return Fail("not a playable wave file: " + playName);
    const YWaveFormat f = probe.Info().format;
    if (!Open(YWaveMode::RecordAndPlayFile, f.bitsPerSample, f.channels, f.channels,
              static_cast<int>(f.sampleRate)))
        return false;
    recordName_ = recordName;
    playName_ = playName;
    loop_ = loop;
    return true;
}

bool YMemWave::RecordPlayBuffer(int bits, int inChannels, int outChannels, int rate,
                                const std::uint8_t* buffer, int frames, bool loop) {
    if (!buffer || frames < 1) return Fail("no buffer to play");
    if (!Open(YWaveMode::RecordPlayBuffer, bits, inChannels, outChannels, rate)) return false;
    userBuffer_ = buffer;
    userFrames_ = frames;
    loop_ = loop;
    return true;
}

bool YMemWave::PlayFileCallback(const std::string& name, int outChannels, bool loop) {
    YWaveReader probe;
    if (!PlayableFile(probe, name)) return Fail("not a playable wave file: " + name);
    const YWaveFormat f = probe.Info().format;
    if (!Open(YWaveMode::PlayFileCallback, f.bitsPerSample, 0, outChannels, static_cast<int>(f.sampleRate)))
        return false;
    if (std::int64_t{outFrames_} * f.blockAlign > kMaxBlockBytes) {
        mode_ = YWaveMode::None;
        return Fail("the blocks are too long for the file's frames");
    }
    // The file's own format describes the blocks the callback receives.
    inFormat_ = f;
    inChannels_ = f.channels;
    fileBlock_.assign(static_cast<std::size_t>(outFrames_) * f.blockAlign, YSilenceByte(f.bitsPerSample));
    playName_ = name;
    loop_ = loop;
    return true;
}

bool YMemWave::OpenDuplex(int bits, int inChannels, int outChannels, int rate) {
    return Open(YWaveMode::Duplex, bits, inChannels, outChannels, rate);
}

bool YMemWave::ProcessFile(const std::string& inName, const std::string& outName) {
    if (!created_ || stream_) return Fail("the wave engine is not ready");
    if (!callback_) return Fail("no block callback");
    YWaveReader in;
    if (!PlayableFile(in, inName)) return Fail("not a playable wave file: " + inName);
    const YWaveFormat inFormat = in.Info().format;
    const int channels = outChannels_ > 0 ? outChannels_ : inFormat.channels;
    const YWaveFormat outFormat = YWaveFormat::Pcm(inFormat.bitsPerSample, channels,
                                                   static_cast<int>(inFormat.sampleRate), extensibleAllowed_);
    YWaveWriter out;
    if (!out.Create(outName, outFormat)) return Fail("cannot write " + outName);
    constexpr std::uint32_t kBlock = 8000;
    std::vector<std::uint8_t> inBlock(kBlock * inFormat.blockAlign);
    std::vector<std::uint8_t> outBlock(kBlock * outFormat.blockAlign, YSilenceByte(outFormat.bitsPerSample));
    for (;;) {
        const long frames = in.ReadFrames(inBlock.data(), kBlock);
        if (frames < 0) {
            out.Abandon();
            return Fail("cannot read " + inName);
        }
        if (frames == 0) break;
        if (!callback_(inBlock.data(), outBlock.data(), static_cast<int>(frames))) {
            out.Abandon();
            return Fail("the block callback ended the pass");
        }
        if (!out.Append(outBlock.data(), static_cast<std::size_t>(frames) * outFormat.blockAlign)) {
            out.Abandon();
            return Fail("cannot write " + outName);
        }
    }
    return out.Finish() || Fail("cannot write " + outName);
}

bool YMemWave::Queue(const std::uint8_t* data, int frames) {
    if (!stream_) return false;
    if (!stream_->QueueOutput(data, frames)) return Fail("cannot queue an output block");
    ++outQueued_;
    ++outSerial_;
    return true;
}

bool YMemWave::Start() {
    if (!created_) return Fail("the wave engine is not created");
    if (stream_) return Fail("the wave engine is running");
    if (mode_ == YWaveMode::None) return Fail("no mode is open");
    if (UsesCallback() && !callback_) return Fail("no block callback");
    error_.clear();
    const bool filePlays = mode_ == YWaveMode::PlayFile || mode_ == YWaveMode::RecordAndPlayFile ||
                           mode_ == YWaveMode::PlayFileCallback;
    if (filePlays && !playFile_.Open(playName_)) return Fail("cannot read " + playName_);
    const bool fileRecords = mode_ == YWaveMode::RecordFile || mode_ == YWaveMode::RecordAndPlayFile;
    if (fileRecords && !recordFile_.Create(recordName_, inFormat_)) {
        playFile_.Close();
        return Fail("cannot write " + recordName_);
    }

    YWaveStreamSetup setup;
    setup.record = Records();
    setup.play = Plays();
    setup.inDevice = inDevice_;
    setup.outDevice = outDevice_;
    setup.rate = sampleRate_;
    setup.bits = bits_;
    setup.inChannels = inChannels_;
    setup.outChannels = outChannels_;
    setup.inBlockFrames = inFrames_;
    setup.outBlockFrames = userBuffer_ ? userFrames_ : outFrames_;
    setup.blockCount = bufferCount_;
    const YWaveStreamTarget target{&owner_, handler_, &run_, run_.Advance()};
    std::string why;
    stream_ = backend_.Open(setup, target, why);
    if (!stream_) {
        playFile_.Close();
        recordFile_.Abandon();
        return Fail(why.empty() ? "cannot open the device" : why);
    }
    inIndex_ = outIndex_ = outFinished_ = outQueued_ = 0;
    outSerial_ = outDone_ = inDone_ = 0;
    lastDataSerial_ = -1;
    // A restarted mode begins with silence, never with the last run's blocks.
    for (auto& buffer : outBuffers_) std::fill(buffer.begin(), buffer.end(), YSilenceByte(bits_));

    bool ok = true;
    const int n = bufferCount_;
    switch (mode_) {
        case YWaveMode::PlayBuffer:
        case YWaveMode::RecordPlayBuffer:
            for (int k = 0; k < n && ok; ++k) ok = Queue(userBuffer_, userFrames_);
            break;
        case YWaveMode::PlayCallback:
            for (int k = 0; k < n && ok; ++k) ok = Queue(outBuffers_[k].data(), outFrames_);
            break;
        case YWaveMode::Duplex:
            // The fixed lead: the block filled for input block i plays as block i + 2.
            for (int k = 0; k < 2 && ok; ++k) ok = Queue(outBuffers_[k].data(), outFrames_);
            break;
        case YWaveMode::PlayFile:
        case YWaveMode::RecordAndPlayFile:
            for (int k = 0; k < n && ok; ++k) {
                bool ended = false;
                ok = FillFromPlayFile(outBuffers_[k].data(), outBufferBytes_, ended) &&
                     Queue(outBuffers_[k].data(), outFrames_);
            }
            break;
        case YWaveMode::PlayFileCallback: {
            const int frames = ShortBlockFrames(sampleRate_, outFormat_.blockAlign, outFrames_, n);
            for (int k = 0; k < n && ok; ++k) ok = Queue(outBuffers_[k].data(), frames);
            break;
        }
        default:
            break;
    }
    if (!ok || !stream_->Start()) {
        const std::string streamError = stream_->Error();
        recordFile_.Abandon();  // nothing was recorded: the target stays as it was
        Stop();
        return Fail(!ok ? std::string("cannot queue the output buffers") : streamError);
    }
    return true;
}

void YMemWave::Stop() { Halt(false); }

void YMemWave::Halt(bool fault) {
    const bool wasOpen = stream_ != nullptr;
    if (wasOpen) {
        run_.Advance();  // messages still queued for this run are dropped
        stream_->Stop();
        stream_.reset();
    }
    playFile_.Close();
    if (recordFile_.IsOpen()) {
        if (!fault) {
            if (!recordFile_.Finish() && error_.empty()) error_ = "cannot write " + recordName_;
        } else if (recordFile_.FinishPartial()) {
            error_ += "; the recording so far is in " + YPartialRecordingPath(recordName_).string() + ", " +
                      recordName_ + " is unchanged";
        }
    }
    if (wasOpen && notify_.loop) notify_.loop->Post(notify_.target, kWaveDeviceStopped);
}

bool YMemWave::FillFromPlayFile(std::uint8_t* buffer, std::size_t bytes, bool& ended) {
    ended = false;
    switch (playFile_.ReadBlock(buffer, bytes, loop_)) {
        case YWaveReader::Result::Data:
            lastDataSerial_ = outSerial_;
            return true;
        case YWaveReader::Result::End:
            // Nothing left: the buffer plays silence while the last ones drain.
            std::memset(buffer, YSilenceByte(bits_), bytes);
            ended = true;
            return true;
        case YWaveReader::Result::Error:
            break;
    }
    error_ = "cannot read " + playName_;
    return false;
}

void YMemWave::OnMessage(const Message& message) {
    if (!stream_) return;
    switch (message.id) {
        case kWaveInputBlock:
            OnInput();
            break;
        case kWaveOutputDone:
            OnOutputDone();
            break;
        case kWaveStreamFailed:
            error_ = stream_->Error();
            if (error_.empty()) error_ = "the device stopped";
            Halt(true);
            break;
        default:
            break;
    }
}

void YMemWave::OnInput() {
    const std::uint8_t* in = stream_->InputBlock();
    if (!in) return;
    bool ok = true;
    switch (mode_) {
        case YWaveMode::Duplex: {
            std::uint8_t* out = outBuffers_[(inIndex_ + 2) % bufferCount_].data();
            ok = callback_(in, out, inFrames_) && (!stream_ || Queue(out, outFrames_));
            break;
        }
        case YWaveMode::RecordFile:
        case YWaveMode::RecordAndPlayFile:
            ok = recordFile_.Append(in, static_cast<std::size_t>(inBufferBytes_));
            if (ok) ++inDone_;
            if (!ok) error_ = "cannot write " + recordName_;
            break;
        default:
            ok = callback_(in, nullptr, inFrames_);
            break;
    }
    if (!stream_) return;  // the callback stopped the engine
    stream_->ReleaseInput();
    if (!ok) {
        Halt(!error_.empty());  // a callback that ends the run is no fault
        return;
    }
    inIndex_ = (inIndex_ + 1) % bufferCount_;
    if (mode_ == YWaveMode::RecordAndPlayFile && outFinished_ > 0 && PlayFileDone()) Stop();
}

// The run ends once bufferCount - 1 buffers have met the end of the file and
// the block with the file's last data has been played, so its end is heard;
// a recording run also waits until it has recorded as many frames as were
// played up to the end of that block.
bool YMemWave::PlayFileDone() const {
    if (outFinished_ < bufferCount_ - 1 || outDone_ <= lastDataSerial_) return false;
    return mode_ != YWaveMode::RecordAndPlayFile ||
           std::int64_t{inDone_} * inFrames_ >= (std::int64_t{lastDataSerial_} + 1) * outFrames_;
}

void YMemWave::EndOfPlayFile() {
    ++outFinished_;
    if (PlayFileDone()) Stop();
}

void YMemWave::OnOutputDone() {
    --outQueued_;
    ++outDone_;
    const int k = outIndex_;
    outIndex_ = (outIndex_ + 1) % bufferCount_;
    switch (mode_) {
        case YWaveMode::PlayBuffer:
        case YWaveMode::RecordPlayBuffer:
            if (!loop_ || !Queue(userBuffer_, userFrames_)) Stop();
            break;
        case YWaveMode::PlayCallback: {
            std::uint8_t* out = outBuffers_[k].data();
            const bool ok = callback_(nullptr, out, outFrames_);
            if (stream_ && (!ok || !Queue(out, outFrames_))) Stop();
            break;
        }
        case YWaveMode::PlayFile:
        case YWaveMode::RecordAndPlayFile: {
            // After the file's end the buffer holds silence; it is queued all
            // the same (as Start does), so the device never runs dry before
            // the run ends.
            bool ended = false;
            std::uint8_t* out = outBuffers_[k].data();
            if (!FillFromPlayFile(out, static_cast<std::size_t>(outBufferBytes_), ended) ||
                !Queue(out, outFrames_))
                Halt(true);
            else if (ended)
                EndOfPlayFile();
            break;
        }
        case YWaveMode::PlayFileCallback: {
            switch (playFile_.ReadBlock(fileBlock_.data(), fileBlock_.size(), loop_)) {
                case YWaveReader::Result::Data: {
                    lastDataSerial_ = outSerial_;
                    std::uint8_t* out = outBuffers_[k].data();
                    const bool ok = callback_(fileBlock_.data(), out, outFrames_);
                    if (stream_ && (!ok || !Queue(out, outFrames_))) Stop();
                    break;
                }
                case YWaveReader::Result::End: {
                    std::uint8_t* out = outBuffers_[k].data();
                    std::fill(outBuffers_[k].begin(), outBuffers_[k].end(), YSilenceByte(bits_));
                    if (!Queue(out, outFrames_))
                        Halt(true);
                    else
                        EndOfPlayFile();
                    break;
                }
                case YWaveReader::Result::Error:
                    error_ = "cannot read " + playName_;
                    Halt(true);
                    break;
            }
            break;
        }
        default:
            break;  // the simultaneous mode queues its output from the input handler
    }
}

bool YMemWave::CanRecord(int device, int rate, int bits, int channels) {
    return YIsSampleWidth(bits) && channels > 0 && rate > 0 &&
           backend_.CanOpen(YWaveDirection::Record, device, rate, bits, channels);
}

bool YMemWave::CanPlay(int device, int rate, int bits, int channels) {
    return YIsSampleWidth(bits) && channels > 0 && rate > 0 &&
           backend_.CanOpen(YWaveDirection::Play, device, rate, bits, channels);
}

const std::uint8_t* YMemWave::ToReal(const std::uint8_t* sample, double& value) const {
    return YSampleToReal(sample, bits_, value);
}

bool YMemWave::IsWaveFile(const std::string& name) const {
    YWaveFileInfo info;
    return YReadWaveFileInfo(name, info) && info.format.Kind() == YSampleKind::Pcm;
}

bool YMemWave::GetWaveInfo(const std::string& name, int& tag, int& bits, int& channels, int& rate,
                           std::uint32_t& frames) const {
    tag = bits = channels = rate = 0;
    frames = 0;
    YWaveFileInfo info;
    if (!YReadWaveFileInfo(name, info)) return false;
    const YWaveFormat& f = info.format;  // the parser accepts only frames of channels x bytes
    // An extensible float file is reported as float for the readers that take it.
    tag = f.Kind() == YSampleKind::Float ? YWaveFormat::kTagFloat : f.tag;
    bits = f.bitsPerSample;
    channels = f.channels;
    rate = static_cast<int>(f.sampleRate);
    frames = info.Frames();
    return true;
}

bool YMemWave::WriteWaveHeader(std::FILE* stream, int rate, int bits, int channels, std::uint32_t frames) {
    if (!YIsSampleWidth(bits) || channels < 1 || rate <= 0) return false;
    const YWaveFormat f = YWaveFormat::Pcm(bits, channels, rate, extensibleAllowed_);
    const std::uint64_t bytes = static_cast<std::uint64_t>(frames) * f.blockAlign;
    if (bytes > 0xFFFFFFFFu - 68) return false;
    return YWriteWaveHeader(stream, f, static_cast<std::uint32_t>(bytes)) != 0;
}

std::uint32_t YMemWave::ReadFormat(std::FILE* stream, YWaveFormat& format) {
    YWaveFileInfo info;
    format = YWaveFormat{};
    if (!YParseWaveHeader(stream, info)) return 0;
    const auto bytes = info.format.Bytes();
    format = YWaveFormat::FromBytes(bytes.data(), 20);
    return info.dataBytes;
}

std::uint32_t YMemWave::ParseWaveHeader(std::FILE* stream, YWaveFormat& format) {
    YWaveFileInfo info;
    const bool ok = YParseWaveHeader(stream, info);
    format = info.format;
    return ok ? info.dataBytes : 0;
}
