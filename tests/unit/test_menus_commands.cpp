// Menu commands through the off-screen pop-up, one family per test: the user-wave transforms
// and partial clears, the XY flips, grid, smoothing and typed entries, the gater's pattern
// commands, the matrix's amount and slot commands, and the context, settings and effect menus'
// value, modulation and switch entries, each with its edge cases.
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"
#include "tests/MidiEvents.h"

#include "test_sections_rig.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <vector>

using namespace sectionstest;

namespace {

constexpr float kTwoPi = 6.2831853f;

int mask(APlugin& e, int t) {
    return static_cast<int>(e.getParameter(t) * 65535.9f);
}

void setMask(APlugin& e, int t, int m) {
    e.setParameter(t, (static_cast<float>(m) + 0.5f) / 65536.0f);
}

// A stand-in control of a tag: the context menu reads only its tag.
struct TagControl {
    explicit TagControl(int t) : control(new COptionMenu(CRect(0, 0, 10, 10), nullptr, t)) {}
    ~TagControl() { control->forget(); }
    COptionMenu* control;
};

// Renders one block and answers the left channel's RMS level.
double renderLevel(APlugin& e, int frames) {
    std::vector<float> left(size_t(frames), 0.0f), right(size_t(frames), 0.0f);
    std::vector<float> silence(size_t(frames), 0.0f);
    float* in[2] = {silence.data(), silence.data()};
    float* out[2] = {left.data(), right.data()};
    e.processReplacing(in, out, frames);
    double sum = 0.0;
    for (float v : left) sum += double(v) * v;
    return std::sqrt(sum / frames);
}

} // namespace

