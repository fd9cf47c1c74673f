#include "audio.h"

// The alert player arrives with the sound module; until then the slots stay silent.
void PlayAlert(std::int16_t) {}
