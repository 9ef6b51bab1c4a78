// sound_file.cpp - waveform files: libsndfile formats, headerless .raw
// files, and rate conversion with libsamplerate.
#include "audio/sound_io.h"
#include "base/config.h"
#include "base/defaults.h"
#include "base/files.h"

#include <samplerate.h>
#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

// The longest recording a file may hold, in seconds.
double max_file_seconds() { return engine::conf_float("MAXFILETIME", engine::kDefaultMaxFileTime); }

bool too_long(double frames, int rate, std::string *why) {
    double limit = max_file_seconds();
    if (frames <= limit * rate) return false;
    char text[96];
    snprintf(text, sizeof text, "longer than %.0f s (MAXFILETIME)", limit);
    *why = text;
    return true;
}

bool has_raw_extension(const std::string &path) {
    return path.size() > 4 && engine::same_ignoring_case(path.c_str() + path.size() - 4, ".raw");
}

bool read_raw(const std::string &path, long long size, int rate, std::vector<short> *samples, std::string *why) {
    if (too_long(static_cast<double>(size) / 2, rate, why)) return false;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return *why = "cannot open", false;
    std::vector<unsigned char> bytes;
    unsigned char block[65536];
    size_t got;
    while ((got = fread(block, 1, sizeof block, f)) > 0) bytes.insert(bytes.end(), block, block + got);
    bool failed = ferror(f);
    fclose(f);
    if (failed) return *why = "read error", false;
    if (bytes.size() % 2 != 0) return *why = "odd number of bytes in 16-bit samples", false;
    samples->resize(bytes.size() / 2);
    for (size_t i = 0; i < samples->size(); i++)
        (*samples)[i] = static_cast<short>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return true;
}

// Reads every frame as floats, the channels mixed down to their mean, so
// that integer and floating-point files of any width come in at the level
// they sound at and speech on any channel is heard.  Stops past most
// frames, whatever the header said.
bool read_mixed(SNDFILE *sf, int channels, double most, std::vector<float> *mixed) {
    const sf_count_t block = 4096;
    std::vector<float> frames(static_cast<size_t>(channels) * block);
    sf_count_t got;
    while (static_cast<double>(mixed->size()) <= most && (got = sf_readf_float(sf, frames.data(), block)) > 0)
        for (sf_count_t i = 0; i < got; i++) {
            float sum = 0.0f;
            for (int c = 0; c < channels; c++) sum += frames[static_cast<size_t>(i * channels + c)];
            mixed->push_back(sum / static_cast<float>(channels));
        }
    return sf_error(sf) == SF_ERR_NO_ERROR;
}

// Full scale is 1.0.  Floating-point files may go beyond it (some programs
// write them at the scale of 16-bit integers): such a file is scaled down
// to fit rather than clipped into noise.
void to_short(const std::vector<float> &in, std::vector<short> *out) {
    float peak = 0.0f;
    for (float x : in) peak = std::max(peak, std::fabs(x));
    float scale = peak > 1.0f ? 32767.0f / peak : 32768.0f;
    out->resize(in.size());
    for (size_t i = 0; i < in.size(); i++) {
        float v = std::nearbyint(in[i] * scale);
        (*out)[i] = static_cast<short>(std::min(32767.0f, std::max(-32768.0f, v)));
    }
}

bool read_sndfile(const std::string &path, std::vector<short> *samples, int *rate, std::string *why) {
    SF_INFO info{};
    SNDFILE *sf = sf_open(path.c_str(), SFM_READ, &info);
    if (!sf) return *why = sf_strerror(nullptr), false;
    if (info.channels < 1 || info.samplerate < 1000 || info.samplerate > 384000 || info.frames < 0) {
        sf_close(sf);
        return *why = "implausible format", false;
    }
    if (too_long(static_cast<double>(info.frames), info.samplerate, why)) {
        sf_close(sf);
        return false;
    }
    std::vector<float> mixed;
    double most = max_file_seconds() * info.samplerate;
    bool ok = read_mixed(sf, info.channels, most, &mixed);
    if (!ok) *why = sf_strerror(sf);
    sf_close(sf);
    if (!ok || too_long(static_cast<double>(mixed.size()), info.samplerate, why)) return false;
    to_short(mixed, samples);
    *rate = info.samplerate;
    return true;
}

