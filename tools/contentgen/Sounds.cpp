// Synthesised sound effects and composed music.
//
// Effects recipe, one sound a line:
//   <file.wav> <seconds> <layer> [; <layer>]...
// A layer is a kind (tone, noise, crackle) and key/value pairs; see
// content/README.md. The output is 16-bit mono PCM at 22050 Hz.
//
// Score (music): tempo, instruments and tracks of notes, rendered to 44100 Hz
// stereo and written as MP3 through libsndfile (or as WAV for checks).

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "Common.h"

namespace cg
{
namespace
{
const double kPi = 3.14159265358979;
const int kRate = 22050;       // sound effects
const int kMusicRate = 44100;  // music
const int kLoopFadeMs = 12;    // the fade at a piece's loop point

double Wave(const std::string& wave, double phase, Random& r)
{
    const double p = phase - std::floor(phase);
    if (wave == "square")
        return p < 0.5 ? 0.7 : -0.7;
    if (wave == "saw")
        return 2 * p - 1;
    if (wave == "tri")
        return p < 0.5 ? 4 * p - 1 : 3 - 4 * p;
    if (wave == "noise")
        return r.Signed();
    return std::sin(2 * kPi * p);
}

// Attack, exponential decay (0 = hold) and a short fade at the end.
double Envelope(double t, double len, double attack, double decay, double release)
{
    double e = attack > 0 && t < attack ? t / attack : 1.0;
    if (decay > 0)
        e *= std::exp(-std::max(0.0, t - attack) / decay);
    if (release > 0 && t > len - release)
        e *= std::max(0.0, (len - t) / release);
    return e;
}

void Layer(std::vector<double>& out, const std::vector<std::string>& w, size_t first, Random& r)
{
    const Options o(w, first);
    const std::string kind = w[first - 1];
    const double at = o.Num("at", 0), len = o.Num("len", out.size() / double(kRate) - at);
    const double amp = o.Num("amp", 0.5), attack = o.Num("attack", 0.005), decay = o.Num("decay", 0);
    const double release = o.Num("release", 0.01), lp = o.Num("lp", 1.0), hp = o.Num("hp", 0.0);
    const double f = o.Num("f", 440), f2 = o.Num("f2", f), trem = o.Num("trem", 0), depth = o.Num("depth", 0.5);
    const double rate = o.Num("rate", 30);
    const std::string wave = o.Str("wave", kind == "noise" ? "noise" : "sine");
    double phase = 0, low = 0, lowIn = 0, high = 0;
    const int begin = static_cast<int>(at * kRate), n = static_cast<int>(len * kRate);
    for (int i = 0; i < n && begin + i < static_cast<int>(out.size()); ++i)
    {
        const double t = i / double(kRate);
        double s;
        if (kind == "crackle")
            s = r.Unit() < rate / kRate ? r.Signed() * 2.0 : 0.0;
        else
        {
            const double freq = f * std::pow(f2 / f, len > 0 ? t / len : 0);
            phase += freq / kRate;
            s = Wave(wave, phase, r);
        }
        low += (s - low) * lp;
        s = low;
        if (hp > 0)
        {
            high = (1 - hp) * (high + s - lowIn);
            lowIn = s;
            s = high;
        }
        double e = Envelope(t, len, attack, decay, release);
        if (trem > 0)
            e *= 1.0 - depth * 0.5 * (1 + std::sin(2 * kPi * trem * t));
        out[static_cast<size_t>(begin + i)] += s * e * amp;
    }
}

// 16-bit PCM; stereo samples are interleaved.
std::string Wav(const std::vector<double>& samples, int rate = kRate, int channels = 1)
{
    std::string f = "RIFF";
    auto put32 = [&](uint32_t v) { f.append(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&](uint16_t v) { f.append(reinterpret_cast<const char*>(&v), 2); };
    put32(static_cast<uint32_t>(36 + samples.size() * 2));
    f += "WAVEfmt ";
    put32(16);
    put16(1);
    put16(static_cast<uint16_t>(channels));
    put32(static_cast<uint32_t>(rate));
    put32(static_cast<uint32_t>(rate * 2 * channels));
    put16(static_cast<uint16_t>(2 * channels));
    put16(16);
    f += "data";
    put32(static_cast<uint32_t>(samples.size() * 2));
    for (double s : samples)
        put16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(std::clamp(s, -1.0, 1.0) * 32767))));
    return f;
}

