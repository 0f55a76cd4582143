#pragma once
// Demos: what the player did, frame for frame — each frame's elapsed
// milliseconds and the raw input of the button table (keys and mouse buttons
// held, mouse counts). A recorded demo played back gives the same run again.
//
// The file is readable text, so that demos can also be written by hand:
//
//   HALVORAN-DEMO 1
//   # frames  milliseconds  buttons held and mouse counts
//   40 50 W Shift_links
//   1 50 x=250 y=-12
//   20 50
//
// A line is a run of frames that all have the same input. Buttons are the
// button table's names with '_' for a space (no case), or "#n" for button n;
// x=, y= and z= are the mouse's counts in each frame of the line. Lines that
// begin with '#' are comments. Demos can be joined: a repeated first line
// is passed over.

#include "aeClock.h"

#include <cstdint>
#include <string>
#include <vector>

enum
{
    AE_DEMO_MAX_FRAMES_PER_LINE = 1000000,
    AE_DEMO_MAX_MS = 60000,
    AE_DEMO_MAX_COUNT = 1000000,
    AE_DEMO_MAX_FILE = 16 << 20,  // about five hours of frames of their own
};

// One frame's raw input: which buttons are held (keys and mouse buttons; the
// axis entries 108-113 are not used, the counts stand for them) and the mouse
// counts.
struct aeDemoInput
{
    uint32_t adwHeld[4];
    int32_t lX, lY, lZ;

    int IsHeld(int button) const { return (adwHeld[button >> 5] >> (button & 31)) & 1; }
    void SetHeld(int button, int held)
    {
        const uint32_t bit = 1u << (button & 31);
        adwHeld[button >> 5] = held ? (adwHeld[button >> 5] | bit) : (adwHeld[button >> 5] & ~bit);
    }
    bool operator==(const aeDemoInput& other) const;
};

// A run of frames with one input and one elapsed time.
struct aeDemoLine
{
    int iFrames;
    DWORD dwMs;
    aeDemoInput Input;
};

// What a timedemo's frames took, in milliseconds.
struct aeFrameTimeStats
{
    int iFrames = 0;
    double fMin = 0.0, fAverage = 0.0, fMax = 0.0, fStdDev = 0.0;
    double fP99 = 0.0;  // 99 of 100 frames took at most this long
};

class aeDemo
{
public:
    // Parses demo text; 0 with a German error (naming the line) for text that
    // is not a demo. name is only used in messages.
    static int Parse(const char* text, int size, const char* name, std::vector<aeDemoLine>* lines);
    // The text of a demo (the inverse of Parse).
    static std::string Format(const std::vector<aeDemoLine>& lines);

    // Starts playing a demo file; timedemo plays it as fast as frames are
    // drawn, otherwise each frame lasts its recorded time.
    static int StartPlayback(const char* path, int timedemo);
    // Starts recording into a file, written when the recording stops.
    static int StartRecording(const char* path);
    // Stops playing or recording; a recording is written (through a
    // temporary file). 0 when it could not be written.
    static int Stop();

    static int IsPlaying() { return m_iMode == 1; }
    static int IsRecording() { return m_iMode == 2; }
    // A playback has used up every frame of its demo.
    static int IsFinished() { return m_bFinished; }
    static int IsTimedemo() { return m_bTimedemo; }
    // Frames played back or recorded so far, and the wall-clock milliseconds
    // since the first of them.
    static int GetFrames() { return m_iFrames; }
    static DWORD GetWallMs();
    // A timedemo's frame times in milliseconds, one per frame played (from
    // the start of a frame to the start of the next), and their figures.
    static const std::vector<float>& GetFrameTimes() { return m_aFrameTimes; }
    static aeFrameTimeStats GetFrameTimeStats(const std::vector<float>& times);

    // Once per frame from the input reader, with what the devices report:
    // playback replaces it by the demo's next frame (nothing held once the
    // demo has ended), recording keeps a copy.
    static void TakeInput(aeDemoInput* input);
    // Once per frame from the main loop, after the input, with the measured
    // elapsed milliseconds: playback returns the frame's recorded time (and,
    // unless it is a timedemo, waits so that the frame lasts that long),
    // recording stores the measured time.
    static DWORD FrameTime(DWORD measuredMs);

private:
    static void WaitForFrame(DWORD ms);

    static int m_iMode;  // 0 off, 1 playing, 2 recording
    static int m_bTimedemo;
    static int m_bFinished;
    static int m_iFrames;
    static DWORD m_dwStart;
    // Real-time playback: when the frame now being played is due to end.
    static DWORD m_dwDue;
    static std::vector<aeDemoLine> m_aLines;
    static std::vector<float> m_aFrameTimes;
    static uint64_t m_uFrameStartUs;
    static size_t m_iLine;
    static int m_iLineFrame;
    static char m_acPath[256];
};
