#pragma once
// Music: one piece (MP3, Ogg Vorbis, FLAC, WAV) streamed from its file, with
// optional looping, seeking, playback rate, volume and balance. Looping is
// done by polling: the owner calls Process once per frame and the piece starts
// again from 0 once its position has reached the length measured by Init.
//
// Positions and the length are in milliseconds; volume and balance in
// hundredths of a decibel (volume 0 full, -10000 silent; balance -10000 left
// only ... 10000 right only). The music plays on the sound manager's audio
// device, or opens it itself when the sound manager is not running.

#include "aeClock.h"

class aeAudioStream;

class aeMusic
{
public:
    aeMusic();
    ~aeMusic();
    aeMusic(const aeMusic&) = delete;
    aeMusic& operator=(const aeMusic&) = delete;

    // Opens the file (a path as the system writes it, relative to the working
    // directory) and measures its length; nothing is decoded yet.
    int Init(const char* filename);

    // From 0; loop sets looping.
    int Play(int loop);
    int Pause();
    // Keeps the position.
    int Stop();
    // Starts a looping piece again at its end; once per frame.
    int Process();
    // 0 stopped, 1 paused, 2 running.
    long GetState();

    int SetCurrentPosition(DWORD ms);
    // -1 on failure.
    int GetCurrentPosition();
    int SetPlaybackRate(float rate);
    // -1.0 on failure.
    float GetPlaybackRate();
    void SetVolume(long volume);
    long GetVolume();
    void SetPan(long pan);
    long GetPan();
    void SetLooping(int looping) { m_bLooping = looping ? 1 : 0; }
    int IsLooping() const { return m_bLooping; }
    int IsPlaying() const { return m_bPlaying; }
    DWORD GetDuration() const { return m_dwDuration; }
    // The stream underneath (tests look at its device and queue).
    aeAudioStream* GetStream() const { return m_pStream; }

private:
    aeAudioStream* m_pStream;
    int m_bPlaying;
    int m_bLooping;
    DWORD m_dwDuration;
    long m_lVolume;
    long m_lPan;
};