// Note names: C4 is middle C, A4 440 Hz; sharps with '#', flats with 'b'.
double NoteFrequency(const std::string& note, bool* ok)
{
    static const int semis[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    *ok = false;
    if (note.empty() || note[0] < 'A' || note[0] > 'G')
        return 0;
    int s = semis[note[0] - 'A'];
    size_t i = 1;
    if (i < note.size() && note[i] == '#')
        ++s, ++i;
    else if (i < note.size() && note[i] == 'b')
        --s, ++i;
    if (i >= note.size())
        return 0;
    const int octave = std::atoi(note.c_str() + i);
    *ok = true;
    return 440.0 * std::pow(2.0, (s - 9) / 12.0 + (octave - 4));
}

struct Instrument
{
    std::string wave = "sine";
    double attack = 0.01, decay = 0, release = 0.1, amp = 0.2, lp = 1.0, harm = 0, harmAmp = 0.3, detune = 0, pluck = 0.996;
    double pan = 0;  // -1 left .. 1 right
};

// One note into the left and right channels at the music's rate, placed by
// the instrument's pan. A score's "lp" is a per-sample figure at 22050 Hz (as
// for the effects); it is converted so that the filter stays the same.
void Note(std::vector<double>& left, std::vector<double>& right, const Instrument& ins, double freq, double start, double len,
          Random& r)
{
    const double ratio = double(kRate) / kMusicRate;
    const double lp = 1.0 - std::pow(1.0 - std::clamp(ins.lp, 0.0, 1.0), ratio);
    const double damp = ins.pluck;  // once per pass through the delay line: the same per second at any rate
    const double angle = (std::clamp(ins.pan, -1.0, 1.0) + 1.0) * kPi / 4;
    const double gl = std::cos(angle) * std::sqrt(2.0), gr = std::sin(angle) * std::sqrt(2.0);
    const int size = static_cast<int>(left.size());
    auto add = [&](int at, double v) {
        const size_t k = static_cast<size_t>(at % size);
        left[k] += v * gl;
        right[k] += v * gr;
    };
    const int begin = static_cast<int>(start * kMusicRate);
    const int n = static_cast<int>((len + ins.release) * kMusicRate);
    if (ins.wave == "pluck")
    {
        // Karplus-Strong: a noise burst circulating in a damped delay line.
        const int period = std::max(2, static_cast<int>(kMusicRate / freq));
        std::vector<double> line(static_cast<size_t>(period));
        for (double& v : line)
            v = r.Signed();
        for (int i = 0; i < n; ++i)
        {
            const size_t k = static_cast<size_t>(i % period), k2 = static_cast<size_t>((i + 1) % period);
            const double s = line[k];
            line[k] = (line[k] + line[k2]) * 0.5 * damp;
            const double e = Envelope(i / double(kMusicRate), len + ins.release, 0.0, 0.0, ins.release);
            add(begin + i, s * e * ins.amp);
        }
        return;
    }
    double p1 = r.Unit(), p2 = r.Unit(), p3 = 0, low = 0;
    for (int i = 0; i < n; ++i)
    {
        const double t = i / double(kMusicRate);
        p1 += freq * (1 + ins.detune) / kMusicRate;
        p2 += freq * (1 - ins.detune) / kMusicRate;
        p3 += freq * ins.harm / kMusicRate;
        double s = ins.detune > 0 ? 0.5 * (Wave(ins.wave, p1, r) + Wave(ins.wave, p2, r)) : Wave(ins.wave, p1, r);
        if (ins.harm > 0)
            s += ins.harmAmp * std::sin(2 * kPi * p3);
        low += (s - low) * lp;
        double e = Envelope(t, len + ins.release, ins.attack, ins.decay, 0.0);
        if (t > len)
            e *= std::max(0.0, 1 - (t - len) / std::max(ins.release, 1e-3));
        // Notes that ring past the end of the piece wrap round to its start,
        // so that the loop has no seam.
        add(begin + i, low * e * ins.amp);
    }
}
}

