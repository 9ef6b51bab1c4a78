// decoder.h - the PocketSphinx decoders made for an acoustic model.
//
// Recognition runs on PocketSphinx.  The coder turns samples into
// normalised cepstra itself, so that a file decoded whole or in steps sees
// the same features; the decoders are given those cepstra with their own
// normalisation and silence removal off.
#ifndef ENGINE_DECODING_DECODER_H
#define ENGINE_DECODING_DECODER_H

#include "base/defaults.h"
#include "base/model.h"

typedef struct ps_decoder_s ps_decoder_t;

namespace engine {

// The decoder's beams are natural-log widths: GENBEAM scales its main and
// phone beams, GOPTBEAM its word-exit beam, so that the defaults give
// PocketSphinx's own (-beam and -pbeam 1e-48, -wbeam 7e-29).
inline double decoder_beam(double genbeam) { return genbeam * (110.52 / kDefaultGenbeam); }
inline double decoder_word_beam(double goptbeam) { return goptbeam * (64.83 / kDefaultGoptbeam); }

// A decoder for the model with the given beams (natural-log widths);
// null on failure.  Its own silence removal and normalisation are off.
ps_decoder_t *make_decoder(const Model &m, double beam, double word_beam);

// Converts a score of the decoder's grammar search to a natural log.
double decoder_score_to_ln(ps_decoder_t *ps, int score);

}  // namespace engine

#endif  // ENGINE_DECODING_DECODER_H
