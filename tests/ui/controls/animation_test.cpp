// The animated controls: frame names, frames advancing on the control timer, timers that stop
// when the control is hidden or destroyed, GIF frames and their delays, the animation option's
// hover sequence and the composite progress bar.

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "tests/common/TestFiles.h"
#include "tests/ui/controls/ControlTestSupport.h"
#include "ui/controls/AnimationFrames.h"
#include "ui/controls/AnimationOptionUI.h"
#include "ui/controls/GifAnimUI.h"
#include "ui/controls/ProgressExUI.h"
#include "ui/controls/RotateAnimateUI.h"
#include "ui/controls/SequencePictureUI.h"
#include "ui/controls/VerticalLayoutUI.h"
#include "ui/core/base/UIGeometry.h"

using control_test::CTestWindow;
using control_test::SendEvent;
using SkinUI::CControlUI;

namespace {

constexpr DWORD kRed = 0xFF0000;
constexpr DWORD kGreen = 0x00FF00;
constexpr DWORD kBlue = 0x0000FF;

// ---- Fixtures: numbered frames and GIF files in the skin folder --------------------------------

void WriteSolidPng(const std::wstring& name, DWORD rgb) {
    std::vector<DWORD> pixels(8 * 8, 0xFF000000 | rgb);
    RenderTest::WritePng(RenderTest::FixtureFolder() + name, pixels.data(), 8, 8, true);
}

// A GIF of solid frames, one colour and one delay (hundredths of a second) each. The pixels are
// coded with 8-bit codes and a clear code every 120 pixels, so that no code ever grows wider:
// plain LZW data that every decoder reads.
std::string GifBytes(int width, int height, const std::vector<DWORD>& colours,
                     const std::vector<int>& delays) {
    std::string gif = "GIF89a";
    const auto put16 = [&gif](int value) {
        gif += static_cast<char>(value & 0xFF);
        gif += static_cast<char>((value >> 8) & 0xFF);
    };
    put16(width);
    put16(height);
    gif += static_cast<char>(0x80 | 0x70 | 6);  // global table of 128 colours
    gif += '\0';
    gif += '\0';
    for (int i = 0; i < 128; ++i) {
        const DWORD rgb = i < static_cast<int>(colours.size()) ? colours[i] : 0;
        gif += static_cast<char>((rgb >> 16) & 0xFF);
        gif += static_cast<char>((rgb >> 8) & 0xFF);
        gif += static_cast<char>(rgb & 0xFF);
    }
    for (size_t frame = 0; frame < colours.size(); ++frame) {
        gif += "\x21\xF9\x04";
        gif += '\x04';  // disposal: none; no transparency
        put16(delays[frame]);
        gif += '\0';
        gif += '\0';
        gif += '\x2C';
        put16(0);
        put16(0);
        put16(width);
        put16(height);
        gif += '\0';
        gif += '\x07';  // minimum code size: 8-bit codes, clear 128, end 129
        std::string codes;
        for (int pixel = 0; pixel < width * height; ++pixel) {
            if (pixel % 120 == 0) codes += static_cast<char>(128);
            codes += static_cast<char>(frame);
        }
        codes += static_cast<char>(129);
        for (size_t at = 0; at < codes.size(); at += 255) {
            const std::string block = codes.substr(at, 255);
            gif += static_cast<char>(block.size());
            gif += block;
        }
        gif += '\0';
    }
    gif += '\x3B';
    return gif;
}

void PrepareAnimationFixtures() {
    static const bool done = [] {
        RenderTest::PreparePictures();
        WriteSolidPng(L"seq1.png", kRed);
        WriteSolidPng(L"seq2.png", kGreen);
        WriteSolidPng(L"seq3.png", kBlue);
        WriteSolidPng(L"seqanim1", kRed);
        const std::wstring folder = RenderTest::FixtureFolder();
        testfiles::WriteBytes(folder + L"three.gif",
                              GifBytes(8, 8, {kRed, kGreen, kBlue}, {2, 5, 0}));
        testfiles::WriteBytes(folder + L"single.gif", GifBytes(8, 8, {kRed}, {10}));
        std::string huge = GifBytes(8, 8, {kRed, kGreen}, {1, 1});
        huge[6] = huge[7] = huge[8] = huge[9] = '\xFF';  // claims 65535 x 65535
        testfiles::WriteBytes(folder + L"huge.gif", huge);
        testfiles::WriteBytes(folder + L"notgif.gif", "GIF89a but not really");
        return true;
    }();
    (void)done;
}

// Hands the test window's timer messages to its manager for a while, as a skinned window's
// procedure would; returns how many timer messages came.
int PumpTimers(CTestWindow& window, int milliseconds) {
    const HWND hwnd = window.Manager().GetPaintWindow();
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    int timers = 0;
    MSG msg{};
    while (std::chrono::steady_clock::now() < end) {
        if (!::PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE)) {
            ::Sleep(5);
            continue;
        }
        if (msg.message == WM_TIMER) {
            ++timers;
            LRESULT result = 0;
            window.Manager().HandleWindowMessage(msg.message, msg.wParam, msg.lParam, result);
        } else {
            ::DispatchMessageW(&msg);
        }
    }
    return timers;
}

