// Frame types shared by the render loop and the effect units: one stereo frame at the output
// rate, and one output frame as two sub-frames at twice the rate.
#pragma once

struct stereoStruct {
    float left = 0.0f;
    float right = 0.0f;
};

struct stereoOverStruct {
    stereoStruct first;
    stereoStruct second;
};
