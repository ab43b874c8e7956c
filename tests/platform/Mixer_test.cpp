// The mixer's last step: float samples to 16-bit output.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "framework/platform/Audio.h"

namespace {

// Gives the same samples to every rendered frame's left and right.
class FixedSource : public Brisk::Platform::AudioSource {
public:
    explicit FixedSource(std::vector<float> samples) : m_samples(std::move(samples)) {}
    int Mix(float* out, int frames) override {
        for (int i = 0; i < frames * 2; ++i) {
            out[i] += m_samples[static_cast<size_t>(i) % m_samples.size()];
        }
        return frames;
    }

private:
    std::vector<float> m_samples;
};

// Rounds half away from zero like lround, clips to full scale, and turns
// not-a-number into silence.
TEST(Mixer, OutputRoundsHalfAwayFromZeroAndClips) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float step = 1.0f / 32767.0f;
    const std::vector<float> in = {0.0f,          0.5f * step, -0.5f * step, 0.49f * step,
                                   -0.49f * step, 1.5f * step, -2.5f * step, 0.25f,
                                   -0.75f,        1.0f,        -1.0f,        3.0f,
                                   -7.0f,         nan,         0.2500153f,   -0.9999f};
    Brisk::Platform::Mixer mixer;
    FixedSource source(in);
    mixer.AddSource(&source);
    std::vector<int16_t> out(in.size());
    mixer.Render(out.data(), static_cast<int>(in.size() / 2));
    for (size_t i = 0; i < in.size(); ++i) {
        const float v = std::isnan(in[i]) ? 0.0f : std::clamp(in[i], -1.0f, 1.0f);
        EXPECT_EQ(out[i], static_cast<int16_t>(std::lround(v * 32767.0f))) << "sample " << i;
    }
    EXPECT_EQ(out[1], 1);
    EXPECT_EQ(out[2], -1);
    EXPECT_EQ(out[9], 32767);
    EXPECT_EQ(out[12], -32767);
    EXPECT_EQ(out[13], 0);
    mixer.RemoveSource(&source);
}

}  // namespace