// No timer message comes once a tick that may already be on its way has passed.
void ExpectNoTimerLeft(CTestWindow& window) {
    PumpTimers(window, 60);
    EXPECT_EQ(PumpTimers(window, 200), 0);
}

// Timer messages come while the host shows its animated child, none while it is hidden, and
// they come again once it is shown again.
void ExpectTimerFollowsVisibility(CTestWindow& window, CControlUI& host) {
    EXPECT_GT(PumpTimers(window, 300), 0);
    host.SetVisible(false);
    ExpectNoTimerLeft(window);
    host.SetVisible(true);
    EXPECT_GT(PumpTimers(window, 300), 0);
}

void Tick(CControlUI& control, UINT timerId, int count = 1) {
    for (int i = 0; i < count; ++i)
        SendEvent(control, SkinUI::kEventTimer, POINT{0, 0}, timerId);
}

// A control attached to the test window inside a vertical layout (so that hiding the layout
// hides it through inherited visibility).
template <class T>
struct THosted {
    THosted(CTestWindow& window, std::initializer_list<const wchar_t*> attributes,
            RECT rc = RECT{0, 0, 40, 40}) {
        PrepareAnimationFixtures();
        host = std::make_unique<SkinUI::CVerticalLayoutUI>();
        control = new T;
        // Attributes are applied while attached, as the builder does, so pictures load.
        control->AttachTo(&window.Manager(), nullptr, false);
        control_test::ApplyAttributes(*control, attributes);
        control->AttachTo(nullptr, nullptr, false);
        host->Append(control);
        window.Adopt(host, rc);
    }
    std::unique_ptr<SkinUI::CVerticalLayoutUI> host;
    T* control = nullptr;  // owned by host
};

// A control set up without a window, then attached (and so initialised) inside a host that
// owns it.
std::unique_ptr<SkinUI::CVerticalLayoutUI> HostedLater(CTestWindow& window,
                                                       CControlUI* control) {
    auto host = std::make_unique<SkinUI::CVerticalLayoutUI>();
    host->Append(control);
    window.Adopt(host, RECT{0, 0, 20, 20});
    return host;
}

}  // namespace

// ---- Frame names -------------------------------------------------------------------------------

struct TFrameNameCase {
    const wchar_t* picture;
    int frame;
    const wchar_t* expected;
};

class FrameNames : public ::testing::TestWithParam<TFrameNameCase> {};

