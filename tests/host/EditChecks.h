// The check shared by the host tests of edits under a held note: the edit must be heard, and
// made under the note it must sound as made before the note started.
#pragma once

#include "AudioAnalysis.h"
#include "ScenarioPatches.h"

#include <gtest/gtest.h>

#include <vector>

// `play(edit)` renders the held note with the edit not made, made from the start or made under
// the note; `tolerance` is the largest sample difference allowed between the last two.
template <typename Play>
void expectEditUnderNoteAsFromStart(const Play& play, const char* what, float tolerance) {
    using scenariopatch::Edit;
    const std::vector<float> before = play(Edit::None);
    const std::vector<float> fresh = play(Edit::FromStart);
    const std::vector<float> edited = play(Edit::UnderNote);
    ASSERT_FALSE(fresh.empty()) << what;
    EXPECT_GT(audio::largestDifference(before, fresh), 0.02f) << what << ": the edit is heard";
    EXPECT_LT(audio::largestDifference(edited, fresh), tolerance) << what;
}
