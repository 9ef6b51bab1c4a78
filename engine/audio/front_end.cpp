// front_end.cpp - cepstra, their normalisation, and the speech/silence
// marking of live frames.
#include "audio/f0_tracker.h"
#include "audio/front_end.h"
#include "base/model.h"
#include "base/utterance.h"

#include <pocketsphinx.h>
#include <sphinxbase/fe.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

// How many frames' worth of weight the prior mean has in the live mean.
const double kPriorFrames = 20.0;
// Frames quieter than this (all samples 0 or +-1) are digital silence.
const double kDigitalSilenceDb = 1.0;
// A frame is speech when it is louder than this in absolute terms (16-bit
// full scale ~ 90 dB) and either louder than the background by a margin
// that grows with how much the background itself varies (steady noise
// barely, a room's rumble and breath by 20 dB)...
const double kSpeechMinimumDb = 30.0;
const double kLeastMarginDb = 6.0, kMostMarginDb = 20.0;
const double kMarginPerSpread = 3.0;
// How quickly the background's spread follows non-speech frames.
const double kSpreadWeight = 0.05;
// ... or voiced (periodic) and this much louder: in noise, voicing is
// what sets speech apart from the background.
const double kVoicedAboveFloorDb = 5.0;
const double kVoicedPeriodicity = 0.45;
// How fast the background estimate may rise, per frame, and the lowest it
// goes: no room is quieter.
const double kFloorRiseDb = 0.02;
const double kQuietestFloorDb = 25.0;

double frame_db(const short *s, int n) {
    if (n <= 0) return 0.0;
    double e = 0.0;
    for (int i = 0; i < n; i++) e += static_cast<double>(s[i]) * s[i];
    return 10.0 * log10(e / n + 1.0);
}

// Whether frame k holds digital silence (a gated card, an edited
// recording's padding): it says nothing about the channel, and in the
// cepstral mean it would drag every frame of speech far off.
bool digital_silence(const engine::Utterance &u, int k) {
    size_t from = static_cast<size_t>(k) * u.samples_per_frame;
    size_t len = from >= u.samples.size() ? 0 : std::min<size_t>(u.samples_per_frame, u.samples.size() - from);
    return frame_db(u.samples.data() + from, static_cast<int>(len)) < kDigitalSilenceDb;
}

}  // namespace