TEST_P(FrameNames, NumberGoesBeforeTheLastDot) {
    const TFrameNameCase& c = GetParam();
    EXPECT_STREQ(SkinUI::FrameName(c.picture, c.frame), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FrameNames,
                         ::testing::Values(TFrameNameCase{L"run.png", 3, L"run3.png"},
                                           TFrameNameCase{L"anim", 1, L"anim1"},
                                           TFrameNameCase{L"a.b.png", 12, L"a.b12.png"},
                                           TFrameNameCase{L".png", 2, L".png2"},
                                           TFrameNameCase{L"x.png", -1, L"x-1.png"},
                                           TFrameNameCase{L"", 0, L"0"}));

// ---- Spinner -----------------------------------------------------------------------------------

TEST(RotateAnimate, TurnsTenDegreesPerTickAndStartsOverAfterAFullTurn) {
    CTestWindow window;
    THosted<SkinUI::CRotateAnimateUI> spinner(window, {L"bkimage", L"rot.png"});
    ASSERT_FALSE(spinner.control->IsStopped());
    Tick(*spinner.control, SkinUI::CRotateAnimateUI::kTimerId, 9);
    EXPECT_EQ(spinner.control->Angle(), 90);
    Tick(*spinner.control, SkinUI::CRotateAnimateUI::kTimerId, 27);
    EXPECT_EQ(spinner.control->Angle(), 360);
    Tick(*spinner.control, SkinUI::CRotateAnimateUI::kTimerId);
    EXPECT_EQ(spinner.control->Angle(), 0);
    EXPECT_FALSE(spinner.control->IsStopped());
}

TEST(RotateAnimate, WithoutLoopStopsAfterOneTurnAndShowsTheImageUnrotated) {
    CTestWindow window;
    THosted<SkinUI::CRotateAnimateUI> spinner(window, {L"bkimage", L"rot.png", L"loop", L"false"});
    Tick(*spinner.control, SkinUI::CRotateAnimateUI::kTimerId, 37);
    EXPECT_TRUE(spinner.control->IsStopped());
    EXPECT_EQ(spinner.control->Angle(), 0);
    EXPECT_EQ(PumpTimers(window, 150), 0);
}

TEST(RotateAnimate, PaintsTheImageTurnedByTheAngle) {
    CTestWindow window;
    // rot.png: the top 5 rows red, the rest blue. A quarter turn clockwise puts red on the right.
    THosted<SkinUI::CRotateAnimateUI> spinner(window, {L"bkimage", L"rot.png"},
                                              RECT{0, 0, 20, 20});
    auto before = control_test::PaintOnCanvas(*spinner.control, 20, 20);
    EXPECT_EQ(before->Rgb(10, 2), kRed);
    EXPECT_EQ(before->Rgb(18, 10), kBlue);
    Tick(*spinner.control, SkinUI::CRotateAnimateUI::kTimerId, 9);
    auto turned = control_test::PaintOnCanvas(*spinner.control, 20, 20);
    turned->SavePng(RenderTest::ArtifactFolder() + L"spinner_90.png");
    EXPECT_EQ(turned->Rgb(18, 10), kRed);
    EXPECT_EQ(turned->Rgb(10, 2), kBlue);
}

TEST(RotateAnimate, PictureGivenBeforeAttachingLoadsWhenItStarts) {
    CTestWindow window;
    PrepareAnimationFixtures();
    auto* spinner = new SkinUI::CRotateAnimateUI;
    spinner->SetBackImage(L"rot.png");  // no window yet: nothing to load it with
    auto host = HostedLater(window, spinner);
    EXPECT_FALSE(spinner->IsStopped());
    EXPECT_GT(PumpTimers(window, 200), 0);
}

TEST(RotateAnimate, WithoutAPictureItNeverStarts) {
    CTestWindow window;
    THosted<SkinUI::CRotateAnimateUI> spinner(window, {L"bkimage", L"missing.png"});
    EXPECT_TRUE(spinner.control->IsStopped());
    EXPECT_EQ(PumpTimers(window, 150), 0);
}

TEST(RotateAnimate, TimerRunsOnlyWhileTheSpinnerIsShown) {
    CTestWindow window;
    THosted<SkinUI::CRotateAnimateUI> spinner(window, {L"bkimage", L"rot.png", L"interval",
                                                       L"20"});
    ExpectTimerFollowsVisibility(window, *spinner.host);
    EXPECT_GT(spinner.control->Tick(), 0);
}

// ---- Picture sequence --------------------------------------------------------------------------

TEST(SequencePicture, PlaysTheNumberedFramesInALoop) {
    CTestWindow window;
    THosted<SkinUI::CSequencePictureUI> sequence(
        window, {L"picture", L"seq.png", L"startindex", L"1", L"endindex", L"3"},
        RECT{0, 0, 8, 8});
    std::vector<std::wstring> shown;
    std::vector<DWORD> colours;
    for (int i = 0; i < 4; ++i) {
        Tick(*sequence.control, SkinUI::CSequencePictureUI::kTimerId);
        shown.push_back(sequence.control->BackImage());
        colours.push_back(control_test::PaintOnCanvas(*sequence.control, 8, 8)->Rgb(4, 4));
    }
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"seq1.png", L"seq2.png", L"seq3.png",
                                                  L"seq1.png"}));
    EXPECT_EQ(colours, (std::vector<DWORD>{kRed, kGreen, kBlue, kRed}));
}

