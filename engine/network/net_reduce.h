// net_reduce.h - making a network's graph small before the decoder gets
// it: the decoder's work per frame grows with the word transitions that
// can be active at once.
#ifndef ENGINE_NETWORK_NET_REDUCE_H
#define ENGINE_NETWORK_NET_REDUCE_H

#include "base/recognition_grammar.h"

#include <cstddef>

namespace engine {

// The most transitions a network's graph may have at any stage; a bigger
// grammar is refused rather than taking the machine's memory.
const size_t kMaxTransitions = 4000000;

// Removes the null transitions: every state that begins a word (the
// start, and the end of every word) is joined straight to the words it
// reaches through null transitions, with the best score along the way.
// Only null transitions into the final state remain.  Of a word that
// leads from a state to two states where the first reaches the second
// through null transitions at no loss, only the first is kept.  False,
// with g as it was, when the folded graph would have more than
// max_transitions transitions.
bool fold_null_transitions(Grammar *g, size_t max_transitions = kMaxTransitions);

// Drops the states that the start does not reach or that do not reach
// the final state, then merges states with the same future (the same
// words leading to states with the same future, with the same scores).
// The word strings accepted, and the best score of each, stay the same.
void merge_equal_futures(Grammar *g);

// The transitions to give the decoder, which keeps a tree of the words
// that leave each state: a choice of at least min_words words that two or
// more states offer alike (the same words to the same states with the
// same scores, as a word loop offers its words from the start and again
// after every word) leaves, once, a state of its own, which those states
// reach by a null transition.  New states are numbered from g.nstates on;
// *nstates answers the count.  The word strings and their scores stay the
// same.
std::vector<Grammar::Trans> share_word_choices(const Grammar &g, size_t min_words, int *nstates);

// When a single state leads to the final state, by a null transition that
// costs nothing, and nothing leaves the final state, makes that state the
// final one.  The decoder puts its silence and noise loops on every state,
// so the extra final state had the trailing silence searched twice.
void end_on_last_words(Grammar *g);

}  // namespace engine

#endif  // ENGINE_NETWORK_NET_REDUCE_H
