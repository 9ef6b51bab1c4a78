// live_input.cpp - the live input: the sound card through PortAudio, or a
// file fed through the same path.
#include "audio/sound_io.h"
#include "base/diagnostics.h"

#include <portaudio.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace {

// Samples captured by PortAudio's thread, read by the recogniser.
class SoundCardInput : public engine::LiveInput {
public:
    explicit SoundCardInput(int rate) : rate_(rate), max_queued_(static_cast<size_t>(rate) * kMaxQueuedSeconds) {}
    ~SoundCardInput() override { stop(); }

    bool start(std::string *why) override {
        fail_after_ = engine::take_fault("hapiLiveCapture");
        PaError e = paNoError;
        engine::quietly([&] {
            e = Pa_Initialize();
            if (e != paNoError) return;
            initialised_ = true;
            e = Pa_OpenDefaultStream(&stream_, 1, 0, paInt16, rate_, kBlock, &SoundCardInput::callback, this);
            if (e == paNoError) e = Pa_SetStreamFinishedCallback(stream_, &SoundCardInput::finished);
            if (e == paNoError) e = Pa_StartStream(stream_);
        });
        if (e != paNoError) {
            *why = Pa_GetErrorText(e);
            stop();
            return false;
        }
        return true;
    }

    void stop() override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopped_ = true;
        }
        room_.notify_all();
        ready_.notify_all();
        engine::quietly([this] {
            if (stream_) {
                Pa_StopStream(stream_);
                Pa_CloseStream(stream_);
                stream_ = nullptr;
            }
            if (initialised_) Pa_Terminate();
            initialised_ = false;
        });
    }

    int read(short *buf, int max, int wait_ms) override {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait_for(lock, std::chrono::milliseconds(wait_ms),
                        [this] { return !queue_.empty() || stopped_ || !failure_.empty(); });
        if (queue_.empty()) return !failure_.empty() ? kFailed : stopped_ ? kEnded : 0;
        int n = std::min(max, static_cast<int>(queue_.size()));
        std::copy(queue_.begin(), queue_.begin() + n, buf);
        queue_.erase(queue_.begin(), queue_.begin() + n);
        room_.notify_all();
        return n;
    }

    std::string failure() const override {
        std::lock_guard<std::mutex> lock(mutex_);
        return failure_;
    }

private:
    static const int kBlock = 160;
    // What may wait unread before capture waits for the reader: far more
    // than a reader lags on a real card, while a card that delivers faster
    // than real time (a file behind alsa-lib) cannot fill the memory.
    static const int kMaxQueuedSeconds = 60;

    static int callback(const void *in, void *, unsigned long n, const PaStreamCallbackTimeInfo *,
                        PaStreamCallbackFlags, void *self) {
        auto *me = static_cast<SoundCardInput *>(self);
        const short *s = static_cast<const short *>(in);
        std::unique_lock<std::mutex> lock(me->mutex_);
        if (me->fail_after_ > 0 && ++me->blocks_ >= me->fail_after_) {
            me->failure_ = "the sound card stopped delivering (injected fault)";
            me->ready_.notify_all();
            return paAbort;
        }
        me->room_.wait(lock, [me] { return me->queue_.size() < me->max_queued_ || me->stopped_; });
        if (s && !me->stopped_) me->queue_.insert(me->queue_.end(), s, s + n);
        me->ready_.notify_all();
        return paContinue;
    }

    // PortAudio ends a stream on its own only when the device fails.
    static void finished(void *self) {
        auto *me = static_cast<SoundCardInput *>(self);
        std::lock_guard<std::mutex> lock(me->mutex_);
        if (!me->stopped_ && me->failure_.empty()) me->failure_ = "the sound card stopped delivering";
        me->ready_.notify_all();
    }

    int rate_;
    size_t max_queued_;
    int fail_after_ = 0, blocks_ = 0;
    PaStream *stream_ = nullptr;
    bool initialised_ = false;
    mutable std::mutex mutex_;
    std::condition_variable ready_, room_;
    std::deque<short> queue_;
    bool stopped_ = false;
    std::string failure_;
};

// A file delivered as fast as it is read, then the end of the input.
class FileFeedInput : public engine::LiveInput {
public:
    FileFeedInput(std::string path, int rate) : path_(std::move(path)), rate_(rate) {}

    bool start(std::string *why) override {
        std::vector<short> raw;
        int file_rate = rate_;
        if (!engine::read_audio_file(path_, rate_, &raw, &file_rate, why)) return false;
        if (!engine::resample(raw, file_rate, rate_, &samples_)) return *why = "rate conversion failed", false;
        pos_ = 0;
        return true;
    }
    void stop() override { pos_ = samples_.size(); }
    int read(short *buf, int max, int) override {
        if (pos_ >= samples_.size()) return -1;
        int n = static_cast<int>(std::min<size_t>(max, samples_.size() - pos_));
        std::copy(samples_.begin() + pos_, samples_.begin() + pos_ + n, buf);
        pos_ += n;
        return n;
    }

private:
    std::string path_;
    int rate_;
    std::vector<short> samples_;
    size_t pos_ = 0;
};

}  // namespace

namespace engine {

std::unique_ptr<LiveInput> make_live_input(const std::string &audioin, int rate) {
    if (audioin.rfind("file:", 0) == 0) return std::make_unique<FileFeedInput>(audioin.substr(5), rate);
    return std::make_unique<SoundCardInput>(rate);
}

}  // namespace engine