TEST(SequencePicture, WithoutLoopPlaysOnceAndKeepsTheLastFrameShown) {
    CTestWindow window;
    THosted<SkinUI::CSequencePictureUI> sequence(
        window, {L"picture", L"seq.png", L"startindex", L"1", L"endindex", L"3", L"loop",
                 L"false"});
    Tick(*sequence.control, SkinUI::CSequencePictureUI::kTimerId, 4);
    EXPECT_TRUE(sequence.control->IsStopped());
    EXPECT_EQ(sequence.control->FrameIndex(), 1);
    EXPECT_STREQ(sequence.control->BackImage(), L"seq3.png");
    EXPECT_EQ(PumpTimers(window, 150), 0);
}

TEST(SequencePicture, NameWithoutExtensionGetsTheNumberAppended) {
    CTestWindow window;
    THosted<SkinUI::CSequencePictureUI> sequence(
        window, {L"picture", L"seqanim", L"startindex", L"1", L"endindex", L"1"});
    Tick(*sequence.control, SkinUI::CSequencePictureUI::kTimerId);
    EXPECT_STREQ(sequence.control->BackImage(), L"seqanim1");
}

TEST(SequencePicture, HiddenSequenceNeitherStepsNorKeepsATimer) {
    CTestWindow window;
    THosted<SkinUI::CSequencePictureUI> sequence(
        window, {L"picture", L"seq.png", L"startindex", L"1", L"endindex", L"3", L"interval",
                 L"20"});
    ExpectTimerFollowsVisibility(window, *sequence.host);
    sequence.host->SetVisible(false);
    const int frame = sequence.control->FrameIndex();
    Tick(*sequence.control, SkinUI::CSequencePictureUI::kTimerId);
    EXPECT_EQ(sequence.control->FrameIndex(), frame);
}

TEST(SequencePicture, FrameNumbersAtTheEndsOfTheRangeDoNotOverflow) {
    CTestWindow window;
    THosted<SkinUI::CSequencePictureUI> sequence(
        window, {L"picture", L"seq.png", L"startindex", L"2147483647", L"endindex",
                 L"2147483647"});
    Tick(*sequence.control, SkinUI::CSequencePictureUI::kTimerId, 3);
    EXPECT_EQ(sequence.control->FrameIndex(), INT_MAX);
}

TEST(AnimationTimers, DestroyedControlsLeaveNoTimerBehind) {
    CTestWindow window;
    THosted<SkinUI::CSequencePictureUI> sequence(
        window, {L"picture", L"seq.png", L"startindex", L"1", L"endindex", L"3", L"interval",
                 L"20"});
    auto* spinner = new SkinUI::CRotateAnimateUI;
    sequence.host->Append(spinner);
    spinner->SetBackImage(L"rot.png");
    spinner->Start();
    ASSERT_FALSE(spinner->IsStopped());
    EXPECT_GT(PumpTimers(window, 200), 0);
    sequence.host.reset();  // destroys both while their timers run
    ExpectNoTimerLeft(window);
}

// ---- GIF ---------------------------------------------------------------------------------------

TEST(GifAnim, ReadsEveryFrameWithItsOwnDelay) {
    CTestWindow window;
    THosted<SkinUI::CGifAnimUI> gif(window, {L"bkimage", L"three.gif"}, RECT{0, 0, 8, 8});
    ASSERT_EQ(gif.control->FrameCount(), 3u);
    EXPECT_EQ(gif.control->FrameDelay(0), 20);
    EXPECT_EQ(gif.control->FrameDelay(1), 50);
    EXPECT_EQ(gif.control->FrameDelay(2), SkinUI::CGifAnimUI::kDefaultFrameDelay);
    EXPECT_TRUE(gif.control->IsPlaying());
}

