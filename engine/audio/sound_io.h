// sound_io.h - reading and writing waveform files and capturing live input.
#ifndef ENGINE_AUDIO_SOUND_IO_H
#define ENGINE_AUDIO_SOUND_IO_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace engine {

// Reads a waveform file into 16-bit mono samples: every sample format
// libsndfile reads (integer of any width, floating point, mu-law, ...)
// at the level it sounds, with several channels mixed down to one.  A
// file named *.raw is headerless 16-bit little-endian mono at raw_rate.  False, with the reason, when the file
// cannot be read or is malformed.
bool read_audio_file(const std::string &path, int raw_rate, std::vector<short> *samples, int *rate, std::string *why);

// Converts samples from one rate to another (a copy when they agree).
bool resample(const std::vector<short> &in, int from, int to, std::vector<short> *out);

// Writes 16-bit mono samples as a WAV file, whole or not at all (a file it
// replaces is kept on failure); false with the reason in *why.
bool write_wav(const std::string &path, const short *samples, size_t n, int rate, std::string *why);

// A stream of samples from the live input, filled while started.
class LiveInput {
public:
    static constexpr int kEnded = -1, kFailed = -2;
    virtual ~LiveInput() = default;
    virtual bool start(std::string *why) = 0;
    virtual void stop() = 0;
    // Copies up to max samples, waiting up to wait_ms for the first.
    // Answers the count (0 when none came in time), kEnded when the input
    // has ended and everything it gave has been read, or kFailed when the
    // device failed (failure() says how) and everything before was read.
    virtual int read(short *buf, int max, int wait_ms) = 0;
    virtual std::string failure() const { return ""; }
};

// Runs `open` with alsa-lib's and JACK's messages to standard error
// turned off, since probing the audio back ends prints dozens of lines
// on machines without a given card; a failure is reported by the caller.
void quietly(const std::function<void()> &open);

// The live input named by AUDIOIN: "" or "default" for the sound card's
// default input, "file:NAME" for a file fed through as if spoken.
std::unique_ptr<LiveInput> make_live_input(const std::string &audioin, int rate);

}  // namespace engine

#endif  // ENGINE_AUDIO_SOUND_IO_H