// A WAV file made in memory, through libsndfile's virtual I/O.
struct MemoryFile {
    std::string bytes;
    sf_count_t at = 0;

    static MemoryFile *of(void *data) { return static_cast<MemoryFile *>(data); }
    static SF_VIRTUAL_IO io() {
        SF_VIRTUAL_IO v{};
        v.get_filelen = [](void *d) { return static_cast<sf_count_t>(of(d)->bytes.size()); };
        v.seek = [](sf_count_t offset, int whence, void *d) {
            MemoryFile *f = of(d);
            sf_count_t base = whence == SEEK_SET ? 0
                : whence == SEEK_CUR             ? f->at
                                                 : static_cast<sf_count_t>(f->bytes.size());
            f->at = std::max<sf_count_t>(0, base + offset);
            return f->at;
        };
        v.read = [](void *ptr, sf_count_t count, void *d) {
            MemoryFile *f = of(d);
            sf_count_t size = static_cast<sf_count_t>(f->bytes.size());
            sf_count_t got = std::max<sf_count_t>(0, std::min(count, size - f->at));
            if (got > 0) memcpy(ptr, f->bytes.data() + f->at, static_cast<size_t>(got));
            f->at += got;
            return got;
        };
        v.write = [](const void *ptr, sf_count_t count, void *d) {
            MemoryFile *f = of(d);
            size_t end = static_cast<size_t>(f->at + count);
            if (f->bytes.size() < end) f->bytes.resize(end);
            memcpy(&f->bytes[static_cast<size_t>(f->at)], ptr, static_cast<size_t>(count));
            f->at += count;
            return count;
        };
        v.tell = [](void *d) { return of(d)->at; };
        return v;
    }
};

}  // namespace

namespace engine {

bool read_audio_file(const std::string &path, int raw_rate, std::vector<short> *samples, int *rate, std::string *why) {
    // Opening a FIFO would wait for a writer, and a device such as
    // /dev/zero never ends: only regular files are read.
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return *why = strerror(errno), false;
    if (!S_ISREG(st.st_mode)) return *why = "not a regular file", false;
    if (has_raw_extension(path)) {
        *rate = raw_rate;
        return read_raw(path, st.st_size, raw_rate, samples, why);
    }
    return read_sndfile(path, samples, rate, why);
}

bool resample(const std::vector<short> &in, int from, int to, std::vector<short> *out) {
    if (from == to || in.empty()) {
        *out = in;
        return true;
    }
    std::vector<float> fin(in.size());
    src_short_to_float_array(in.data(), fin.data(), static_cast<int>(in.size()));
    double ratio = static_cast<double>(to) / from;
    std::vector<float> fout(static_cast<size_t>(in.size() * ratio) + 16);
    SRC_DATA d{};
    d.data_in = fin.data();
    d.data_out = fout.data();
    d.input_frames = static_cast<long>(fin.size());
    d.output_frames = static_cast<long>(fout.size());
    d.src_ratio = ratio;
    if (src_simple(&d, SRC_SINC_MEDIUM_QUALITY, 1) != 0) return false;
    out->resize(static_cast<size_t>(d.output_frames_gen));
    src_float_to_short_array(fout.data(), out->data(), static_cast<int>(out->size()));
    return true;
}

bool write_wav(const std::string &path, const short *samples, size_t n, int rate, std::string *why) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    MemoryFile file;
    SF_VIRTUAL_IO io = MemoryFile::io();
    SNDFILE *sf = sf_open_virtual(&io, SFM_WRITE, &info, &file);
    if (!sf) return *why = sf_strerror(nullptr), false;
    bool ok = sf_write_short(sf, samples, static_cast<sf_count_t>(n)) == static_cast<sf_count_t>(n);
    if (sf_close(sf) != 0 || !ok) return *why = "cannot encode the samples", false;
    // Written beside the file and renamed over it, so that a full disk
    // leaves the file it would replace as it was.
    return write_file_atomically(path, file.bytes, why);
}

}  // namespace engine