TEST(GifAnim, TimerShowsTheFramesInTurnAndLoops) {
    CTestWindow window;
    THosted<SkinUI::CGifAnimUI> gif(window, {L"bkimage", L"three.gif"}, RECT{0, 0, 8, 8});
    std::vector<DWORD> colours{control_test::PaintOnCanvas(*gif.control, 8, 8)->Rgb(4, 4)};
    for (int i = 0; i < 3; ++i) {
        Tick(*gif.control, SkinUI::CGifAnimUI::kTimerId);
        colours.push_back(control_test::PaintOnCanvas(*gif.control, 8, 8)->Rgb(4, 4));
    }
    EXPECT_EQ(colours, (std::vector<DWORD>{kRed, kGreen, kBlue, kRed}));
    // In real time the frames move on by themselves.
    PumpTimers(window, 400);
    EXPECT_TRUE(gif.control->IsPlaying());
}

TEST(GifAnim, WithoutLoopTheLastFrameStays) {
    CTestWindow window;
    THosted<SkinUI::CGifAnimUI> gif(window, {L"bkimage", L"three.gif", L"loop", L"false"},
                                    RECT{0, 0, 8, 8});
    Tick(*gif.control, SkinUI::CGifAnimUI::kTimerId, 3);
    EXPECT_FALSE(gif.control->IsPlaying());
    EXPECT_EQ(gif.control->FrameIndex(), 2u);
    EXPECT_EQ(control_test::PaintOnCanvas(*gif.control, 8, 8)->Rgb(4, 4), kBlue);
}

TEST(GifAnim, HidingStopsAndShowingRestartsFromTheFirstFrame) {
    CTestWindow window;
    THosted<SkinUI::CGifAnimUI> gif(window, {L"bkimage", L"three.gif"}, RECT{0, 0, 8, 8});
    Tick(*gif.control, SkinUI::CGifAnimUI::kTimerId);
    EXPECT_EQ(gif.control->FrameIndex(), 1u);
    gif.host->SetVisible(false);
    EXPECT_FALSE(gif.control->IsPlaying());
    ExpectNoTimerLeft(window);
    gif.host->SetVisible(true);
    EXPECT_TRUE(gif.control->IsPlaying());
    EXPECT_EQ(gif.control->FrameIndex(), 0u);
}

TEST(GifAnim, UnreadableOrStillGifsRunNoTimer) {
    for (const wchar_t* name : {L"missing.gif", L"notgif.gif", L"huge.gif", L"solid.png"}) {
        CTestWindow window;
        THosted<SkinUI::CGifAnimUI> gif(window, {L"bkimage", name});
        EXPECT_EQ(gif.control->FrameCount(), 0u) << name;
        EXPECT_FALSE(gif.control->IsPlaying()) << name;
        control_test::PaintOnCanvas(*gif.control, 40, 40);  // draws nothing, and survives
    }
    CTestWindow window;
    THosted<SkinUI::CGifAnimUI> still(window, {L"bkimage", L"single.gif"});
    EXPECT_EQ(still.control->FrameCount(), 1u);
    EXPECT_FALSE(still.control->IsPlaying());
    EXPECT_EQ(PumpTimers(window, 150), 0);
}

TEST(GifAnim, PlayAskedForBeforeAttachingStartsOnceAttached) {
    CTestWindow window;
    PrepareAnimationFixtures();
    auto* gif = new SkinUI::CGifAnimUI;
    gif->ApplyAttribute(L"bkimage", L"three.gif");
    gif->Play();  // no window to run a timer on yet
    EXPECT_FALSE(gif->IsPlaying());
    auto host = HostedLater(window, gif);
    EXPECT_TRUE(gif->IsPlaying());
    EXPECT_GT(PumpTimers(window, 300), 0);
}

TEST(GifAnim, PressSendsButtonDownAndNothingElseIsHandled) {
    CTestWindow window;
    THosted<SkinUI::CGifAnimUI> gif(window, {L"bkimage", L"three.gif", L"auto", L"false"});
    EXPECT_FALSE(gif.control->IsPlaying());
    SendEvent(*gif.control, SkinUI::kEventMouseEnter, POINT{5, 5});
    SendEvent(*gif.control, SkinUI::kEventButtonDown, POINT{5, 5});
    EXPECT_EQ(window.Recorder().Count(L"buttondown", gif.control), 1);
    EXPECT_EQ(window.Recorder().Count(L"mouseenter"), 0);
    gif.control->Play();
    EXPECT_TRUE(gif.control->IsPlaying());
}

// ---- Animation option --------------------------------------------------------------------------

