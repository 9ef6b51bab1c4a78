// live_input.cpp - the live input: the sound card through PortAudio, or a
// file fed through the same path.
#include "audio/sound_io.h"

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
    explicit SoundCardInput(int rate) : rate_(rate) {}
    ~SoundCardInput() override { stop(); }

    bool start(std::string *why) override {
        PaError e = Pa_Initialize();
        if (e != paNoError) return *why = Pa_GetErrorText(e), false;
        initialised_ = true;
        e = Pa_OpenDefaultStream(&stream_, 1, 0, paInt16, rate_, 160, &SoundCardInput::callback, this);
        if (e == paNoError) e = Pa_StartStream(stream_);
        if (e != paNoError) {
            *why = Pa_GetErrorText(e);
            stop();
            return false;
        }
        return true;
    }

    void stop() override {
        if (stream_) {
            Pa_StopStream(stream_);
            Pa_CloseStream(stream_);
            stream_ = nullptr;
        }
        if (initialised_) Pa_Terminate();
        initialised_ = false;
        std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
        ready_.notify_all();
    }

    int read(short *buf, int max, int wait_ms) override {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait_for(lock, std::chrono::milliseconds(wait_ms), [this] { return !queue_.empty() || stopped_; });
        if (queue_.empty()) return stopped_ ? -1 : 0;
        int n = std::min(max, static_cast<int>(queue_.size()));
        std::copy(queue_.begin(), queue_.begin() + n, buf);
        queue_.erase(queue_.begin(), queue_.begin() + n);
        return n;
    }

private:
    static int callback(const void *in, void *, unsigned long n, const PaStreamCallbackTimeInfo *,
                        PaStreamCallbackFlags, void *self) {
        auto *me = static_cast<SoundCardInput *>(self);
        const short *s = static_cast<const short *>(in);
        std::lock_guard<std::mutex> lock(me->mutex_);
        if (s) me->queue_.insert(me->queue_.end(), s, s + n);
        me->ready_.notify_all();
        return paContinue;
    }

    int rate_;
    PaStream *stream_ = nullptr;
    bool initialised_ = false;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<short> queue_;
    bool stopped_ = false;
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
