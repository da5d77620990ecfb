// The envelopes: voice and global instances, their rates, shapes and gates. Audio thread.
#include "engine/APlugin.h"

// Least form until the voice envelopes keep state: a silent voice level is all there is.
void APlugin::resetVoiceEnvelopes() {
    for (float& level : voiceLevel) level = 0.0f;
}