namespace {

THosted<SkinUI::CAnimationOptionUI> HoverOption(CTestWindow& window, const wchar_t* loop,
                                                const wchar_t* interval = L"30") {
    return THosted<SkinUI::CAnimationOptionUI>(
        window, {L"picturehover", L"seq.png", L"startindexhover", L"1", L"endindexhover", L"3",
                 L"intervalhover", interval, L"loophover", loop, L"normalimage", L"solid.png"},
        RECT{0, 0, 8, 8});
}

}  // namespace

TEST(AnimationOption, HoverPlaysTheSequenceAsForeImageUntilThePointerLeaves) {
    CTestWindow window;
    auto option = HoverOption(window, L"true");
    SkinUI::CAnimationOptionUI& control = *option.control;
    SendEvent(control, SkinUI::kEventMouseEnter, POINT{4, 4});
    EXPECT_EQ(control.RunningAnimations(), SkinUI::CAnimationOptionUI::kHover);
    EXPECT_EQ(window.Recorder().Count(L"mouseenter", &control), 1);
    std::vector<std::wstring> shown{control.ForeImage()};
    for (int i = 0; i < 3; ++i) {
        Tick(control, SkinUI::CAnimationOptionUI::kHoverTimerId);
        shown.push_back(control.ForeImage());
    }
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"seq1.png", L"seq2.png", L"seq3.png",
                                                  L"seq1.png"}));
    EXPECT_EQ(control_test::PaintOnCanvas(control, 8, 8)->Rgb(4, 4), kRed);

    SendEvent(control, SkinUI::kEventMouseLeave, POINT{20, 20});
    EXPECT_EQ(control.RunningAnimations(), 0);
    EXPECT_STREQ(control.ForeImage(), L"");
    EXPECT_EQ(window.Recorder().Count(L"mouseleave", &control), 1);
    ExpectNoTimerLeft(window);
    // Without an animation the option paints as an option again.
    EXPECT_EQ(control_test::PaintOnCanvas(control, 8, 8)->Rgb(4, 4), RenderTest::kSolidColor);
}

TEST(AnimationOption, WithoutLoopTheSequenceEndsAndWithoutIntervalItNeverStarts) {
    CTestWindow window;
    auto once = HoverOption(window, L"false");
    SendEvent(*once.control, SkinUI::kEventMouseEnter, POINT{4, 4});
    Tick(*once.control, SkinUI::CAnimationOptionUI::kHoverTimerId, 3);
    EXPECT_EQ(once.control->RunningAnimations(), 0);
    EXPECT_STREQ(once.control->ForeImage(), L"");

    auto still = HoverOption(window, L"true", L"0");
    SendEvent(*still.control, SkinUI::kEventMouseEnter, POINT{4, 4});
    EXPECT_EQ(still.control->RunningAnimations(), 0);
    EXPECT_NE(still.control->ButtonState() & SkinUI::kStateHot, 0u);
    EXPECT_EQ(control_test::PaintOnCanvas(*still.control, 8, 8)->Rgb(4, 4),
              RenderTest::kSolidColor);
}

TEST(AnimationOption, HidingStopsTheHoverAnimation) {
    CTestWindow window;
    auto option = HoverOption(window, L"true");
    SendEvent(*option.control, SkinUI::kEventMouseEnter, POINT{4, 4});
    option.host->SetVisible(false);
    EXPECT_EQ(option.control->RunningAnimations(), 0);
    ExpectNoTimerLeft(window);
}

TEST(AnimationOption, FinishedWorkShowsTheSelectedPicture) {
    CTestWindow window;
    THosted<SkinUI::CAnimationOptionUI> option(
        window, {L"pictureworking", L"seq.png", L"startindexworking", L"1", L"endindexworking",
                 L"3", L"intervalworking", L"30", L"loopworking", L"true", L"selectedimage",
                 L"solid.png", L"selected", L"true"},
        RECT{0, 0, 8, 8});
    SkinUI::CAnimationOptionUI& control = *option.control;
    control.SetWorkingEnabled(true);
    control.Select(false);  // deselected while work is enabled: the working animation runs
    EXPECT_EQ(control.RunningAnimations(), SkinUI::CAnimationOptionUI::kWorking);
    Tick(control, SkinUI::CAnimationOptionUI::kWorkingTimerId);
    EXPECT_STREQ(control.ForeImage(), L"seq2.png");
    control_test::Click(control, POINT{4, 4});  // the work is done
    EXPECT_EQ(control.RunningAnimations() & SkinUI::CAnimationOptionUI::kWorking, 0);
    EXPECT_STREQ(control.ForeImage(), L"solid.png");
    EXPECT_TRUE(control.IsSelected());
}