int Sounds(const std::string& recipe, const std::string& outDir)
{
    std::string text;
    if (!ReadText(recipe, &text))
        return 2;
    int lineNo = 0;
    for (const std::string& line : Lines(text))
    {
        ++lineNo;
        // Options for rvstool sit between the length and a colon; skip them.
        std::string body = line;
        const size_t colon = body.find(':');
        std::vector<std::string> head = Split(colon == std::string::npos ? body : body.substr(0, colon));
        if (head.empty())
            continue;
        if (colon == std::string::npos || head.size() < 2)
        {
            std::fprintf(stderr, "%s:%d: erwartet <name> <sekunden> [rvstool-optionen] : <schichten>\n", recipe.c_str(), lineNo);
            return 1;
        }
        const double seconds = std::atof(head[1].c_str());
        if (seconds <= 0 || seconds > 30)
        {
            std::fprintf(stderr, "%s:%d: ungültige Länge\n", recipe.c_str(), lineNo);
            return 1;
        }
        std::vector<double> out(static_cast<size_t>(seconds * kRate), 0.0);
        Random r(static_cast<uint32_t>(lineNo * 7919));
        std::string rest = body.substr(colon + 1);
        size_t start = 0;
        while (start <= rest.size())
        {
            size_t end = rest.find(';', start);
            if (end == std::string::npos)
                end = rest.size();
            const std::vector<std::string> w = Split(rest.substr(start, end - start));
            if (!w.empty())
            {
                if (w[0] != "tone" && w[0] != "noise" && w[0] != "crackle")
                {
                    std::fprintf(stderr, "%s:%d: unbekannte Schicht %s\n", recipe.c_str(), lineNo, w[0].c_str());
                    return 1;
                }
                Layer(out, w, 1, r);
            }
            start = end + 1;
        }
        std::string name = head[0];
        if (name.size() > 4 && name.substr(name.size() - 4) == ".rvs")
            name = name.substr(0, name.size() - 4) + ".wav";
        if (!WriteBytes(outDir + "/" + name, Wav(out)))
        {
            std::fprintf(stderr, "contentgen: %s/%s kann nicht geschrieben werden\n", outDir.c_str(), name.c_str());
            return 2;
        }
    }
    return 0;
}

