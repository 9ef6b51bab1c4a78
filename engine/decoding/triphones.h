// triphones.h - which states (senones) of the model a phone has in each
// context: the model definition's whole table, read once at loading, so
// that a phone can be scored the way the decoder heard it, between its
// neighbours, and so can every phone that might have been said instead.
#ifndef ENGINE_DECODING_TRIPHONES_H
#define ENGINE_DECODING_TRIPHONES_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace engine {

class Triphones {
public:
    static constexpr int kStates = 3;
    using States = std::array<int, kStates>;
    // Where a phone stands in its word; the model has separate states for each.
    enum Position { kInternal = 0, kBegin = 1, kEnd = 2, kSingle = 3 };

    // Reads the model definition file (binary or text) whose
    // context-independent phones are `phones`.  False, with the reason,
    // when it cannot be read, does not list those phones, or has phones
    // of other than three states.
    bool read(const std::string &path, const std::vector<std::string> &phones, std::string *why);

    int senones() const { return senones_; }
    // The context-independent phone whose states `senone` belongs to.
    int phone_of(int senone) const { return phone_of_[static_cast<size_t>(senone)]; }
    // The states of `phone` between `left` and `right` (phone indices) at
    // `pos`; its context-independent states when the model has no such
    // triphone.
    States states(int phone, int left, int right, Position pos) const;

private:
    static uint32_t key(int phone, int left, int right, int pos) {
        return (static_cast<uint32_t>(phone) << 20) | (static_cast<uint32_t>(left) << 10) |
            (static_cast<uint32_t>(right) << 2) | static_cast<uint32_t>(pos);
    }
    bool add(int phone, int left, int right, int pos, const States &s, std::string *why);
    bool read_binary(const std::string &path, std::string *why);
    bool read_text(const std::string &path, std::string *why);
    bool finish(std::string *why);

    int n_ci_ = 0, senones_ = 0;
    std::vector<std::string> names_;
    std::vector<States> ci_;                       // each phone's own states
    std::vector<std::pair<uint32_t, States>> cd_;  // sorted by key
    std::vector<int> phone_of_;
};

}  // namespace engine

#endif  // ENGINE_DECODING_TRIPHONES_H
