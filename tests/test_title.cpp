// The title screen: the framed picture, the texts below it and the 55 ms title clock.
#include "tests/support/test_env.h"

#include "app/title.h"

using namespace test_env;
using RenderTest = GameTest;

constexpr std::uint32_t GREY = 0x494746, PEACH = 0xffcfa6;

TEST_F(RenderTest, TitlePictureInAThinPeachFrameAndTextsOnlyBelowIt) {
    // The picture's rows lie 700 pixels apart in memory; the copy reads rows of 640 all the same.
    Pixels picture(700 * 480);
    for (std::size_t k = 0; k < picture.size(); ++k) picture[k] = static_cast<std::uint32_t>(k) + 1;
    replace(gfx.title_image, SDL_CreateRGBSurfaceFrom(picture.data(), 640, 480, 32, 2800, 0xFF0000, 0xFF00, 0xFF, 0));
    now_ms = 1;
    EXPECT_EQ(rand_draws([] { title_frame(); }), 1);  // the prompt's colour
    ASSERT_EQ(frames, std::vector<FrameKind>{FrameKind::title});
    // The ribbons keep to x 87..708 and above y 620: these columns show frame and picture.
    for (int y = 98; y <= 580; ++y) {
        const std::uint32_t frame = y == 98 || y == 580 ? GREY : PEACH;
        EXPECT_EQ(std::tuple(scr(78, y), scr(79, y), scr(719, y), scr(720, y)), std::tuple(GREY, frame, frame, GREY))
            << y;
        for (int j : {0, 6, 638}) {
            if (y >= 100 && y < 579) {
                EXPECT_EQ(scr(80 + j, y), picture[static_cast<std::size_t>(640 * (y - 100) + j)]);
            }
        }
    }
    EXPECT_EQ(scr(80, 579), PEACH);  // picture row 479 never shows
    int credits = 0;
    for (int y = 620; y < 700; ++y)
        for (int x = 0; x < 800; ++x)
            if (scr(x, y) != GREY) {
                credits += y < 660;
                EXPECT_TRUE(y < 660 || y >= 670) << x << "," << y;  // credits apart from the prompt
            }
    EXPECT_GT(credits, 0);
    replace(gfx.title_image, image(5, 50, 0x00123456));  // a smaller picture is clipped to its size
    now_ms = 100;
    title_frame();
    EXPECT_EQ(std::tuple(scr(84, 149), scr(85, 149), scr(84, 150)), std::tuple(0x00123456u, PEACH, PEACH));
}

TEST_F(RenderTest, TitleFramesFollowA55MsClockWithCatchUpAndSleepWhenNoneIsDue) {
    now_ms = 200;  // lagging by 200 ms: frames for 0, 55, 110 and 165, back to back
    EXPECT_EQ(rand_draws([] { title_frame(); }), 4);
    EXPECT_EQ(std::tuple(frames.size(), game.step_clock, slept_ms), std::tuple(4u, 220, 0u));
    now_ms = 220;  // the title clock has reached the ticks: sleep rather than spin
    title_frame();
    title_frame();  // one tick later the next frame is due
    EXPECT_EQ(std::tuple(frames.size(), game.step_clock, slept_ms), std::tuple(5u, 275, 1u));
    game.frame_clock = 1000;  // the frame clock ahead of the ticks: sleep
    title_frame();
    EXPECT_EQ(std::tuple(frames.size(), game.frame_clock, slept_ms), std::tuple(5u, 1000, 2u));
}
