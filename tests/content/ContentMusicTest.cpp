// The shipped music: CD rate and stereo, and a loop point that joins silence
// to silence (the player restarts a looping piece from its start after a
// short gap, so a piece that ends or starts loud would click there).

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"

#include "aeAudioStream.h"

namespace
{
namespace fs = std::filesystem;
const fs::path kGame = HALVORAN_GAME_DIR;
const fs::path kScores = fs::path(HALVORAN_TEST_DATA).parent_path().parent_path() / "content" / "music";
}

TEST(ContentMusic, EveryPieceIsStereoAtFortyFourPointOneKilohertz)
{
    int pieces = 0;
    for (const auto& e : fs::recursive_directory_iterator(kGame / "data"))
    {
        if (e.path().extension() != ".mp3")
            continue;
        std::string reason;
        int fellBack = 0;
        aeAudioStream* stream = aeAudioStream::Open(e.path().c_str(), &reason, &fellBack);
        ASSERT_NE(stream, nullptr) << e.path() << ": " << reason;
        EXPECT_EQ(stream->GetSampleRate(), 44100) << e.path();
        EXPECT_EQ(stream->GetChannels(), 2) << e.path();
        EXPECT_GT(stream->GetLength(), 44100 * 10) << e.path();
        delete stream;
        ++pieces;
    }
    EXPECT_GE(pieces, 4);  // the menu and the three maps
}

// Each score rendered as the build renders it (WAV instead of MP3): the
// first and last samples are silent and the music swells only after the
// loop point, while the piece as a whole is loud.
TEST(ContentMusic, EveryScoreLoopsFromSilenceToSilence)
{
    const std::string dir = test::ScratchDir("music");
    int scores = 0;
    for (const auto& e : fs::directory_iterator(kScores))
    {
        if (e.path().extension() != ".txt")
            continue;
        SCOPED_TRACE(e.path().string());
        const std::string wav = dir + "/" + e.path().stem().string() + ".wav";
        ASSERT_EQ(test::Shell("'" HALVORAN_TOOLS_DIR "/contentgen' music '" + e.path().string() + "' '" + wav + "'"), 0);
        const std::string f = test::ReadBinary(wav);
        ASSERT_GT(f.size(), 44u + 4 * 44100);
        uint16_t channels = 0;
        uint32_t rate = 0;
        std::memcpy(&channels, f.data() + 22, 2);
        std::memcpy(&rate, f.data() + 24, 4);
        EXPECT_EQ(channels, 2);
        EXPECT_EQ(rate, 44100u);
        const size_t count = (f.size() - 44) / 2;
        auto sample = [&](size_t i) {
            int16_t v;
            std::memcpy(&v, f.data() + 44 + 2 * i, 2);
            return std::abs(static_cast<int>(v));
        };
        double sum = 0;
        for (size_t i = 0; i < count; ++i)
            sum += double(sample(i)) * sample(i);
        const double rms = std::sqrt(sum / count);
        EXPECT_GT(rms, 1000.0);
        // Both ends: silent at the very edge, quiet over the first and last millisecond.
        for (size_t i : {size_t(0), size_t(1), count - 2, count - 1})
            EXPECT_LE(sample(i), 2) << "sample " << i;
        const size_t ms = 2 * 44;
        for (size_t i = 0; i < ms; ++i)
        {
            EXPECT_LT(sample(i), 600) << "start, sample " << i;  // 2 % of full scale
            EXPECT_LT(sample(count - 1 - i), 600) << "end, sample " << i;
        }
        ++scores;
    }
    EXPECT_GE(scores, 4);
}