// Closing the wave menu rebuilds the wave band-limited from its points, so the shapes are
// compared within a tolerance, on waves made of a few low partials.
TEST_F(MenuRig, WaveTransformsShapeThePointsAndClearThePartials) {
    const int first = tag::UserWave1First;
    auto setWave = [&](auto f) {
        for (int i = 0; i < 512; ++i) e().setParameter(first + i, f(i));
        ed->showWaveMenu(0); // dismissed: only the rebuild
    };
    auto points = [&] {
        std::vector<float> p(512);
        for (int i = 0; i < 512; ++i) p[size_t(i)] = e().getParameter(first + i);
        return p;
    };
    auto run = [&](const char* command) {
        choose({command});
        ed->showWaveMenu(0);
    };
    auto expectShape = [&](const char* what, auto want, float tolerance) {
        for (int i = 0; i < 512; ++i)
            ASSERT_NEAR(e().getParameter(first + i), want(i), tolerance) << what << " " << i;
    };
    auto sine = [](int i, float cycles) { return std::sin(kTwoPi * cycles * float(i) / 512.0f); };

    // DC removed around the mean, then the deviation brought to full scale.
    setWave([&](int i) { return 0.6f + 0.2f * sine(i, 1); });
    std::vector<float> p = points();
    float mean = 0.0f, peak = 0.0f;
    for (float v : p) mean += (2.0f * v - 1.0f) / 512.0f;
    run("Remove DC from User Wave");
    expectShape(
        "dc", [&](int i) { return (2.0f * p[size_t(i)] - 1.0f - mean) * 0.5f + 0.5f; }, 3e-3f);
    p = points();
    for (float v : p) peak = std::max(peak, std::fabs(2.0f * v - 1.0f));
    run("Normalize User Wave");
    expectShape(
        "normalize", [&](int i) { return (2.0f * p[size_t(i)] - 1.0f) / peak * 0.5f + 0.5f; },
        3e-3f);
    // A flat wave stays flat: the peak floor keeps the division finite.
    setWave([](int) { return 0.5f; });
    run("Normalize User Wave");
    expectShape(
        "flat", [](int) { return 0.5f; }, 1e-4f);

    setWave([&](int i) { return 0.5f + 0.3f * sine(i, 1) + 0.1f * sine(i, 2); });
    p = points();
    run("Reverse User Wave");
    expectShape(
        "reverse", [&](int i) { return p[size_t(511 - i)]; }, 2e-3f);
    run("Reverse User Wave");
    run("Double User Wave");
    expectShape(
        "double", [&](int i) { return p[size_t((2 * i) % 512)]; }, 3e-3f);
    setWave([&](int i) { return 0.5f + 0.4f * sine(i, 1); });
    p = points();
    run("Ping-Pong User Wave"); // the compressed cycle, then its mirror image
    expectShape(
        "ping-pong",
        [&](int i) { return i < 256 ? p[size_t(2 * i)] : p[size_t(511 - 2 * (i - 256))]; }, 2e-2f);
    setWave([&](int i) { return 0.5f + 0.4f * sine(i, 1); });
    // Both half-cycles turn the same way: one hump per half, lowest at the crossings. (The
    // rebuild on closing keeps no offset, so the level of the humps is not compared.)
    run("Absolute Value of User Wave");
    for (int i = 0; i < 256; ++i)
        ASSERT_NEAR(e().getParameter(first + i), e().getParameter(first + i + 256), 2e-3f) << i;
    EXPECT_GT(e().getParameter(first + 128) - e().getParameter(first), 0.3f);

    // Smooth: with tag 1009 at 0 nothing moves; at 1 a three-point mean, which takes a fast
    // wave (64 cycles) down to (1 + 2 cos(pi / 4)) / 3 of its depth.
    setWave([&](int i) { return 0.5f + 0.4f * sine(i, 64); });
    p = points();
    e().setParameter(tag::UserWaveSmooth, 0.0f);
    run("Smooth User Wave");
    expectShape(
        "smooth 0", [&](int i) { return p[size_t(i)]; }, 4e-3f);
    e().setParameter(tag::UserWaveSmooth, 1.0f);
    run("Smooth User Wave");
    const float depth = (1.0f + 2.0f * std::cos(kTwoPi / 8.0f)) / 3.0f;
    expectShape(
        "smooth 1", [&](int i) { return 0.5f + depth * (p[size_t(i)] - 0.5f); }, 6e-3f);

    // The partial clears: the phases alone keep the amplitudes; the amplitudes leave partial 0
    // at 1 and the others at 0.
    setWave([&](int i) { return 0.5f + 0.3f * std::cos(kTwoPi * i / 512.0f) + 0.2f * sine(i, 3); });
    std::vector<float> amps(8);
    for (int k = 0; k < 8; ++k) amps[size_t(k)] = e().getWaveTablePartialsAmp(0, k);
    run("Clear Partials Phase");
    for (int k = 0; k < 8; ++k) {
        EXPECT_NEAR(e().getWaveTablePartialsAmp(0, k), amps[size_t(k)], 1e-3f) << k;
        EXPECT_NEAR(e().getWaveTablePartialsPhase(0, k), 0.0f, 1e-3f) << k;
    }
    // The partial store keeps each partial's mirror at 4094 - k, which the analysis on
    // closing fills in again; every partial between them is cleared, and the wave is one
    // cycle of a sine: its peak and trough half a cycle apart.
    for (const char* command : {"Clear Partials Amp", "Clear Partials"}) {
        setWave([&](int i) { return 0.5f + 0.2f * sine(i, 2) + 0.2f * sine(i, 5); });
        run(command);
        EXPECT_NEAR(e().getWaveTablePartialsAmp(0, 0), 1.0f, 1e-3f) << command;
        for (int k = 1; k < 4094; ++k)
            ASSERT_NEAR(e().getWaveTablePartialsAmp(0, k), 0.0f, 1e-3f) << command << " " << k;
        p = points();
        const long high = std::max_element(p.begin(), p.end()) - p.begin();
        const long low = std::min_element(p.begin(), p.end()) - p.begin();
        EXPECT_NEAR(std::labs(high - low), 256, 3) << command;
    }
}

