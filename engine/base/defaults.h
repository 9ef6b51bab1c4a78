// defaults.h - the recogniser's configuration keys when the configuration
// leaves them out.
#ifndef ENGINE_BASE_DEFAULTS_H
#define ENGINE_BASE_DEFAULTS_H

namespace engine {

constexpr float kDefaultGenbeam = 150.0f;
constexpr float kDefaultGoptbeam = 25.0f;
constexpr int kDefaultSilseqcount = 100;
constexpr int kDefaultNbest = 1;
constexpr int kDefaultNtoks = 1;
constexpr float kDefaultMaxUttTime = 30.0f;

}  // namespace engine

#endif  // ENGINE_BASE_DEFAULTS_H
