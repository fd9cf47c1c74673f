#pragma once
// The sounds of the alert slots.
#include <cstdint>

// Plays the sound configured for the audio slot, unless all audio is muted.
void PlayAlert(std::int16_t iSlot);