TEST_F(MenuRig, XYFlipsGridSmoothingAndTypedCoordinates) {
    const int xs = tag::Xy1PathXFirst, ys = tag::Xy1PathYFirst;
    auto setPath = [&](auto x, auto y) {
        for (int i = 0; i < 32; ++i) e().setXYPath(0, i, x(i), y(i));
    };
    auto run = [&](const char* command) {
        choose({command});
        ed->showXYMenu(0);
    };
    auto bx = [&](int i) { return 2.0f * e().getParameter(xs + i) - 1.0f; };
    auto by = [&](int i) { return 2.0f * e().getParameter(ys + i) - 1.0f; };

    setPath([](int i) { return i / 40.0f; }, [](int i) { return 0.5f - i / 40.0f; });
    run("Flip Around Horizontally Axis"); // Y negated, X kept
    for (int i = 0; i < 32; ++i) {
        ASSERT_NEAR(bx(i), i / 40.0f, 1e-5f);
        ASSERT_NEAR(by(i), i / 40.0f - 0.5f, 1e-5f);
    }
    run("Flip Around Vertically Axis");
    for (int i = 0; i < 32; ++i) ASSERT_NEAR(bx(i), -i / 40.0f, 1e-5f);

    // Grid 1: every coordinate to a multiple of 1/2, halves rounded away from 0; 0 and 129
    // leave the path as it is.
    const float before[4] = {0.25f, -0.25f, 0.2f, -0.8f};
    setPath([&](int i) { return before[i % 4]; }, [](int) { return 0.0f; });
    for (const char* n : {"0", "129"}) {
        dialogs.answerOk(n);
        run("Snap to grid");
        EXPECT_NEAR(bx(0), 0.25f, 1e-5f) << n;
    }
    dialogs.answerOk("1");
    run("Snap to grid");
    const float snapped[4] = {0.5f, -0.5f, 0.0f, -1.0f};
    for (int i = 0; i < 32; ++i) ASSERT_NEAR(bx(i), snapped[i % 4], 1e-5f) << i;

    // Smooth: inner points take their neighbours' mean without themselves, the ends their own
    // pair's mean.
    setPath([](int i) { return i % 2 ? 0.6f : -0.2f; }, [](int i) { return float(i) / 32.0f; });
    run("Smooth");
    EXPECT_NEAR(bx(0), 0.2f, 1e-5f);
    EXPECT_NEAR(bx(31), 0.2f, 1e-5f);
    for (int i = 1; i < 31; ++i) ASSERT_NEAR(bx(i), i % 2 ? -0.2f : 0.6f, 1e-5f) << i;
    EXPECT_NEAR(by(5), 5.0f / 32.0f, 1e-5f);

    // "Set X" asks for the selected point's X, or for the pad's X when none is selected;
    // Cancel changes nothing.
    e().setParameter(tag::Osc1ZekX, 0.3f);
    e().setParameter(tag::Osc1ZekY, 0.3f);
    e().setParameter(xs + 7, 0.9f);
    ed->setXYPoint(0, 7);
    dialogs.answerCancel();
    run("Set X");
    EXPECT_FLOAT_EQ(e().getParameter(xs + 7), 0.9f);
    dialogs.answerOk("0");
    run("Set X");
    EXPECT_NE(e().getParameter(xs + 7), 0.9f);
    EXPECT_FLOAT_EQ(e().getParameter(tag::Osc1ZekX), 0.3f);
    const float pointY = e().getParameter(ys + 7);
    ed->setXYPoint(0, -1);
    dialogs.answerOk("0");
    run("Set Y");
    EXPECT_NE(e().getParameter(tag::Osc1ZekY), 0.3f);
    EXPECT_FLOAT_EQ(e().getParameter(ys + 7), pointY);
}