TEST(AnimationOption, ClicksSelectAndAttributesReadBack) {
    CTestWindow window;
    auto option = HoverOption(window, L"true");
    SkinUI::CAnimationOptionUI& control = *option.control;
    control_test::Click(control, POINT{4, 4});
    EXPECT_TRUE(control.IsSelected());
    EXPECT_EQ(window.Recorder().Count(L"click", &control), 1);
    EXPECT_EQ(window.Recorder().Count(L"selectchanged", &control), 1);

    EXPECT_STREQ(control.QueryAttribute(L"intervalhover"), L"30");
    EXPECT_STREQ(control.QueryAttribute(L"loophover"), L"true");
    EXPECT_STREQ(control.QueryAttribute(L"picturehover"), L"seq.png");
    EXPECT_STREQ(control.QueryAttribute(L"loopworking"), L"");
    EXPECT_STREQ(control.QueryAttribute(L"startindexworking"), L"");
    EXPECT_EQ(control.InterfaceByName(L"AnimationOption"), &control);
    EXPECT_EQ(control.InterfaceByName(L"Option"), nullptr);
    EXPECT_STREQ(control.ClassName(), L"OptionUI");
}

// ---- Composite progress bar --------------------------------------------------------------------

TEST(ProgressEx, LineMarkerAndSpinnerFollowTheValue) {
    CTestWindow window;
    THosted<SkinUI::CProgressExUI> bar(
        window, {L"width", L"200", L"height", L"20", L"max", L"100", L"value", L"50",
                 L"lineheight", L"4", L"lineforeimage", L"solid.png", L"linebkcolor",
                 L"#FF00FF00", L"point", L"solid.png", L"pointwidth", L"10", L"pointheight",
                 L"10", L"animation", L"rot.png", L"animationwidth", L"20", L"animationheight",
                 L"20"},
        RECT{0, 0, 200, 20});
    SkinUI::CProgressExUI& progress = *bar.control;
    ASSERT_NE(progress.Spinner(), nullptr);
    EXPECT_EQ(progress.LeftLine()->FixedWidth(), 100);
    EXPECT_STREQ(progress.LeftLine()->BackImage(), L"file='solid.png' source='0,0,103,4'");
    EXPECT_EQ(progress.RightLine()->BackColor(), 0xFF00FF00u);
    EXPECT_TRUE(progress.Marker()->IsVisible());
    EXPECT_FALSE(progress.Spinner()->IsStopped());
    // The spinner is centred on the marker: 100 - (20 - 10) / 2.
    EXPECT_EQ(progress.Spinner()->Rect().left, 95);
    EXPECT_EQ(progress.Spinner()->Rect().right, 115);
    EXPECT_EQ(progress.InterfaceByName(L"IContainer"), nullptr);

    progress.SetValue(100);
    EXPECT_FALSE(progress.Marker()->IsVisible());
    EXPECT_FALSE(progress.Spinner()->IsVisible());
    progress.SetValue(20);
    EXPECT_TRUE(progress.Marker()->IsVisible());
    EXPECT_EQ(progress.LeftLine()->FixedWidth(), 40);
}

TEST(ProgressEx, ZeroMaximumAndHostileNumbersAreSafe) {
    CTestWindow window;
    THosted<SkinUI::CProgressExUI> bar(
        window, {L"width", L"2147483647", L"value", L"2147483647", L"max", L"0",
                 L"animationwidth", L"-2147483647", L"pointwidth", L"2147483647",
                 L"animationheight", L"2147483647", L"pointheight", L"-2147483647"});
    SkinUI::CProgressExUI& progress = *bar.control;
    ASSERT_NE(progress.Marker(), nullptr);
    progress.SetValue(-5);
    SendEvent(progress, SkinUI::kEventButtonDown, POINT{5, 5});
    control_test::PaintOnCanvas(progress, 40, 40);
}
