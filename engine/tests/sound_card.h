// sound_card.h - recordings and a sound card for tests on machines
// without one.
//
// alsa-lib reads ~/.asoundrc; its "file" plugin over the "null" device
// makes a default PCM that captures from one file and plays into another.
// PortAudio then opens, reads and plays it like any card, only faster than
// real time: the capture delivers the file as fast as it is read.  HOME is
// pointed at a scratch folder for the life of the object.
#ifndef HAPI_TESTS_SOUND_CARD_H
#define HAPI_TESTS_SOUND_CARD_H

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "folders_and_env.h"
#include "tempdir.h"

// The samples of a headerless 16-bit recording.
inline std::vector<short> read_raw(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<short> s;
    short v;
    while (in.read(reinterpret_cast<char *>(&v), 2)) s.push_back(v);
    return s;
}

class FileSoundCard {
public:
    // A card that works, or one whose default device cannot be opened.
    explicit FileSoundCard(bool working = true) {
        const char *home = getenv("HOME");
        had_home_ = home != nullptr;
        if (home) old_home_ = home;
        std::ofstream rc(file(".asoundrc"));
        if (working)
            rc << "pcm.!default { type file; slave.pcm \"null\"; file \"" << played_path() << "\"; infile \""
               << file("IN.raw") << "\"; format \"raw\" }\n";
        else rc << "pcm.!default { type hw; card 31 }\n";
        rc.close();
        speak({});
        set_env("HOME", dir_.path().c_str());
    }
    ~FileSoundCard() {
        if (had_home_) set_env("HOME", old_home_.c_str());
        else unset_env("HOME");
    }
    FileSoundCard(const FileSoundCard &) = delete;
    FileSoundCard &operator=(const FileSoundCard &) = delete;

    // What the card's input will deliver: 16-bit mono at the rate it is
    // opened with.  Beyond its end the plugin repeats stale samples, so
    // tests give it more than they will read.
    void speak(const std::vector<short> &samples) const {
        std::ofstream in(file("IN.raw"), std::ios::binary);
        in.write(reinterpret_cast<const char *>(samples.data()), static_cast<std::streamsize>(2 * samples.size()));
    }

    // What was played (or, after a capture, what was captured).
    std::vector<short> played() const { return read_raw(played_path()); }

    std::string played_path() const { return file("OUT.raw"); }

private:
    std::string file(const std::string &name) const { return dir_.file(name); }

    TempDir dir_;
    bool had_home_ = false;
    std::string old_home_;
};

// Speech padded with `before` and `after` seconds of silence, with white
// noise mixed in throughout at `snr_db` below the speech's mean power over
// its loud frames (no noise when snr_db is 0).
inline std::vector<short> padded_speech(const std::vector<short> &speech, double before, double after, double snr_db,
                                        int rate = 16000) {
    std::vector<short> s(static_cast<size_t>(before * rate), 0);
    s.insert(s.end(), speech.begin(), speech.end());
    s.resize(s.size() + static_cast<size_t>(after * rate), 0);
    if (snr_db == 0) return s;
    // Speech power over the frames within 20 dB of the loudest.
    std::vector<double> power;
    for (size_t i = 0; i + 160 <= speech.size(); i += 160) {
        double p = 0;
        for (size_t k = i; k < i + 160; k++) p += double(speech[k]) * speech[k];
        power.push_back(p / 160);
    }
    double loudest = 0, sum = 0;
    int n = 0;
    for (double p : power) loudest = std::max(loudest, p);
    for (double p : power)
        if (p > loudest / 100) sum += p, n++;
    double noise_rms = std::sqrt(sum / std::max(n, 1) / std::pow(10.0, snr_db / 10));
    unsigned seed = 12345;
    for (short &v : s) {
        // Sum of uniforms: near enough Gaussian, deterministic.
        double g = 0;
        for (int k = 0; k < 4; k++) g += (seed = seed * 1103515245u + 12345u) / 4294967296.0 - 0.5;
        double x = v + noise_rms * g * std::sqrt(3.0);
        v = static_cast<short>(std::max(-32768.0, std::min(32767.0, std::round(x))));
    }
    return s;
}

#endif