int Music(const std::string& score, const std::string& outFile, bool wav)
{
    std::string text;
    if (!ReadText(score, &text))
        return 2;
    double tempo = 90, echoDelay = 0, echoFeedback = 0;
    std::map<std::string, Instrument> instruments;
    struct Event
    {
        std::string instrument;
        double freq, start, len;
    };
    std::vector<Event> events;
    std::string track;
    double trackTime = 0, length = 0;
    int repeat = 1, lineNo = 0;
    std::vector<std::string> pending;
    auto flush = [&]() -> bool {
        for (int rep = 0; rep < repeat; ++rep)
            for (const std::string& tok : pending)
            {
                const size_t slash = tok.find('/');
                if (slash == std::string::npos)
                    return false;
                const double beats = std::atof(tok.c_str() + slash + 1);
                const double len = beats * 60.0 / tempo;
                const std::string notes = tok.substr(0, slash);
                if (notes != "r")
                {
                    size_t s = 0;
                    while (s <= notes.size())
                    {
                        size_t e = notes.find('+', s);
                        if (e == std::string::npos)
                            e = notes.size();
                        bool ok;
                        const double f = NoteFrequency(notes.substr(s, e - s), &ok);
                        if (!ok)
                            return false;
                        events.push_back({track, f, trackTime, len * 0.95});
                        s = e + 1;
                    }
                }
                trackTime += len;
            }
        length = std::max(length, trackTime);
        pending.clear();
        return true;
    };
    for (const std::string& line : Lines(text))
    {
        ++lineNo;
        std::vector<std::string> w = Split(line);
        if (w.empty())
            continue;
        auto fail = [&](const char* what) {
            std::fprintf(stderr, "%s:%d: %s\n", score.c_str(), lineNo, what);
            return 1;
        };
        if (w[0] == "tempo" && w.size() == 2)
            tempo = std::atof(w[1].c_str());
        else if (w[0] == "echo" && w.size() == 3)
        {
            echoDelay = std::atof(w[1].c_str());
            echoFeedback = std::atof(w[2].c_str());
        }
        else if (w[0] == "instrument" && w.size() >= 2)
        {
            const Options o(w, 2);
            Instrument ins;
            ins.wave = o.Str("wave", "sine");
            ins.attack = o.Num("attack", ins.attack);
            ins.decay = o.Num("decay", ins.decay);
            ins.release = o.Num("release", ins.release);
            ins.amp = o.Num("amp", ins.amp);
            ins.lp = o.Num("lp", ins.lp);
            ins.harm = o.Num("harm", ins.harm);
            ins.harmAmp = o.Num("harmamp", ins.harmAmp);
            ins.detune = o.Num("detune", ins.detune);
            ins.pluck = o.Num("damp", ins.pluck);
            ins.pan = o.Num("pan", ins.pan);
            instruments[w[1]] = ins;
        }
        else if (w[0] == "track" && w.size() >= 2)
        {
            if (!flush())
                return fail("unlesbare Note");
            track = w[1];
            if (!track.empty() && track.back() == ':')
                track.pop_back();
            if (!instruments.count(track))
                return fail("unbekanntes Instrument");
            repeat = 1;
            trackTime = 0;
            size_t i = 2;
            if (i + 1 < w.size() && w[i] == "repeat")
            {
                repeat = std::max(1, std::atoi(w[i + 1].c_str()));
                i += 2;
            }
            if (i < w.size() && w[i] == ":")
                ++i;
            pending.assign(w.begin() + static_cast<long>(i), w.end());
        }
        else if (!track.empty())
            pending.insert(pending.end(), w.begin(), w.end());
        else
            return fail("unbekannte Anweisung");
    }
    if (!flush())
    {
        std::fprintf(stderr, "%s: unlesbare Note\n", score.c_str());
        return 1;
    }
    if (length <= 0 || length > 120)
    {
        std::fprintf(stderr, "%s: das Stück muss zwischen 0 und 120 Sekunden lang sein\n", score.c_str());
        return 1;
    }
    const size_t frames = static_cast<size_t>(length * kMusicRate);
    std::vector<double> left(frames, 0.0), right(frames, 0.0);
    Random r(12345);
    for (const Event& e : events)
        Note(left, right, instruments[e.instrument], e.freq, e.start, e.len, r);
    if (echoDelay > 0)
    {
        // A circular ping-pong echo (left into right and back): the tail of
        // the loop sounds into its beginning. y = x + feedback · y delayed is
        // solved by iterating until the echoes of echoes have died away.
        const size_t d = static_cast<size_t>(echoDelay * kMusicRate) % frames;
        std::vector<double> yl = left, yr = right;
        for (int pass = 0; pass < 12; ++pass)
        {
            std::vector<double> nl = left, nr = right;
            for (size_t i = 0; i < frames; ++i)
            {
                nl[(i + d) % frames] += yr[i] * echoFeedback;
                nr[(i + d) % frames] += yl[i] * echoFeedback;
            }
            yl.swap(nl);
            yr.swap(nr);
        }
        left.swap(yl);
        right.swap(yr);
    }
    // The loop point: the piece is periodic, so it may start anywhere. It
    // starts at the quietest moment of its first half second and fades in
    // and out over a few milliseconds there, so that the gap the player
    // leaves when it restarts the piece joins silence to silence.
    {
        const size_t window = kMusicRate / 100, search = std::min(frames, static_cast<size_t>(kMusicRate / 2));
        double best = 1e300;
        size_t at = 0;
        for (size_t o = 0; o < search; o += 32)
        {
            double energy = 0;
            for (size_t k = 0; k < window; ++k)
            {
                const size_t i = (o + frames - window / 2 + k) % frames;
                energy += left[i] * left[i] + right[i] * right[i];
            }
            if (energy < best)
            {
                best = energy;
                at = o;
            }
        }
        std::rotate(left.begin(), left.begin() + static_cast<long>(at), left.end());
        std::rotate(right.begin(), right.begin() + static_cast<long>(at), right.end());
        const size_t fade = std::min(frames / 2, static_cast<size_t>(kLoopFadeMs * kMusicRate / 1000));
        for (size_t k = 0; k < fade; ++k)
        {
            const double g = 0.5 - 0.5 * std::cos(kPi * k / fade);
            left[k] *= g;
            right[k] *= g;
            left[frames - 1 - k] *= g;
            right[frames - 1 - k] *= g;
        }
    }
    double peak = 1e-9;
    for (size_t i = 0; i < frames; ++i)
        peak = std::max(peak, std::max(std::fabs(left[i]), std::fabs(right[i])));
    std::vector<double> out(frames * 2);
    for (size_t i = 0; i < frames; ++i)
    {
        out[2 * i] = left[i] * 0.85 / peak;
        out[2 * i + 1] = right[i] * 0.85 / peak;
    }
    if (wav)
        return WriteBytes(outFile, Wav(out, kMusicRate, 2)) ? 0 : 2;

    SF_INFO info;
    std::memset(&info, 0, sizeof(info));
    info.samplerate = kMusicRate;
    info.channels = 2;
    info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    SNDFILE* f = sf_open(outFile.c_str(), SFM_WRITE, &info);
    if (!f)
    {
        std::fprintf(stderr, "contentgen: MP3 %s: %s\n", outFile.c_str(), sf_strerror(nullptr));
        return 2;
    }
    double quality = 0.6;  // compression level 0 (best) .. 1 (smallest)
    sf_command(f, SFC_SET_COMPRESSION_LEVEL, &quality, sizeof(quality));
    std::vector<float> samples(out.begin(), out.end());
    const sf_count_t written = sf_writef_float(f, samples.data(), static_cast<sf_count_t>(frames)) * 2;
    sf_close(f);
    if (written != static_cast<sf_count_t>(samples.size()))
    {
        std::fprintf(stderr, "contentgen: MP3 %s unvollständig\n", outFile.c_str());
        return 2;
    }
    return 0;
}
}