TEST_F(MenuRig, GaterAlternatesCopiesSwapsAndInvertsOverSixteenSteps) {
    auto run = [&](const char* command) {
        choose({command});
        ed->showGaterMenu();
    };
    e().setSteppedValue(tag::GaterSteps, 3); // four active steps: these commands still cover 16
    setMask(e(), tag::GaterLeft, 0x00F1);
    setMask(e(), tag::GaterRight, 0x0102);
    run("Alternate");
    EXPECT_EQ(mask(e(), tag::GaterLeft), 0x5555);
    EXPECT_EQ(mask(e(), tag::GaterRight), 0x5555);
    run("Alternate Left/Right");
    EXPECT_EQ(mask(e(), tag::GaterRight), 0xAAAA);

    setMask(e(), tag::GaterLeft, 0x00F1);
    setMask(e(), tag::GaterRight, 0x0102);
    run("Swap Left and Right");
    EXPECT_EQ(mask(e(), tag::GaterLeft), 0x0102);
    EXPECT_EQ(mask(e(), tag::GaterRight), 0x00F1);
    run("Copy Left to Right");
    EXPECT_EQ(mask(e(), tag::GaterRight), 0x0102);
    setMask(e(), tag::GaterRight, 0x8000);
    run("Copy Right to Left");
    EXPECT_EQ(mask(e(), tag::GaterLeft), 0x8000);
    // Inverse flips all sixteen steps of each channel, the twelve hidden ones too; a second
    // Inverse gives the pattern back whole.
    run("Inverse");
    EXPECT_EQ(mask(e(), tag::GaterLeft), 0x7FFF);
    EXPECT_EQ(mask(e(), tag::GaterRight), 0x7FFF);
    setMask(e(), tag::GaterLeft, 0x00F1);
    setMask(e(), tag::GaterRight, 0x0102);
    run("Inverse");
    EXPECT_EQ(mask(e(), tag::GaterLeft), 0xFF0E);
    EXPECT_EQ(mask(e(), tag::GaterRight), 0xFEFD);
    run("Inverse");
    EXPECT_EQ(mask(e(), tag::GaterLeft), 0x00F1);
    EXPECT_EQ(mask(e(), tag::GaterRight), 0x0102);
    // All on and all off read back as the same masks.
    e().setSteppedValue(tag::GaterSteps, 15);
    run("Set All Off");
    run("Inverse");
    EXPECT_FLOAT_EQ(e().getParameter(tag::GaterLeft), 65535.5f / 65536.0f);
    run("Inverse");
    EXPECT_FLOAT_EQ(e().getParameter(tag::GaterRight), 0.5f / 65536.0f);
}

TEST_F(MenuRig, MatrixZeroAmountsAndMoveSlotDown) {
    for (int s = 0; s < 16; ++s) {
        e().setSteppedValue(tag::ModSourceFirst + s, 1 + s);
        e().setSteppedValue(tag::ModDestFirst + s, 1 + s);
        e().setParameter(tag::ModBypassFirst + s, s == 2 ? 1.0f : 0.0f);
        for (int field :
             {tag::ModLowerFirst, tag::ModUpperFirst, tag::ModOffsetFirst, tag::ModAmountFirst})
            e().setParameter(field + s, 0.05f * float(s) + 0.01f);
    }
    choose({"Move Slot Down"});
    ed->showModMenu(15); // the last slot has nowhere to go
    EXPECT_EQ(e().getModSrcBySlot(15), 16);
    choose({"Move Slot Down"});
    ed->showModMenu(2); // all seven fields change places with slot 3
    EXPECT_EQ(e().getModSrcBySlot(3), 3);
    EXPECT_EQ(e().getModDestBySlot(2), 4);
    EXPECT_TRUE(e().getOnOff(tag::ModBypassFirst + 3));
    EXPECT_FALSE(e().getOnOff(tag::ModBypassFirst + 2));
    EXPECT_FLOAT_EQ(e().getParameter(tag::ModAmountFirst + 2), 0.16f);
    EXPECT_FLOAT_EQ(e().getParameter(tag::ModLowerFirst + 3), 0.11f);

    choose({"Zero Amounts"});
    ed->showModMenu(-1);
    for (int s = 0; s < 16; ++s) {
        for (int field :
             {tag::ModLowerFirst, tag::ModUpperFirst, tag::ModOffsetFirst, tag::ModAmountFirst})
            ASSERT_EQ(e().getParameter(field + s), e().getDefaultValue(field + s)) << s;
        // Sources, destinations and bypass switches keep their values.
        ASSERT_EQ(e().getModSrcBySlot(s), s == 2 ? 4 : (s == 3 ? 3 : s + 1)) << s;
        ASSERT_EQ(e().getOnOff(tag::ModBypassFirst + s), s == 3) << s;
    }
}

