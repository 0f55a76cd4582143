#pragma once
// WAV files and RVS sound files, both ways: the sample data of a WAV file with
// the header fields of an RVS file around it, and the sample data of an RVS
// file as a WAV file.
//
// RVS (little-endian): "RVS\0", 3D flag, frequency-control flag, volume-control
// flag, buffer count, 3D algorithm, minimum and maximum distance (floats), the
// 18-byte WAVEFORMATEX, the data size and the data.
//
// WAV input may be PCM with 8, 16, 24 or 32 bits or 32-bit float (also in the
// extensible layout), mono or stereo; anything beyond 16 bits becomes 16-bit.
// A 3D sound must be mono: stereo input is mixed down for it.
// Messages are German, in Windows-1252 like the engine's.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace rvswav
{
struct Sound
{
    int channels = 1;
    int bits = 16;
    int rate = 44100;
    std::string data; // interleaved PCM: 8-bit unsigned or 16-bit signed
};

struct Options
{
    bool is3D = false;
    bool frequencyControl = true;
    bool volumeControl = true;
    uint32_t buffers = 1;
    uint32_t algorithm = 0;
    float minDistance = 1.0f;
    float maxDistance = 1000000000.0f;
};

const uint32_t kMaxBuffers = 256;

namespace detail
{
inline uint32_t U32(const std::string& s, size_t at)
{
    uint32_t v;
    std::memcpy(&v, s.data() + at, 4);
    return v;
}
inline uint16_t U16(const std::string& s, size_t at)
{
    uint16_t v;
    std::memcpy(&v, s.data() + at, 2);
    return v;
}
inline void Put32(std::string& s, uint32_t v)
{
    s.append(reinterpret_cast<const char*>(&v), 4);
}
inline void Put16(std::string& s, uint16_t v)
{
    s.append(reinterpret_cast<const char*>(&v), 2);
}
inline void PutF(std::string& s, float v)
{
    s.append(reinterpret_cast<const char*>(&v), 4);
}
inline int16_t Clamp16(double v)
{
    if (v >= 32767.0)
        return 32767;
    if (v <= -32768.0)
        return -32768;
    return static_cast<int16_t>(std::lround(v));
}
}

// Reads a WAV file's format and sample data.
inline bool ReadWav(const std::string& bytes, Sound* out, std::string* error)
{
    using namespace detail;
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
    {
        *error = "Keine WAV-Datei (RIFF/WAVE fehlt)!";
        return false;
    }
    uint16_t tag = 0, channels = 0, bits = 0, align = 0;
    uint32_t rate = 0;
    bool haveFormat = false, haveData = false;
    std::string data;
    for (size_t at = 12; at + 8 <= bytes.size();)
    {
        const uint32_t size = U32(bytes, at + 4);
        const size_t body = at + 8;
        const size_t available = bytes.size() - body;
        if (bytes.compare(at, 4, "fmt ") == 0)
        {
            if (size < 16 || size > available)
            {
                *error = "Der Formatblock der WAV-Datei ist zu kurz!";
                return false;
            }
            tag = U16(bytes, body);
            channels = U16(bytes, body + 2);
            rate = U32(bytes, body + 4);
            align = U16(bytes, body + 12);
            bits = U16(bytes, body + 14);
            if (tag == 0xFFFE && size >= 40)
                tag = U16(bytes, body + 24); // the sub-format's first two bytes
            haveFormat = true;
        }
        else if (bytes.compare(at, 4, "data") == 0)
        {
            // A data block cut short (a file still being written) is taken as far as it goes.
            data = bytes.substr(body, std::min<size_t>(size, available));
            haveData = true;
        }
        if (size > available)
            break;
        at = body + size + (size & 1);
    }
    if (!haveFormat || !haveData)
    {
        *error = haveFormat ? "Die WAV-Datei hat keine Sounddaten!" : "Die WAV-Datei hat keinen Formatblock!";
        return false;
    }
    const bool pcm = tag == 1 && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool floats = tag == 3 && bits == 32;
    if ((!pcm && !floats) || (channels != 1 && channels != 2) || rate < 100 || rate > 200000 ||
        align != channels * bits / 8)
    {
        *error = "Das Format der WAV-Datei wird nicht unterstützt (Formattyp " + std::to_string(tag) + ", " +
                 std::to_string(channels) + " Kanäle, " + std::to_string(bits) + " Bit, " + std::to_string(rate) +
                 " Hz); möglich sind PCM mit 8 bis 32 Bit und 32-Bit-Gleitkomma, Mono oder Stereo.";
        return false;
    }
    out->channels = channels;
    out->rate = static_cast<int>(rate);
    const size_t samples = data.size() / (bits / 8);
    if (bits <= 16)
    {
        out->bits = bits;
        out->data = data.substr(0, samples / channels * align);
        return true;
    }
    out->bits = 16;
    out->data.clear();
    out->data.reserve(samples * 2);
    for (size_t i = 0; i < samples / channels * channels; ++i)
    {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(data.data()) + i * (bits / 8);
        double v;
        if (floats)
        {
            float f;
            std::memcpy(&f, p, 4);
            v = std::isfinite(f) ? f * 32768.0 : 0.0;
        }
        else if (bits == 24)
            v = static_cast<double>(static_cast<int32_t>((p[0] << 8) | (p[1] << 16) | (static_cast<uint32_t>(p[2]) << 24)) >> 8) / 256.0;
        else
        {
            int32_t s;
            std::memcpy(&s, p, 4);
            v = static_cast<double>(s) / 65536.0;
        }
        const int16_t s16 = Clamp16(v);
        out->data.append(reinterpret_cast<const char*>(&s16), 2);
    }
    return true;
}

inline std::string WriteWav(const Sound& sound)
{
    using namespace detail;
    const uint16_t align = static_cast<uint16_t>(sound.channels * sound.bits / 8);
    std::string s = "RIFF";
    Put32(s, static_cast<uint32_t>(36 + sound.data.size() + (sound.data.size() & 1)));
    s += "WAVEfmt ";
    Put32(s, 16);
    Put16(s, 1);
    Put16(s, static_cast<uint16_t>(sound.channels));
    Put32(s, static_cast<uint32_t>(sound.rate));
    Put32(s, static_cast<uint32_t>(sound.rate) * align);
    Put16(s, align);
    Put16(s, static_cast<uint16_t>(sound.bits));
    s += "data";
    Put32(s, static_cast<uint32_t>(sound.data.size()));
    s += sound.data;
    if (sound.data.size() & 1)
        s += '\0';
    return s;
}

// Stereo to mono by the mean of both channels.
inline Sound MixToMono(const Sound& in)
{
    if (in.channels == 1)
        return in;
    Sound out = in;
    out.channels = 1;
    out.data.clear();
    const size_t frames = in.data.size() / (2 * in.bits / 8);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(in.data.data());
    for (size_t i = 0; i < frames; ++i)
    {
        if (in.bits == 8)
            out.data += static_cast<char>((p[2 * i] + p[2 * i + 1] + 1) / 2);
        else
        {
            int16_t l, r;
            std::memcpy(&l, p + 4 * i, 2);
            std::memcpy(&r, p + 4 * i + 2, 2);
            const int16_t m = static_cast<int16_t>((l + r) / 2);
            out.data.append(reinterpret_cast<const char*>(&m), 2);
        }
    }
    return out;
}

inline bool CheckOptions(const Options& o, std::string* error)
{
    if (o.buffers < 1 || o.buffers > kMaxBuffers)
    {
        *error = "Die Anzahl der Puffer muss zwischen 1 und " + std::to_string(kMaxBuffers) + " liegen!";
        return false;
    }
    if (o.algorithm > 2)
    {
        *error = "Der 3D-Algorithmus muss 0, 1 oder 2 sein!";
        return false;
    }
    if (!(std::isfinite(o.minDistance) && o.minDistance > 0.0f && std::isfinite(o.maxDistance) &&
          o.maxDistance >= o.minDistance))
    {
        *error = "Die Distanzen müssen positiv sein und das Maximum nicht kleiner als das Minimum!";
        return false;
    }
    return true;
}

// The RVS file of a sound; a 3D sound is mixed down to mono first.
inline bool ToRvs(const Sound& in, const Options& o, std::string* rvs, std::string* error)
{
    using namespace detail;
    if (!CheckOptions(o, error))
        return false;
    const Sound sound = o.is3D ? MixToMono(in) : in;
    const uint16_t align = static_cast<uint16_t>(sound.channels * sound.bits / 8);
    if (sound.data.size() < align)
    {
        *error = "Der Sound enthält keine Sounddaten!";
        return false;
    }
    std::string s("RVS\0", 4);
    Put32(s, o.is3D ? 1 : 0);
    Put32(s, o.frequencyControl ? 1 : 0);
    Put32(s, o.volumeControl ? 1 : 0);
    Put32(s, o.buffers);
    Put32(s, o.is3D ? o.algorithm : 0);
    PutF(s, o.is3D ? o.minDistance : 0.0f);
    PutF(s, o.is3D ? o.maxDistance : 0.0f);
    Put16(s, 1);
    Put16(s, static_cast<uint16_t>(sound.channels));
    Put32(s, static_cast<uint32_t>(sound.rate));
    Put32(s, static_cast<uint32_t>(sound.rate) * align);
    Put16(s, align);
    Put16(s, static_cast<uint16_t>(sound.bits));
    Put16(s, 0);
    const size_t bytes = sound.data.size() / align * align;
    Put32(s, static_cast<uint32_t>(bytes));
    s.append(sound.data, 0, bytes);
    *rvs = s;
    return true;
}

// The sample data and header fields of an RVS file, checked as the engine
// checks them.
inline bool FromRvs(const std::string& bytes, Sound* out, Options* o, std::string* error)
{
    using namespace detail;
    if (bytes.size() < 4)
    {
        *error = "Fehler beim Lesen der Datei!";
        return false;
    }
    if (bytes.compare(0, 4, std::string("RVS\0", 4)) != 0)
    {
        *error = "RVS-Signatur nicht gefunden!";
        return false;
    }
    if (bytes.size() < 50)
    {
        *error = "Fehler beim Lesen des Soundformats!";
        return false;
    }
    const uint32_t size = bytes.size() >= 54 ? U32(bytes, 50) : 0;
    if (bytes.size() < 54 || size > bytes.size() - 54)
    {
        *error = "Fehler beim Lesen der Sounddaten!";
        return false;
    }
    o->is3D = U32(bytes, 4) != 0;
    o->frequencyControl = U32(bytes, 8) != 0;
    o->volumeControl = U32(bytes, 12) != 0;
    o->buffers = U32(bytes, 16);
    o->algorithm = U32(bytes, 20);
    std::memcpy(&o->minDistance, bytes.data() + 24, 4);
    std::memcpy(&o->maxDistance, bytes.data() + 28, 4);
    const uint16_t tag = U16(bytes, 32), channels = U16(bytes, 34), align = U16(bytes, 44), bits = U16(bytes, 46);
    const uint32_t rate = U32(bytes, 36);
    if (o->buffers < 1 || o->buffers > kMaxBuffers)
    {
        *error = "Ungültige Anzahl von Soundpuffern (" + std::to_string(o->buffers) + ") in der RVS-Datei!";
        return false;
    }
    if (o->is3D && o->algorithm > 2)
    {
        *error = "Ungültiger 3D-Algorithmus (" + std::to_string(o->algorithm) + ") in der RVS-Datei!";
        return false;
    }
    if (tag != 1 || (channels != 1 && channels != 2) || (bits != 8 && bits != 16) || rate < 100 || rate > 200000 ||
        align != channels * bits / 8)
    {
        *error = "Das Soundformat der RVS-Datei wird nicht unterstützt!";
        return false;
    }
    out->channels = channels;
    out->bits = bits;
    out->rate = static_cast<int>(rate);
    out->data = bytes.substr(54, size / align * align);
    return true;
}

// One line per header field.
inline std::string Describe(const Sound& s, const Options& o)
{
    const size_t frames = s.data.size() / (s.channels * s.bits / 8);
    std::string text;
    text += "3D: " + std::string(o.is3D ? "ja" : "nein") + "\n";
    text += "Frequenzsteuerung: " + std::string(o.frequencyControl ? "ja" : "nein") + "\n";
    text += "Lautstärkesteuerung: " + std::string(o.volumeControl ? "ja" : "nein") + "\n";
    text += "Puffer: " + std::to_string(o.buffers) + "\n";
    if (o.is3D)
    {
        text += "3D-Algorithmus: " + std::to_string(o.algorithm) + "\n";
        text += "Minimale Distanz: " + std::to_string(o.minDistance) + "\n";
        text += "Maximale Distanz: " + std::to_string(o.maxDistance) + "\n";
    }
    text += "Format: " + std::to_string(s.channels) + " Kanäle, " + std::to_string(s.bits) + " Bit, " +
            std::to_string(s.rate) + " Hz\n";
    text += "Länge: " + std::to_string(frames * 1000 / static_cast<size_t>(s.rate)) + " ms (" +
            std::to_string(s.data.size()) + " Bytes)\n";
    return text;
}
}