namespace engine {

FrontEnd::FrontEnd(const Model &m) : rate_(m.samprate) {
    config_ = cmd_ln_init(nullptr, ps_args(), FALSE, "-remove_silence", "no", "-samprate",
                          std::to_string(m.samprate).c_str(), "-frate", std::to_string(m.frate).c_str(), nullptr);
    if (!config_) return;
    if (!m.feat_params.empty()) cmd_ln_parse_file_r(config_, ps_args(), m.feat_params.c_str(), FALSE);
    fe_ = fe_init_auto_r(config_);
    if (fe_ && fe_get_output_size(fe_) != Utterance::kCepLen) {
        fe_free(fe_);
        fe_ = nullptr;
    }
    prior_.assign(Utterance::kCepLen, 0.0);
    if (cmd_ln_exists_r(config_, "-cmninit") && cmd_ln_str_r(config_, "-cmninit")) {
        std::stringstream in(cmd_ln_str_r(config_, "-cmninit"));
        std::string item;
        for (int k = 0; k < Utterance::kCepLen && std::getline(in, item, ','); k++) prior_[k] = atof(item.c_str());
    }
}

FrontEnd::~FrontEnd() {
    if (fe_) fe_free(fe_);
    if (config_) cmd_ln_free_r(config_);
}

// A front end carries the last samples of one utterance into the next
// (its pre-emphasis filter), so each utterance gets a fresh one: the same
// samples then always give the same frames.
bool FrontEnd::renew() {
    if (fe_) fe_free(fe_);
    fe_ = fe_init_auto_r(config_);
    return fe_ != nullptr;
}

bool FrontEnd::whole(Utterance *u) {
    u->cep.clear();
    u->speech.clear();
    if (!renew()) return false;
    if (u->samples.empty()) return u->complete = true;
    size_t n = u->samples.size();
    int nframes = 0;
    if (fe_process_frames(fe_, nullptr, &n, nullptr, &nframes, nullptr) < 0) return false;
    nframes += 2;
    std::vector<float> block(static_cast<size_t>(nframes) * Utterance::kCepLen);
    std::vector<float *> rows(nframes);
    for (int k = 0; k < nframes; k++) rows[k] = block.data() + static_cast<size_t>(k) * Utterance::kCepLen;
    const short *p = u->samples.data();
    n = u->samples.size();
    int got = nframes;
    if (fe_start_utt(fe_) < 0 || fe_process_frames(fe_, &p, &n, rows.data(), &got, nullptr) < 0) return false;
    int last = 0;
    if (got < nframes && fe_end_utt(fe_, rows[got], &last) < 0) return false;
    got += last;
    // The mean of the frames that are not digital silence (of all of them
    // when every one is).
    std::vector<double> mean(Utterance::kCepLen, 0.0);
    int counted = 0;
    for (int pass = 0; pass < 2 && counted == 0; pass++)
        for (int k = 0; k < got; k++) {
            if (pass == 0 && digital_silence(*u, k)) continue;
            counted++;
            for (int j = 0; j < Utterance::kCepLen; j++) mean[j] += rows[k][j];
        }
    for (int k = 0; k < got; k++)
        for (int j = 0; j < Utterance::kCepLen; j++) rows[k][j] -= static_cast<float>(mean[j] / counted);
    u->cep.assign(block.begin(), block.begin() + static_cast<size_t>(got) * Utterance::kCepLen);
    u->speech.assign(got, 1);
    return u->complete = true;
}

bool FrontEnd::start(Utterance *u) {
    u->cep.clear();
    u->speech.clear();
    u->samples.clear();
    u->complete = false;
    sum_.assign(Utterance::kCepLen, 0.0);
    live_frames_ = 0;
    floor_db_ = -1.0;
    was_periodic_ = false;
    spread_db_ = kMostMarginDb / kMarginPerSpread;
    return renew() && fe_start_utt(fe_) >= 0;
}

bool FrontEnd::feed(Utterance *u, const short *s, int n) {
    u->samples.insert(u->samples.end(), s, s + n);
    size_t left = static_cast<size_t>(n);
    while (left > 0) {
        int room = static_cast<int>(left / u->samples_per_frame) + 2;
        std::vector<float> block(static_cast<size_t>(room) * Utterance::kCepLen);
        std::vector<float *> rows(room);
        for (int k = 0; k < room; k++) rows[k] = block.data() + static_cast<size_t>(k) * Utterance::kCepLen;
        int got = room;
        size_t before = left;
        if (fe_process_frames(fe_, &s, &left, rows.data(), &got, nullptr) < 0) return false;
        append_frames(u, rows.data(), got);
        if (left == before && got == 0) break;
    }
    return true;
}

bool FrontEnd::finish(Utterance *u) {
    std::vector<float> row(Utterance::kCepLen);
    float *rows[1] = {row.data()};
    int last = 0;
    if (fe_end_utt(fe_, row.data(), &last) < 0) return false;
    append_frames(u, rows, last);
    u->complete = true;
    return true;
}

void FrontEnd::append_frames(Utterance *u, float **rows, int n) {
    int first = u->frames();
    for (int k = 0; k < n; k++) {
        bool silent = digital_silence(*u, first + k);
        if (!silent) live_frames_++;
        for (int j = 0; j < Utterance::kCepLen; j++) {
            if (!silent) sum_[j] += rows[k][j];
            double mean = (prior_[j] * kPriorFrames + sum_[j]) / (kPriorFrames + live_frames_);
            u->cep.push_back(static_cast<float>(rows[k][j] - mean));
        }
    }
    mark_speech(u, first);
}

// Marks each new frame as speech or not by its loudness against a
// background level that follows the quietest frames.
void FrontEnd::mark_speech(Utterance *u, int first) {
    int spf = u->samples_per_frame;
    for (int k = first; k < u->frames(); k++) {
        size_t from = static_cast<size_t>(k) * spf;
        int n = from >= u->samples.size() ? 0 : static_cast<int>(std::min<size_t>(spf, u->samples.size() - from));
        double db = frame_db(u->samples.data() + from, n);
        // Digital silence says nothing about the room.
        if (db < kDigitalSilenceDb) {
            u->speech.push_back(0);
            was_periodic_ = false;
            continue;
        }
        if (floor_db_ < 0.0 || db < floor_db_) floor_db_ = std::max(db, kQuietestFloorDb);
        else floor_db_ += kFloorRiseDb;
        if (db <= kSpeechMinimumDb) {
            u->speech.push_back(0);
            spread_db_ += kSpreadWeight * (db - floor_db_ - spread_db_);
            was_periodic_ = false;
            continue;
        }
        double margin = std::min(kMostMarginDb, std::max(kLeastMarginDb, kMarginPerSpread * spread_db_));
        bool loud = db > floor_db_ + margin;
        // A vowel is periodic for several frames running; breath and
        // rumble only now and then.
        bool periodic = pitch::periodicity(u->samples.data(), static_cast<int>(u->samples.size()),
                                           static_cast<int>(from) + spf / 2, rate_) >= kVoicedPeriodicity;
        bool speech = loud || (periodic && was_periodic_ && db > floor_db_ + kVoicedAboveFloorDb);
        u->speech.push_back(speech ? 1 : 0);
        was_periodic_ = periodic;
        if (!speech) spread_db_ += kSpreadWeight * ((db - floor_db_) - spread_db_);
    }
}

}  // namespace engine