TEST_F(MenuRig, ValueRandomVowelModulationResetAndEffectSwitches) {
    // "Set to Value" on a stepped tag takes the typed step; Cancel changes nothing.
    TagControl type(tag::FilterType);
    e().setSteppedValue(tag::FilterType, 3);
    dialogs.answerCancel();
    choose({"Set to Value"});
    ed->showMIDIMenu(type.control, false);
    EXPECT_EQ(e().getSteppedValue(tag::FilterType), 3);
    dialogs.answerOk("7");
    choose({"Set to Value"});
    ed->showMIDIMenu(type.control, false);
    EXPECT_EQ(e().getSteppedValue(tag::FilterType), 7);

    TagControl pan(4);
    std::set<float> drawn;
    for (int n = 0; n < 20; ++n) {
        choose({"Set to Random Value"});
        ed->showMIDIMenu(pan.control, false);
        const float v = e().getParameter(4);
        ASSERT_TRUE(v >= 0.0f && v <= 1.0f) << v;
        drawn.insert(v);
    }
    EXPECT_GT(drawn.size(), 10u);

    // The vowels only while the filter is the formant type, written plainly.
    TagControl vowel(tag::FilterVowel);
    e().setSteppedValue(tag::FilterType, 35);
    choose({"Set to Vowel", FILTER_VOWEL_STR[2]});
    ed->showMIDIMenu(vowel.control, false);
    EXPECT_NEAR(e().getParameter(tag::FilterVowel), 0.4208417f, 1e-6f);
    ASSERT_NE(find(shown, "Set to Vowel"), nullptr);
    EXPECT_EQ(find(shown, "Set to Vowel")->sub.size(), 5u);
    e().setSteppedValue(tag::FilterType, 3);
    ed->showMIDIMenu(vowel.control, false);
    EXPECT_EQ(find(shown, "Set to Vowel"), nullptr);

    // Slots 4 and 6 modulate the main volume, slot 9 something else: the modulation commands
    // act on the first two only.
    const int dest = e().getTagDest(tag::MainVolume);
    for (int s = 0; s < 16; ++s) e().setSteppedValue(tag::ModDestFirst + s, 0);
    for (int s : {4, 6, 9}) {
        e().setSteppedValue(tag::ModSourceFirst + s, 81);
        e().setSteppedValue(tag::ModDestFirst + s, s == 9 ? dest + 1 : dest);
        e().setOn(tag::ModBypassFirst + s);
        for (int field :
             {tag::ModLowerFirst, tag::ModUpperFirst, tag::ModOffsetFirst, tag::ModAmountFirst})
            e().setParameter(field + s, 0.123f);
    }
    TagControl volume(tag::MainVolume);
    choose({"Un-Bypass Modulation"});
    ed->showMIDIMenu(volume.control, true);
    EXPECT_FALSE(e().getOnOff(tag::ModBypassFirst + 4) || e().getOnOff(tag::ModBypassFirst + 6));
    EXPECT_TRUE(e().getOnOff(tag::ModBypassFirst + 9));
    choose({"Default Modulation Amount"});
    ed->showMIDIMenu(volume.control, true);
    for (int field :
         {tag::ModLowerFirst, tag::ModUpperFirst, tag::ModOffsetFirst, tag::ModAmountFirst}) {
        EXPECT_EQ(e().getParameter(field + 6), e().getDefaultValue(field + 6));
        EXPECT_FLOAT_EQ(e().getParameter(field + 9), 0.123f);
    }
    EXPECT_EQ(e().getModSrcBySlot(4), 81);
    EXPECT_EQ(e().getModDestBySlot(4), dest);

    // Every effect menu's two switch entries, always enabled, whatever the switch shows.
    const struct {
        int section;
        const char* name;
        int onTag;
    } effects[] = {{section::LowFi, "LowFi", 335},
                   {section::VoiceDistortion, "Voice Distortion", 333},
                   {section::WaveShaper, "WaveShaper", 332},
                   {section::DistortFX, "Distort FX", 338},
                   {section::ModFX, "Mod FX", 340},
                   {section::Delay, "Delay", 343},
                   {section::Reverb, "Reverb", 346}};
    for (const auto& fx : effects) {
        const std::string off = std::string("Set ") + fx.name + " Off";
        const std::string on = std::string("Set ") + fx.name + " On";
        for (int round = 0; round < 2; ++round) {
            choose({on});
            ed->showFXMenu(fx.section);
            EXPECT_TRUE(e().getOnOff(fx.onTag)) << fx.name;
            EXPECT_NE(find(shown, off), nullptr) << fx.name;
            EXPECT_NE(find(shown, on), nullptr) << fx.name << " stays enabled while on";
        }
        choose({off});
        ed->showFXMenu(fx.section);
        EXPECT_FALSE(e().getOnOff(fx.onTag)) << fx.name;
    }

    // "Reset Everything" silences a held note at once and changes no parameter. The random
    // value drawn above goes back to its default first, so the note sounds whatever was drawn.
    e().setParameter(tag::MainPan, e().getDefaultValue(tag::MainPan));
    e().setSampleRate(48000.0f);
    e().resume();
    renderLevel(e(), 4608); // the first program is applied at the first boundary
    e().setParameter(tag::ArpOn, 0.0f);
    testmidi::EventBlock note({{0, 0x90, 60, 110}});
    e().processEvents(note.get());
    renderLevel(e(), 2048);
    EXPECT_GT(renderLevel(e(), 2048), 1e-4);
    std::vector<float> values(2048);
    for (int t = 0; t < 2048; ++t) values[size_t(t)] = e().getParameter(t);
    choose({"Reset Everything"});
    ed->showControlMenu();
    EXPECT_LT(renderLevel(e(), 512), 1e-6);
    for (int t = 0; t < 2048; ++t) ASSERT_EQ(e().getParameter(t), values[size_t(t)]) << t;
}

// The menus' number boxes read a decimal comma, take the nearest whole number where they ask
// for one, and refuse text that holds no number with a message, changing nothing.
TEST_F(MenuRig, MenuNumbersTakeACommaAndRefuseText) {
    const int tune = tag::SeqStepTuneA;
    e().setSteppedValue(tag::SeqStepsA, 7);
    e().setParameter(tune, 0.5f);
    dialogs.answerOk("2,6 semi");
    choose({"Transpose Arp"});
    ed->showArpMenu(-1, -1, false);
    EXPECT_NEAR(e().getParameter(tune), 0.5f + 3 / 72.99f, 1e-5);
    dialogs.answerOk("up");
    choose({"Transpose Arp"});
    ed->showArpMenu(-1, -1, false);
    EXPECT_NEAR(e().getParameter(tune), 0.5f + 3 / 72.99f, 1e-5);
    EXPECT_EQ(dialogs.questions().back().kind, DialogKind::Message);
    EXPECT_EQ(dialogs.questions().back().text, "\"up\" is not a number. Nothing was changed.");
}
