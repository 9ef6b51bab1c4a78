// quiet.cpp - keeping the audio back ends off standard error.
#include "audio/sound_io.h"

#ifdef _WIN32

namespace engine {

// PortAudio's WinMM back end writes nothing to standard error.
void quietly(const std::function<void()> &open) { open(); }

}  // namespace engine

#else

#include <alsa/asoundlib.h>
#include <jack/jack.h>

namespace {

void alsa_says_nothing(const char *, int, const char *, int, const char *, ...) {}
void jack_says_nothing(const char *) {}

}  // namespace

namespace engine {

void quietly(const std::function<void()> &open) {
    snd_lib_error_handler_t alsa = snd_lib_error;
    void (*jack_error)(const char *) = jack_error_callback;
    void (*jack_info)(const char *) = jack_info_callback;
    snd_lib_error_set_handler(alsa_says_nothing);
    jack_set_error_function(jack_says_nothing);
    jack_set_info_function(jack_says_nothing);
    open();
    snd_lib_error_set_handler(alsa);
    jack_set_error_function(jack_error);
    jack_set_info_function(jack_info);
}

}  // namespace engine

#endif  // _WIN32
