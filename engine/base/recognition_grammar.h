// recognition_grammar.h - the recognition grammar a network is built
// into: the pronunciations it uses and the finite-state graph over them.
// Once built it never changes, so the network, the recogniser and every
// result made with it share one copy.
#ifndef ENGINE_BASE_RECOGNITION_GRAMMAR_H
#define ENGINE_BASE_RECOGNITION_GRAMMAR_H

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

struct Grammar {
    // One pronunciation of a dictionary word that the grammar uses.
    struct Pron {
        std::string word;      // the dictionary word's name
        std::string phones;    // blank-separated model phones
        std::string outsym;    // empty when the pronunciation has none
        bool silence = false;  // made only of the model's silence unit
        bool garbage = false;  // of a garbage word: any speech, at a price
    };
    // A transition of the decoding graph; pron -1 is a null transition.
    struct Trans {
        int from = 0, to = 0;
        float score = 0.0f;  // natural-log probability, at most 0
        int pron = -1;
    };
    std::vector<Pron> prons;
    std::vector<Trans> trans;
    int nstates = 0;
    int start = 0, final = 0;
    std::string lead_word = "<s>";       // the word standing for silence before speech
    std::string trail_word = "<s>";      // ... and after it
    std::vector<std::string> phone_set;  // the dictionary's phones; id = index + 1
    std::string silence_phone;           // the model's unit said by silence words
    // A hash of what the decoder is given (prons, trans, states), set once
    // the grammar is complete: equal grammars have equal fingerprints.
    std::uint64_t fingerprint = 0;
};

// The fingerprint of g as it stands.
std::uint64_t grammar_fingerprint(const Grammar &g);

}  // namespace engine

#endif  // ENGINE_BASE_RECOGNITION_GRAMMAR_H
