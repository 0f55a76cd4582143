#pragma once
// A piece of music streamed from its file: libsndfile decodes it (MP3, Ogg
// Vorbis, FLAC, WAV and the other formats it reads) a little at a time into
// the queue of an OpenAL source, topped up by a feeder thread of the stream's
// own. Opening reads only the file's headers; the output always is stereo.
//
// Positions are in frames of the file; states are those of a media player:
// stopped, paused (the queue is primed, nothing sounds) and running. A running
// stream that reached the end of its file stays running and reports its length
// as position.

#include "aeWinTypes.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class aeAudioDevice;

class aeAudioStream
{
public:
    enum State
    {
        kStopped = 0,
        kPaused = 1,
        kRunning = 2
    };

    // Opens path (a path of the system: backslashes, Windows-1252) on the
    // shared audio device. Null on failure, with the reason in *reason
    // (German). *fellBack as in aeAudioDevice::Acquire.
    static aeAudioStream* Open(const char* path, std::string* reason, int* fellBack);
    // Stops the feeder thread and releases the file, the source and the device.
    ~aeAudioStream();
    aeAudioStream(const aeAudioStream&) = delete;
    aeAudioStream& operator=(const aeAudioStream&) = delete;

    long long GetLength() const { return m_llFrames; }
    int GetSampleRate() const { return m_iRate; }
    int GetChannels() const { return m_iChannels; }

    HRESULT Run();
    HRESULT Pause();
    // Keeps the position.
    HRESULT Stop();
    State GetState();

    // Absolute position in frames, clamped to the length.
    HRESULT Seek(long long frame);
    HRESULT GetPosition(long long* frame);

    // Speed factor (and with it the pitch); 1 is normal.
    HRESULT SetRate(double rate);
    double GetRate() const { return m_dRate; }
    // Attenuation in hundredths of a decibel (0 full, -10000 silent).
    HRESULT SetVolume(long volume);
    long GetVolume() const { return m_lVolume; }
    // Balance in hundredths of a decibel: negative values attenuate the right
    // channel, positive ones the left. Applies to what is decoded from now on.
    HRESULT SetBalance(long balance);
    long GetBalance() const { return m_lBalance; }

    // Times the source ran dry while it should have played.
    int GetUnderruns() const { return m_iUnderruns; }
    aeAudioDevice* GetDevice() const { return m_pDevice; }

    // Queue length: buffers and frames per buffer.
    static const int kNumBuffers = 6;

private:
    friend class aeAudioDevice;
    aeAudioStream();
    // Called with the device's stream list locked, on the rendering thread.
    void TopUp();
    // The following run with m_Mutex held.
    void Fill();
    int Decode(short* out);
    void Flush();
    void Prime();
    long long PositionLocked();
    void StartFeeder();
    void StopFeeder();
    void FeederMain();

    aeAudioDevice* m_pDevice;
    void* m_pFile;
    int m_iRate;
    int m_iChannels;
    long long m_llFrames;
    int m_iFramesPerBuffer;
    short* m_pDecoded;
    short* m_pStereo;

    unsigned m_uiSource;
    unsigned m_auiBuffers[kNumBuffers];
    // Buffers not in the queue.
    unsigned m_auiFree[kNumBuffers];
    int m_iNumFree;
    // Frames of the queued buffers, oldest first (a ring).
    int m_aiQueued[kNumBuffers];
    int m_iQueueHead;
    int m_iNumQueued;

    // File frame where the queue starts, and where decoding goes on.
    long long m_llBase;
    long long m_llDecoded;
    int m_bEnd;
    State m_eState;
    double m_dRate;
    long m_lVolume;
    long m_lBalance;
    std::atomic<int> m_iUnderruns;

    std::mutex m_Mutex;
    std::condition_variable m_Wake;
    std::thread m_Feeder;
    int m_bQuit;
};
