#pragma once
// The show's timeline: the length of every stage of the three scenes, the
// rule by which a stage ends, and the moments that follow from them. The
// scenes run their stages from here; the capture tool, the music's score,
// the benchmarks and the tests take their moments from here; the shaders
// and assets/music.json, which are read at run time, hold copies that a test
// checks against these.

#include <cstddef>
#include <cstdint>

// Where a scene stands in its table of stages.
struct StageClock {
    std::int32_t stage = 0;
    float timeS = 0.0f;  // since the stage began
};

// Adds dt to the stage's time; true when the stage ends on this call. A
// stage ends on the first call on which its time is strictly past its
// length, at most one ends per call, and the next one starts from 0: the
// time past the length is dropped.
constexpr bool stageEnds(StageClock& clock, float dtS, float lengthS)
{
    clock.timeS += dtS;
    if (!(clock.timeS > lengthS)) return false;
    ++clock.stage;
    clock.timeS = 0.0f;
    return true;
}

// The loading screen: one stage for each of its messages.
constexpr float LOADING_STAGES_S[] = {4.0f, 2.0f, 3.0f, 2.4f, 7.0f, 3.5f};

// The intro: each of the four cards shows for 5 s, then leaves in 2 s.
constexpr float CARD_SHOWN_S = 5.0f;
constexpr float CARD_LEAVING_S = 2.0f;
constexpr float INTRO_STAGES_S[] = {CARD_SHOWN_S, CARD_LEAVING_S, CARD_SHOWN_S, CARD_LEAVING_S,
                                    CARD_SHOWN_S, CARD_LEAVING_S, CARD_SHOWN_S, CARD_LEAVING_S};

// The ball scene, by what happens as each stage ends.
enum BallStage : std::int32_t {
    FIRST_BALL_STAGE,    // the first ball drops
    SECOND_BALL_STAGE,   // the second is launched, the camera eases round
    THIRD_BALL_STAGE,    // the third is launched
    CREDITS_STAGE,       // the credits panel comes, the music starts
    FIRST_PAGE_STAGE,    // then the pages turn, one a stage
    LAST_PAGE_STAGE = FIRST_PAGE_STAGE + 4,
    CREDITS_VIEW_STAGE,  // the camera starts its flight out
    FLIGHT_STAGE,        // the fade to black starts
    BLACK_STAGE,         // the show ends
};
constexpr float CREDITS_PAGE_S = 4.0f;
constexpr float BALL_STAGES_S[] = {2.0f,           7.0f,           7.0f,           7.0f,
                                   CREDITS_PAGE_S, CREDITS_PAGE_S, CREDITS_PAGE_S, CREDITS_PAGE_S,
                                   CREDITS_PAGE_S, 4.0f,           12.0f,          4.0f};
static_assert(sizeof BALL_STAGES_S / sizeof BALL_STAGES_S[0] == BLACK_STAGE + 1);
// Four seconds into the flight out the last page turns over to the show's
// closing face.
constexpr float CLOSING_TURN_INTO_FLIGHT_S = 4.0f;

// A scene's time by its stage lengths alone when a stage ends, by default
// its last; on a real clock each stage ends up to a frame late.
template <std::size_t count>
constexpr float stageEndS(const float (&stages)[count], std::size_t stage = count - 1)
{
    float sum = 0.0f;
    for (std::size_t i = 0; i <= stage; ++i) sum += stages[i];
    return sum;
}
constexpr float ballStageEndS(std::int32_t stage)
{
    return stageEndS(BALL_STAGES_S, static_cast<std::size_t>(stage));
}
constexpr float CLOSING_TURN_S = ballStageEndS(CREDITS_VIEW_STAGE) + CLOSING_TURN_INTO_FLIGHT_S;

// The show on the capture's fixed clock, every frame 1/60 s: frames count
// from 0, and each scene's first call is on the frame after the one on
// which the scene before it ended.
constexpr std::int64_t FRAMES_PER_SECOND = 60;
constexpr float FRAME_TIME_S = 1.0f / 60.0f;  // the dt that every frame gets

// The calls that a stage takes at a steady dt, the last of them the one on
// which it ends.
constexpr std::int64_t stageCalls(float lengthS, float dtS = FRAME_TIME_S)
{
    StageClock clock;
    std::int64_t calls = 1;
    while (!stageEnds(clock, dtS, lengthS)) ++calls;
    return calls;
}

// The frame (or call) on which stage `stage` of a scene ends, the scene's
// first call being on firstFrame.
template <std::size_t count>
constexpr std::int64_t stageEndFrame(const float (&stages)[count], std::size_t stage, std::int64_t firstFrame,
                                     float dtS = FRAME_TIME_S)
{
    for (std::size_t i = 0; i <= stage; ++i) firstFrame += stageCalls(stages[i], dtS);
    return firstFrame - 1;
}

template <std::size_t count>
constexpr std::int64_t sceneFrames(const float (&stages)[count])
{
    return stageEndFrame(stages, count - 1, 0) + 1;
}

constexpr std::int64_t INTRO_FIRST_FRAME = sceneFrames(LOADING_STAGES_S);
constexpr std::int64_t BALLS_FIRST_FRAME = INTRO_FIRST_FRAME + sceneFrames(INTRO_STAGES_S);
// The ball scene's last call hands over to the quit; the frame after it ends the show.
constexpr std::int64_t SHOW_FRAMES = BALLS_FIRST_FRAME + sceneFrames(BALL_STAGES_S) + 1;

constexpr std::int64_t ballStageEndFrame(std::int32_t stage)
{
    return stageEndFrame(BALL_STAGES_S, static_cast<std::size_t>(stage), BALLS_FIRST_FRAME);
}

// A card's "lo" sounds as it shows: the first on the intro's first call,
// the others as each card's leaving stage ends.
constexpr std::int64_t CARD_LO_FRAMES[] = {INTRO_FIRST_FRAME, stageEndFrame(INTRO_STAGES_S, 1, INTRO_FIRST_FRAME),
                                           stageEndFrame(INTRO_STAGES_S, 3, INTRO_FIRST_FRAME),
                                           stageEndFrame(INTRO_STAGES_S, 5, INTRO_FIRST_FRAME)};
constexpr std::int64_t MUSIC_START_FRAME = ballStageEndFrame(CREDITS_STAGE);
constexpr std::int64_t CREDITS_PAGE_FRAMES = stageCalls(CREDITS_PAGE_S);
constexpr std::int64_t FADE_TO_BLACK_FRAME = ballStageEndFrame(FLIGHT_STAGE);
