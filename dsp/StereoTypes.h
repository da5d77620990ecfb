// Frame types shared by the render loop and the effect units: one stereo frame at the output
// rate, and one output frame as two sub-frames at twice the rate, with the two steps between
// the rates that the stages run at the output rate use.
#pragma once

struct stereoStruct {
    float left = 0.0f;
    float right = 0.0f;
};

struct stereoOverStruct {
    stereoStruct first;
    stereoStruct second;
};

// An output-rate frame held over both sub-frames.
inline stereoOverStruct holdFrame(stereoStruct f) {
    return {f, f};
}

// The mean of a frame's two sub-frames.
inline stereoStruct frameMean(const stereoOverStruct& s) {
    return {0.5f * (s.first.left + s.second.left), 0.5f * (s.first.right + s.second.right)};
}
