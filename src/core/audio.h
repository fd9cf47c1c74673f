#pragma once
// Every sound of the program: the athans, the start-up and reminder sounds, the recitations of
// the menus and the previews of the preferences dialog, and the switch that mutes them all.
//
// Audio slots: 0..4 the athans of Fajr, Dhuhr, Asr, Maghrib and Ishaa, 5 the start-up
// recitation, 6 the start-up sound, 7 the reminder sound, 8 the reminder recitation.
#include <QString>
#include <cstdint>
#include <functional>

// How recordings and files are played: asynchronously, never waiting for a busy device, and
// with no sound of the system's in place of one that is missing.
constexpr std::uint32_t kResourcePlayFlags = 0x42007;
constexpr std::uint32_t kFilePlayFlags = 0x22003;

// Plays the sound configured for the audio slot, unless all audio is muted.
void PlayAlert(std::int16_t iSlot);

// Plays position iSelection of the slot's built-in list (the position after the last entry
// draws one at random). Nonzero when the sound started; 0 when it did not or the slot or
// position has no entry. Plays even when muted (the preferences dialog previews through it).
std::int16_t PlayBuiltInSound(std::int16_t iSlot, std::int16_t iSelection);

// The recording at a position of the slot's built-in list; "" for the random position and for
// positions and slots without an entry. Slots 5 and 8 use the recitation list.
QString BuiltInSoundName(std::int16_t iSlot, std::int16_t iSelection);
// The number of entries of the slot's built-in list (its random position); 0 for no list.
std::int16_t BuiltInSoundCount(std::int16_t iSlot);

// Plays a random *.wav file of the folder; beeps when there is none or it cannot be played.
// Plays even when muted.
void PlayRandomWavFromFolder(const QString& sFolder);

// The system's default beep.
void PlayFallbackBeep();

// Previews (the preferences dialog and its sound-file dialog): PlayPreview runs play and notes
// the sound it started, if any; StopPreviewSound stops that sound only while it is still the
// one playing, so an athan or reminder that has taken its place plays on.
void PlayPreview(const std::function<void()>& play);
void StopPreviewSound();

// The recitation list (0..21), the verses menu and the sura menu (0..11).
QString RecitationResourceName(std::int16_t iIndex);
QString AyaatResourceName(std::int16_t iIndex);
QString SuraResourceName(std::int16_t iIndex);

// Play the recording of the table when bForce is nonzero or audio is not muted. PlayRecitation
// returns nonzero when the sound started, 0 when it did not or was muted.
std::int16_t PlayRecitation(std::int16_t iIndex, std::int16_t bForce);
void PlayAyaat(std::int16_t iIndex, std::int16_t bForce);
void PlaySura(std::int16_t iIndex, std::int16_t bForce);

// 1 mutes everything (stopping the sound now playing), 0 turns audio back on; any other value
// does nothing. Stores "MuteAll", and brings the main window's toolbar, tray icon and menu
// check in line.
void SetMuteAll(std::int16_t iMute);
