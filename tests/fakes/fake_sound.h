#pragma once
// A sound backend for tests: records every PlaySoundA call and every beep, plays nothing, and
// answers as told. Constructing one installs it; destroying it puts the ALSA player back.
#include "platform/sound.h"

#include <QSet>
#include <QString>
#include <QVector>

class FakeSound : public platform::SoundBackend {
public:
    struct Call {
        QString name;
        HANDLE hmod = 0;
        DWORD flags = 0;
        bool operator==(const Call&) const = default;
    };

    FakeSound();
    ~FakeSound() override;
    FakeSound(const FakeSound&) = delete;
    FakeSound& operator=(const FakeSound&) = delete;

    BOOL play(const QString& name, HANDLE hmod, DWORD flags) override;
    void beep() override;
    bool isPlaying() override { return playing_; }

    // What the code asked for, in order (stop calls included, with an empty name).
    const QVector<Call>& calls() const { return calls_; }
    int beeps() const { return beeps_; }
    // The sound that started last, or "" when none did or it was stopped since.
    QString playingName() const { return playing_ ? playingName_ : QString(); }
    void clear();

    // Names for which play() answers FALSE (a missing or broken recording or file).
    QSet<QString> failingNames;
    // When false, every play() of a sound answers FALSE (no sound device).
    bool deviceAvailable = true;

private:
    QVector<Call> calls_;
    int beeps_ = 0;
    bool playing_ = false;
    QString playingName_;
};
